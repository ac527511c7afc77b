#include "OpenDialog.h"

#include "TextConvert.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <iterator>

namespace corvina {
namespace {

constexpr char kUrlPlaceholder[] = "请输入网络地址播放";
constexpr char kFilePlaceholder[] = "请输入本地地址播放";

struct DialogControl {
    int id;
    int tab; // the page it belongs to
    const wchar_t* windowClass;
    DWORD style;
    int x, y, width, height;
    const char* text;
};

// Rectangles are inside the tab control, as designed.
const DialogControl kControls[] = {
    {kHashLabel, 0, WC_STATICW, SS_LEFT | SS_CENTERIMAGE, 7, 27, 58, 24, "输入HASH："},
    {kHashEdit, 0, WC_EDITW, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 69, 26, 250, 26,
     OpenDialog::kSampleHash},
    // Side by side with a gap: over a wider search button, the continue
    // button covered the search button's caption.
    {kSearchButton, 0, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 323, 24, 80, 30, "寻找"},
    {kContinueButton, 0, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 408, 24, 105, 30, "继续上次"},
    {kResultList, 0, WC_LISTVIEWW,
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA | WS_BORDER | WS_TABSTOP, 5,
     61, 507, 395, ""},
    {kUrlEdit, 1, WC_EDITW, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 9, 40, 504, 40, kUrlPlaceholder},
    {kPlayUrlButton, 1, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 9, 88, 504, 96, "播放网络地址"},
    {kUrlLabel, 1, WC_STATICW, SS_LEFT, 9, 192, 504, 40,
     "支持以下媒体文件传输协议(http/ftp/mms/rtsp/rtmp/hls等)"},
    {kFileEdit, 2, WC_EDITW, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 8, 36, 409, 40, kFilePlaceholder},
    {kChooseFileButton, 2, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 425, 40, 80, 32, "浏览..."},
    {kPlayFileButton, 2, WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP, 8, 84, 504, 96, "播放本地文件"},
    {kFileLabel, 2, WC_STATICW, SS_LEFT, 8, 188, 504, 40, "完美支持所有视频格式"},
};

const char* const kTabs[] = {"磁力解析", "网络地址播放", "打开本地"};

struct ListColumn {
    const char* title;
    int width;
};
const ListColumn kColumns[] = {{"序号", 50}, {"名称", 350}, {"大小", 100}, {"sh1", 200}};

std::string windowText(HWND hwnd) {
    if (!hwnd)
        return {};
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n > 0 ? n : 0));
    return wideToGbk(text);
}

} // namespace

bool OpenDialog::load(HWND dockTo, OpenDialogActions actions) {
    if (loaded())
        return true;
    actions_ = std::move(actions);
    if (!createWindow(0, gbkToWide("文件打开方式"),
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, kWidth, kHeight, nullptr))
        return false;
    createControls();
    dock(dockTo);
    return true;
}

