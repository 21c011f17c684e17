// The worker threads shared by the searches.
#include "WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>

namespace vel {

WorkerPool Workers;

namespace {

// One Run: its tasks are taken by the calling thread and by the helpers it posted. A helper
// that begins after every task was taken ends at once, so the batch outlives the Run that made
// it (the helpers hold it) but the job is only called while the Run waits.
class Batch {
public:
    Batch(std::size_t tasks, const std::function<void(std::size_t)>& job)
        : tasks_(tasks), job_(job), errors_(tasks) {}

    // Takes and runs tasks until none is left.
    void Help() {
        for (std::size_t k = next_.fetch_add(1); k < tasks_; k = next_.fetch_add(1)) {
            try {
                job_(k);
            } catch (...) {
                errors_[k] = std::current_exception();
            }
            std::lock_guard<std::mutex> lock(mutex_);
            if (++done_ == tasks_) allDone_.notify_all();
        }
    }

    // Waits for the tasks that helpers still run; raises the error of the lowest task.
    void Finish() {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            allDone_.wait(lock, [this] { return done_ == tasks_; });
        }
        // The errors are released here, not by a helper that ends the batch later.
        std::exception_ptr first;
        for (std::exception_ptr& e : errors_)
            if (e && !first) first = std::move(e);
        errors_.clear();
        if (first) std::rethrow_exception(first);
    }

private:
    const std::size_t tasks_;
    const std::function<void(std::size_t)>& job_;
    std::atomic<std::size_t> next_{0};
    std::mutex mutex_;
    std::condition_variable allDone_;
    std::size_t done_ = 0;
    std::vector<std::exception_ptr> errors_;  // [k]: task k's error; read after every task ended
};

}  // namespace

WorkerPool::WorkerPool(unsigned workers)
    : size_(workers != 0 ? workers : std::max(1u, std::thread::hardware_concurrency())) {}

WorkerPool::~WorkerPool() {
    std::unique_lock<std::mutex> lock(mutex_);
    stop_ = true;
    Wake(size_, lock);
    // A worker that ends the program (exit from a posted function) cannot join itself.
    for (std::thread& t : threads_)
        if (t.get_id() == std::this_thread::get_id())
            t.detach();
        else
            t.join();
}

void WorkerPool::Start() {
    if (!threads_.empty() || stop_) return;
    try {
        while (threads_.size() < size_) threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
        // Fewer threads than asked: the callers take part in their own work, so it still ends.
    }
}

void WorkerPool::Work() {
    Sleeper me;
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        if (queue_.empty()) {
            // Whoever wakes it has taken it off the list.
            me.next = idle_;
            idle_ = &me;
            lock.unlock();
            me.wake.acquire();
            lock.lock();
            continue;
        }
        std::function<void()> f = std::move(queue_.front());
        queue_.pop_front();
        lock.unlock();
        f();
        f = nullptr;  // what it holds is released outside the lock
        lock.lock();
    }
}

void WorkerPool::Wake(std::size_t n, std::unique_lock<std::mutex>& lock) {
    // The first n sleepers leave the list; each is released after its successor was read, as
    // it may wait again (and relink itself) at once.
    Sleeper* first = idle_;
    Sleeper* last = nullptr;
    for (Sleeper* s = idle_; s != nullptr && n > 0; s = s->next, --n) last = s;
    if (last == nullptr) {
        lock.unlock();
        return;
    }
    idle_ = last->next;
    last->next = nullptr;
    lock.unlock();
    for (Sleeper* s = first; s != nullptr;) {
        Sleeper* next = s->next;
        s->wake.release();
        s = next;
    }
}

void WorkerPool::Post(std::function<void()> f) {
    std::unique_lock<std::mutex> lock(mutex_);
    Start();
    queue_.push_back(std::move(f));
    Wake(1, lock);
}

void WorkerPool::Run(std::size_t tasks, unsigned threads,
                     const std::function<void(std::size_t)>& job) {
    if (tasks == 0) return;
    const std::size_t wanted = threads == 0 ? size_ + 1 : threads;
    const std::size_t helpers = std::min({wanted - 1, static_cast<std::size_t>(size_), tasks - 1});
    auto batch = std::make_shared<Batch>(tasks, job);
    if (helpers > 0) {
        std::unique_lock<std::mutex> lock(mutex_);
        std::size_t posted = 0;
        try {
            Start();
            for (; posted < helpers; ++posted) queue_.push_back([batch] { batch->Help(); });
        } catch (...) {
            // Fewer helpers than asked (no memory for more): the calling thread does the rest.
        }
        Wake(posted, lock);
    }
    batch->Help();
    batch->Finish();
}

}  // namespace vel
