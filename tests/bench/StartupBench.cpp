// startup-bench: how long the real Corvina.exe takes from process start to a
// visible main window, against a minimal program that shows one window,
// started the same way in the same prefix, runs taking turns.
// Usage: startup-bench [runs] [other Corvina.exe]   (default 9 runs)
// With another build's Corvina.exe (a Windows path), that one takes its turns
// too, from a folder of its own, for comparing two builds under the same load.
#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct Search {
    DWORD pid;
    const wchar_t* title;
    HWND found = nullptr;
};

BOOL CALLBACK match(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t title[64] = {};
    if (pid == s->pid && IsWindowVisible(hwnd) && GetWindowTextW(hwnd, title, 64) > 0 &&
        std::wstring(title) == s->title) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Milliseconds from CreateProcess to the titled window being visible, or -1.
double timeToWindow(const std::wstring& folder, const wchar_t* exe, const wchar_t* title) {
    const double start = nowMs();
    ChildProcess program(folder, exe, L"");
    if (!program.started())
        return -1;
    Search s{program.pid(), title};
    while (!s.found && nowMs() - start < 30000) {
        EnumWindows(&match, reinterpret_cast<LPARAM>(&s));
        if (!s.found)
            Sleep(1);
    }
    const double elapsed = nowMs() - start;
    if (!s.found)
        return -1;
    PostMessageW(s.found, WM_CLOSE, 0, 0);
    program.waitForExit(10000);
    return elapsed;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(std::atoi(argv[1]), 1) : 9;
    TempFolder folder;
    const std::wstring bin = binDirectory();
    CopyFileW((bin + L"\\Corvina.exe").c_str(), folder.file(L"Corvina.exe").c_str(), FALSE);
    CopyFileW((bin + L"\\minimal-window.exe").c_str(), folder.file(L"minimal-window.exe").c_str(), FALSE);
    // Once each first: the program writes its engine library next to itself,
    // and both get their DLLs into the cache.
    timeToWindow(folder.path(), L"Corvina.exe", L"Corvina");
    timeToWindow(folder.path(), L"minimal-window.exe", L"minimal");
    TempFolder otherFolder;
    const bool compare = argc > 2;
    if (compare) {
        const std::string other = argv[2];
        if (!CopyFileA(other.c_str(), gbkPath(otherFolder.file(L"Corvina.exe")).c_str(), FALSE)) {
            std::printf("cannot copy %s\n", other.c_str());
            return 1;
        }
        timeToWindow(otherFolder.path(), L"Corvina.exe", L"Corvina");
    }
    std::vector<double> program, minimal, otherProgram;
    for (int i = 0; i < runs; ++i) {
        program.push_back(timeToWindow(folder.path(), L"Corvina.exe", L"Corvina"));
        minimal.push_back(timeToWindow(folder.path(), L"minimal-window.exe", L"minimal"));
        if (compare)
            otherProgram.push_back(timeToWindow(otherFolder.path(), L"Corvina.exe", L"Corvina"));
    }
    std::printf("startup-bench, %d runs each, taking turns\n", runs);
    std::printf("Corvina.exe to a visible main window: median %.0f ms (fastest %.0f, slowest %.0f)\n",
                median(program), *std::min_element(program.begin(), program.end()),
                *std::max_element(program.begin(), program.end()));
    std::printf("minimal program to its window:       median %.0f ms (fastest %.0f, slowest %.0f)\n",
                median(minimal), *std::min_element(minimal.begin(), minimal.end()),
                *std::max_element(minimal.begin(), minimal.end()));
    std::printf("ratio of the medians: %.2f\n", median(program) / median(minimal));
    if (compare)
        std::printf(
            "the other build:                      median %.0f ms (fastest %.0f, slowest %.0f), ratio "
            "%.2f\n",
            median(otherProgram), *std::min_element(otherProgram.begin(), otherProgram.end()),
            *std::max_element(otherProgram.begin(), otherProgram.end()),
            median(otherProgram) / median(minimal));
    return 0;
}
