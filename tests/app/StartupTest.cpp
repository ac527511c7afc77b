// The real program, started from outside in an empty folder.
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>

using namespace testing_support;

namespace {

struct FoundWindows {
    DWORD pid = 0;
    HWND main = nullptr, video = nullptr, bar = nullptr, dialog = nullptr;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    auto* found = reinterpret_cast<FoundWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != found->pid)
        return TRUE;
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    const std::string text = corvina::wideToGbk(title);
    if (text == "Corvina")
        found->main = hwnd;
    else if (text == "文件打开方式")
        found->dialog = hwnd;
    return TRUE;
}

struct Owned {
    HWND owner;
    HWND result;
};

BOOL CALLBACK findOwned(HWND hwnd, LPARAM param) {
    auto* owned = reinterpret_cast<Owned*>(param);
    if (GetWindow(hwnd, GW_OWNER) == owned->owner) {
        owned->result = hwnd;
        return FALSE;
    }
    return TRUE;
}

FoundWindows findWindows(DWORD pid) {
    FoundWindows found;
    found.pid = pid;
    EnumWindows(&collect, reinterpret_cast<LPARAM>(&found));
    if (found.main) {
        // VideoWindow is owned by MainWindow, ControlBarWindow by VideoWindow.
        auto byOwner = [&](HWND owner) {
            Owned o{owner, nullptr};
            EnumWindows(&findOwned, reinterpret_cast<LPARAM>(&o));
            return o.result;
        };
        found.video = byOwner(found.main);
        if (found.video)
            found.bar = byOwner(found.video);
    }
    return found;
}

class RunningProgram : public ChildProcess {
  public:
    explicit RunningProgram(const std::wstring& folder, const std::wstring& arguments = L"")
        : ChildProcess(folder, L"Corvina.exe", arguments) {}
    bool waitForWindows(FoundWindows& found) {
        return waitFor(
            [&] {
                found = findWindows(pid());
                return found.main && found.video && found.bar && found.dialog &&
                       IsWindowVisible(found.main) && IsWindowVisible(found.dialog) &&
                       IsWindowVisible(found.video);
            },
            60000);
    }
};

std::wstring copyProgramTo(const TempFolder& folder) {
    CopyFileW((binDirectory() + L"\\Corvina.exe").c_str(), folder.file(L"Corvina.exe").c_str(), FALSE);
    return folder.path();
}

// The engine's video window inside VideoWindow.
constexpr wchar_t kEngineWindowClass[] = L"CorvinaEngineVideo";

RECT windowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

