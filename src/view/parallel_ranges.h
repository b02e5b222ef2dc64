#pragma once
// Work over independent indices shared among a few threads. Each index's result depends
// on that index alone, so how the indices are shared cannot change what is computed.
#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

// Calls work(begin, end) for ranges that together cover [0, count), on up to four threads,
// this one among them; on this thread alone when count is below `least`. `work` must not
// throw. A thread that cannot be had leaves its range to this one.
template <class Work>
void ForEachRange(int64_t count, int64_t least, Work&& work) {
    const int64_t threads =
        count >= least ? std::min<int64_t>({std::thread::hardware_concurrency(), 4, count}) : 1;
    if (threads <= 1) {
        if (count > 0) work(int64_t{0}, count);
        return;
    }
    std::vector<std::thread> started;
    std::vector<std::pair<int64_t, int64_t>> here;
    for (int64_t k = 1; k < threads; ++k) {
        const int64_t from = count * k / threads, to = count * (k + 1) / threads;
        try {
            started.emplace_back([&work, from, to] { work(from, to); });
        } catch (const std::system_error&) {
            here.push_back({from, to});
        }
    }
    work(int64_t{0}, count / threads);
    for (std::thread& t : started) t.join();
    for (auto [from, to] : here) work(from, to);
}
