#include "BlockCache.h"

#include <algorithm>
#include <cstring>

namespace engine {

void BlockCache::touch(Block& block) {
    uses_.splice(uses_.begin(), uses_, block.use);
}

size_t BlockCache::store(uint64_t position, const uint8_t* data, size_t size) {
    size_t stored = 0;
    while (size > 0) {
        const uint64_t index = position / kBlock;
        const uint64_t offset = position % kBlock;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size, kBlock - offset));
        auto found = blocks_.find(index);
        if (found == blocks_.end() && offset == 0) {
            Block block;
            block.data.reset(new uint8_t[kBlock]);
            uses_.push_front(index);
            block.use = uses_.begin();
            found = blocks_.emplace(index, std::move(block)).first;
        }
        if (found != blocks_.end()) {
            Block& block = found->second;
            // Only what continues the block's run from its start is kept.
            if (offset <= block.filled && offset + n > block.filled) {
                const size_t skip = static_cast<size_t>(block.filled - offset);
                std::memcpy(block.data.get() + block.filled, data + skip, n - skip);
                block.filled = static_cast<uint32_t>(offset + n);
                stored += n - skip;
            }
            touch(block);
        }
        position += n;
        data += n;
        size -= n;
    }
    return stored;
}

size_t BlockCache::copy(uint64_t position, uint8_t* out, size_t size) {
    size_t copied = 0;
    while (copied < size) {
        const uint64_t index = position / kBlock;
        const uint64_t offset = position % kBlock;
        auto found = blocks_.find(index);
        if (found == blocks_.end() || found->second.filled <= offset)
            break;
        Block& block = found->second;
        const size_t n = static_cast<size_t>(std::min<uint64_t>(size - copied, block.filled - offset));
        std::memcpy(out + copied, block.data.get() + offset, n);
        touch(block);
        copied += n;
        position += n;
        if (block.filled < kBlock)
            break; // the run ends inside this block
    }
    return copied;
}

uint64_t BlockCache::firstMissing(uint64_t position) const {
    uint64_t index = position / kBlock;
    for (auto found = blocks_.find(index); found != blocks_.end() && found->first == index;
         found = std::next(found), ++index) {
        // A short block ends the run (at the end of the resource, or where
        // its fetcher has got to).
        if (found->second.filled < kBlock)
            return std::max(position, index * kBlock + found->second.filled);
    }
    return std::max(position, index * kBlock);
}

uint64_t BlockCache::nextHeld(uint64_t position) const {
    const uint64_t index = position / kBlock;
    auto found = blocks_.find(index);
    if (found != blocks_.end() && found->second.filled > position % kBlock)
        return position;
    found = blocks_.upper_bound(index);
    while (found != blocks_.end() && found->second.filled == 0)
        ++found;
    return found == blocks_.end() ? UINT64_MAX : found->first * kBlock;
}

void BlockCache::evict(uint64_t limit, const std::vector<std::pair<uint64_t, uint64_t>>& keep) {
    auto kept = [&](uint64_t index) {
        const uint64_t from = index * kBlock, to = from + kBlock;
        return std::any_of(keep.begin(), keep.end(),
                           [&](const auto& range) { return from < range.second && range.first < to; });
    };
    auto it = uses_.end();
    while (heldBytes() > limit && it != uses_.begin()) {
        --it;
        if (kept(*it))
            continue;
        blocks_.erase(*it);
        it = uses_.erase(it);
    }
}

} // namespace engine
