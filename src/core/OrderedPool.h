#pragma once

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace core {

// The cores of the machine, at least one: how many workers a pool uses unless told otherwise.
inline int coreCount()
{
    return std::max(1, int(std::thread::hardware_concurrency()));
}

// Runs tasks 0..count-1 on up to `workers` threads and hands each result on, in task order, on the calling
// thread as soon as it and all before it are done, so the outcome is the one a single worker gives.
// Before each result and about every 20 ms while it waits, the calling thread calls keepWaiting() (to yield
// to the event loop and ask whether the user cancelled). keepWaiting() or deliver() answering false stops the pool:
// workers see the flag handed to them set and should end their task early, tasks not yet started are skipped, and
// nothing more is handed on. A task's exception is rethrown on the calling thread when its turn comes.
// work(index, slot, stop) runs on a worker; slot (0..workers-1) names the worker, for per-worker objects
// that the calling thread made beforehand. Returns true when every result was handed on.
template <class Result>
bool runOrdered(int count, int workers, const std::function<Result(int, int, const std::atomic<bool>&)>& work,
                const std::function<bool(int, Result&)>& deliver, const std::function<bool()>& keepWaiting)
{
    struct Slot
    {
        std::optional<Result> result;
        std::exception_ptr failure;
        bool done = false;
    };
    std::vector<Slot> slots(static_cast<std::size_t>(count));
    std::mutex mutex;
    std::condition_variable finished;
    std::atomic<int> next{0};
    std::atomic<bool> stop{false};

    std::vector<std::thread> threads;
    for (int w = 0; w < std::min(workers, count); ++w) {
        threads.emplace_back([&, w] {
            for (int i = next++; i < count && !stop; i = next++) {
                Slot outcome;
                try {
                    outcome.result.emplace(work(i, w, stop));
                } catch (...) {
                    outcome.failure = std::current_exception();
                }
                const std::lock_guard lock(mutex);
                slots[std::size_t(i)] = std::move(outcome);
                slots[std::size_t(i)].done = true;
                finished.notify_all();
            }
        });
    }

    bool complete = true;
    try {
        for (int i = 0; i < count && complete; ++i) {
            Slot& slot = slots[std::size_t(i)];
            if (!keepWaiting()) {
                complete = false;
                break;
            }
            for (;;) {
                std::unique_lock lock(mutex);
                if (finished.wait_for(lock, std::chrono::milliseconds(20), [&] { return slot.done; }))
                    break;
                lock.unlock();
                if (!keepWaiting()) {
                    complete = false;
                    break;
                }
            }
            if (!complete)
                break;
            if (slot.failure)
                std::rethrow_exception(slot.failure);
            complete = deliver(i, *slot.result);
            slot.result.reset();
        }
    } catch (...) {
        stop = true;
        for (std::thread& t : threads)
            t.join();
        throw;
    }
    stop = !complete;
    for (std::thread& t : threads)
        t.join();
    return complete;
}

} // namespace core
