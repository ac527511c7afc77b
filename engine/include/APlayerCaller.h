// Public interface of the playback engine library APlayerCaller.dll.
//
// Every export is undecorated and __stdcall. Texts are in code page 936 (GBK),
// times in milliseconds. A handle is a positive int returned by APlayer_Create;
// every other call takes it first. Calls are cheap: nothing blocks the caller
// for more than a few milliseconds except APlayer_Destroy, which joins the
// engine's threads.
//
// Callbacks are always delivered on the thread that called APlayer_Create
// (they are posted to the engine's video window), never on an engine thread.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

// Engine states reported by APlayer_GetState.
enum APlayerState {
    APLAYER_STATE_IDLE = 0,      // nothing open: before any open, after close, a failed open, end of media
    APLAYER_STATE_OPENING = 1,   // an open is under way
    APLAYER_STATE_PAUSED = 2,    // media open, paused
    APLAYER_STATE_BUFFERING = 3, // media open, waiting for data from the network
    APLAYER_STATE_PLAYING = 5,   // media open and playing
};

// Configuration items (APlayer_SetConfigA / APlayer_GetConfigA). Values are texts;
// flags are "1" or "0", numbers decimal. Items not listed are stored and read back.
enum APlayerItem {
    APLAYER_ITEM_IDENTIFIER = 3,   // any text, stored
    APLAYER_ITEM_TOTAL_BYTES = 5,  // read only: total bytes of the source
    APLAYER_ITEM_MUTE = 12,        // "1" mutes, "0" unmutes; the volume is kept
    APLAYER_ITEM_READ_BYTES = 29,  // read only: bytes of the source available so far
    APLAYER_ITEM_RENDERER = 201,   // "1".."5", stored; one presentation path serves all
    APLAYER_ITEM_BRIGHTNESS = 214, // "0".."100", 50 neutral
    APLAYER_ITEM_CONTRAST = 215,   // "0".."100", 50 neutral
    APLAYER_ITEM_SATURATION = 216, // "0".."100", 50 neutral
    APLAYER_ITEM_HUE = 217,        // "0".."100", 50 neutral
    APLAYER_ITEM_FLIP_H = 302,     // "1" mirrors the picture left to right
    APLAYER_ITEM_FLIP_V = 303,     // "1" turns the picture upside down
    APLAYER_ITEM_ROTATION = 304,   // degrees, multiples of 90 (others: modulo 360, rounded down to 90)
    APLAYER_ITEM_ENHANCE = 305,    // "1" sharpens the picture
    APLAYER_ITEM_COMPARE = 306,    // "1" shows the left half unadjusted, the right half adjusted
    APLAYER_ITEM_COOKIE = 1105,    // Cookie header sent with http(s) requests of the open source
    // Subtitles (our own items, above 10000 so that no other item can collide):
    // the source is a file path or an http(s) address (fetched with item
    // 10004's cookie, or item 1105's when 10004 is empty, as they are when the
    // source is set), SRT, WebVTT or ASS/SSA, in UTF-8, UTF-16 or GBK; empty
    // turns subtitles off. Each open sets it to the subtitle file found beside
    // a local movie (same stem, optionally a language tag such as ".chs", ".zh"
    // or ".en"; simplified Chinese first), or empty, and clears 10004; set
    // them after the open to choose another.
    APLAYER_ITEM_SUBTITLE_SOURCE = 10001,
    APLAYER_ITEM_SUBTITLE_DELAY = 10002,   // ms, signed: positive shows the subtitles later
    APLAYER_ITEM_SUBTITLE_VISIBLE = 10003, // "0" hides them, anything else (or unset) shows them
    APLAYER_ITEM_SUBTITLE_COOKIE = 10004,  // Cookie header for an http(s) subtitle source of its own
    // Tracks inside the opened movie. A list has a line per track, lines
    // separated by "\n", fields by "\t": "number<TAB>language<TAB>codec<TAB>title",
    // numbers counted from 0 in file order, language and title empty when the
    // file does not say. Empty with nothing open.
    APLAYER_ITEM_AUDIO_TRACKS = 10005,    // read only: the sound tracks
    // The sound track playing, by number; set it to switch (playback goes on
    // from the same position). "-1" with nothing open.
    APLAYER_ITEM_AUDIO_TRACK = 10006,
    APLAYER_ITEM_SUBTITLE_TRACKS = 10007, // read only: the text subtitle tracks (SRT, ASS/SSA, mov_text, WebVTT)
    // The movie's subtitle track shown, by number, or "-1" for none. After an
    // open it is the first track, shown when there is no subtitle source
    // (item 10001); a track set here is shown instead of that source, and
    // "-1" shows the source again (or nothing).
    APLAYER_ITEM_SUBTITLE_TRACK = 10008,
};

