// The open dialog as a real window: layout, texts, columns, docking, hiding,
// and the handlers its buttons call.
#include "OpenDialog.h"
#include "Skin.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

using namespace testing_support;
using corvina::OpenDialog;

namespace {

struct Recorded {
    std::vector<std::pair<std::string, std::string>> played;
    int searches = 0, continues = 0, altResolves = 0;
};

class OpenDialogTest : public ::testing::Test {
  protected:
    TestWindow main{100, 50, 858, 496, false}; // only docked to
    OpenDialog dialog;
    Recorded recorded;

    void SetUp() override {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TAB_CLASSES | ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&icc);
        corvina::OpenDialogActions actions;
        actions.playStream = [this](const std::string& url, const std::string& cookie) {
            recorded.played.emplace_back(url, cookie);
        };
        actions.startSearch = [this] { ++recorded.searches; };
        actions.continueLastPlayback = [this] { ++recorded.continues; };
        actions.resolveByAltServer = [this] { ++recorded.altResolves; };
        ASSERT_TRUE(dialog.load(main.hwnd(), actions));
        ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
    }

    RECT rectIn(HWND child) const {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    void click(int id) { SendMessageW(dialog.control(id), BM_CLICK, 0, 0); }
};

TEST_F(OpenDialogTest, WindowCaptionSizeAndDock) {
    wchar_t caption[64] = {};
    GetWindowTextW(dialog.hwnd(), caption, 64);
    EXPECT_EQ(corvina::wideToGbk(caption), "文件打开方式");
    RECT d = dialog.screenRect();
    EXPECT_EQ(d.right - d.left, 523);
    EXPECT_EQ(d.bottom - d.top, 490);
    EXPECT_EQ(d.left, 100 + 858);
    EXPECT_EQ(d.top, 50);
}

TEST_F(OpenDialogTest, EveryControlAtItsRectangleWithItsText) {
    struct Case {
        int id;
        RECT rect; // left, top, right, bottom inside the parent
        const char* text;
    } cases[] = {
        {corvina::kTabControl, {-1, 0, 519, 464}, ""},
        {corvina::kHashLabel, {7, 27, 65, 51}, "输入HASH："},
        {corvina::kHashEdit, {69, 26, 319, 52}, OpenDialog::kSampleHash},
        {corvina::kSearchButton, {323, 24, 403, 54}, "寻找"},
        {corvina::kContinueButton, {408, 24, 513, 54}, "继续上次"},
        {corvina::kResultList, {5, 61, 512, 456}, ""},
        {corvina::kUrlEdit, {9, 40, 513, 80}, "请输入网络地址播放"},
        {corvina::kPlayUrlButton, {9, 88, 513, 184}, nullptr},
        {corvina::kUrlLabel, {9, 192, 513, 232}, "支持以下媒体文件传输协议(http/ftp/mms/rtsp/rtmp/hls等)"},
        {corvina::kFileEdit, {8, 36, 417, 76}, "请输入本地地址播放"},
        {corvina::kChooseFileButton, {425, 40, 505, 72}, nullptr},
        {corvina::kPlayFileButton, {8, 84, 512, 180}, nullptr},
        {corvina::kFileLabel, {8, 188, 512, 228}, "完美支持所有视频格式"},
    };
    for (const Case& c : cases) {
        HWND control = dialog.control(c.id);
        ASSERT_NE(control, nullptr) << c.id;
        RECT r = rectIn(control);
        EXPECT_EQ(r.left, c.rect.left) << c.id;
        EXPECT_EQ(r.top, c.rect.top) << c.id;
        EXPECT_EQ(r.right, c.rect.right) << c.id;
        EXPECT_EQ(r.bottom, c.rect.bottom) << c.id;
        if (c.text) {
            EXPECT_EQ(dialog.text(c.id), c.text) << c.id;
        }
    }
    EXPECT_EQ(std::string(OpenDialog::kSampleHash).size(), 40u);
}

TEST_F(OpenDialogTest, TabsAndTheirPages) {
    HWND tab = dialog.control(corvina::kTabControl);
    ASSERT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 3);
    const char* titles[] = {"磁力解析", "网络地址播放", "打开本地"};
    for (int i = 0; i < 3; ++i) {
        wchar_t buffer[64] = {};
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = buffer;
        item.cchTextMax = 64;
        SendMessageW(tab, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(corvina::wideToGbk(buffer), titles[i]);
    }
    EXPECT_TRUE(IsWindowVisible(dialog.control(corvina::kResultList)));
    EXPECT_FALSE(IsWindowVisible(dialog.control(corvina::kUrlEdit)));
    dialog.selectTab(1);
    EXPECT_FALSE(IsWindowVisible(dialog.control(corvina::kResultList)));
    EXPECT_TRUE(IsWindowVisible(dialog.control(corvina::kUrlEdit)));
    dialog.selectTab(2);
    EXPECT_TRUE(IsWindowVisible(dialog.control(corvina::kFileEdit)));
    EXPECT_FALSE(IsWindowVisible(dialog.control(corvina::kUrlEdit)));
}

TEST_F(OpenDialogTest, ResultListColumns) {
    HWND list = dialog.control(corvina::kResultList);
    struct Column {
        const char* title;
        int width;
    } columns[] = {{"序号", 50}, {"名称", 350}, {"大小", 100}, {"sh1", 200}};
    for (int i = 0; i < 4; ++i) {
        wchar_t buffer[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = buffer;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, i, reinterpret_cast<LPARAM>(&column)));
        EXPECT_EQ(corvina::wideToGbk(buffer), columns[i].title);
        EXPECT_EQ(column.cx, columns[i].width);
    }
    // Rows: append, fill, read back, select.
    EXPECT_EQ(dialog.rowCount(), 0);
    EXPECT_EQ(dialog.selectedRow(), -1);
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(dialog.appendRow(), r);
        dialog.setCell(r, 0, std::to_string(r));
        dialog.setCell(r, 1, "电影" + std::to_string(r) + ".mkv");
    }
    EXPECT_EQ(dialog.rowCount(), 3);
    EXPECT_EQ(dialog.cell(2, 1), "电影2.mkv");
    EXPECT_EQ(dialog.cell(5, 1), "");
    dialog.selectRow(1);
    EXPECT_EQ(dialog.selectedRow(), 1);
    dialog.selectRow(-1);
    EXPECT_EQ(dialog.selectedRow(), -1);
    dialog.clearRows();
    EXPECT_EQ(dialog.rowCount(), 0);
}

