// player-bench: prints the whole program's figures, measured from outside on
// the real Corvina.exe. Not a test: it measures.
//   CPU of the program as a share of one core, idle with nothing open
//   the same while playing a 1280x720 30 fps local file, with the
//   picture-adjustment window hidden, and shown with its live preview on
//   the program's memory and GDI objects after 0.4 s and 40 s of live
//   preview
//   time from a right-arrow key on the paused picture to the first picture
//   at the new position on the screen (median of several)
//   a swarm of 20 000 files: time from the index page's answer to the last
//   row in the list, and the longest the main window took to answer meanwhile
// Usage: player-bench [seconds per CPU figure]   (or: player-bench list)
#include "LoopbackHttpServer.h"
#include "TestSupport.h"

#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

constexpr int kTabControl = 100, kFileEdit = 130, kPlayFileButton = 132; // the open dialog's controls

// Read until the end: /proc files say they are empty.
std::string readWhole(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    CloseHandle(file);
    return text;
}

// Under Wine the CPU times of another process are not reported (only the
// calling process's are), so the program's Unix process is read instead:
// found in /proc by its command line, which holds the program's own path.
struct ProgramCpu {
    std::wstring statPath; // Z:\proc\<pid>\stat, empty when not under Wine
    HANDLE process;

    ProgramCpu(HANDLE p, const std::wstring& exePath) : process(p) {
        const std::string wanted(exePath.begin(), exePath.end());
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW(L"Z:\\proc\\*", &found);
        if (find == INVALID_HANDLE_VALUE)
            return;
        do {
            const std::wstring name = found.cFileName;
            if (name.empty() || name.find_first_not_of(L"0123456789") != std::wstring::npos)
                continue;
            const std::string cmdline = readWhole(L"Z:\\proc\\" + name + L"\\cmdline");
            if (cmdline.find(wanted) != std::string::npos) {
                statPath = L"Z:\\proc\\" + name + L"\\stat";
                break;
            }
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }

    double ms() const {
        if (!statPath.empty()) {
            // Fields 14 and 15 (user, system) in clock ticks of 10 ms, after the ")" of the name.
            const std::string stat = readWhole(statPath);
            const size_t close = stat.rfind(')');
            if (close != std::string::npos) {
                const char* at = stat.c_str() + close + 2;
                char* end = nullptr;
                double fields[13] = {};
                for (double& f : fields) { // state .. stime
                    f = std::strtod(at, &end);
                    at = end && *end ? end + 1 : end;
                    if (!end)
                        break;
                }
                return (fields[11] + fields[12]) * 10.0;
            }
        }
        FILETIME created, exited, kernel, user;
        if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
            return 0;
        auto toMs = [](FILETIME t) {
            return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
        };
        return toMs(kernel) + toMs(user);
    }
};

// The program's resident memory in kB (VmRSS), 0 when unknown.
long residentKb(const ProgramCpu& cpu) {
    if (cpu.statPath.empty())
        return 0;
    std::wstring status = cpu.statPath;
    status.replace(status.size() - 4, 4, L"status");
    const std::string text = readWhole(status);
    const size_t at = text.find("VmRSS:");
    return at == std::string::npos ? 0 : std::strtol(text.c_str() + at + 6, nullptr, 10);
}

// The program's CPU over `seconds`, as a percentage of one core.
double cpuShare(const ProgramCpu& cpu, int seconds) {
    const double cpu0 = cpu.ms(), wall0 = nowMs();
    pumpMessages(seconds * 1000);
    return (cpu.ms() - cpu0) / (nowMs() - wall0) * 100.0;
}

struct Windows {
    DWORD pid;
    HWND main = nullptr, dialog = nullptr, video = nullptr;
};

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    auto* w = reinterpret_cast<Windows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != w->pid)
        return TRUE;
    wchar_t title[64] = {};
    GetWindowTextW(hwnd, title, 64);
    if (std::wstring(title) == L"Corvina")
        w->main = hwnd;
    else if (std::wstring(title) == L"\u6587\u4ef6\u6253\u5f00\u65b9\u5f0f") // 文件打开方式
        w->dialog = hwnd;
    return TRUE;
}

BOOL CALLBACK findVideo(HWND hwnd, LPARAM param) {
    auto* w = reinterpret_cast<Windows*>(param);
    if (w->main && GetWindow(hwnd, GW_OWNER) == w->main) {
        w->video = hwnd;
        return FALSE;
    }
    return TRUE;
}

