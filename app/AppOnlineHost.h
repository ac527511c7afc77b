// The online features' view of the program: the open dialog, the status line,
// the engine and the main window. Safe from worker threads: every window
// operation is a synchronous message to the window thread.
#pragma once

#include "OnlineHost.h"

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>

namespace corvina {

class OpenDialog;
class PlayerEngine;

// Posted to the main window with an owned `std::string*` (GBK) in lParam: the
// status line shows it on the window thread. Posting never waits on the
// window thread, so a worker cannot block on it.
inline constexpr UINT kStatusTextMessage = WM_APP + 20;
// Posts a copy of `text`; false (nothing posted) when the window is gone.
bool postStatusText(HWND mainWindow, const std::string& text);
// The text of a kStatusTextMessage, taken over from its lParam.
std::unique_ptr<std::string> takeStatusText(LPARAM lParam);

class AppOnlineHost : public OnlineHost {
  public:
    AppOnlineHost(OpenDialog& dialog, PlayerEngine& engine) : dialog_(dialog), engine_(engine) {}
    void attach(HWND mainWindow) { mainWindow_ = mainWindow; }
    // The program is ending: from now on no operation touches a window
    // (workers that are still running get empty answers).
    void close() { closing_ = true; }

    void setStatus(const std::string& text) override;
    void showError(const std::string& text) override;
    std::string hashFieldText() override;
    void setHashFieldText(const std::string& text) override;
    void enableSearchButton(bool on) override;
    void enableResultList(bool on) override;
    void hideDialog() override;
    void clearRows() override;
    int appendRow() override;
    void setCell(int row, int column, const std::string& text) override;
    std::string cell(int row, int column) override;
    int rowCount() override;
    int selectedRow() override;
    void selectRow(int row) override;
    void appendRows(const std::vector<Row>& rows) override;
    void openStream(const std::string& url, const std::string& cookie) override;
    void setSubtitles(const std::string& url, const std::string& cookie) override;
    void raiseMainWindow() override;

  private:
    OpenDialog& dialog_;
    PlayerEngine& engine_;
    HWND mainWindow_ = nullptr;
    std::atomic<bool> closing_{false};
};

} // namespace corvina
