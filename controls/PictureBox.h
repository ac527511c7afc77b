// One raster image, stretched, tiled, at the top-left corner or centred;
// animated GIFs play frame by frame. The mouse passes through it.
#pragma once

#include "BitmapObject.h"
#include "ControlBase.h"
#include "GraphicsObject.h"

#include <vector>

namespace corvina {

inline constexpr char kGifFormat[] = "{B96B3CB0-0728-11D3-9D7B-0000F81EF32E}";

class PictureBox : public ControlBase {
  public:
    enum Layout { Stretch = 0, Tile = 1, TopLeft = 2, Centred = 3 };

    Endpoint* create(Endpoint* parent, int x, int y, int width, int height, int transparency = 0,
                     const std::vector<uint8_t>& imageBytes = {});
    void draw();
    // Image file bytes; a GIF of several frames starts playing, anything else
    // stops it. Bytes that do not decode leave the box empty.
    void loadImage(const std::vector<uint8_t>& bytes, bool noRedraw = false);
    // A still picture from premultiplied BGRA pixels (copied), without the
    // round trip through an image file: what the live preview hands over.
    void loadPixels(int width, int height, int stride, const void* pixels, bool noRedraw = false);
    void colourKey(Gdiplus::ARGB low, Gdiplus::ARGB high);
    void setInterpolation(int mode) { interpolation_ = mode; }
    void setLayout(int layout) { layout_ = layout; }
    std::string imageFormat() const { return image_.rawFormat(); }
    bool animating() const { return animation_ == 2; }
    const std::vector<int>& frameDelaysMs() const { return delays_; }
    const BitmapObject& image() const { return image_; }

    void onTimer() override;
    void releaseResources() override;
    void refresh() override { draw(); }

  private:
    void stopAnimation();
    void paintImage(GraphicsObject& g);

    BitmapObject image_;
    std::vector<int> delays_; // milliseconds
    int animation_ = 1;
    int frameIndex_ = 0;
    ImageAttributesObject attributes_;
    int interpolation_ = 2;
    int layout_ = Stretch;
};

} // namespace corvina
