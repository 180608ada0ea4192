#include "platform/core/RunParts.h"

#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using platform::partsFor;
using platform::runParts;

namespace {

// No work, or parts asked of no size, still make one part at least; never more than eight.
TEST(RunPartsTest, PartsForOddSizes) {
    EXPECT_EQ(partsFor(0, 100), 1);
    EXPECT_EQ(partsFor(-5, -1), 1);
    EXPECT_EQ(partsFor(5, 0), partsFor(5, 1));
    EXPECT_LE(partsFor(qint64(1) << 40, 1), 8);
}

// Every part runs once, part 0 on the caller's thread and each other part on a thread of its own.
TEST(RunPartsTest, RunsEachPartOnceOnItsOwnThread) {
    for (int n : {0, 1, 5}) {
        auto ranOn = std::vector<std::thread::id>(size_t(n));
        std::vector<int> runs(size_t(n), 0);
        runParts(n, [&](int t) {
            ranOn[size_t(t)] = std::this_thread::get_id();
            ++runs[size_t(t)];
        });
        for (int t = 0; t < n; ++t) {
            EXPECT_EQ(runs[size_t(t)], 1) << n << ": part " << t;
            EXPECT_EQ(ranOn[size_t(t)] == std::this_thread::get_id(), t == 0) << n << ": part " << t;
            for (int u = 1; u < t; ++u)
                EXPECT_NE(ranOn[size_t(u)], ranOn[size_t(t)]) << n << ": parts " << u << ", " << t;
        }
    }
}

// A part that throws, on this thread or another, ends neither the program nor the other parts;
// the exception of the lowest-numbered part that threw reaches the caller.
TEST(RunPartsTest, AnExceptionReachesTheCallerAfterEveryPartHasEnded) {
    const struct {
        const char* name;
        std::vector<int> throwing;
        const char* expected;
    } cases[] = {{"this thread's part", {0}, "part 0"},
                 {"another thread's part", {3}, "part 3"},
                 {"several parts", {4, 2, 0}, "part 0"},
                 {"all but this thread's", {1, 2, 3, 4}, "part 1"}};
    for (const auto& c : cases) {
        constexpr int kParts = 5;
        std::atomic<int> ended = 0;
        std::string caught;
        try {
            runParts(kParts, [&](int t) {
                if (std::find(c.throwing.begin(), c.throwing.end(), t) != c.throwing.end())
                    throw std::runtime_error("part " + std::to_string(t));
                ++ended;
            });
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        EXPECT_EQ(caught, c.expected) << c.name;
        EXPECT_EQ(ended, kParts - int(c.throwing.size())) << c.name;
    }
}

} // namespace
