#include "TestSupport.h"

#include "UniqueHandle.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

namespace testing_support {

void pumpMessages(int forMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(forMs);
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (GetTickCount64() >= end)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount64() < end);
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(timeoutMs);
    for (;;) {
        if (done())
            return true;
        if (GetTickCount64() >= end)
            return false;
        pumpMessages(20);
    }
}

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    static LONG counter = 0;
    for (;;) {
        path_ = std::wstring(base) + L"corvina-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(InterlockedIncrement(&counter));
        if (CreateDirectoryW(path_.c_str(), nullptr))
            break;
    }
}

TempFolder::~TempFolder() {
    std::wstring from = path_ + L'\0'; // double-zero terminated list
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

std::vector<uint8_t> readFile(const std::wstring& path) {
    corvina::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    if (!file)
        return {};
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    return bytes;
}

bool writeFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    corvina::UniqueHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring binDirectory() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring p(path, n);
    return p.substr(0, p.find_last_of(L"\\/"));
}

std::vector<uint32_t> grabScreen(const RECT& rect) {
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    std::vector<uint32_t> pixels(static_cast<size_t>(w > 0 ? w : 0) * (h > 0 ? h : 0));
    if (pixels.empty())
        return pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const auto* src = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = src[i] & 0x00FFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

COLORREF screenPixel(int x, int y) {
    RECT r{x, y, x + 1, y + 1};
    auto p = grabScreen(r);
    return p.empty() ? 0 : p[0];
}

double nowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

int threadCount() {
    corvina::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    if (!snapshot)
        return -1;
    const DWORD self = GetCurrentProcessId();
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == self;
    return count;
}

double heapMegabytes() {
    HANDLE heaps[64];
    const DWORD count = std::min<DWORD>(GetProcessHeaps(64, heaps), 64);
    double bytes = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                bytes += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return bytes / (1 << 20);
}

ChildProcess::ChildProcess(const std::wstring& folder, const std::wstring& exe,
                           const std::wstring& arguments) {
    const std::wstring path = folder + L"\\" + exe;
    std::wstring line = L"\"" + path + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(path.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                       &pi)) {
        process_ = pi.hProcess;
        CloseHandle(pi.hThread);
        pid_ = pi.dwProcessId;
    }
}

ChildProcess::~ChildProcess() {
    if (!process_)
        return;
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, 10000);
    }
    CloseHandle(process_);
}

int ChildProcess::waitForExit(int timeoutMs) const {
    if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    return static_cast<int>(code);
}

std::wstring mediaPath(const wchar_t* name) { return binDirectory() + L"\\..\\media\\" + name; }

std::string gbkPath(const std::wstring& path) {
    const int n = WideCharToMultiByte(936, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<size_t>(n > 0 ? n : 1), '\0');
    WideCharToMultiByte(936, 0, path.c_str(), -1, s.data(), n, nullptr, nullptr);
    s.resize(static_cast<size_t>(n > 0 ? n - 1 : 0));
    return s;
}

TestWindow::TestWindow(int x, int y, int width, int height, bool visible) {
    static const wchar_t* cls = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvinaTestWindow";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
        RegisterClassW(&wc);
        return L"CorvinaTestWindow";
    }();
    hwnd_ = CreateWindowExW(0, cls, L"test", WS_POPUP | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), x, y,
                            width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() {
    if (hwnd_)
        DestroyWindow(hwnd_);
}

} // namespace testing_support
