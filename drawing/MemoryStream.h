// A movable global memory block and a COM stream on it, owned together: what
// GDI+ saves images into and decodes them from.
#pragma once

#include <windows.h>

#include <objidl.h>

#include <cstdint>
#include <vector>

namespace corvina {

class MemoryStream {
  public:
    MemoryStream() = default;
    ~MemoryStream() { release(); }
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;

    // A new block holding `bytes` (none for an empty stream to write into),
    // with a stream on it; the previous ones are released first.
    bool create(const std::vector<uint8_t>& bytes);
    void release();
    IStream* stream() const { return stream_; }
    size_t size() const;
    // The bytes written so far (the stream's own size, not the block's, which
    // the platform may round up).
    std::vector<uint8_t> toBytes() const;

  private:
    HGLOBAL block_ = nullptr;
    IStream* stream_ = nullptr;
};

} // namespace corvina
