#include "core/OrderedPool.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

// Tasks that finish in the reverse of their order, so a later one is always ready first.
int slowFirst(int index, int count)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(2 * (count - index)));
    return index * index;
}

} // namespace

TEST(OrderedPool, HandsResultsOnInTaskOrderWhateverOrderTheyFinishIn)
{
    for (const int workers : {1, 3, 8}) {
        std::vector<int> delivered;
        std::vector<int> slots;
        std::mutex mutex;
        const bool complete = core::runOrdered<int>(
            12, workers,
            [&](int index, int slot, const std::atomic<bool>&) {
                const std::lock_guard lock(mutex);
                slots.push_back(slot);
                return index;
            },
            [&](int index, int& result) {
                EXPECT_EQ(result, index);
                delivered.push_back(slowFirst(index, 12) >= 0 ? result : -1);
                return true;
            },
            [] { return true; });
        EXPECT_TRUE(complete);
        EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})) << workers;
        for (int slot : slots)
            EXPECT_TRUE(slot >= 0 && slot < workers);
    }
    std::vector<int> squares;
    core::runOrdered<int>(
        6, 3, [](int index, int, const std::atomic<bool>&) { return slowFirst(index, 6); },
        [&](int, int& result) {
            squares.push_back(result);
            return true;
        },
        [] { return true; });
    EXPECT_EQ(squares, (std::vector<int>{0, 1, 4, 9, 16, 25}));
}

TEST(OrderedPool, StopsWhenWaitingIsCancelledOrDeliveryRefuses)
{
    // A cancel after the first result: workers see the flag, later tasks never start, nothing more is handed on.
    std::atomic<int> started{0};
    int delivered = 0;
    int waits = 0;
    const bool complete = core::runOrdered<int>(
        100, 2,
        [&](int index, int, const std::atomic<bool>& stop) {
            ++started;
            while (index >= 1 && !stop)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return index;
        },
        [&](int, int&) {
            ++delivered;
            return true;
        },
        [&] {
            ++waits;
            return delivered < 1;
        });
    EXPECT_FALSE(complete);
    EXPECT_EQ(delivered, 1);
    EXPECT_GE(waits, 2);
    EXPECT_LE(started, 4);

    int handed = 0;
    EXPECT_FALSE(core::runOrdered<int>(
        10, 2, [](int index, int, const std::atomic<bool>&) { return index; },
        [&](int index, int&) {
            ++handed;
            return index < 4;
        },
        [] { return true; }));
    EXPECT_EQ(handed, 5);
}

TEST(OrderedPool, TaskFailureReachesTheCallingThreadInItsTurn)
{
    std::vector<int> delivered;
    EXPECT_THROW(core::runOrdered<int>(
                     5, 2,
                     [](int index, int, const std::atomic<bool>&) {
                         if (index == 3)
                             throw std::runtime_error("store 3");
                         return index;
                     },
                     [&](int index, int&) {
                         delivered.push_back(index);
                         return true;
                     },
                     [] { return true; }),
                 std::runtime_error);
    EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2}));
}
