// The network cache's bookkeeping: runs of bytes in blocks, gaps, eviction.
#include "BlockCache.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using engine::BlockCache;

namespace {

constexpr uint64_t B = BlockCache::kBlock;

// The byte a resource holds at `position`, so that copies can be checked.
uint8_t byteAt(uint64_t position) {
    return static_cast<uint8_t>(position * 7 + position / 251);
}

size_t storeRange(BlockCache& cache, uint64_t from, uint64_t to) {
    std::vector<uint8_t> bytes(static_cast<size_t>(to - from));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = byteAt(from + i);
    return cache.store(from, bytes.data(), bytes.size());
}

struct Range {
    uint64_t from, to;
};

TEST(BlockCache, RunsGapsAndLookups) {
    struct Case {
        const char* what;
        std::vector<Range> stored;
        uint64_t at;
        uint64_t firstMissing;
        uint64_t nextHeld;
    };
    const Case cases[] = {
        {"empty", {}, 5, 5, UINT64_MAX},
        {"inside a partial block", {{0, 100}}, 10, 100, 10},
        {"at the end of a partial block", {{0, 100}}, 100, 100, UINT64_MAX},
        {"across full blocks", {{0, 3 * B + 10}}, 5, 3 * B + 10, 5},
        {"a gap between runs", {{0, B}, {2 * B, 3 * B}}, 10, B, 10},
        {"in the gap, held further on", {{0, B}, {2 * B, 3 * B}}, B + 5, B + 5, 2 * B},
        {"a run that does not start a block is dropped", {{B + 10, 2 * B}}, B + 10, B + 10, UINT64_MAX},
        {"a run continued by a second store", {{0, 100}, {100, B + 50}}, 0, B + 50, 0},
        {"an overlapping store extends the run", {{0, 100}, {50, 300}}, 0, 300, 0},
        {"a store past the run's end leaves it", {{0, 100}, {200, 300}}, 0, 100, 0},
    };
    for (const Case& c : cases) {
        BlockCache cache;
        for (const Range& r : c.stored)
            storeRange(cache, r.from, r.to);
        EXPECT_EQ(cache.firstMissing(c.at), c.firstMissing) << c.what;
        EXPECT_EQ(cache.nextHeld(c.at), c.nextHeld) << c.what;
    }
}

TEST(BlockCache, CopyGivesTheStoredBytesUpToTheFirstGap) {
    BlockCache cache;
    EXPECT_EQ(storeRange(cache, 0, 2 * B + 300), 2 * B + 300);
    EXPECT_EQ(storeRange(cache, 3 * B, 4 * B), B);
    std::vector<uint8_t> out(4 * B);
    // From inside the first block, across two block boundaries, to the gap.
    const size_t n = cache.copy(100, out.data(), out.size());
    ASSERT_EQ(n, 2 * B + 200);
    for (size_t i = 0; i < n; ++i)
        ASSERT_EQ(out[i], byteAt(100 + i)) << i;
    EXPECT_EQ(cache.copy(2 * B + 300, out.data(), 10), 0u);
    EXPECT_EQ(cache.copy(3 * B + 5, out.data(), 10), 10u);
    EXPECT_EQ(out[0], byteAt(3 * B + 5));
}

TEST(BlockCache, StoringHeldBytesAgainKeepsTheFirstCopy) {
    BlockCache cache;
    std::vector<uint8_t> zeros(200, 0);
    storeRange(cache, 0, 100);
    EXPECT_EQ(cache.store(0, zeros.data(), zeros.size()), 100u); // only bytes 100..199 are new
    uint8_t out[1];
    cache.copy(50, out, 1);
    EXPECT_EQ(out[0], byteAt(50));
}

TEST(BlockCache, EvictionDropsTheLeastRecentlyUsedButKeepsProtectedRanges) {
    BlockCache cache;
    for (uint64_t i = 0; i < 6; ++i)
        storeRange(cache, i * B, (i + 1) * B);
    uint8_t out[1];
    cache.copy(0, out, 1); // block 0 is now the most recently used
    // Keep blocks 1 and 2; at most 3 blocks remain: 0 (recent) and 1, 2 (kept).
    cache.evict(3 * B, {{B + 10, 2 * B + 20}});
    EXPECT_EQ(cache.heldBytes(), 3 * B);
    EXPECT_TRUE(cache.holds(0));
    EXPECT_TRUE(cache.holds(B));
    EXPECT_TRUE(cache.holds(2 * B));
    EXPECT_FALSE(cache.holds(3 * B));
    EXPECT_FALSE(cache.holds(5 * B));
    // Everything protected: nothing goes, whatever the limit.
    cache.evict(0, {{0, 3 * B}});
    EXPECT_EQ(cache.heldBytes(), 3 * B);
    cache.evict(0, {});
    EXPECT_EQ(cache.heldBytes(), 0u);
    EXPECT_EQ(cache.firstMissing(0), 0u);
}

} // namespace
