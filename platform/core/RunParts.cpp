#include "platform/core/RunParts.h"

#include "platform/core/SysUtils.h"

#include <algorithm>
#include <exception>
#include <pthread.h>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

namespace {

// The address space a thread of its own takes: the stack it is given, and the malloc arena that
// glibc makes for a thread at its first allocation or release (64 MB on 64-bit), which stays
// mapped after the thread. A thread's state is released on the thread itself, so every thread
// allocates.
qint64 threadBytes() {
    constexpr qint64 kArenaBytes = qint64(64) << 20;
    size_t stack = size_t(8) << 20;
    pthread_attr_t attributes;
    if (::pthread_getattr_default_np(&attributes) == 0) {
        ::pthread_attr_getstacksize(&attributes, &stack);
        ::pthread_attr_destroy(&attributes);
    }
    return qint64(stack) + kArenaBytes;
}

// How many threads of the n - 1 a call may start within the address space left.
int threadsThatFit(int n, qint64 keep) {
    constexpr qint64 kProgramBytes = qint64(32) << 20;
    if (n <= 1)
        return 0;
    const qint64 room = addressSpaceLeft() - std::max<qint64>(keep, 0) - kProgramBytes;
    return int(std::clamp<qint64>(room / threadBytes(), 0, n - 1));
}

} // namespace

int partsFor(qint64 work, qint64 perPart) {
    constexpr int kMostParts = 8;
    const int cores = int(std::thread::hardware_concurrency());
    return int(
        std::clamp<qint64>(std::min<qint64>(work / std::max<qint64>(perPart, 1), cores), 1, kMostParts));
}

void runParts(int n, qint64 keep, const std::function<void(int)>& part) {
    // An exception leaving a thread, or a joinable thread destroyed while one unwinds, would end
    // the program: each part's exception is kept until every thread has been joined.
    std::vector<std::exception_ptr> failures(size_t(std::max(n, 0)));
    auto run = [&](int t) noexcept {
        try {
            part(t);
        } catch (...) {
            failures[size_t(t)] = std::current_exception();
        }
    };
    {
        const int threads = threadsThatFit(n, keep);
        std::vector<std::jthread> started;
        started.reserve(size_t(threads));
        for (int t = 1; t < n; ++t) {
            try {
                if (t > threads)
                    run(t);
                else
                    started.emplace_back(run, t);
            } catch (const std::system_error&) { // no thread to be had: the part runs here
                run(t);
            }
        }
        if (n > 0)
            run(0);
    } // joins the threads
    for (const std::exception_ptr& failure : failures) {
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace platform
