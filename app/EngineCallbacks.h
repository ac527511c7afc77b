// The three engine callbacks (message, buffering, missing decoder). The
// engine hands over no context, so the callbacks reach the process's router,
// which delivers each on the window thread: at once when it arrives there,
// otherwise posted to its window with copies of the arguments, so nothing
// draws or sets timers off the window thread.
#pragma once

#include "PlayerEngine.h"

#include <windows.h>

#include <string>

namespace corvina {

class EngineEventSink {
  public:
    virtual ~EngineEventSink() = default;
    virtual void engineMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void buffering(int percent) = 0;
    virtual void missingDecoder(const std::string& name) = 0;
};

class EngineEventRouter {
  public:
    // `window` (VideoWindow) is where posted events go; its procedure hands
    // them back through handle().
    void bind(HWND window, EngineEventSink* sink) {
        window_ = window;
        sink_ = sink;
    }
    void message(UINT message, WPARAM wParam, LPARAM lParam);
    void buffering(int percent);
    void missingDecoder(const char* name);
    // True when `message` was a posted event (then delivered to the sink).
    bool handle(UINT message, WPARAM wParam, LPARAM lParam);

  private:
    bool offWindowThread() const;
    HWND window_ = nullptr;
    EngineEventSink* sink_ = nullptr;
};

// The callback table for the engine's create, leading to the process's router.
PlayerEngine::Callbacks engineCallbacks();
// The text of the missing-decoder message box.
std::string missingDecoderText(const std::string& name);
// The missing-decoder message box; returns when it is closed.
void showMissingDecoder(const std::string& name);

} // namespace corvina
