// Black box: the real program, started with a launch link against the local
// swarm service, driven from outside through its windows.
#include "HttpClient.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <commctrl.h>

#include <algorithm>

#include <gtest/gtest.h>

using namespace testing_support;
using corvina::gbkToWide;
using corvina::wideToGbk;

namespace {

constexpr char kHash[] = "6A9759BFFD5C0AF65319979FB7832189F4F3C35D";
constexpr int kResultList = 114, kContinueButton = 113, kTabControl = 100; // the dialog's control identifiers

std::string servicePort() {
    std::string port = readAll(binDirectory() + L"\\..\\e2e\\port");
    while (!port.empty() && (port.back() == '\n' || port.back() == '\r'))
        port.pop_back();
    return port;
}

std::string serviceRequests() {
    return corvina::bytesAsText(corvina::httpRequest("http://127.0.0.1:" + servicePort() + "/_requests"));
}

// Memory inside the program's process, for list-view messages that carry pointers.
class RemoteMemory {
  public:
    RemoteMemory(HANDLE process, size_t size) : process_(process) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteMemory() {
        if (address_)
            VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteMemory(const RemoteMemory&) = delete;
    RemoteMemory& operator=(const RemoteMemory&) = delete;
    void* address() const { return address_; }
    void write(const void* data, size_t size, size_t offset = 0) {
        WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }
    void read(void* data, size_t size, size_t offset = 0) const {
        ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }

  private:
    HANDLE process_;
    void* address_ = nullptr;
};

struct TopLevelSearch {
    DWORD pid;
    std::wstring title;
    HWND found;
};

BOOL CALLBACK matchTopLevel(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<TopLevelSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t text[64] = {};
    GetWindowTextW(hwnd, text, 64);
    if (pid == search->pid && search->title == text) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct OwnedSearch {
    DWORD pid;
    HWND owner;
    HWND found;
};

BOOL CALLBACK matchOwned(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<OwnedSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid && GetWindow(hwnd, GW_OWNER) == search->owner) {
        search->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

RECT rectOf(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

bool sameRect(const RECT& a, const RECT& b) {
    return EqualRect(&a, &b) != FALSE;
}

// The program's windows: the main window and the dialog by their titles,
// VideoWindow owned by the main window, the control bar by VideoWindow.
struct WindowSet {
    HWND main, dialog, video, bar;
};

class Program : public ChildProcess {
  public:
    Program(const std::wstring& folder, const std::wstring& arguments)
        : ChildProcess(folder, L"Corvina.exe", arguments) {}

    HWND findTopLevel(const std::string& title) const {
        TopLevelSearch search{pid(), gbkToWide(title), nullptr};
        EnumWindows(&matchTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // The program's top-level window owned by `owner`: VideoWindow is owned
    // by the main window, the control bar by VideoWindow.
    HWND ownedBy(HWND owner) const {
        OwnedSearch search{pid(), owner, nullptr};
        EnumWindows(&matchOwned, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    WindowSet windowSet() const {
        WindowSet set{findTopLevel("Corvina"), findTopLevel("文件打开方式"), nullptr, nullptr};
        set.video = set.main ? ownedBy(set.main) : nullptr;
        set.bar = set.video ? ownedBy(set.video) : nullptr;
        return set;
    }
    HWND list() const {
        HWND dialog = findTopLevel("文件打开方式");
        return dialog ? GetDlgItem(GetDlgItem(dialog, kTabControl), kResultList) : nullptr;
    }
    int rows() const { return static_cast<int>(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0)); }

    std::string cell(int row, int column) const {
        RemoteMemory memory(process(), sizeof(LVITEMW) + 1024 * sizeof(wchar_t));
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<wchar_t*>(static_cast<char*>(memory.address()) + sizeof(LVITEMW));
        item.cchTextMax = 1024;
        memory.write(&item, sizeof item);
        const LRESULT n =
            SendMessageW(list(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(memory.address()));
        std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
        memory.read(text.data(), text.size() * sizeof(wchar_t), sizeof(LVITEMW));
        return wideToGbk(text);
    }

    // Selects the row, then double-clicks it the way the mouse would.
    void doubleClick(int row) const {
        RemoteMemory memory(process(), sizeof(LVITEMW) + sizeof(RECT));
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        memory.write(&item, sizeof item);
        SendMessageW(list(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(memory.address()));
        RECT rect{LVIR_LABEL, 0, 0, 0};
        memory.write(&rect, sizeof rect, sizeof(LVITEMW));
        SendMessageW(list(), LVM_GETITEMRECT, row,
                     reinterpret_cast<LPARAM>(static_cast<char*>(memory.address()) + sizeof(LVITEMW)));
        memory.read(&rect, sizeof rect, sizeof(LVITEMW));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageW(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageW(list(), WM_LBUTTONUP, 0, at);
    }

    // A press and release at (x, y) of `window`'s client area.
    static void click(HWND window, int x, int y) {
        const LPARAM at = MAKELPARAM(x, y);
        PostMessageW(window, WM_MOUSEMOVE, 0, at);
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(window, WM_LBUTTONUP, 0, at);
    }

    void closeFromTitleBar() const {
        HWND main = findTopLevel("Corvina");
        RECT client{};
        GetClientRect(main, &client);
        const LPARAM at = MAKELPARAM(client.right - 4 - 11, 4 + 9);
        PostMessageW(main, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(main, WM_LBUTTONUP, 0, at);
        waitForExit(30000);
    }
};

std::string iniValue(const std::wstring& folder, const char* key) {
    wchar_t value[1024] = {};
    GetPrivateProfileStringW(gbkToWide("最后播放").c_str(), gbkToWide(key).c_str(), L"", value, 1024,
                             (folder + L"\\data.ini").c_str());
    return wideToGbk(value);
}

// Points the program at the swarm service and puts a copy of it in `folder`.
void prepare(const TempFolder& folder) {
    ASSERT_FALSE(servicePort().empty()) << "the swarm service is not running";
    const std::string host = "127.0.0.1:" + servicePort();
    for (const char* name : {"CORVINA_INDEX_HOST", "CORVINA_RESOLVE_HOST", "CORVINA_CODE_HOST"})
        SetEnvironmentVariableA(name, host.c_str());
    ASSERT_TRUE(
        CopyFileW((binDirectory() + L"\\Corvina.exe").c_str(), folder.file(L"Corvina.exe").c_str(), FALSE));
}

TEST(EndToEnd, LaunchLinkSearchPlayAndContinueAfterRestart) {
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(prepare(folder));

    std::string sha1;
    {
        Program program(folder.path(), gbkToWide(std::string("velmarino://play/?hash=") + kHash));
        ASSERT_TRUE(program.started());
        // The launch link's hash goes to the index, and the list shows the swarm's files.
        ASSERT_TRUE(waitFor([&] { return program.rows() == 2; }, 60000)) << serviceRequests();
        EXPECT_NE(serviceRequests().find(std::string("/info_hash/33/49/") + kHash), std::string::npos);
        EXPECT_EQ(program.cell(0, 0), "0");
        EXPECT_EQ(program.cell(0, 1), "1 第一集.mp4");
        EXPECT_EQ(program.cell(1, 1), "2 第二集.mp4");
        sha1 = program.cell(0, 3);
        ASSERT_EQ(sha1.size(), 40u);

        // A double-click resolves the row through the alternative server and
        // the engine asks for the stream with the "FTN5K=" cookie.
        program.doubleClick(0);
        ASSERT_TRUE(waitFor(
            [&] {
                const std::string seen = serviceRequests();
                return seen.find("/code.php/?sha1=" + sha1) != std::string::npos &&
                       seen.find("\"path\": \"/media/" + sha1 + "\", \"cookie\": \"FTN5K=") !=
                           std::string::npos;
            },
            60000))
            << serviceRequests();

        // The last movie is recorded, and the position while it plays.
        EXPECT_TRUE(waitFor([&] { return iniValue(folder.path(), "电影名称") == "0"; }));
        EXPECT_EQ(iniValue(folder.path(), "电影HASH"), kHash);
        EXPECT_TRUE(waitFor([&] { return !iniValue(folder.path(), "播放进度").empty(); }, 30000));
        program.closeFromTitleBar();
    }

    // After a restart, continue resolves the same row through the main path
    // and the engine goes to the stored position once it plays.
    WritePrivateProfileStringW(gbkToWide("最后播放").c_str(), gbkToWide("播放进度").c_str(), L"12000",
                               (folder.path() + L"\\data.ini").c_str());
    Program again(folder.path(), L"");
    ASSERT_TRUE(again.started());
    HWND dialog = nullptr;
    ASSERT_TRUE(waitFor(
        [&] { return (dialog = again.findTopLevel("文件打开方式")) != nullptr && IsWindowVisible(dialog); },
        60000));
    PostMessageW(GetDlgItem(GetDlgItem(dialog, kTabControl), kContinueButton), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitFor(
        [&] {
            const std::string seen = serviceRequests();
            return seen.find("/fx.php?hash=1%20%B5%DA%D2%BB%BC%AF.mp4&index=") != std::string::npos &&
                   seen.find("/code.php?sha1=" + sha1) != std::string::npos;
        },
        60000))
        << serviceRequests();
    EXPECT_TRUE(waitFor(
        [&] {
            const int position = std::atoi(iniValue(folder.path(), "播放进度").c_str());
            return position >= 12000 && position < 20000;
        },
        60000))
        << iniValue(folder.path(), "播放进度");
    again.closeFromTitleBar();
}

// A grab of the middle of the picture, to tell frames apart.
std::vector<uint32_t> pictureSample(HWND video) {
    const RECT v = rectOf(video);
    const int cx = (v.left + v.right) / 2, cy = (v.top + v.bottom) / 2;
    return grabScreen(RECT{cx - 120, cy - 80, cx + 120, cy + 80});
}

TEST(EndToEnd, ThePlayerWindowsTheBarAndFullScreen) {
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(prepare(folder));
    Program program(folder.path(), gbkToWide(std::string("velmarino://play/?hash=") + kHash));
    ASSERT_TRUE(waitFor([&] { return program.rows() == 2; }, 60000)) << serviceRequests();
    const WindowSet set = program.windowSet();
    ASSERT_TRUE(set.video && set.bar);
    HWND main = set.main, dialog = set.dialog, video = set.video, bar = set.bar;
    HWND picture = FindWindowExW(video, nullptr, L"CorvinaEngineVideo", nullptr);
    ASSERT_NE(picture, nullptr);

    // At the minimum size the picture and the bar fill the frame.
    SetWindowPos(main, nullptr, 100, 50, 770, 480, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(waitFor([&] {
        const RECT v = rectOf(video), b = rectOf(bar);
        return v.left == 106 && v.top == 76 && v.right - v.left == 758 && v.bottom - v.top == 448 &&
               b.left == 105 && b.top == 50 + 424 && b.right - b.left == 760 && b.bottom - b.top == 51;
    })) << rectOf(bar).left << "," << rectOf(bar).top << " " << rectOf(bar).right;

    // The first row plays (20 s of a moving test picture).
    program.doubleClick(0);
    ASSERT_TRUE(waitFor(
        [&] {
            const std::vector<uint32_t> a = pictureSample(video);
            Sleep(300);
            return a != pictureSample(video) && std::count(a.begin(), a.end(), 0u) < 1000;
        },
        60000));
    // Resolutions asked of the service so far.
    auto resolutions = [] {
        const std::string seen = serviceRequests();
        size_t n = 0;
        for (size_t at = seen.find("code.php"); at != std::string::npos; at = seen.find("code.php", at + 1))
            ++n;
        return n;
    };
    const size_t before = resolutions();

    // Previous on the first row does nothing; the bar's "next" plays row 1.
    // The bar is 760 wide: previous at 324, next at 402 (33 x 33, from y 12).
    Program::click(bar, 324 + 16, 12 + 16);
    Sleep(1000);
    EXPECT_EQ(resolutions(), before);

    // A quick click on the picture pauses it: the picture stands still.
    PostMessageW(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
    PostMessageW(picture, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    ASSERT_TRUE(waitFor([&] {
        const std::vector<uint32_t> a = pictureSample(video);
        Sleep(400);
        return a == pictureSample(video);
    }));
    // Right arrow seeks 3 s on: the paused picture changes once.
    const std::vector<uint32_t> paused = pictureSample(video);
    PostMessageW(picture, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_TRUE(waitFor([&] { return pictureSample(video) != paused; }));

    // Full screen: the picture covers the screen, the bar runs along its bottom.
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    PostMessageW(picture, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
    ASSERT_TRUE(waitFor([&] {
        const RECT v = rectOf(video), b = rectOf(bar);
        return v.left == 0 && v.top == 0 && v.right == width && v.bottom == height && b.left == -1 &&
               b.right == width + 1 && b.bottom == height;
    }));
    // The pointer high up fades the bar out; down at the bottom, back in.
    SetCursorPos(width / 2, 100);
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(bar); }, 30000));
    SetCursorPos(width / 2, height - 5);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(bar) != FALSE; }, 30000));
    // Moving the main window now moves only the docked dialog.
    SetWindowPos(main, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(waitFor([&] { return rectOf(dialog).left == 30 + 770 && rectOf(dialog).top == 40; }));
    EXPECT_EQ(rectOf(video).left, 0);
    EXPECT_EQ(rectOf(bar).left, -1);

    // Leaving puts both back over the main window, the bar whole.
    SetCursorPos(width / 2, 100);
    PostMessageW(picture, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(50, 50));
    ASSERT_TRUE(waitFor([&] {
        const RECT v = rectOf(video), b = rectOf(bar);
        return v.left == 36 && v.top == 66 && v.right - v.left == 758 && b.left == 35 && b.top == 40 + 424 &&
               IsWindowVisible(bar);
    }, 30000));

    // The adjust button opens the picture-adjustment window, owned by the
    // bar; its close button hides it, and the next press shows the same one.
    Program::click(bar, 760 - 72 + 8, 23 + 8);
    HWND adjust = nullptr;
    ASSERT_TRUE(waitFor([&] { return (adjust = program.ownedBy(bar)) != nullptr && IsWindowVisible(adjust); }));
    const RECT a = rectOf(adjust);
    EXPECT_EQ(a.right - a.left, 390);
    EXPECT_EQ(a.bottom - a.top, 254);
    Program::click(adjust, 390 - 4 - 21, 4 + 10); // the close button (skin 1: 42 wide, one lower and left)
    EXPECT_TRUE(waitFor([&] { return !IsWindowVisible(adjust); }));
    Program::click(bar, 760 - 72 + 8, 23 + 8);
    EXPECT_TRUE(waitFor([&] { return IsWindowVisible(adjust) != FALSE; }));
    EXPECT_EQ(program.ownedBy(bar), adjust);

    // Next plays the second row: its file is resolved.
    Program::click(bar, 402 + 16, 12 + 16);
    const std::string sha1 = program.cell(1, 3);
    EXPECT_TRUE(waitFor([&] { return serviceRequests().find("sha1=" + sha1) != std::string::npos; }, 60000))
        << serviceRequests();
    program.closeFromTitleBar();
}

// A press and release of the real pointer at (x, y) on the screen, through
// the input the window system delivers to whatever window lies there.
void pointerClick(int x, int y) {
    SetCursorPos(x, y);
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_MOUSE;
    input[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof(INPUT));
}

// True when `upper` lies above `lower` in the z-order.
bool isAbove(HWND upper, HWND lower) {
    for (HWND h = GetWindow(lower, GW_HWNDPREV); h; h = GetWindow(h, GW_HWNDPREV))
        if (h == upper)
            return true;
    return false;
}

// Maximise and restore from the title bar's buttons keep the picture and the
// bar above the main window, on screen too, and so does a click on the
// picture with the adjustment window open; minimise takes the picture, the
// bar and the dialog along, and a click on the minimised window brings all
// of them back in their places and order.
TEST(EndToEnd, TheWindowSetStaysOnePieceThroughMaximiseRestoreAndMinimise) {
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(prepare(folder));
    Program program(folder.path(), gbkToWide(std::string("velmarino://play/?hash=") + kHash));
    ASSERT_TRUE(waitFor([&] { return program.rows() == 2; }, 60000)) << serviceRequests();
    const WindowSet set = program.windowSet();
    ASSERT_TRUE(set.video && set.bar && set.dialog);
    HWND main = set.main, video = set.video, bar = set.bar, dialog = set.dialog;
    const RECT m = rectOf(main), v = rectOf(video), b = rectOf(bar), d = rectOf(dialog);
    auto stacked = [&] { return isAbove(video, main) && isAbove(bar, video); };
    ASSERT_TRUE(stacked());
    // What the screen shows of the bar, and of the picture's corner (black
    // around the idle logo, the frame's colour where the main window covers it).
    // Taken once the bar has settled: the same for over a second, longer
    // than the start-up's stacking checks run.
    std::vector<uint32_t> barPixels;
    ASSERT_TRUE(waitFor([&] {
        barPixels = grabScreen(b);
        pumpMessages(1200);
        return barPixels == grabScreen(b);
    }));
    auto pictureCorner = [&] {
        const RECT now = rectOf(video);
        return grabScreen(RECT{now.left + 2, now.top + 2, now.left + 12, now.top + 12});
    };
    const std::vector<uint32_t> corner = pictureCorner();

    // The dialog active, as after choosing a movie in it: the click on the
    // maximise button activates the main window too.
    pointerClick(d.left + 100, d.top + 10);
    ASSERT_TRUE(waitFor([&] { return GetForegroundWindow() == dialog; }));
    pointerClick(m.right - 57, m.top + 14); // maximise
    ASSERT_TRUE(waitFor([&] { return rectOf(main).right - rectOf(main).left > m.right - m.left; }));
    EXPECT_TRUE(waitFor([&] { return stacked() && pictureCorner() == corner; }));
    const RECT big = rectOf(main);
    pointerClick(big.right - 57, big.top + 14); // restore
    ASSERT_TRUE(waitFor([&] { return sameRect(m, rectOf(main)); }));
    EXPECT_TRUE(waitFor([&] { return stacked() && grabScreen(b) == barPixels && pictureCorner() == corner; }));
    EXPECT_TRUE(waitFor([&] { return sameRect(d, rectOf(dialog)); }));

    // The picture-adjustment window from the bar's button, then a click on
    // the picture: the adjustment window stays above the bar, the bar above
    // the picture, and none of them above other programs' windows.
    pointerClick(b.right - 64, b.top + 31);
    HWND adjust = nullptr;
    ASSERT_TRUE(waitFor([&] { return (adjust = program.ownedBy(bar)) != nullptr && IsWindowVisible(adjust); }));
    const RECT a = rectOf(adjust);
    EXPECT_TRUE(waitFor([&] { return isAbove(adjust, bar) && stacked(); }));
    // The pointer where it will click, clear of the adjustment window (which
    // is centred) and of its controls' hover; then the window as it settles
    // on the screen.
    const POINT onPicture{v.left + 40, v.top + 40};
    SetCursorPos(onPicture.x, onPicture.y);
    std::vector<uint32_t> adjustPixels;
    ASSERT_TRUE(waitFor([&] {
        adjustPixels = grabScreen(a);
        pumpMessages(300);
        const uint32_t title = grabScreen(RECT{a.left + 200, a.top + 12, a.left + 201, a.top + 13})[0];
        return (title & 0xFFFFFF) != 0 && adjustPixels == grabScreen(a); // shown, over the black picture

    }));
    pointerClick(onPicture.x, onPicture.y);
    pumpMessages(500);
    EXPECT_TRUE(waitFor([&] { return isAbove(adjust, bar) && stacked(); }));
    EXPECT_TRUE(waitFor([&] { return grabScreen(a) == adjustPixels && grabScreen(b) == barPixels; }));
    for (HWND w : {main, video, bar, adjust})
        EXPECT_FALSE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOPMOST);
    pointerClick(a.right - 4 - 21, a.top + 4 + 10); // its close button
    ASSERT_TRUE(waitFor([&] { return !IsWindowVisible(adjust); }));

    pointerClick(m.right - 85, m.top + 14); // minimise
    ASSERT_TRUE(waitFor([&] { return IsIconic(main) != FALSE; }));
    EXPECT_TRUE(waitFor(
        [&] { return !IsWindowVisible(video) && !IsWindowVisible(bar) && !IsWindowVisible(dialog); }));

    const RECT icon = rectOf(main);
    pointerClick((icon.left + icon.right) / 2, (icon.top + icon.bottom) / 2);
    ASSERT_TRUE(waitFor([&] { return !IsIconic(main) && IsWindowVisible(bar) && IsWindowVisible(dialog); }));
    const RECT m2 = rectOf(main), v2 = rectOf(video), b2 = rectOf(bar), d2 = rectOf(dialog);
    EXPECT_TRUE(sameRect(m, m2) && sameRect(v, v2) && sameRect(b, b2) && sameRect(d, d2));
    EXPECT_TRUE(waitFor(stacked));
    EXPECT_TRUE(waitFor([&] { return grabScreen(b) == barPixels; }));
    EXPECT_TRUE(waitFor([&] { return pictureCorner() == corner; }));
    program.closeFromTitleBar();
}

// A swarm that holds a movie and its subtitles: playing the movie also
// resolves the subtitle file, fetches it with its cookie and shows its text.
TEST(EndToEnd, AMoviesSubtitlesFromTheSwarmAreFetchedWithTheirCookieAndShown) {
    TempFolder folder;
    ASSERT_NO_FATAL_FAILURE(prepare(folder));
    Program program(folder.path(), L"velmarino://play/?hash=5B1D4E0C8F2A7B6D9E3C1A0F2B4D6E8A0C2E4F61");
    ASSERT_TRUE(waitFor([&] { return program.rows() == 2; }, 60000)) << serviceRequests();
    ASSERT_EQ(program.cell(0, 1), "3 第三集.chs.srt");
    ASSERT_EQ(program.cell(1, 1), "3 第三集.mp4");
    const std::string subtitleSha1 = program.cell(0, 3), movieSha1 = program.cell(1, 3);
    HWND video = program.ownedBy(program.findTopLevel("Corvina"));
    HWND picture = FindWindowExW(video, nullptr, L"CorvinaEngineVideo", nullptr);
    ASSERT_NE(picture, nullptr);

    program.doubleClick(1);
    ASSERT_TRUE(waitFor(
        [&] {
            const std::string seen = serviceRequests();
            return seen.find("\"path\": \"/media/" + movieSha1 + "\", \"cookie\": \"FTN5K=") !=
                       std::string::npos &&
                   seen.find("/code.php/?sha1=" + subtitleSha1) != std::string::npos &&
                   seen.find("\"path\": \"/media/" + subtitleSha1 + "\", \"cookie\": \"FTN5K=") !=
                       std::string::npos;
        },
        60000))
        << serviceRequests();
    // Near-white text in the bottom fifth of the picture (the movie's colour bars have none).
    EXPECT_TRUE(waitFor([&] {
        RECT r = rectOf(picture);
        r.top = r.bottom - (r.bottom - r.top) / 5;
        int white = 0;
        for (uint32_t p : grabScreen(r))
            white += ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) > 200 && (p & 0xFF) > 200;
        return white > 30;
    }));
    program.closeFromTitleBar();
}

} // namespace
