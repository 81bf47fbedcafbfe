#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

// Ends the test program with a failure when the guarded step has not finished in time: a reader
// blocked on a FIFO or reading an endless device would otherwise hold the whole run.
class Watchdog {
public:
    Watchdog(std::string what, std::chrono::seconds limit = std::chrono::seconds(20))
        : m_thread([this, what = std::move(what), limit] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_finished.wait_for(lock, limit, [this] { return m_done; })) return;
              std::fprintf(stderr, "FAILED: %s did not finish within %lld s\n", what.c_str(),
                           static_cast<long long>(limit.count()));
              std::fflush(stderr);
              std::_Exit(1);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_thread; // last: it starts once the members it waits on exist
};
