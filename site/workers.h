#pragma once

#include <thread>
#include <vector>

// Runs `work` on `count` threads, this one among them, and returns when every one has ended.
// Each takes its files from a list the work shares.
template <class Work>
void runOnWorkers(int count, Work&& work)
{
    std::vector<std::thread> threads;
    for (int i = 1; i < count; ++i)
        threads.emplace_back(work);
    work();
    for (std::thread& t : threads)
        t.join();
}
