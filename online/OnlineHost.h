// What the online features need from the program's windows and engine. Every
// operation may be called from a worker thread; implementations make each one
// a synchronous call into the window thread (or are thread-safe themselves).
#pragma once

#include <array>
#include <string>
#include <vector>

namespace corvina {

class OnlineHost {
  public:
    virtual ~OnlineHost() = default;

    // The status line.
    virtual void setStatus(const std::string& text) = 0;
    // A message box without owner, task-modal, with the error icon; returns when closed.
    virtual void showError(const std::string& text) = 0;

    // The open dialog.
    virtual std::string hashFieldText() = 0;
    virtual void setHashFieldText(const std::string& text) = 0;
    virtual void enableSearchButton(bool on) = 0;
    virtual void enableResultList(bool on) = 0;
    virtual void hideDialog() = 0;
    virtual void clearRows() = 0;
    virtual int appendRow() = 0;
    virtual void setCell(int row, int column, const std::string& text) = 0;
    virtual std::string cell(int row, int column) = 0;
    virtual int rowCount() = 0;
    virtual int selectedRow() = 0;
    virtual void selectRow(int row) = 0;
    // Rows of four cells at the end of the list, in one go where the host
    // can (the list is then redrawn once); by default row by row.
    using Row = std::array<std::string, 4>;
    virtual void appendRows(const std::vector<Row>& rows) {
        for (const Row& cells : rows) {
            const int row = appendRow();
            for (int column = 0; column < 4; ++column)
                setCell(row, column, cells[static_cast<size_t>(column)]);
        }
    }

    // The engine and the main window.
    virtual void openStream(const std::string& url, const std::string& cookie) = 0;
    // Subtitles for the stream just opened, from their own address and cookie.
    virtual void setSubtitles(const std::string& url, const std::string& cookie) {
        (void)url;
        (void)cookie;
    }
    virtual void raiseMainWindow() = 0;
};

} // namespace corvina
