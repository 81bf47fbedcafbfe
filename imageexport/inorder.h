#pragma once

#include "animationwriter.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quillet {

// The threads control allows: control.threads, or one per processor when that is 0; at least 1.
inline int ThreadCount(const ExportControl& control) {
    if (control.threads > 0) return control.threads;
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

// Makes produce(i) for every i in [0, count) on ThreadCount(control) threads and hands each result
// to consume(i, result) on the calling thread, in the order of i; at most a few results per thread
// wait for their turn, so memory stays bounded whatever count is. What consume receives, and so
// what it writes, does not depend on the number of threads. produce must be safe to run on several
// threads at once. An exception from produce is rethrown here when its turn comes; one from
// consume stops the run. Throws ExportCancelled once control's cancel flag is seen; no produce
// starts after that.
template <typename Result>
void RunInOrder(int count, const std::function<Result(int)>& produce, const std::function<void(int, Result&)>& consume,
                const ExportControl& control) {
    const int threads = std::min(ThreadCount(control), std::max(count, 1));
    const int window = 2 * threads;
    struct Slot {
        std::optional<Result> result;
        std::exception_ptr error;
        bool done = false;
    };
    std::vector<Slot> pending(static_cast<std::size_t>(window));
    std::mutex mutex;
    std::condition_variable changed;
    int next = 0;     // the next index a worker takes
    int consumed = 0; // indices below this were handed to consume
    bool stop = false;

    auto work = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || next >= count || next < consumed + window; });
            if (stop || next >= count) return;
            const int i = next++;
            lock.unlock();
            Slot slot;
            try {
                if (!control.cancelled()) slot.result.emplace(produce(i));
            } catch (...) {
                slot.error = std::current_exception();
            }
            slot.done = true;
            lock.lock();
            pending[static_cast<std::size_t>(i % window)] = std::move(slot);
            changed.notify_all();
        }
    };
    std::vector<std::thread> workers;
    workers.reserve(static_cast<std::size_t>(threads));
    for (int t = 0; t < threads; ++t)
        workers.emplace_back(work);
    auto finish = [&] {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            stop = true;
        }
        changed.notify_all();
        for (std::thread& worker : workers)
            worker.join();
    };

    try {
        for (int i = 0; i < count; ++i) {
            Slot slot;
            {
                std::unique_lock<std::mutex> lock(mutex);
                Slot& waiting = pending[static_cast<std::size_t>(i % window)];
                changed.wait(lock, [&] { return waiting.done; });
                slot = std::move(waiting);
                waiting = Slot();
            }
            if (slot.error) std::rethrow_exception(slot.error);
            if (control.cancelled() || !slot.result) throw ExportCancelled();
            consume(i, *slot.result);
            {
                const std::lock_guard<std::mutex> lock(mutex);
                consumed = i + 1;
            }
            changed.notify_all();
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

} // namespace quillet
