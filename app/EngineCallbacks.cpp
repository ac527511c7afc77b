#include "EngineCallbacks.h"

#include "ProcessObjects.h"
#include "TextConvert.h"

namespace corvina {
namespace {

int __stdcall onEngineMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    processObjects().engineMessage(message, wParam, lParam);
    return 0;
}

void __stdcall onBuffering(int percent) {
    processObjects().bufferingReport(percent);
}

void __stdcall onMissingDecoder(const char* name) {
    const std::wstring text = gbkToWide(missingDecoderText(name ? name : ""));
    MessageBoxW(nullptr, text.c_str(), gbkToWide("信息：").c_str(), MB_OK | MB_ICONSTOP | MB_TASKMODAL);
}

} // namespace

std::string missingDecoderText(const std::string& name) {
    return "解码库缺少文件：" + name + "  下载后解压到目录";
}

PlayerEngine::Callbacks engineCallbacks() {
    PlayerEngine::Callbacks callbacks;
    callbacks.slots[0] = reinterpret_cast<void*>(&onEngineMessage);
    callbacks.slots[4] = reinterpret_cast<void*>(&onBuffering);
    callbacks.slots[6] = reinterpret_cast<void*>(&onMissingDecoder);
    return callbacks;
}

} // namespace corvina
