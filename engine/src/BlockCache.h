// Bytes of a remote resource held in fixed-size blocks, in any order, with
// least-recently-used eviction. Each block holds a run of bytes from its own
// start (a fetcher writes a block from its start onwards). Not thread-safe:
// the owner locks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace engine {

class BlockCache {
  public:
    static constexpr uint64_t kBlock = 64 * 1024;

    // Stores bytes at `position`; bytes already held are kept, and bytes that
    // would leave a gap inside a block are dropped. Returns the count stored.
    size_t store(uint64_t position, const uint8_t* data, size_t size);
    // Copies the bytes held without a gap from `position`, up to `size`.
    size_t copy(uint64_t position, uint8_t* out, size_t size);
    // The first byte at or after `position` that is not held.
    uint64_t firstMissing(uint64_t position) const;
    // The first held byte at or after `position` (UINT64_MAX when none).
    uint64_t nextHeld(uint64_t position) const;
    // Drops least recently used blocks until at most `limit` bytes of blocks
    // remain, never a block that overlaps one of the `keep` ranges [from, to).
    void evict(uint64_t limit, const std::vector<std::pair<uint64_t, uint64_t>>& keep);

    uint64_t heldBytes() const { return blocks_.size() * kBlock; }
    bool holds(uint64_t position) const { return firstMissing(position) > position; }

  private:
    struct Block {
        std::unique_ptr<uint8_t[]> data;
        uint32_t filled = 0;
        std::list<uint64_t>::iterator use;
    };
    void touch(Block& block);

    std::map<uint64_t, Block> blocks_; // by block index
    std::list<uint64_t> uses_;         // block indices, most recently used first
};

} // namespace engine
