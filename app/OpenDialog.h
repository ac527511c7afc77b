// The open dialog: where the user names what to play (a swarm by info-hash or
// magnet link, a network address or a local file). Docked to MainWindow's
// right edge; closing only hides it.
#pragma once

#include "PlainWindow.h"
#include "SystemModule.h"
#include "UniqueGdiObject.h"

#include <array>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace corvina {

// Control identifiers (GetDlgCtrlID). The tab pages' controls are children of
// the tab control; the tab control and the web view are children of the dialog.
enum OpenDialogControl : int {
    kTabControl = 100,       // 选择夹1
    kWebView = 101,          // 超文本浏览框1
    kHashLabel = 110,        // 标签_输入HASH
    kHashEdit = 111,         // 编辑框_输入HASH
    kSearchButton = 112,     // 按钮_寻找资源
    kContinueButton = 113,   // 按钮_继续上次播放
    kResultList = 114,       // 超级列表框_磁力返回
    kUrlEdit = 120,          // 编辑框1
    kPlayUrlButton = 121,    // 按钮1
    kUrlLabel = 122,         // 标签1
    kFileEdit = 130,         // 编辑框2
    kChooseFileButton = 131, // 按钮3
    kPlayFileButton = 132,   // 按钮2
    kFileLabel = 133,        // 标签2
};

// What the dialog's buttons start. An empty function does nothing.
struct OpenDialogActions {
    std::function<void(const std::string& url, const std::string& cookie)> playStream;
    std::function<void()> startSearch;
    std::function<void()> continueLastPlayback;
    std::function<void()> resolveByAltServer;
};

class OpenDialog : public PlainWindow {
  public:
    static constexpr int kWidth = 523;
    static constexpr int kHeight = 490;
    static constexpr char kSampleHash[] = "6A9759BFFD5C0AF65319979FB7832189F4F3C35D";

    // Loads the dialog (once) and runs its created step: docks it to `dockTo`.
    [[nodiscard]] bool load(HWND dockTo, OpenDialogActions actions);
    // Moves the dialog to MainWindow's right edge, shown or hidden.
    void dock(HWND mainWindow);

    HWND control(int id) const;
    std::string text(int id) const;
    void setText(int id, const std::string& gbk);
    void enable(int id, bool on);
    int currentTab() const;
    void selectTab(int tab);

    // The result list: a list view that holds no text of its own and asks
    // the dialog for each cell it shows (so a swarm of thousands of files
    // fills at once). The standard list-view messages read it as any list.
    // Any thread: the rows are guarded, the list is told by synchronous
    // messages to the dialog's thread.
    void clearRows();
    int appendRow(); // the new row's index
    void appendRows(const std::vector<std::array<std::string, 4>>& rows);
    void setCell(int row, int column, const std::string& gbk);
    std::string cell(int row, int column) const;
    int rowCount() const;
    int selectedRow() const; // -1 for none
    void selectRow(int row); // -1 clears the selection

    // The file chooser (按钮3): the chosen file goes into 编辑框2.
    void chooseFile();

  protected:
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void createControls();
    void showTabPage(int tab);
    void onCommand(int id, int code);
    static LRESULT CALLBACK forwardingProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK urlEditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    // Fills a cell the list asks for (LVN_GETDISPINFO, wide or ANSI).
    void answerCell(NMHDR* header) const;
    // The list told it now holds `count` rows.
    void setListCount(size_t count) const;

    OpenDialogActions actions_;
    UniqueGdiObject<HFONT> font_;
    // The file chooser's library: only a user who browses for a file needs it,
    // and importing it would make every start some 30 ms slower.
    SystemModule commonDialogs_{L"comdlg32.dll"};
    mutable std::mutex rowsMutex_;
    std::vector<std::array<std::wstring, 4>> rows_;
};

} // namespace corvina