void OpenDialog::dock(HWND mainWindow) {
    if (!loaded() || !mainWindow)
        return;
    RECT m{};
    GetWindowRect(mainWindow, &m);
    SetWindowPos(hwnd(), nullptr, m.right, m.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void OpenDialog::createControls() {
    font_.reset(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH,
                            gbkToWide("微软雅黑").c_str()));
    const WPARAM font = reinterpret_cast<WPARAM>(font_.get());
    HINSTANCE instance = GetModuleHandleW(nullptr);

    HWND tab = CreateWindowExW(0, WC_TABCONTROLW, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, -1, 0, 520,
                               464, hwnd(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabControl)),
                               instance, nullptr);
    SendMessageW(tab, WM_SETFONT, font, FALSE);
    for (int i = 0; i < static_cast<int>(std::size(kTabs)); ++i) {
        std::wstring caption = gbkToWide(kTabs[i]);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageW(tab, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    // The pages' controls live on the tab control; it hands their notifications on.
    SetWindowSubclass(tab, &OpenDialog::forwardingProc, 1, reinterpret_cast<DWORD_PTR>(hwnd()));

    for (const DialogControl& c : kControls) {
        HWND child = CreateWindowExW(0, c.windowClass, gbkToWide(c.text).c_str(),
                                     WS_CHILD | WS_CLIPSIBLINGS | (c.tab == 0 ? WS_VISIBLE : 0) | c.style,
                                     c.x, c.y, c.width, c.height, tab,
                                     reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, font, FALSE);
    }

    HWND list = control(kResultList);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        std::wstring title = gbkToWide(kColumns[i].title);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        column.pszText = title.data();
        column.cx = kColumns[i].width;
        column.iSubItem = i;
        SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
    }
    SetWindowSubclass(control(kUrlEdit), &OpenDialog::urlEditProc, 2, 0);
}

HWND OpenDialog::control(int id) const {
    if (!loaded())
        return nullptr;
    if (id == kTabControl || id == kWebView)
        return GetDlgItem(hwnd(), id);
    return GetDlgItem(GetDlgItem(hwnd(), kTabControl), id);
}

std::string OpenDialog::text(int id) const {
    return windowText(control(id));
}

void OpenDialog::setText(int id, const std::string& gbk) {
    if (HWND c = control(id))
        SetWindowTextW(c, gbkToWide(gbk).c_str());
}

void OpenDialog::enable(int id, bool on) {
    if (HWND c = control(id))
        EnableWindow(c, on);
}

int OpenDialog::currentTab() const {
    return static_cast<int>(SendMessageW(control(kTabControl), TCM_GETCURSEL, 0, 0));
}

void OpenDialog::selectTab(int tab) {
    SendMessageW(control(kTabControl), TCM_SETCURSEL, tab, 0);
    showTabPage(tab);
}

void OpenDialog::showTabPage(int tab) {
    for (const DialogControl& c : kControls)
        ShowWindow(control(c.id), c.tab == tab ? SW_SHOW : SW_HIDE);
}

void OpenDialog::setListCount(size_t count) const {
    SendMessageW(control(kResultList), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
}

void OpenDialog::clearRows() {
    {
        std::lock_guard lock(rowsMutex_);
        rows_.clear();
    }
    SendMessageW(control(kResultList), LVM_DELETEALLITEMS, 0, 0);
    setListCount(0);
}

int OpenDialog::appendRow() {
    size_t count = 0;
    {
        std::lock_guard lock(rowsMutex_);
        rows_.emplace_back();
        count = rows_.size();
    }
    setListCount(count);
    return static_cast<int>(count) - 1;
}

void OpenDialog::appendRows(const std::vector<std::array<std::string, 4>>& rows) {
    if (!loaded() || rows.empty())
        return;
    size_t count = 0;
    {
        std::lock_guard lock(rowsMutex_);
        rows_.reserve(rows_.size() + rows.size());
        for (const std::array<std::string, 4>& cells : rows)
            rows_.push_back({gbkToWide(cells[0]), gbkToWide(cells[1]), gbkToWide(cells[2]), gbkToWide(cells[3])});
        count = rows_.size();
    }
    setListCount(count); // one message for the whole batch
}

void OpenDialog::setCell(int row, int column, const std::string& gbk) {
    if (column < 0 || column > 3)
        return;
    {
        std::lock_guard lock(rowsMutex_);
        if (row < 0 || row >= static_cast<int>(rows_.size()))
            return;
        rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = gbkToWide(gbk);
    }
    SendMessageW(control(kResultList), LVM_REDRAWITEMS, static_cast<WPARAM>(row), row);
}

std::string OpenDialog::cell(int row, int column) const {
    std::lock_guard lock(rowsMutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column > 3)
        return {};
    return wideToGbk(rows_[static_cast<size_t>(row)][static_cast<size_t>(column)]);
}

int OpenDialog::rowCount() const {
    std::lock_guard lock(rowsMutex_);
    return static_cast<int>(rows_.size());
}

void OpenDialog::answerCell(NMHDR* header) const {
    const bool wide = header->code == LVN_GETDISPINFOW;
    auto& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item; // the same layout for the ANSI form
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0)
        return;
    std::wstring text;
    {
        std::lock_guard lock(rowsMutex_);
        if (item.iItem >= 0 && item.iItem < static_cast<int>(rows_.size()) && item.iSubItem >= 0 && item.iSubItem < 4)
            text = rows_[static_cast<size_t>(item.iItem)][static_cast<size_t>(item.iSubItem)];
    }
    if (wide) {
        const size_t n = std::min(text.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(text.c_str(), n, item.pszText);
        item.pszText[n] = L'\0';
    } else {
        const std::string gbk = wideToGbk(text);
        char* out = reinterpret_cast<char*>(item.pszText);
        const size_t n = std::min(gbk.size(), static_cast<size_t>(item.cchTextMax - 1));
        std::copy_n(gbk.c_str(), n, out);
        out[n] = '\0';
    }
}

int OpenDialog::selectedRow() const {
    return static_cast<int>(
        SendMessageW(control(kResultList), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void OpenDialog::selectRow(int row) {
    HWND list = control(kResultList);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = 0;
    SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    if (row >= 0 && row < rowCount()) {
        item.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
        SendMessageW(list, LVM_ENSUREVISIBLE, row, FALSE);
    }
}

void OpenDialog::chooseFile() {
    std::wstring file(32768, L'\0');
    std::wstring title = gbkToWide("打开");
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = hwnd();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = title.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    const auto getOpenFileName = commonDialogs_.function<decltype(&GetOpenFileNameW)>("GetOpenFileNameW");
    if (!getOpenFileName || !getOpenFileName(&ofn))
        return; // cancelled: nothing changes
    file.resize(wcslen(file.c_str()));
    if (!file.empty())
        SetWindowTextW(control(kFileEdit), file.c_str());
}

void OpenDialog::onCommand(int id, int code) {
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kPlayUrlButton:
        if (actions_.playStream)
            actions_.playStream(text(kUrlEdit), "");
        break;
    case kPlayFileButton:
        if (actions_.playStream)
            actions_.playStream(text(kFileEdit), "");
        break;
    case kChooseFileButton:
        chooseFile();
        break;
    case kSearchButton:
        if (actions_.startSearch)
            actions_.startSearch();
        break;
    case kContinueButton:
        if (actions_.continueLastPlayback)
            actions_.continueLastPlayback();
        break;
    default:
        break;
    }
}

LRESULT OpenDialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CLOSE:
        ShowWindow(hwnd(), SW_HIDE); // the dialog keeps everything; the list button shows it again
        return 0;
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == kTabControl && header->code == TCN_SELCHANGE)
            showTabPage(currentTab());
        else if (header->idFrom == kResultList && header->code == NM_DBLCLK && actions_.resolveByAltServer)
            actions_.resolveByAltServer();
        else if (header->idFrom == kResultList && (header->code == LVN_GETDISPINFOW || header->code == LVN_GETDISPINFOA))
            answerCell(const_cast<NMHDR*>(header));
        return 0;
    }
    default:
        return PlainWindow::handleMessage(message, wParam, lParam);
    }
}

LRESULT CALLBACK OpenDialog::forwardingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR dialog) {
    if (message == WM_COMMAND || (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->hwndFrom != hwnd))
        return SendMessageW(reinterpret_cast<HWND>(dialog), message, wParam, lParam);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK OpenDialog::urlEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR) {
    if (message == WM_LBUTTONDOWN && windowText(hwnd) == kUrlPlaceholder)
        SetWindowTextW(hwnd, L"");
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

} // namespace corvina
