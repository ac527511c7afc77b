#include "EngineCallbacks.h"

#include "ProcessObjects.h"
#include "TextConvert.h"

#include <memory>

namespace corvina {
namespace {

// VideoWindow when the caller is not its thread; null on its thread.
HWND postTarget() {
    HWND video = processObjects().videoWindow.hwnd();
    if (!video || GetWindowThreadProcessId(video, nullptr) == GetCurrentThreadId())
        return nullptr;
    return video;
}

template <typename T> void postOwned(HWND target, UINT message, WPARAM wParam, std::unique_ptr<T> payload) {
    if (PostMessageW(target, message, wParam, reinterpret_cast<LPARAM>(payload.get())))
        payload.release(); // VideoWindow owns it now
}

int __stdcall onEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (HWND target = postTarget())
        postOwned(target, kEngineMessageEvent, 0, std::make_unique<EngineEvent>(EngineEvent{message, wParam, lParam}));
    else
        processObjects().player.engineMessage(message, wParam, lParam);
    return 0;
}

void __stdcall onBuffering(int percent) {
    if (HWND target = postTarget())
        PostMessageW(target, kEngineBufferingEvent, static_cast<WPARAM>(percent), 0);
    else
        processObjects().player.buffering(percent);
}

void __stdcall onMissingDecoder(const char* name) {
    std::string text = name ? name : "";
    if (HWND target = postTarget())
        postOwned(target, kEngineMissingDecoderEvent, 0, std::make_unique<std::string>(std::move(text)));
    else
        showMissingDecoder(text);
}

} // namespace

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