TEST(Startup, EmptyFolderGetsTheEngineAndTheFourWindowsInPlace) {
    TempFolder folder;
    copyProgramTo(folder);
    RunningProgram program(folder.path());
    ASSERT_TRUE(program.started());
    FoundWindows w;
    ASSERT_TRUE(program.waitForWindows(w));

    // The engine library was written from the program's own image, and so
    // were the decoding libraries it loads, with their licence and version.
    for (const wchar_t* name : {L"APlayerCaller.dll", L"avutil-57.dll", L"swresample-4.dll", L"swscale-6.dll",
                                L"avcodec-59.dll", L"avformat-59.dll"})
        EXPECT_EQ(readFile(folder.file(name)), readFile(binDirectory() + L"\\" + name))
            << corvina::wideToGbk(name);
    auto text = [&](const wchar_t* name) {
        const std::vector<uint8_t> bytes = readFile(folder.file(name));
        return std::string(bytes.begin(), bytes.end());
    };
    EXPECT_NE(text(L"COPYING.LGPLv2.1").find("LESSER GENERAL PUBLIC LICENSE"), std::string::npos);
    EXPECT_NE(text(L"ffmpeg-version.txt").find("FFmpeg 5.1"), std::string::npos);

    const RECT m = windowRect(w.main);
    EXPECT_EQ(m.right - m.left, 858);
    EXPECT_EQ(m.bottom - m.top, 496);
    const RECT v = windowRect(w.video);
    EXPECT_EQ(v.left, m.left + 6);
    EXPECT_EQ(v.top, m.top + 26);
    EXPECT_EQ(v.right - v.left, 858 - 12);
    EXPECT_EQ(v.bottom - v.top, 496 - 32);
    const RECT b = windowRect(w.bar);
    EXPECT_EQ(b.left, m.left + 5);
    EXPECT_EQ(b.bottom, m.bottom - 5);
    EXPECT_EQ(b.right - b.left, 858 - 10);
    EXPECT_EQ(b.bottom - b.top, 51);
    const RECT d = windowRect(w.dialog);
    EXPECT_EQ(d.left, m.right);
    EXPECT_EQ(d.top, m.top);

    // The engine's video window fills VideoWindow and shows the idle logo on black.
    HWND engineWindow = FindWindowExW(w.video, nullptr, kEngineWindowClass, nullptr);
    ASSERT_NE(engineWindow, nullptr);
    const RECT e = windowRect(engineWindow);
    EXPECT_EQ(e.right - e.left, v.right - v.left);
    EXPECT_EQ(e.bottom - e.top, v.bottom - v.top);
    const int cx = (e.left + e.right) / 2, cy = (e.top + e.bottom) / 2;
    EXPECT_TRUE(waitFor([&] { return screenPixel(e.left + 3, e.top + 3) == 0u; }));
    bool logoSeen = waitFor([&] {
        auto pixels = grabScreen(RECT{cx - 113, cy - 35, cx + 114, cy + 35});
        // The logo's blue badge (#2E8BFF).
        for (uint32_t p : pixels) {
            const int red = (p >> 16) & 0xFF, green = (p >> 8) & 0xFF, blue = p & 0xFF;
            if (red < 90 && green > 110 && green < 170 && blue > 220)
                return true;
        }
        return false;
    });
    EXPECT_TRUE(logoSeen);

    // MainWindow is a layered window showing its frame: the outline 4 pixels
    // in (room for the shadow), the title band and the title on it.
    EXPECT_TRUE(GetWindowLongPtrW(w.main, GWL_EXSTYLE) & WS_EX_LAYERED);
    EXPECT_TRUE(waitFor([&] { return screenPixel(m.left + 4, m.top + 200) == 0x464950u; }))
        << std::hex << screenPixel(m.left + 4, m.top + 200);
    EXPECT_TRUE(waitFor([&] { return screenPixel(m.right - 5, m.top + 200) == 0x464950u; }));
    const COLORREF band = screenPixel(m.left + 300, m.top + 12);
    EXPECT_GT(band & 0xFF, 0x20u) << std::hex << band;
    EXPECT_LT(band & 0xFF, 0x40u) << std::hex << band;
    int titlePixels = 0;
    for (uint32_t p : grabScreen(RECT{m.left + 6, m.top + 8, m.left + 70, m.top + 24}))
        if ((p & 0xFF) > 0x50)
            ++titlePixels;
    EXPECT_GT(titlePixels, 20);

    // Moving MainWindow takes the followers along, the hidden dialog included.
    SendMessageW(w.dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(w.dialog));
    EXPECT_FALSE(IsWindowVisible(w.dialog));
    SetWindowPos(w.main, nullptr, 20, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(
        waitFor([&] { return windowRect(w.dialog).left == 20 + 858 && windowRect(w.video).left == 26; }));
    EXPECT_EQ(windowRect(w.dialog).top, 30);
    EXPECT_EQ(windowRect(w.bar).left, 25);

    // Resizing to the minimum lays VideoWindow out at 758 x 448.
    SetWindowPos(w.main, nullptr, 0, 0, 770, 480, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    EXPECT_TRUE(waitFor([&] {
        RECT r = windowRect(w.video);
        return r.right - r.left == 758 && r.bottom - r.top == 448;
    }));
    RECT r = windowRect(engineWindow);
    EXPECT_EQ(r.right - r.left, 758);
    EXPECT_EQ(r.bottom - r.top, 448);

    // Any end other than the title-bar close runs the end routine: a clean exit.
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(30000), 0);
}

TEST(Startup, ExistingEngineLibraryIsNeverRewritten) {
    TempFolder folder;
    copyProgramTo(folder);
    const std::vector<uint8_t> foreign = {'n', 'o', 't', ' ', 'a', ' ', 'd', 'l', 'l'};
    ASSERT_TRUE(writeFile(folder.file(L"APlayerCaller.dll"), foreign));
    RunningProgram program(folder.path());
    FoundWindows w;
    ASSERT_TRUE(program.waitForWindows(w)); // the windows come up without an engine
    EXPECT_EQ(FindWindowExW(w.video, nullptr, kEngineWindowClass, nullptr), nullptr);
    EXPECT_EQ(readFile(folder.file(L"APlayerCaller.dll")), foreign);
}

// A press and a release at (x, y) of the main window's client area.
// The file names (lower case) of the modules loaded in process `pid`.
std::set<std::string> loadedModules(DWORD pid) {
    std::set<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
    if (snapshot == INVALID_HANDLE_VALUE)
        return names;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot, &entry); more; more = Module32NextW(snapshot, &entry)) {
        std::string name = corvina::wideToGbk(entry.szModule);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); });
        names.insert(name);
    }
    CloseHandle(snapshot);
    return names;
}

