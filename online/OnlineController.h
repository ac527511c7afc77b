// The online features: the search of a swarm's files on the web index, the
// resolution of a file into a stream address and cookie, the handoff to the
// engine and the last-movie history.
#pragma once

#include "HttpClient.h"
#include "OnlineHost.h"
#include "PlayHistory.h"

#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace corvina {

struct ServiceEndpoints {
    std::string index;   // host[:port] of the web index
    std::string resolve; // host:port of the main resolution server
    std::string code;    // host[:port] of the alternative code server
};

class OnlineController : public std::enable_shared_from_this<OnlineController> {
  public:
    OnlineController(OnlineHost& host, ServiceEndpoints endpoints, PlayHistory history);

    // Handlers (window thread).
    void startSearch();
    void continueLastPlayback();
    void resolveByAltServer();
    void playSelectedRow();
    void playStream(const std::string& url, const std::string& cookie);
    void handleLaunchArgument(const std::string& argument);

    // The pieces, callable on any thread.
    void runSearch();
    int fillResultList(const std::string& page);
    void resolveSelectedRow();
    int parseCodeAnswer(const std::string& answer);
    // The swarm's subtitle file for the movie in `row` (same stem, optionally
    // a language tag; simplified Chinese first), resolved the way the movie
    // was (the alternative server or the main path) and handed to the engine.
    // Nothing happens when the list has none or it does not resolve.
    void playSubtitlesFor(int row, bool alternative);

    // The history side of the state timer: `state` and `position` of the engine.
    // Returns the position to seek to when a resume is due, else -1.
    int stateTick(int state, int position);

    std::string indexUrl() const;
    std::string currentInfoHash() const;
    std::string pendingStatus() const;
    std::string resolvedUrl() const;
    std::string resolvedCookie() const;
    int listIndex() const;
    void setListIndex(int index);
    bool resumePending() const;
    const PlayHistory& history() const { return history_; }

    // Runs a job on a worker thread of its own.
    void startWorker(void (OnlineController::*job)());
    // The end: every request in progress or to come fails at once, and the
    // caller waits (still handling messages sent to its thread) until the
    // workers have returned, at most `timeoutMs`. False when one has not.
    bool stop(int timeoutMs);
    int activeWorkers() const;

  private:
    // The body of `url` as text; empty once stopped.
    std::string fetch(const std::string& url) const;
    void resolveSubtitlesOfAltPlay(); // worker job: playSubtitlesFor(subtitleMovieRow_, true)
    void resolveChosenSubtitles();    // worker job: loadSubtitleRow(chosenSubtitleRow_, false)
    // Resolves the list's row `row` (none when negative) and hands it to the
    // engine as the subtitles, through the main path or the alternative server.
    void loadSubtitleRow(int row, bool alternative);
    // The main path for the file of that name and size: fx.php for its
    // sha1, then code.php's answer; and the stream address and cookie in it.
    std::string mainPathCodeAnswer(const std::string& name, const std::string& size) const;
    static std::pair<std::string, std::string> mainPathStream(const std::string& code);

    OnlineHost& host_;
    ServiceEndpoints endpoints_;
    PlayHistory history_;
    // Shared with worker threads.
    mutable std::mutex mutex_;
    std::string currentInfoHash_;
    std::string pendingStatus_;
    std::string resolvedUrl_;
    std::string resolvedCookie_;
    int listIndex_ = 0;
    int subtitleMovieRow_ = -1;
    int playingRow_ = -1;        // the list's movie playing, once one has
    int chosenSubtitleRow_ = -1; // a subtitle row the user double-clicked
    bool resumePending_ = false;
    int activeWorkers_ = 0;
    std::shared_ptr<HttpCancel> cancel_ = std::make_shared<HttpCancel>();
};

inline constexpr char kSearchingStatus[] = "状态：寻找资源中";
inline constexpr char kFoundStatus[] = "状态：已找到资源";
inline constexpr char kResolvingStatus[] = "状态：资源读取在线播放地址中.......";
inline constexpr char kTryingStatus[] = "状态：读取到播放地址正在尝试播放中！";
inline constexpr char kServerErrorStatus[] = "状态：云服务器解析错误，请稍后在试";
inline constexpr char kRegexFailed[] = "正则创建失败，请检查正则表达式语句是否有误！";
inline constexpr char kNoResources[] = "亲，暂时没有资源(づ￣3￣)づ╭?～";
inline constexpr char kStillParsing[] = "请稍等，文件正在解析中....";
inline constexpr char kIndexPattern[] = "\\[{#引号index#引号:(.*?),#引号name#引号:#引号(.*?)#引号,#引号size#"
                                        "引号:#引号(.*?)#引号,#引号sha1#引号:#引号(.*?)#"
                                        "引号}\\]";

} // namespace corvina
