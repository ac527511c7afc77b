// A video stream's decoder (frame threads) and the step from its pictures to
// the frames the presenter converts: planar 4:2:0 is kept as the decoder
// made it (by reference), every other layout (10 bits, 4:2:2, 4:4:4...)
// goes through libswscale to NV12, which dithers deeper samples to 8 bits.
#pragma once

#include "../FrameConverter.h"
#include "Codec.h"

#include <string>

namespace engine {

class VideoDecoder : public PacketDecoder {
  public:
    // False when there is no decoder for the stream or it will not open.
    bool open(const AVStream& stream);
};

// The picture's colour matrix and range, with the usual guess for a stream
// that says nothing: BT.709 from HD sizes up, BT.601 below.
void describeColour(const AVFrame& frame, Nv12Frame& out);

// Takes a decoded picture into `out`: planar 4:2:0 by a reference to the
// decoder's own planes, other layouts converted into `out`'s (reused) buffer.
// `scaler` keeps libswscale's context between calls; free it with
// releaseScaler. False for a picture it cannot take.
bool toNv12(const AVFrame& frame, Nv12Frame& out, SwsContext*& scaler);
void releaseScaler(SwsContext*& scaler);

} // namespace engine
