#include "EngineCallbacks.h"

#include "ProcessObjects.h"
#include "TextConvert.h"

#include <memory>

namespace corvina {
namespace {

// Posted to the router's window: lParam owns an Event (message) or a
// std::string (missing decoder); wParam is the percent (buffering).
constexpr UINT kMessageEvent = WM_APP + 30;
constexpr UINT kBufferingEvent = WM_APP + 31;
constexpr UINT kMissingDecoderEvent = WM_APP + 32;

struct Event {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

template <typename T> void postOwned(HWND target, UINT message, std::unique_ptr<T> payload) {
    if (PostMessageW(target, message, 0, reinterpret_cast<LPARAM>(payload.get())))
        (void)payload.release(); // the window's now
}

int __stdcall onEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    processObjects().engineEvents.message(message, wParam, lParam);
    return 0;
}

void __stdcall onBuffering(int percent) { processObjects().engineEvents.buffering(percent); }

void __stdcall onMissingDecoder(const char* name) { processObjects().engineEvents.missingDecoder(name); }

} // namespace

bool EngineEventRouter::offWindowThread() const {
    return window_ && GetWindowThreadProcessId(window_, nullptr) != GetCurrentThreadId();
}

void EngineEventRouter::message(UINT message, WPARAM wParam, LPARAM lParam) {
    if (offWindowThread())
        postOwned(window_, kMessageEvent, std::make_unique<Event>(Event{message, wParam, lParam}));
    else if (sink_)
        sink_->engineMessage(message, wParam, lParam);
}

void EngineEventRouter::buffering(int percent) {
    if (offWindowThread())
        PostMessageW(window_, kBufferingEvent, static_cast<WPARAM>(percent), 0);
    else if (sink_)
        sink_->buffering(percent);
}

void EngineEventRouter::missingDecoder(const char* name) {
    std::string text = name ? name : "";
    if (offWindowThread())
        postOwned(window_, kMissingDecoderEvent, std::make_unique<std::string>(std::move(text)));
    else if (sink_)
        sink_->missingDecoder(text);
}

bool EngineEventRouter::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kMessageEvent: {
        const std::unique_ptr<Event> event(reinterpret_cast<Event*>(lParam));
        if (event && sink_)
            sink_->engineMessage(event->message, event->wParam, event->lParam);
        return true;
    }
    case kBufferingEvent:
        if (sink_)
            sink_->buffering(static_cast<int>(wParam));
        return true;
    case kMissingDecoderEvent: {
        const std::unique_ptr<std::string> name(reinterpret_cast<std::string*>(lParam));
        if (name && sink_)
            sink_->missingDecoder(*name);
        return true;
    }
    default:
        return false;
    }
}

std::string missingDecoderText(const std::string& name) {
    return "解码库缺少文件：" + name + "  下载后解压到目录";
}

void showMissingDecoder(const std::string& name) {
    // No caption of its own (the program's "信息："), no owner, task-modal;
    // the stop icon and OK.
    MessageBoxW(nullptr, gbkToWide(missingDecoderText(name)).c_str(), gbkToWide("信息：").c_str(),
                MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

PlayerEngine::Callbacks engineCallbacks() {
    PlayerEngine::Callbacks callbacks;
    callbacks.slots[0] = reinterpret_cast<void*>(&onEngineMessage);
    callbacks.slots[4] = reinterpret_cast<void*>(&onBuffering);
    callbacks.slots[6] = reinterpret_cast<void*>(&onMissingDecoder);
    return callbacks;
}

} // namespace corvina
