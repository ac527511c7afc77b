// The engine's table of the decoding libraries' functions, filled from the
// host's own build of the same release, linked directly: the native fuzzing
// build loads no DLL.
#include "FfmpegApi.h"

namespace engine {
namespace {

FfmpegApi makeApi() {
    FfmpegApi api;
#define ENGINE_FFMPEG_FILL(library, name) api.name = &::name;
    ENGINE_FFMPEG_FUNCTIONS(ENGINE_FFMPEG_FILL)
#undef ENGINE_FFMPEG_FILL
    api.av_log_set_level(AV_LOG_QUIET);
    return api;
}

const FfmpegApi g_api = makeApi();

} // namespace

FfmpegLoad loadFfmpeg() {
    return {&g_api, {}};
}

const FfmpegApi& ff() {
    return g_api;
}

} // namespace engine
