#include "PictureBox.h"

#include "ControlGeometry.h"

namespace corvina {

Endpoint* PictureBox::create(Endpoint* parent, int x, int y, int width, int height, int transparency,
                             const std::vector<uint8_t>& imageBytes) {
    interpolation_ = 2;
    attributes_.create();
    if (!imageBytes.empty())
        loadImage(imageBytes, true);
    setMouseTransparent(true);
    return createBase(parent, x, y, width, height, transparency);
}

void PictureBox::stopAnimation() {
    if (animation_ == 2)
        stopTimer();
    animation_ = 1;
    frameIndex_ = 0;
    delays_.clear();
}

void PictureBox::loadImage(const std::vector<uint8_t>& bytes, bool noRedraw) {
    image_.fromBytes(bytes);
    const int frames = image_.empty() ? 0 : image_.frameCount();
    if (!image_.empty() && image_.rawFormat() == kGifFormat && frames > 1) {
        delays_ = gifDelaysMs(image_.frameDelays(), frames);
        animation_ = 2;
        frameIndex_ = 0;
        image_.selectFrame(0);
        startTimer(delays_.front());
    } else {
        stopAnimation(); // one frame is a still picture
    }
    if (!noRedraw)
        draw();
}

void PictureBox::loadPixels(int width, int height, int stride, const void* pixels, bool noRedraw) {
    stopAnimation();
    image_.fromPixelsCopy(width, height, stride, pixels);
    if (!noRedraw)
        draw();
}

void PictureBox::colourKey(Gdiplus::ARGB low, Gdiplus::ARGB high) { attributes_.setColourKey(low, high); }

void PictureBox::onTimer() {
    if (animation_ != 2 || delays_.empty())
        return;
    frameIndex_ = (frameIndex_ + 1) % static_cast<int>(delays_.size());
    image_.selectFrame(frameIndex_);
    draw();
    setTimerInterval(delays_[static_cast<size_t>(frameIndex_)]);
}

void PictureBox::releaseResources() {
    stopAnimation();
    image_.clear();
}

void PictureBox::draw() {
    if (isDestroyed())
        return;
    GraphicsObject& g = surface();
    g.setInterpolationMode(interpolation_);
    g.clear(0);
    if (getWidth() > 0 && getHeight() > 0 && !image_.empty())
        paintImage(g);
    present();
}

void PictureBox::paintImage(GraphicsObject& g) {
    const int w = getWidth(), h = getHeight(), iw = image_.width(), ih = image_.height();
    if (iw <= 0 || ih <= 0)
        return;
    switch (layout_) {
    case Stretch:
        g.drawImageRect(image_, 0, 0, w, h, attributes_.native());
        break;
    case Tile:
        for (int i = 0; i < tileCount(w, iw); ++i)
            for (int j = 0; j < tileCount(h, ih); ++j)
                g.drawImageRect(image_, iw * i, ih * j, iw, ih);
        break;
    case TopLeft:
        g.drawImageRect(image_, 0, 0, iw, ih);
        break;
    case Centred:
        g.drawImageRect(image_, w / 2 - iw / 2, h / 2 - ih / 2, iw, ih);
        break;
    default:
        break;
    }
}

} // namespace corvina
