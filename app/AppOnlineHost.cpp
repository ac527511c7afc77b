#include "AppOnlineHost.h"

#include "OpenDialog.h"
#include "PlayerEngine.h"
#include "TextConvert.h"

namespace corvina {

bool postStatusText(HWND mainWindow, const std::string& text) {
    auto copy = std::make_unique<std::string>(text);
    if (!mainWindow || !PostMessageW(mainWindow, kStatusTextMessage, 0, reinterpret_cast<LPARAM>(copy.get())))
        return false;
    copy.release(); // the window's now
    return true;
}

std::unique_ptr<std::string> takeStatusText(LPARAM lParam) {
    return std::unique_ptr<std::string>(reinterpret_cast<std::string*>(lParam));
}

void AppOnlineHost::setStatus(const std::string& text) {
    if (closing_)
        return;
 postStatusText(mainWindow_, text); }

void AppOnlineHost::showError(const std::string& text) {
    if (closing_)
        return;
    MessageBoxW(nullptr, gbkToWide(text).c_str(), gbkToWide("信息：").c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::string AppOnlineHost::hashFieldText() {
    if (closing_)
        return {};
    return dialog_.text(kHashEdit);
}
void AppOnlineHost::setHashFieldText(const std::string& text) {
    if (closing_)
        return;
    dialog_.setText(kHashEdit, text);
}
void AppOnlineHost::enableSearchButton(bool on) {
    if (closing_)
        return;
    dialog_.enable(kSearchButton, on);
}
void AppOnlineHost::enableResultList(bool on) {
    if (closing_)
        return;
    dialog_.enable(kResultList, on);
}
void AppOnlineHost::hideDialog() {
    if (closing_)
        return;
    ShowWindow(dialog_.hwnd(), SW_HIDE);
}
void AppOnlineHost::clearRows() {
    if (closing_)
        return;
    dialog_.clearRows();
}
int AppOnlineHost::appendRow() {
    if (closing_)
        return 0;
    return dialog_.appendRow();
}
void AppOnlineHost::setCell(int row, int column, const std::string& text) {
    if (closing_)
        return;
    dialog_.setCell(row, column, text);
}
std::string AppOnlineHost::cell(int row, int column) {
    if (closing_)
        return {};
    return dialog_.cell(row, column);
}
int AppOnlineHost::rowCount() {
    if (closing_)
        return 0;
    return dialog_.rowCount();
}
int AppOnlineHost::selectedRow() {
    if (closing_)
        return -1;
    return dialog_.selectedRow();
}
void AppOnlineHost::selectRow(int row) {
    if (closing_)
        return;
    dialog_.selectRow(row);
}

void AppOnlineHost::appendRows(const std::vector<Row>& rows) {
    if (closing_)
        return;
    dialog_.appendRows(rows);
}

void AppOnlineHost::openStream(const std::string& url, const std::string& cookie) {
    if (closing_)
        return;
    engine_.open(url);
    engine_.setConfig(1105, cookie); // also when empty: clears the previous one
}

void AppOnlineHost::setSubtitles(const std::string& url, const std::string& cookie) {
    if (closing_)
        return;
    engine_.setConfig(10004, cookie); // the subtitle file's own cookie, before its address
    engine_.setConfig(10001, url);
}

void AppOnlineHost::raiseMainWindow() {
    if (closing_)
        return;
    if (mainWindow_)
        SetWindowPos(mainWindow_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

} // namespace corvina
