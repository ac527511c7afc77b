// Where a movie's bytes come from, for a demuxer that reads where it likes
// (Sources.h has the file and the network). Pure: no platform types.
#pragma once

#include <cstddef>
#include <cstdint>

namespace engine {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Up to `size` bytes at `position`: the count, 0 at the end, -1 on a
    // failure or once aborted.
    virtual long read(uint64_t position, uint8_t* buffer, size_t size) = 0;
    virtual int64_t length() const = 0; // -1 when unknown
    // Ends every read under way and to come; any thread.
    virtual void abort() = 0;
};

} // namespace engine
