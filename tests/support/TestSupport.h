// Helpers shared by the tests: waiting on conditions with a bound, pumping
// messages, temporary folders, reading screen pixels.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Pumps this thread's messages until `done` holds or `timeoutMs` passes.
bool waitFor(const std::function<bool()>& done, int timeoutMs = 20000);
void pumpMessages(int forMs);

// A fresh empty folder, removed with its contents on destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& path() const { return path_; }
    std::wstring file(const std::wstring& name) const { return path_ + L"\\" + name; }

  private:
    std::wstring path_;
};

std::vector<uint8_t> readFile(const std::wstring& path);
bool writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);
bool fileExists(const std::wstring& path);
std::wstring binDirectory(); // where the test programs, Corvina.exe and the engine library are
// A file of the generated test media (tools/make-test-media.sh).
std::wstring mediaPath(const wchar_t* name);
// A path in the ANSI code page (GBK), as the engine takes it.
std::string gbkPath(const std::wstring& path);

// Screen pixels (0x00RRGGBB) of a rectangle, read back from the display.
std::vector<uint32_t> grabScreen(const RECT& rect);
COLORREF screenPixel(int x, int y);

// Milliseconds on the high-resolution clock, for measuring.
double nowMs();

// What this process holds, for telling a leak: its threads, and the bytes in
// use in its Windows heaps (the program's allocations and those of the
// platform's Windows-side libraries, large blocks included).
int threadCount();
double heapMegabytes();

// A program started by a test; ended on destruction if still running.
class ChildProcess {
  public:
    // Starts `folder`\`exe` with `arguments`, in `folder`.
    ChildProcess(const std::wstring& folder, const std::wstring& exe, const std::wstring& arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    bool started() const { return process_ != nullptr; }
    HANDLE process() const { return process_; }
    DWORD pid() const { return pid_; }
    // The exit code once the process has ended within the bound, or -1.
    int waitForExit(int timeoutMs) const;

  private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
};

// A plain top-level window to parent things in tests. Keep it hidden unless
// the test reads the screen: under Wine without a window manager, hiding or
// destroying a shown window waits two seconds for the manager that is not there.
class TestWindow {
  public:
    TestWindow(int x, int y, int width, int height, bool visible = true);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    HWND hwnd() const { return hwnd_; }

  private:
    HWND hwnd_ = nullptr;
};

} // namespace testing_support