// What only some paths need is loaded when they are taken, not at the start:
// the network library (and the shell and sockets it brings), the file
// chooser's library and the media libraries cost every start tens of ms.
TEST(Startup, WindowsComeUpWithoutTheNetworkChooserOrMediaLibraries) {
    TempFolder folder;
    copyProgramTo(folder);
    RunningProgram program(folder.path());
    FoundWindows w;
    ASSERT_TRUE(program.waitForWindows(w));
    const std::set<std::string> loaded = loadedModules(program.pid());
    ASSERT_TRUE(loaded.count("aplayercaller.dll")) << "the listing must see the engine library";
    for (const char* later :
         {"wininet.dll", "comdlg32.dll", "avutil-57.dll", "avcodec-59.dll", "avformat-59.dll"})
        EXPECT_FALSE(loaded.count(later)) << later << " is loaded at the start";
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(30000), 0);
}

void clickAt(HWND window, int x, int y) {
    const LPARAM at = MAKELPARAM(x, y);
    PostMessageW(window, WM_MOUSEMOVE, 0, at);
    PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(window, WM_LBUTTONUP, 0, at);
}

// The system buttons sit 4 from the top right: close 39 wide, then maximise
// and minimise, 28 each; these are their centres from the right edge.
constexpr int kCloseFromRight = 4 + 19, kMaximiseFromRight = 4 + 39 + 14,
              kMinimiseFromRight = 4 + 39 + 28 + 14;

TEST(Startup, TitleBarCloseEndsTheProcessAtOnce) {
    TempFolder folder;
    copyProgramTo(folder);
    RunningProgram program(folder.path());
    FoundWindows w;
    ASSERT_TRUE(program.waitForWindows(w));
    const RECT m = windowRect(w.main);
    // The three buttons are drawn: light glyph pixels on the dark title band.
    for (int fromRight : {kCloseFromRight, kMaximiseFromRight, kMinimiseFromRight}) {
        EXPECT_TRUE(waitFor([&] {
            int light = 0;
            for (uint32_t p :
                 grabScreen(RECT{m.right - fromRight - 8, m.top + 6, m.right - fromRight + 8, m.top + 21}))
                if ((p & 0xFF) > 0xA0)
                    ++light;
            return light > 8;
        })) << fromRight;
    }
    clickAt(w.main, (m.right - m.left) - kCloseFromRight, 13);
    EXPECT_EQ(program.waitForExit(30000), 0);
}

