// Which codecs an MP4/MOV file's tracks use, read from its bytes without
// decoding anything: for telling the caller which decoder is missing. Pure.
#pragma once

#include <string>

namespace engine {

// The sample-entry codes ("avc1", "apch"...) of the "stsd" boxes in `bytes`
// (any part of a file: its head and tail are enough), comma-separated, each
// once, in the order found.
std::string trackCodes(const std::string& bytes);

} // namespace engine