TEST_F(OpenDialogTest, ButtonsCallTheirActions) {
    // 按钮1 hands the untouched placeholder on like any other text.
    click(corvina::kPlayUrlButton);
    click(corvina::kPlayFileButton);
    dialog.setText(corvina::kUrlEdit, "http://127.0.0.1/a.mp4");
    click(corvina::kPlayUrlButton);
    using Played = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(
        recorded.played,
        (Played{{"请输入网络地址播放", ""}, {"请输入本地地址播放", ""}, {"http://127.0.0.1/a.mp4", ""}}));
    click(corvina::kSearchButton);
    click(corvina::kContinueButton);
    EXPECT_EQ(recorded.searches, 1);
    EXPECT_EQ(recorded.continues, 1);

    dialog.appendRow();
    NMITEMACTIVATE activate{};
    activate.hdr.hwndFrom = dialog.control(corvina::kResultList);
    activate.hdr.idFrom = corvina::kResultList;
    activate.hdr.code = NM_DBLCLK;
    activate.iItem = 0;
    SendMessageW(dialog.control(corvina::kTabControl), WM_NOTIFY, corvina::kResultList,
                 reinterpret_cast<LPARAM>(&activate));
    EXPECT_EQ(recorded.altResolves, 1);
}

TEST_F(OpenDialogTest, SearchAndContinueButtonsSideBySide) {
    HWND tab = dialog.control(corvina::kTabControl);
    HWND search = dialog.control(corvina::kSearchButton), resume = dialog.control(corvina::kContinueButton);
    // Neither covers the other, so both captions show; each takes the click
    // at its own centre.
    const RECT a = rectIn(search), b = rectIn(resume);
    RECT both{};
    EXPECT_FALSE(IntersectRect(&both, &a, &b));
    EXPECT_EQ(ChildWindowFromPointEx(tab, POINT{(a.left + a.right) / 2, (a.top + a.bottom) / 2}, CWP_SKIPINVISIBLE),
              search);
    EXPECT_EQ(ChildWindowFromPointEx(tab, POINT{(b.left + b.right) / 2, (b.top + b.bottom) / 2}, CWP_SKIPINVISIBLE),
              resume);
}

