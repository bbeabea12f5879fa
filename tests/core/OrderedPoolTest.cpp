#include "core/OrderedPool.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <thread>
#include <vector>

namespace {

using Work = std::function<int(int, int, const std::atomic<bool>&)>;

// Runs count tasks on workers threads; the indexes handed on go to delivered, until deliver(index) says stop.
bool run(
    int count, int workers, const Work& work, std::vector<int>& delivered,
    const std::function<bool(int)>& deliver = [](int) { return true; },
    const std::function<bool()>& keepWaiting = [] { return true; })
{
    return core::runOrdered<int>(
        count, workers, work,
        [&](int index, int& result) {
            EXPECT_EQ(result, index * index);
            delivered.push_back(index);
            return deliver(index);
        },
        keepWaiting);
}

} // namespace

TEST(OrderedPool, HandsResultsOnInTaskOrderWhateverOrderTheyFinishIn)
{
    for (const int workers : {1, 3, 8}) {
        std::vector<int> delivered;
        std::atomic<bool> slotsInRange = true;
        // Later tasks finish first.
        const bool complete = run(
            12, workers,
            [&](int index, int slot, const std::atomic<bool>&) {
                slotsInRange = slotsInRange && slot >= 0 && slot < workers;
                std::this_thread::sleep_for(std::chrono::milliseconds(2 * (12 - index)));
                return index * index;
            },
            delivered);
        EXPECT_TRUE(complete);
        EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11})) << workers;
        EXPECT_TRUE(slotsInRange);
    }
}

TEST(OrderedPool, StopsWhenWaitingIsCancelledOrDeliveryRefuses)
{
    // A cancel after the first result: workers see the flag, later tasks never start, nothing more is handed on.
    std::atomic<int> started{0};
    std::vector<int> delivered;
    int waits = 0;
    const Work waitForStop = [&](int index, int, const std::atomic<bool>& stop) {
        ++started;
        while (index >= 1 && !stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return index * index;
    };
    EXPECT_FALSE(run(
        100, 2, waitForStop, delivered, [](int) { return true; },
        [&] {
            ++waits;
            return delivered.empty();
        }));
    EXPECT_EQ(delivered.size(), 1u);
    EXPECT_GE(waits, 2);
    EXPECT_LE(started, 4);

    delivered.clear();
    const Work square = [](int index, int, const std::atomic<bool>&) { return index * index; };
    EXPECT_FALSE(run(10, 2, square, delivered, [](int index) { return index < 4; }));
    EXPECT_EQ(delivered.size(), 5u);
}

TEST(OrderedPool, TaskFailureReachesTheCallingThreadInItsTurn)
{
    std::vector<int> delivered;
    const Work failOnThree = [](int index, int, const std::atomic<bool>&) {
        if (index == 3)
            throw std::runtime_error("store 3");
        return index * index;
    };
    EXPECT_THROW(run(5, 2, failOnThree, delivered), std::runtime_error);
    EXPECT_EQ(delivered, (std::vector<int>{0, 1, 2}));
}