std::vector<uint32_t> pictureSample(HWND video) {
    RECT v{};
    GetWindowRect(video, &v);
    const int cx = (v.left + v.right) / 2, cy = (v.top + v.bottom) / 2;
    return grabScreen(RECT{cx - 100, cy - 60, cx + 100, cy + 60});
}

// A second program, searching a swarm of 20 000 files on a local index.
int listFill() {
    constexpr int kRows = 20000;
    std::string page = "{\"files\":";
    for (int i = 0; i < kRows; ++i)
        page += "[{\"index\":" + std::to_string(i) + ",\"name\":\"file " + std::to_string(i) +
                ".mp4\",\"size\":\"1.00 MB\",\"sha1\":\"" + std::string(40, 'A') + "\"}]";
    page += "}";
    std::atomic<double> answeredAt{0};
    LoopbackHttpServer index([&](const HttpRequestSeen&) {
        HttpResponse r;
        r.body = page;
        answeredAt = nowMs();
        return r;
    });
    const std::string host = "127.0.0.1:" + std::to_string(index.port());
    for (const char* name : {"CORVINA_INDEX_HOST", "CORVINA_RESOLVE_HOST", "CORVINA_CODE_HOST"})
        SetEnvironmentVariableA(name, host.c_str());
    TempFolder folder;
    CopyFileW((binDirectory() + L"\\Corvina.exe").c_str(), folder.file(L"Corvina.exe").c_str(), FALSE);
    ChildProcess program(folder.path(), L"Corvina.exe",
                         L"velmarino://play/?hash=6A9759BFFD5C0AF65319979FB7832189F4F3C35D");
    Windows w{program.pid()};
    HWND list = nullptr;
    // The dialog is listed as soon as it exists; its list comes a moment later.
    if (!waitFor(
            [&] {
                EnumWindows(&collect, reinterpret_cast<LPARAM>(&w));
                list = w.dialog ? GetDlgItem(GetDlgItem(w.dialog, kTabControl), 114) : nullptr;
                return w.main && list && IsWindowVisible(w.dialog);
            },
            60000))
        return 1;
    double longest = 0, filledAt = 0;
    DWORD_PTR lastCount = 0;
    const double deadline = nowMs() + 60000;
    while (nowMs() < deadline) {
        const double asked = nowMs();
        DWORD_PTR rows = 0;
        SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &rows);
        lastCount = rows;
        if (answeredAt.load() > 0)
            longest = std::max(longest, nowMs() - asked);
        if (static_cast<int>(rows) >= kRows) {
            filledAt = nowMs();
            break;
        }
        Sleep(10);
    }
    if (filledAt == 0)
        std::printf("20 000 rows: the list did not fill within a minute (%lu rows, index asked: %s)\n",
                    static_cast<unsigned long>(lastCount), answeredAt.load() > 0 ? "yes" : "no");
    else
        std::printf(
            "20 000 rows: in the list %.0f ms after the index answered; the window answered within %.0f ms "
            "throughout\n",
            filledAt - answeredAt.load(), longest);
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    program.waitForExit(30000);
    index.stop();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "list")
        return listFill(); // the list figure alone
    const int seconds = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 8;
    TempFolder folder;
    CopyFileW((binDirectory() + L"\\Corvina.exe").c_str(), folder.file(L"Corvina.exe").c_str(), FALSE);
    ChildProcess program(folder.path(), L"Corvina.exe", L"");
    Windows w{program.pid()};
    if (!waitFor(
            [&] {
                EnumWindows(&collect, reinterpret_cast<LPARAM>(&w));
                EnumWindows(&findVideo, reinterpret_cast<LPARAM>(&w));
                return w.main && w.dialog && w.video && IsWindowVisible(w.main);
            },
            60000)) {
        std::printf("the program did not come up\n");
        return 1;
    }
    pumpMessages(2000); // start-up work settles
    const ProgramCpu cpu(program.process(), folder.file(L"Corvina.exe"));
    std::printf("CPU read from %ls\n", cpu.statPath.empty() ? L"the process times" : cpu.statPath.c_str());

    std::printf("program CPU, idle with nothing open: %.2f %% of one core (%d s)\n", cpuShare(cpu, seconds),
                seconds);

    // The local file tab: the path into its edit box, then its play button.
    const std::wstring movie = binDirectory() + L"\\..\\bench-media\\hd-minute.mp4";
    HWND tabs = GetDlgItem(w.dialog, kTabControl);
    SendMessageW(GetDlgItem(tabs, kFileEdit), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(movie.c_str()));
    PostMessageW(GetDlgItem(tabs, kPlayFileButton), BM_CLICK, 0, 0);
    HWND picture = FindWindowExW(w.video, nullptr, L"CorvinaEngineVideo", nullptr);
    if (!waitFor(
            [&] {
                const std::vector<uint32_t> a = pictureSample(w.video);
                Sleep(100);
                return a != pictureSample(w.video);
            },
            30000)) {
        std::printf("the movie did not play\n");
        return 1;
    }
    pumpMessages(500);
    std::printf("program CPU, playing 1280x720 30 fps: %.1f %% of one core (%d s; compare engine-bench's "
                "engine CPU per second of playback)\n",
                cpuShare(cpu, seconds), seconds);

    // Seek latency on the paused picture: key to the first changed picture.
    PostMessageW(picture, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    PostMessageW(picture, WM_LBUTTONUP, 0, MAKELPARAM(20, 20)); // pause
    waitFor([&] {
        const std::vector<uint32_t> a = pictureSample(w.video);
        Sleep(300);
        return a == pictureSample(w.video);
    });
    std::vector<double> latencies;
    for (int i = 0; i < 5; ++i) {
        // Back three times, then on twice.
        PostMessageW(picture, WM_KEYDOWN, i < 3 ? VK_LEFT : VK_RIGHT, 0);
        const std::vector<uint32_t> before = pictureSample(w.video);
        const double start = nowMs();
        if (!waitFor([&] { return pictureSample(w.video) != before; }, 10000))
            continue;
        latencies.push_back(nowMs() - start);
        pumpMessages(1200); // the state timer catches the seek bar up
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty())
        std::printf("key to picture: no picture changed\n");
    else
        std::printf("key (left/right arrow, paused) to the first picture at the new position: median %.0f ms "
                    "(%zu seeks, %.0f..%.0f ms)\n",
                    latencies[latencies.size() / 2], latencies.size(), latencies.front(), latencies.back());
    PostMessageW(picture, WM_KEYDOWN, VK_SPACE, 0); // playing again

    // The picture-adjustment window through the bar's adjust button (72 from
    // the bar's right end), then its live-preview box (194 + 8, 92 + 13).
    HWND bar = nullptr, preview = nullptr;
    Windows owned{program.pid()};
    owned.main = w.video;
    EnumWindows(&findVideo, reinterpret_cast<LPARAM>(&owned));
    bar = owned.video;
    RECT barRect{};
    GetWindowRect(bar, &barRect);
    const LPARAM adjust = MAKELPARAM(barRect.right - barRect.left - 72 + 8, 23 + 8);
    PostMessageW(bar, WM_MOUSEMOVE, 0, adjust);
    PostMessageW(bar, WM_LBUTTONDOWN, MK_LBUTTON, adjust);
    PostMessageW(bar, WM_LBUTTONUP, 0, adjust);
    waitFor([&] {
        Windows found{program.pid()};
        found.main = bar;
        EnumWindows(&findVideo, reinterpret_cast<LPARAM>(&found));
        preview = found.video;
        return preview && IsWindowVisible(preview);
    });
    if (!preview) {
        std::printf("the picture-adjustment window did not open\n");
        return 1;
    }
    const LPARAM box = MAKELPARAM(194 + 8, 92 + 13);
    PostMessageW(preview, WM_MOUSEMOVE, 0, box);
    PostMessageW(preview, WM_LBUTTONDOWN, MK_LBUTTON, box);
    PostMessageW(preview, WM_LBUTTONUP, 0, box);
    pumpMessages(400); // about 10 preview pictures
    const long memory10 = residentKb(cpu);
    const DWORD gdi10 = GetGuiResources(program.process(), GR_GDIOBJECTS);
    std::printf("program CPU, playing, live preview on: %.1f %% of one core (%d s)\n", cpuShare(cpu, seconds),
                seconds);
    pumpMessages(std::max(40000 - seconds * 1000 - 400, 0));
    std::printf("after 0.4 s and 40 s of live preview: resident memory %ld kB -> %ld kB, GDI objects %lu -> "
                "%lu (Wine's GetGuiResources always answers 0)\n",
                memory10, residentKb(cpu), gdi10, GetGuiResources(program.process(), GR_GDIOBJECTS));
    PostMessageW(w.main, WM_CLOSE, 0, 0);
    program.waitForExit(30000);
    return listFill();
}
