// Several threads calling the library at the same moment, for the tests of
// its shared state.
#pragma once

#include <atomic>
#include <thread>
#include <vector>

namespace OrvexConfigValidate {

constexpr int kThreads = 4;

// Runs work(thread) on kThreads threads and waits for them. All start at
// once so that their first calls overlap.
template <typename Work>
void runTogether(Work work) {
    std::atomic<int> waiting{kThreads};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            waiting.fetch_sub(1);
            while (waiting.load() > 0) std::this_thread::yield();
            work(t);
        });
    }
    for (std::thread& thread : threads) thread.join();
}

}  // namespace OrvexConfigValidate