TEST(Startup, SystemButtonsMinimiseMaximiseAndRestore) {
    TempFolder folder;
    copyProgramTo(folder);
    RunningProgram program(folder.path());
    FoundWindows w;
    ASSERT_TRUE(program.waitForWindows(w));
    const RECT before = windowRect(w.main);
    const int width = before.right - before.left;

    // Maximised, the visible frame (4 in from the window's edges) meets the work area.
    clickAt(w.main, width - kMaximiseFromRight, 13);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(w.main, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    ASSERT_TRUE(waitFor([&] {
        const RECT r = windowRect(w.main);
        return r.left == work.left - 4 && r.top == work.top - 4 && r.right == work.right + 4 &&
               r.bottom == work.bottom + 4;
    })) << windowRect(w.main).left
        << "," << windowRect(w.main).top << " " << windowRect(w.main).right;
    // The followers are laid out for the new size.
    EXPECT_TRUE(waitFor([&] { return windowRect(w.video).right == work.right + 4 - 6; }));

    // The restore button (where maximise was, at the new width) brings back
    // exactly the old rectangle.
    clickAt(w.main, (work.right - work.left + 8) - kMaximiseFromRight, 13);
    ASSERT_TRUE(waitFor([&] {
        const RECT r = windowRect(w.main);
        return EqualRect(&r, &before) != FALSE;
    }));

    clickAt(w.main, width - kMinimiseFromRight, 13);
    EXPECT_TRUE(waitFor([&] { return IsIconic(w.main) != FALSE; }));
    EXPECT_TRUE(IsWindow(w.main));

    PostMessageW(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.waitForExit(30000), 0);
}

// The program pointed at `server` for every service, started with a link
// for a swarm, so that its search begins at once.
struct SearchingProgram {
    TempFolder folder;
    std::unique_ptr<RunningProgram> program;
    explicit SearchingProgram(const LoopbackHttpServer& server) {
        const std::string host = "127.0.0.1:" + std::to_string(server.port());
        for (const char* name : {"CORVINA_INDEX_HOST", "CORVINA_RESOLVE_HOST", "CORVINA_CODE_HOST"})
            SetEnvironmentVariableA(name, host.c_str());
        copyProgramTo(folder);
        program = std::make_unique<RunningProgram>(
            folder.path(), L"velmarino://play/?hash=6A9759BFFD5C0AF65319979FB7832189F4F3C35D");
    }
};

TEST(Startup, ClosingWhileASearchWaitsOnASilentServerEndsWithin2s) {
    LoopbackHttpServer silent([](const HttpRequestSeen&) {
        HttpResponse r;
        r.stallBeforeHeadersMs = 600000;
        return r;
    });
    SearchingProgram p(silent);
    FoundWindows w;
    ASSERT_TRUE(p.program->waitForWindows(w));
    ASSERT_TRUE(waitFor([&] { return !silent.requests().empty(); }, 30000));
    const ULONGLONG closed = GetTickCount64();
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.program->waitForExit(5000), 0);
    EXPECT_LT(GetTickCount64() - closed, 2000u);
    silent.stop();
}

TEST(Startup, ClosingWhileTheListFillsEndsCleanly) {
    // A swarm of 20 000 files: the list is still filling when the close comes.
    std::string page = "{\"files\":";
    for (int i = 0; i < 20000; ++i)
        page += "[{\"index\":" + std::to_string(i) + ",\"name\":\"file " + std::to_string(i) +
                ".mp4\",\"size\":\"1.00 MB\",\"sha1\":\"" + std::string(40, 'A') + "\"}]";
    page += "}";
    LoopbackHttpServer index([&](const HttpRequestSeen&) {
        HttpResponse r;
        r.body = page;
        return r;
    });
    SearchingProgram p(index);
    FoundWindows w;
    ASSERT_TRUE(p.program->waitForWindows(w));
    HWND list = GetDlgItem(GetDlgItem(w.dialog, 100), 114);
    ASSERT_TRUE(waitFor([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) > 0; }, 30000));
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    EXPECT_EQ(p.program->waitForExit(5000), 0); // no fault: a fault's exit code is not 0
    index.stop();
}

} // namespace
