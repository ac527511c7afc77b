#include "ControlBar.h"

namespace corvina {
namespace {

// A button's sprite strip: `frames` squares of `size`, `gap` pixels apart.
struct StripButton {
    Strip strip;
    int size;
    int frames;
    int gap;
};

// In tag order: play/pause, previous, next, stop, mute, file list, full
// screen, picture adjustment, sound.
constexpr StripButton kButtons[9] = {
    {Strip::Play, 45, 4, 0},       {Strip::Previous, 33, 4, 1}, {Strip::Next, 33, 4, 1},
    {Strip::Stop, 33, 4, 1},       {Strip::Mute, 16, 4, 1},     {Strip::List, 16, 4, 1},
    {Strip::Fullscreen, 16, 4, 1}, {Strip::Adjust, 17, 3, 0},   {Strip::Sound, 17, 3, 0},
};

void place(ControlBase& control, const Rect& r) {
    if (control.isDestroyed())
        return;
    if (control.getX() != r.x || control.getY() != r.y || control.getWidth() != r.width ||
        control.getHeight() != r.height)
        control.moveTo(r.x, r.y, r.width, r.height);
}

} // namespace

std::vector<Rect> stripFrames(int size, int count, int gap) {
    std::vector<Rect> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back({i * (size + gap), 0, size, size});
    return frames;
}

std::vector<uint8_t> stripBytes(Strip strip) {
    const std::span<const unsigned char> bytes = controlBarStrip(strip);
    return {bytes.begin(), bytes.end()};
}

void ControlBar::create(Endpoint* barHost, Endpoint* mainHost, int width, int height, Handlers handlers) {
    handlers_ = std::move(handlers);
    const BarLayout l = barLayout(width, height);
    const Rect places[9] = {l.play, l.previous, l.next, l.stop, l.mute, l.list, l.fullScreen, l.adjust, l.sound};
    if (barHost) {
        for (int tag = 1; tag <= 9; ++tag) {
            const StripButton& look = kButtons[tag - 1];
            const Rect& r = places[tag - 1];
            button(tag).create(barHost, r.x, r.y, look.size, look.size, 0, {}, stripBytes(look.strip),
                               [this](int t) {
                                   if (handlers_.command)
                                       handlers_.command(t);
                               },
                               tag, 0, stripFrames(look.size, look.frames, look.gap));
        }
        button(kMute).textColourProperty(RGB(255, 0, 0));
        TrackBarColours seek;
        seek.background = RGB(42, 42, 43);
        seekBar_.create(barHost, 14, 4, width - 28, 3, 0, 1, 100000, 50,
                        [this](int value, int) {
                            if (handlers_.seek)
                                handlers_.seek(value);
                        },
                        seek);
        TrackBarColours volume;
        volume.background = RGB(42, 42, 43);
        volume.fillStart = RGB(96, 96, 96);
        volume.fillEnd = RGB(128, 128, 128);
        volume.hoverFillStart = RGB(0, 136, 255);
        volume.hoverFillEnd = RGB(0, 136, 255);
        volume.buffered = RGB(32, 32, 32);
        volumeBar_.create(barHost, 14, 4, width - 28, 3, 0, 1, 100, 80,
                          [this](int, int) {
                              if (handlers_.volume)
                                  handlers_.volume(volumeBar_.value());
                          },
                          volume);
        // Room for the longest time and for a whole line of the 14-pixel
        // font, in the fonts this machine maps and in Windows' own.
        timeDisplay_.create(barHost, 4, 23, 140, 20, 0, "00:00:00/00:00:00");
        // "今天播放：", "累计播放：": made, then taken off the bar for good.
        counters_[0].create(barHost, 150, 10, 200, 16, 0, "\xBD\xF1\xCC\xEC\xB2\xA5\xB7\xC5\xA3\xBA");
        counters_[1].create(barHost, 150, 26, 200, 16, 0, "\xC0\xDB\xBC\xC6\xB2\xA5\xB7\xC5\xA3\xBA");
        counters_[0].detach();
        counters_[1].detach();
        layout(width, height);
    }
    // The status line lets the mouse through to the title bar under it.
    if (mainHost && statusLine_.create(mainHost, 150, 7, 400, 16, 0))
        statusLine_.setMouseTransparent(true);
}

void ControlBar::layout(int width, int height) {
    const BarLayout l = barLayout(width, height);
    const Rect places[9] = {l.play, l.previous, l.next, l.stop, l.mute, l.list, l.fullScreen, l.adjust, l.sound};
    for (int tag = 1; tag <= 9; ++tag) {
        const Rect& r = places[tag - 1];
        ImageButton& b = button(tag);
        place(b, {r.x, r.y, b.getWidth(), b.getHeight()});
    }
    place(seekBar_, l.seekBar);
    place(volumeBar_, l.volumeBar);
    for (int i = 0; i < 2; ++i)
        counters_[static_cast<size_t>(i)].moveTo(l.counterX, i == 0 ? 10 : 30);
}

void ControlBar::showPlaying(bool playing) {
    showsPlaying_ = playing;
    ImageButton& b = button(kPlayPause);
    b.setImage(stripBytes(playing ? Strip::Pause : Strip::Play));
    b.draw();
}

} // namespace corvina