// cb1: the video window's WM_KEYDOWN, WM_LBUTTONDOWN, WM_LBUTTONUP and WM_LBUTTONDBLCLK.
typedef int(__stdcall* APlayerMessageCallback)(UINT message, WPARAM wParam, LPARAM lParam);
// cb5: fill percentage (0..100) of the read-ahead target while buffering.
typedef void(__stdcall* APlayerBufferingCallback)(int percent);
// cb7: a stream of the opened media has no decoder: the text names its format
// (its four-character code where it has one, and the codec, "ap4h (prores)").
// Or one of the decoding libraries the engine loads from its own folder on the
// first open is missing or will not load: the text is its file name
// ("avcodec-59.dll"), and that open ends idle.
typedef void(__stdcall* APlayerMissingDecoderCallback)(const char* name);

typedef int(__stdcall* APlayer_Create_t)(HWND parent, int x, int y, int width, int height, void* cb1,
                                         void* cb2, void* cb3, void* cb4, void* cb5, void* cb6, void* cb7,
                                         void* cb8);
typedef HWND(__stdcall* APlayer_GetWindow_t)(int handle);
// The engine copies the bitmap; the caller keeps ownership of its handle.
typedef int(__stdcall* APlayer_SetCustomLogo_t)(int handle, HBITMAP logo);
// Starts playback on its own; returns at once, the open runs on an engine thread.
typedef int(__stdcall* APlayer_OpenA_t)(int handle, const char* pathOrUrl);
typedef int(__stdcall* APlayer_Handle_t)(int handle); // Play, Pause, Close, GetState, GetDuration, ...
typedef int(__stdcall* APlayer_SetInt_t)(int handle, int value); // SetPosition, SetVolume
typedef int(__stdcall* APlayer_SetConfigA_t)(int handle, int item, const char* value);
// The text stays valid until the next call on that handle.
typedef const char*(__stdcall* APlayer_GetConfigA_t)(int handle, int item);
typedef const char*(__stdcall* APlayer_GetVersion_t)(int handle);

#ifdef APLAYER_BUILDING_LIBRARY
int __stdcall APlayer_Create(HWND parent, int x, int y, int width, int height, void* cb1, void* cb2,
                             void* cb3, void* cb4, void* cb5, void* cb6, void* cb7, void* cb8);
HWND __stdcall APlayer_GetWindow(int handle);
int __stdcall APlayer_SetCustomLogo(int handle, HBITMAP logo);
int __stdcall APlayer_OpenA(int handle, const char* pathOrUrl);
int __stdcall APlayer_Play(int handle);
int __stdcall APlayer_Pause(int handle);
int __stdcall APlayer_Close(int handle);
int __stdcall APlayer_GetState(int handle);
int __stdcall APlayer_GetDuration(int handle);
int __stdcall APlayer_GetPosition(int handle);
int __stdcall APlayer_SetPosition(int handle, int ms);
int __stdcall APlayer_SetVolume(int handle, int volume);
int __stdcall APlayer_GetVolume(int handle);
int __stdcall APlayer_SetConfigA(int handle, int item, const char* value);
const char* __stdcall APlayer_GetConfigA(int handle, int item);
const char* __stdcall APlayer_GetVersion(int handle);
int __stdcall APlayer_GetVideoWidth(int handle);
int __stdcall APlayer_GetVideoHeight(int handle);
int __stdcall APlayer_IsSeeking(int handle);
int __stdcall APlayer_GetBufferProgress(int handle);
int __stdcall APlayer_Destroy(int handle);
#endif

#ifdef __cplusplus
}
#endif
