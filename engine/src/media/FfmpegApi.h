// The decoding libraries, loaded from the engine's own folder on the first
// open (so that starting the program does not load them) and reached through
// a table of their functions. A DLL that is missing, will not load or lacks
// a function makes the load fail with that DLL's file name; nothing is
// resolved lazily, so a user's replacement DLL cannot fault in mid-play.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <string>

namespace engine {

// X(library index, function). Library indexes follow kFfmpegLibraries.
#define ENGINE_FFMPEG_FUNCTIONS(X)                                                                           \
    X(0, av_frame_alloc)                                                                                     \
    X(0, av_frame_free)                                                                                      \
    X(0, av_frame_unref)                                                                                     \
    X(0, av_frame_clone)                                                                                     \
    X(0, av_malloc)                                                                                          \
    X(0, av_free)                                                                                            \
    X(0, av_dict_get)                                                                                        \
    X(0, av_log_set_level)                                                                                   \
    X(0, av_rescale_q)                                                                                       \
    X(0, av_channel_layout_default)                                                                          \
    X(0, av_channel_layout_uninit)                                                                           \
    X(1, swr_alloc_set_opts2)                                                                                \
    X(1, swr_init)                                                                                           \
    X(1, swr_convert)                                                                                        \
    X(1, swr_free)                                                                                           \
    X(2, sws_getCachedContext)                                                                               \
    X(2, sws_scale)                                                                                          \
    X(2, sws_freeContext)                                                                                    \
    X(3, avcodec_find_decoder)                                                                               \
    X(3, avcodec_alloc_context3)                                                                             \
    X(3, avcodec_free_context)                                                                               \
    X(3, avcodec_parameters_to_context)                                                                      \
    X(3, avcodec_open2)                                                                                      \
    X(3, avcodec_send_packet)                                                                                \
    X(3, avcodec_receive_frame)                                                                              \
    X(3, avcodec_flush_buffers)                                                                              \
    X(3, avcodec_get_name)                                                                                   \
    X(3, avcodec_decode_subtitle2)                                                                           \
    X(3, avsubtitle_free)                                                                                    \
    X(3, av_packet_alloc)                                                                                    \
    X(3, av_packet_free)                                                                                     \
    X(3, av_packet_unref)                                                                                    \
    X(3, av_packet_move_ref)                                                                                 \
    X(4, avformat_alloc_context)                                                                             \
    X(4, avformat_open_input)                                                                                \
    X(4, avformat_find_stream_info)                                                                          \
    X(4, avformat_close_input)                                                                               \
    X(4, av_read_frame)                                                                                      \
    X(4, avformat_seek_file)                                                                                 \
    X(4, avio_alloc_context)                                                                                 \
    X(4, avio_context_free)                                                                                  \
    X(4, av_find_best_stream)

// In load order: each DLL's dependencies come before it.
inline constexpr const wchar_t* kFfmpegLibraries[] = {L"avutil-57.dll", L"swresample-4.dll", L"swscale-6.dll",
                                                      L"avcodec-59.dll", L"avformat-59.dll"};
inline constexpr int kFfmpegLibraryCount = 5;

struct FfmpegApi {
#define ENGINE_FFMPEG_MEMBER(library, name) decltype(&::name) name = nullptr;
    ENGINE_FFMPEG_FUNCTIONS(ENGINE_FFMPEG_MEMBER)
#undef ENGINE_FFMPEG_MEMBER
};

struct FfmpegLoad {
    const FfmpegApi* api = nullptr; // null when the load failed
    std::string failedLibrary;      // the file name that did not load (ASCII)
};

// Loads the libraries from the folder of the module that holds this code,
// once per process: after a success later calls return the same table; after
// a failure (nothing is kept loaded) the next call tries again. Thread-safe.
FfmpegLoad loadFfmpeg();

// The functions, once loadFfmpeg() has succeeded.
const FfmpegApi& ff();

} // namespace engine
