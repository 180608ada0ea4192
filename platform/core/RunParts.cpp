#include "platform/core/RunParts.h"

#include <algorithm>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace platform {

int partsFor(qint64 work, qint64 perPart) {
    constexpr int kMostParts = 8;
    const int cores = int(std::thread::hardware_concurrency());
    return int(
        std::clamp<qint64>(std::min<qint64>(work / std::max<qint64>(perPart, 1), cores), 1, kMostParts));
}

void runParts(int n, const std::function<void(int)>& part) {
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
        std::vector<std::jthread> threads;
        threads.reserve(failures.size());
        for (int t = 1; t < n; ++t) {
            try {
                threads.emplace_back(run, t);
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
