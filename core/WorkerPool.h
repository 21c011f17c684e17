// One set of worker threads that lives across searches, so that a search of a few milliseconds
// does not pay for starting and ending a thread per core. The calling thread always takes part
// in its own work, so a run finishes even when every worker is busy elsewhere (a search started
// from a yield while another one waits on its workers, or from inside a task).
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <semaphore>
#include <thread>
#include <vector>

namespace vel {

class WorkerPool {
public:
    // A pool of `workers` threads (0: std::thread::hardware_concurrency()), started at the first
    // run or post, not before.
    explicit WorkerPool(unsigned workers = 0);
    // Lets running functions end, drops the posted ones that no worker has begun, and joins.
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // The number of worker threads (at least 1).
    unsigned size() const { return size_; }

    // Runs job(t) for t = 0..tasks - 1 on at most `threads` threads, the calling one among them
    // (0: every worker and the calling thread), and returns when every task has ended. Tasks
    // are taken in ascending order, each once. A task that raises does not stop the others; the
    // error of the lowest task that raised is raised here afterwards, and the pool stays usable.
    // With tasks or threads <= 1 every task runs on the calling thread, in order.
    void Run(std::size_t tasks, unsigned threads, const std::function<void(std::size_t)>& job);

    // Hands a function to the next free worker and returns at once. The function must not raise
    // and must not wait for work that only the caller can do; whoever posts it keeps what it
    // uses alive until it has ended (it may never begin when the pool is destroyed first).
    void Post(std::function<void()> f);

private:
    void Start();  // with mutex_ held
    void Work();
    // Wakes up to n waiting workers, the last to wait first; releases the lock.
    void Wake(std::size_t n, std::unique_lock<std::mutex>& lock);

    const unsigned size_;
    std::mutex mutex_;
    std::deque<std::function<void()>> queue_;  // posted functions, the oldest first
    // A worker waiting for work. Each has its own wake-up, and the one that began to wait last
    // is woken first: its processor is the likeliest to be awake still, and waking one never
    // holds up the thread that posts (as the shared queue of a condition variable can).
    struct Sleeper {
        std::binary_semaphore wake{0};
        Sleeper* next = nullptr;  // the one that began to wait before it
    };
    Sleeper* idle_ = nullptr;  // the waiting workers, the last to wait first
    bool stop_ = false;
    std::vector<std::thread> threads_;
};

// The program's pool: the searches of the trading methods, the member searches of the basket
// runs, the screening values and the timing groups share it.
extern WorkerPool Workers;

}  // namespace vel
