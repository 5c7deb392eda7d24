// Runs code that must not wait on a named pipe, without letting the test wait for ever if it
// does: after a while the pipe's other end is opened and closed, which ends such a wait.
#pragma once

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace testsupport {

// True when `body` had to be let go by the watch, i.e. it waited on `pipe`.
template <typename Body>
bool WaitedOnPipe(const std::filesystem::path& pipe, Body body)
{
    std::mutex m;
    std::condition_variable cv;
    bool done = false;
    bool released = false;
    std::thread watch([&] {
        std::unique_lock<std::mutex> lock(m);
        if (cv.wait_for(lock, std::chrono::seconds(5), [&] { return done; }))
            return;
        released = true;
        while (!done) { // a reader that opens again is let go again
            lock.unlock();
            const int fd = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
            if (fd >= 0)
                ::close(fd);
            lock.lock();
            cv.wait_for(lock, std::chrono::milliseconds(100), [&] { return done; });
        }
    });
    body();
    {
        std::lock_guard<std::mutex> lock(m);
        done = true;
    }
    cv.notify_all();
    watch.join();
    return released;
}

} // namespace testsupport
