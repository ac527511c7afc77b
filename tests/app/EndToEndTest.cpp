// Black box: the real program, started with a launch link against the local
// swarm service, driven from outside through its windows.
#include "HttpClient.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "TextConvert.h"

#include <commctrl.h>

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

class Program : public ChildProcess {
  public:
    Program(const std::wstring& folder, const std::wstring& arguments)
        : ChildProcess(folder, L"Corvina.exe", arguments) {}

    HWND findTopLevel(const std::string& title) const {
        TopLevelSearch search{pid(), gbkToWide(title), nullptr};
        EnumWindows(&matchTopLevel, reinterpret_cast<LPARAM>(&search));
        return search.found;
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

TEST(EndToEnd, LaunchLinkSearchPlayAndContinueAfterRestart) {
    ASSERT_FALSE(servicePort().empty()) << "the swarm service is not running";
    const std::string host = "127.0.0.1:" + servicePort();
    for (const char* name : {"CORVINA_INDEX_HOST", "CORVINA_RESOLVE_HOST", "CORVINA_CODE_HOST"})
        SetEnvironmentVariableA(name, host.c_str());
    TempFolder folder;
    ASSERT_TRUE(
        CopyFileW((binDirectory() + L"\\Corvina.exe").c_str(), folder.file(L"Corvina.exe").c_str(), FALSE));

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

} // namespace
