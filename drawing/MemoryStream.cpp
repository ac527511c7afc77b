#include "MemoryStream.h"

#include <cstring>

namespace corvina {

bool MemoryStream::create(const std::vector<uint8_t>& bytes) {
    release();
    block_ = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes.size());
    if (!block_)
        return false;
    if (!bytes.empty()) {
        void* data = GlobalLock(block_);
        if (!data) {
            release();
            return false;
        }
        std::memcpy(data, bytes.data(), bytes.size());
        GlobalUnlock(block_);
    }
    // The stream does not free the block: release() does, after the stream.
    if (FAILED(CreateStreamOnHGlobal(block_, FALSE, &stream_))) {
        stream_ = nullptr;
        release();
        return false;
    }
    return true;
}

void MemoryStream::release() {
    if (stream_) {
        stream_->Release();
        stream_ = nullptr;
    }
    if (block_) {
        GlobalFree(block_);
        block_ = nullptr;
    }
}

size_t MemoryStream::size() const {
    if (!stream_)
        return 0;
    STATSTG info{};
    if (FAILED(stream_->Stat(&info, STATFLAG_NONAME)))
        return 0;
    return static_cast<size_t>(info.cbSize.QuadPart);
}

std::vector<uint8_t> MemoryStream::toBytes() const {
    if (!stream_)
        return {};
    // Writing may have moved the stream to a larger block.
    HGLOBAL block = nullptr;
    if (FAILED(GetHGlobalFromStream(stream_, &block)) || !block)
        return {};
    const size_t n = size();
    std::vector<uint8_t> bytes(n);
    const void* data = GlobalLock(block);
    if (!data)
        return {};
    if (n > 0)
        std::memcpy(bytes.data(), data, n);
    GlobalUnlock(block);
    return bytes;
}

} // namespace corvina
