#include "OnlineController.h"

#include "SubtitleNames.h"

#include "HttpClient.h"
#include "InfoHash.h"
#include "RegexObject.h"
#include "TextCodec.h"
#include "TextConvert.h"
#include "TextRules.h"
#include "WaitPumping.h"

#include <windows.h>

#include <algorithm>
#include <thread>
#include <tuple>

namespace corvina {

OnlineController::OnlineController(OnlineHost& host, ServiceEndpoints endpoints, PlayHistory history)
    : host_(host), endpoints_(std::move(endpoints)), history_(std::move(history)) {}

std::string OnlineController::currentInfoHash() const {
    std::lock_guard lock(mutex_);
    return currentInfoHash_;
}
std::string OnlineController::pendingStatus() const {
    std::lock_guard lock(mutex_);
    return pendingStatus_;
}
std::string OnlineController::resolvedUrl() const {
    std::lock_guard lock(mutex_);
    return resolvedUrl_;
}
std::string OnlineController::resolvedCookie() const {
    std::lock_guard lock(mutex_);
    return resolvedCookie_;
}
int OnlineController::listIndex() const {
    std::lock_guard lock(mutex_);
    return listIndex_;
}
void OnlineController::setListIndex(int index) {
    std::lock_guard lock(mutex_);
    listIndex_ = index;
}
bool OnlineController::resumePending() const {
    std::lock_guard lock(mutex_);
    return resumePending_;
}

void OnlineController::startWorker(void (OnlineController::*job)()) {
    {
        std::lock_guard lock(mutex_);
        ++activeWorkers_;
    }
    // The thread keeps the controller alive until its job is done.
    std::thread([self = shared_from_this(), job] {
        const HRESULT com = CoInitialize(nullptr);
        ((*self).*job)();
        if (SUCCEEDED(com))
            CoUninitialize();
        std::lock_guard lock(self->mutex_);
        --self->activeWorkers_;
    }).detach();
}

int OnlineController::activeWorkers() const {
    std::lock_guard lock(mutex_);
    return activeWorkers_;
}

bool OnlineController::stop(int timeoutMs) {
    cancel_->cancel();
    const ULONGLONG end = GetTickCount64() + static_cast<ULONGLONG>(std::max(timeoutMs, 0));
    while (activeWorkers() > 0) {
        if (GetTickCount64() >= end)
            return false;
        // A worker may be waiting on a message it sent to this thread.
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

std::string OnlineController::fetch(const std::string& url) const {
    HttpOptions options;
    options.cancel = cancel_;
    return bytesAsText(httpRequest(url, options));
}

std::string OnlineController::indexUrl() const {
    return "http://" + endpoints_.index + "/info_hash/33/49/" + percentEncode(currentInfoHash());
}

void OnlineController::startSearch() {
    host_.clearRows();
    const std::string hash = hashFromField(host_.hashFieldText());
    {
        std::lock_guard lock(mutex_);
        currentInfoHash_ = hash;
    }
    waitPumping(1000);
    startWorker(&OnlineController::runSearch);
}

void OnlineController::runSearch() {
    host_.setStatus(kSearchingStatus);
    const std::string page = fetch(indexUrl());
    if (page.empty())
        return; // the status line keeps "searching"
    fillResultList(page);
    host_.setStatus(kFoundStatus);
}

int OnlineController::fillResultList(const std::string& page) {
    RegexObject re;
    if (!re.execute(kIndexPattern, page, false, false, true, true)) {
        host_.showError(kRegexFailed);
        return 0;
    }
    const int count = re.matchCount();
    if (count == 0) {
        host_.showError(kNoResources);
        return 0;
    }
    // In batches: each is one call into the window thread, which stays free
    // for input between them, and one repaint of the list. The first rows go
    // at once; after that a batch goes every tenth of a second, so a list of
    // thousands is not repainted for every few hundred rows.
    constexpr size_t kFirstBatch = 500;
    constexpr ULONGLONG kBatchMs = 100;
    std::vector<OnlineHost::Row> rows;
    bool first = true;
    ULONGLONG sent = GetTickCount64();
    for (int n = 1; n <= count; ++n) {
        rows.push_back({re.subMatchText(n, 1), unescapeText(re.subMatchText(n, 2)), re.subMatchText(n, 3),
                        re.subMatchText(n, 4)});
        const bool due = first ? rows.size() >= kFirstBatch : GetTickCount64() - sent >= kBatchMs;
        if (due || n == count) {
            host_.appendRows(rows);
            rows.clear();
            first = false;
            sent = GetTickCount64();
        }
    }
    return count;
}

void OnlineController::playSelectedRow() {
    const int row = host_.selectedRow();
    if (row < 0)
        return;
    if (engine::isSubtitleFile(gbkToWide(host_.cell(row, 1)))) {
        // Not a movie: while a movie of the list plays, these become its
        // subtitles; the movie plays on.
        {
            std::lock_guard lock(mutex_);
            if (playingRow_ < 0)
                return;
            chosenSubtitleRow_ = row;
        }
        startWorker(&OnlineController::resolveChosenSubtitles);
        return;
    }
    setListIndex(row);
    startWorker(&OnlineController::resolveSelectedRow);
}

void OnlineController::resolveSelectedRow() {
    host_.enableResultList(false);
    const int row = host_.selectedRow();
    setListIndex(row);
    host_.setStatus(kResolvingStatus);
    // H and I are the row's name and size columns.
    const std::string code = mainPathCodeAnswer(host_.cell(row, 1), host_.cell(row, 2));
    {
        std::lock_guard lock(mutex_);
        pendingStatus_ = host_.cell(host_.selectedRow(), 0);
    }
    host_.setStatus(kTryingStatus);
    const auto [url, cookie] = mainPathStream(code);
    playStream(url, cookie);
    host_.setStatus(pendingStatus());
    host_.enableResultList(true);
    host_.hideDialog();
    if (!url.empty() && url != "Error") {
        {
            std::lock_guard lock(mutex_);
            playingRow_ = row;
        }
        playSubtitlesFor(row, false);
    }
}

void OnlineController::resolveChosenSubtitles() {
    int row = -1;
    {
        std::lock_guard lock(mutex_);
        row = chosenSubtitleRow_;
    }
    loadSubtitleRow(row, false);
}

void OnlineController::resolveByAltServer() {
    const std::string sha1 = host_.cell(host_.selectedRow(), 3);
    const std::string answer = fetch("http://" + endpoints_.code + "/code.php/?sha1=" + percentEncode(sha1));
    if (parseCodeAnswer(answer) >= 1) {
        playStream(resolvedUrl(), resolvedCookie());
        if (resolvedUrl() != "Error") {
            {
                std::lock_guard lock(mutex_);
                subtitleMovieRow_ = playingRow_ = host_.selectedRow();
            }
            startWorker(&OnlineController::resolveSubtitlesOfAltPlay); // off the window thread
        }
    }
}

void OnlineController::resolveSubtitlesOfAltPlay() {
    int row = -1;
    {
        std::lock_guard lock(mutex_);
        row = subtitleMovieRow_;
    }
    playSubtitlesFor(row, true);
}

void OnlineController::playSubtitlesFor(int row, bool alternative) {
    if (row < 0)
        return;
    std::vector<std::wstring> names;
    const int rows = host_.rowCount();
    for (int r = 0; r < rows; ++r)
        names.push_back(r == row ? std::wstring() : gbkToWide(host_.cell(r, 1))); // not the movie itself
    loadSubtitleRow(engine::pickSubtitle(gbkToWide(host_.cell(row, 1)), names), alternative);
}

void OnlineController::loadSubtitleRow(int row, bool alternative) {
    if (row < 0)
        return;
    std::string url, cookie;
    if (alternative) {
        const std::string answer =
            fetch("http://" + endpoints_.code + "/code.php/?sha1=" + percentEncode(host_.cell(row, 3)));
        url = textBetween(answer, "ode:", "#cookie:", 1, true);
        cookie = "FTN5K=" + textBetween(answer, "#cookie:", "|");
    } else {
        std::tie(url, cookie) = mainPathStream(mainPathCodeAnswer(host_.cell(row, 1), host_.cell(row, 2)));
    }
    if (!url.empty() && url != "Error")
        host_.setSubtitles(url, cookie);
}

std::string OnlineController::mainPathCodeAnswer(const std::string& name, const std::string& size) const {
    const std::string fx = fetch("http://" + endpoints_.resolve + "/fx.php?hash=" + percentEncode(name) +
                                 "&index=" + percentEncode(size));
    const std::string f = textBetween(fx, "\"file_hash\" : \"", "\"");
    return fetch("http://" + endpoints_.resolve + "/code.php?sha1=" + percentEncode(f));
}

std::pair<std::string, std::string> OnlineController::mainPathStream(const std::string& code) {
    return {unescapeText(textBetween(code, "code:", "#cookie:")), textBetween(code, "#cookie:", "|")};
}

int OnlineController::parseCodeAnswer(const std::string& answer) {
    RegexObject re;
    if (!re.execute("ode:(.*?)\\#cookie:(.*?)\\|", answer, false, false, true, true)) {
        host_.showError(kRegexFailed);
        return 0;
    }
    const int count = re.matchCount();
    if (count == 0) {
        host_.showError(kStillParsing);
        return 0;
    }
    std::lock_guard lock(mutex_);
    for (int n = 1; n <= count; ++n) {
        resolvedCookie_ = "FTN5K=" + re.subMatchText(n, 2);
        resolvedUrl_ = re.subMatchText(n, 1);
    }
    return count;
}

void OnlineController::playStream(const std::string& url, const std::string& cookie) {
    if (url == "Error") {
        std::lock_guard lock(mutex_);
        pendingStatus_ = kServerErrorStatus;
    } else {
        host_.openStream(url, cookie);
        host_.raiseMainWindow();
    }
    const int row = host_.selectedRow();
    history_.recordLastMovie(row >= 0 ? host_.cell(row, 0) : std::string(), host_.hashFieldText());
}

void OnlineController::continueLastPlayback() {
    const std::string hash = history_.movieHash();
    host_.setHashFieldText(hash);
    host_.clearRows();
    host_.enableSearchButton(false);
    const std::string field = host_.hashFieldText();
    {
        std::lock_guard lock(mutex_);
        currentInfoHash_ = upperAscii(field.size() > 40 ? field.substr(field.size() - 40) : field);
    }
    runSearch();
    // The search button comes back once this search has filled the list.
    host_.enableSearchButton(true);
    {
        std::lock_guard lock(mutex_);
        resumePending_ = true;
    }
    const std::string title = history_.movieTitle();
    const int rows = host_.rowCount();
    for (int row = 0; row < rows; ++row) {
        if (host_.cell(row, 0) == title) {
            host_.selectRow(row);
            startWorker(&OnlineController::resolveSelectedRow);
            return;
        }
    }
}

void OnlineController::handleLaunchArgument(const std::string& argument) {
    host_.setHashFieldText(hashFromLaunchArgument(argument));
    startSearch();
}

int OnlineController::stateTick(int state, int position) {
    if (state != 5)
        return -1;
    {
        std::lock_guard lock(mutex_);
        if (resumePending_) {
            resumePending_ = false;
            return history_.savedPosition();
        }
    }
    history_.savePosition(position);
    return -1;
}

} // namespace corvina