TEST_F(OpenDialogTest, ClickInUrlEditClearsOnlyThePlaceholder) {
    HWND edit = dialog.control(corvina::kUrlEdit);
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(dialog.text(corvina::kUrlEdit), "");
    dialog.setText(corvina::kUrlEdit, "rtsp://x");
    SendMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(dialog.text(corvina::kUrlEdit), "rtsp://x");
    // 编辑框2 has no such handler.
    HWND fileEdit = dialog.control(corvina::kFileEdit);
    SendMessageW(fileEdit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(fileEdit, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_EQ(dialog.text(corvina::kFileEdit), "请输入本地地址播放");
}

TEST_F(OpenDialogTest, CloseOnlyHides) {
    dialog.appendRow();
    dialog.setCell(0, 1, "keep");
    SendMessageW(dialog.hwnd(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(dialog.hwnd()));
    EXPECT_FALSE(IsWindowVisible(dialog.hwnd()));
    ShowWindow(dialog.hwnd(), SW_SHOWNOACTIVATE);
    EXPECT_EQ(dialog.cell(0, 1), "keep");
}

// Answers the file chooser from a second thread: waits until it is up, then
// acts again every 300 ms until it has gone (an early answer can be lost while
// the chooser is still setting itself up).
void answerChooser(const std::wstring& fileName, bool cancel) {
    const std::wstring title = corvina::gbkToWide("打开");
    HWND chooser = nullptr;
    for (int i = 0; i < 1500 && !(chooser && IsWindowVisible(chooser)); ++i) {
        chooser = FindWindowW(L"#32770", title.c_str());
        Sleep(20);
    }
    for (int attempt = 0; chooser && IsWindow(chooser) && attempt < 100; ++attempt) {
        if (!cancel) {
            // The file-name box of the chooser (cmb13, or edt1 in the old style).
            HWND name = GetDlgItem(chooser, 0x47C);
            if (!name)
                name = GetDlgItem(chooser, 0x480);
            SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fileName.c_str()));
        }
        PostMessageW(chooser, WM_COMMAND, cancel ? IDCANCEL : IDOK, 0);
        Sleep(300);
    }
}

TEST_F(OpenDialogTest, FileChooserFillsTheFileBoxAndCancelChangesNothing) {
    TempFolder folder;
    const std::wstring file = folder.file(corvina::gbkToWide("样片.mp4"));
    ASSERT_TRUE(writeFile(file, {1, 2, 3}));

    std::thread cancel(answerChooser, L"", true);
    dialog.chooseFile();
    cancel.join();
    EXPECT_EQ(dialog.text(corvina::kFileEdit), "请输入本地地址播放");

    std::thread choose(answerChooser, file, false);
    dialog.chooseFile();
    choose.join();
    EXPECT_EQ(dialog.text(corvina::kFileEdit), corvina::wideToGbk(file));
}

TEST(Skin, HueTurnsKeepLightness) {
    struct Case {
        COLORREF from;
        int degrees;
        COLORREF to;
    };
    const Case cases[] = {{RGB(255, 0, 0), 120, RGB(0, 255, 0)},  {RGB(255, 0, 0), -120, RGB(0, 0, 255)},
                          {RGB(0, 120, 215), 0, RGB(0, 120, 215)}, {RGB(0, 120, 215), 360, RGB(0, 120, 215)},
                          {RGB(80, 80, 80), 90, RGB(80, 80, 80)},   {RGB(255, 0, 0), 180, RGB(0, 255, 255)}};
    for (const Case& c : cases)
        EXPECT_EQ(corvina::turnHue(c.from, c.degrees), c.to) << c.degrees;
}

TEST_F(OpenDialogTest, TheSkinDrawsTheControlsDarkAndTheyStillWork) {
    corvina::Skin unknown;
    EXPECT_FALSE(unknown.attach(9, 0)); // no such skin: nothing is themed
    unknown.themeTree(dialog.hwnd());
    EXPECT_EQ(GetWindowLongPtrW(dialog.control(corvina::kSearchButton), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON);

    corvina::Skin skin;
    ASSERT_TRUE(skin.attach(1, 0));
    skin.themeTree(dialog.hwnd());
    SetWindowPos(dialog.hwnd(), HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    const corvina::Skin::Palette& p = skin.palette();
    auto at = [&](int id, int dx, int dy) {
        RECT r{};
        GetWindowRect(dialog.control(id), &r);
        return screenPixel(r.left + dx, r.top + dy);
    };
    auto closeTo = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) < 12 && std::abs(GetGValue(a) - GetGValue(b)) < 12 &&
               std::abs(GetBValue(a) - GetBValue(b)) < 12;
    };
    // Screen pixels are 0x00RRGGBB; the palette is COLORREF (0x00BBGGRR).
    auto colour = [](COLORREF screen) { return RGB(screen >> 16 & 0xFF, screen >> 8 & 0xFF, screen & 0xFF); };
    EXPECT_TRUE(waitFor([&] { return closeTo(colour(at(corvina::kContinueButton, 4, 4)), p.face); }))
        << std::hex << at(corvina::kContinueButton, 4, 4);
    EXPECT_TRUE(closeTo(colour(at(corvina::kResultList, 40, 200)), p.field)) << std::hex << at(corvina::kResultList, 40, 200);
    EXPECT_TRUE(closeTo(colour(at(corvina::kHashEdit, 240, 12)), p.field)) << std::hex << at(corvina::kHashEdit, 240, 12);
    EXPECT_TRUE(closeTo(colour(at(corvina::kHashLabel, 2, 2)), p.window)) << std::hex << at(corvina::kHashLabel, 2, 2);
    // The button's caption is light on the dark face.
    int light = 0;
    RECT b{};
    GetWindowRect(dialog.control(corvina::kContinueButton), &b);
    for (uint32_t px : grabScreen(b))
        if ((px & 0xFF) > 0xA0)
            ++light;
    EXPECT_GT(light, 10);

    // Themed, the controls do what they did.
    click(corvina::kContinueButton);
    EXPECT_EQ(recorded.continues, 1);
    dialog.selectTab(1);
    EXPECT_TRUE(IsWindowVisible(dialog.control(corvina::kUrlEdit)));
    SetWindowTextW(dialog.control(corvina::kUrlEdit), L"http://x/");
    click(corvina::kPlayUrlButton);
    ASSERT_EQ(recorded.played.size(), 1u);
    EXPECT_EQ(recorded.played[0].first, "http://x/");
}

} // namespace
