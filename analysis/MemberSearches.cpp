// The member searches of a basket run on worker threads, merged in member order; and the
// program's individual searches, which are a basket of one.
#include "MemberSearches.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "AppState.h"
#include "Hooks.h"
#include "SwingingSearch.h"
#include "TimingSearch.h"
#include "VectorStores.h"

namespace vel {

SearchRoadChoice SearchRoad;
SearchRoadCounts SearchCounts;

void RunLiteralSearch(SearchFamily family, long PriceVector, long WorkVector) {
    switch (family) {
        case SearchFamily::Timing:
            CalcIndividualStockTimingLiteral(PriceVector, WorkVector);
            break;
        case SearchFamily::Swinging:
            CalcIndividualStockSwingingLiteral(PriceVector, WorkVector);
            break;
        case SearchFamily::SpecialSwinging:
            CalcIndividualStockSpecialSwingingLiteral(PriceVector, WorkVector);
            break;
    }
}

namespace {

// One thread's scratch for the searches of every family.
struct Scratch {
    TimingScratchPtr timing = MakeTimingScratch();
    SwingingScratchPtr swinging = MakeSwingingScratch();
};

// The fused search of one member; an outcome that is not fused when the row is not plain or
// the fused road gave up (the literal search then runs, and raises what it raises, at the
// member's turn).
SearchOutcome Compute(SearchFamily family, const std::vector<float>& row, const SearchWindow& w,
                      Scratch& s) {
    try {
        switch (family) {
            case SearchFamily::Timing:
                return SearchTimingRow(row.data(), w, *s.timing);
            case SearchFamily::Swinging:
                return SearchSwingingRow(row.data(), w, false, *s.swinging);
            case SearchFamily::SpecialSwinging:
                return SearchSwingingRow(row.data(), w, true, *s.swinging);
        }
    } catch (...) {
    }
    return SearchOutcome{};
}

// The caller's follow-up of a fused search, on the thread that ran the search.
void FollowUp(const MemberFollowUp* f, bool haveRows, const std::vector<float>& price,
              const std::vector<float>& rows, const SearchWindow& w, SearchOutcome& o) {
    if (f == nullptr || !f->compute || !haveRows || !o.fused) return;
    try {
        o.followedUp = f->compute(price, rows, w, o, o.followUp);
    } catch (...) {
        o.followedUp = false;
    }
    if (!o.followedUp) o.followUp.clear();
}

// Reads the member's price row on the calling thread; false when it cannot go the fused way.
bool ReadMemberRow(SearchFamily family, const SearchWindow& w, long PriceVector,
                   std::vector<float>& row) {
    return w.fusable() &&
           ReadPlainRow(*MainVectors, PriceVector, w.dim, family == SearchFamily::Timing, row);
}

void WriteSingles(clsVectors& v, long vector, const float* row, long dim) {
    for (long d = 1; d <= dim; ++d) v.CoordSetSingleValue(vector, d, row[d - 1]);
}

// A level signal as CoordCrossingAboveSpecifiedLevelSignal leaves it: whole numbers.
void WriteWholeSignal(clsVectors& v, long vector, const float* row, long dim) {
    for (long d = 1; d <= dim; ++d)
        v.CoordSetValue(vector, d, Num::whole(row[d - 1] > 0.0f ? 100 : -100));
}

// Puts in place what the member's search leaves: the literal search itself when the outcome
// is not fused.
void Leave(SearchFamily family, const SearchOutcome& o, long P, long W) {
    if (!o.fused) {
        ++SearchCounts.literal;
        RunLiteralSearch(family, P, W);
        return;
    }
    ++SearchCounts.fused;
    clsVectors& v = *MainVectors;
    const long dim = v.CoordDim();
    const float* r = o.rows.data();
    BestTrialRecord& best = BestSoFar;
    switch (family) {
        case SearchFamily::Timing:
            for (long k = 0; k < 3; ++k) WriteSingles(v, W + k, r + k * dim, dim);
            if (o.improved)
                best = o.best;
            else
                best.CompoundProfit = Num(-10000.0);
            break;
        case SearchFamily::Swinging:
            v.VectorCopy(P, W);
            for (long k = 0; k < 3; ++k) WriteSingles(v, W + 1 + k, r + k * dim, dim);
            WriteWholeSignal(v, W + 4, r + 3 * dim, dim);
            best.CompoundProfit = o.best.CompoundProfit;
            best.Rallies = o.best.Rallies;
            best.GradientPoints = o.best.GradientPoints;
            best.SmoothPoints = o.best.SmoothPoints;
            if (o.improved) best.OptimalHighLevel = o.best.OptimalHighLevel;
            break;
        case SearchFamily::SpecialSwinging:
            v.VectorCopy(P, W);
            WriteSingles(v, W + 1, r, dim);
            WriteWholeSignal(v, W + 4, r + dim, dim);
            best.CompoundProfit = o.best.CompoundProfit;
            best.Rallies = o.best.Rallies;
            best.GradientPoints = o.best.GradientPoints;
            best.OptimalHighLevel = o.best.OptimalHighLevel;
            if (o.improved) best.SmoothPoints = o.best.SmoothPoints;
            break;
    }
    // The trials wrote rows 1..logRows of the log; rows above keep what they held.
    for (int k = 1; k <= o.logRows; ++k) {
        TradingLog(k, 1) = o.log(k, 1);
        TradingLog(k, 2) = o.log(k, 2);
    }
    RallyCount = o.log.count;
}

// Worker threads that run the fused searches of submitted rows; outcomes are taken by member
// number. The destructor stops and joins them (a search under way is finished first).
class SearchPool {
public:
    SearchPool(SearchFamily family, const SearchWindow& w, unsigned threads,
               const MemberFollowUp* followUp)
        : family_(family), window_(w), followUp_(followUp) {
        for (unsigned t = 0; t < threads; ++t) workers_.emplace_back([this] { Work(); });
    }
    ~SearchPool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        taskReady_.notify_all();
        for (std::thread& t : workers_) t.join();
    }
    SearchPool(const SearchPool&) = delete;
    SearchPool& operator=(const SearchPool&) = delete;

    void Submit(std::size_t k, std::vector<float> row, std::vector<float> rows, bool haveRows) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            tasks_.push_back({k, std::move(row), std::move(rows), haveRows});
        }
        taskReady_.notify_one();
    }
    // An outcome known without a search (a member that goes the literal way).
    void Put(std::size_t k, SearchOutcome o) {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.emplace(k, std::move(o));
    }
    // Waits for member k's outcome, calling idle() (outside the lock) while it waits.
    template <class Idle>
    SearchOutcome Take(std::size_t k, Idle&& idle) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (true) {
            auto it = done_.find(k);
            if (it != done_.end()) {
                SearchOutcome o = std::move(it->second);
                done_.erase(it);
                return o;
            }
            outcomeReady_.wait_for(lock, std::chrono::milliseconds(5));
            lock.unlock();
            idle();
            lock.lock();
        }
    }

private:
    struct Task {
        std::size_t k = 0;
        std::vector<float> row;
        std::vector<float> rows;  // the follow-up's rows
        bool haveRows = false;
    };
    void Work() {
        Scratch scratch;
        while (true) {
            Task task;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                taskReady_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
                if (stop_) return;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            SearchOutcome o = Compute(family_, task.row, window_, scratch);
            FollowUp(followUp_, task.haveRows, task.row, task.rows, window_, o);
            o.input = std::move(task.row);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                done_.emplace(task.k, std::move(o));
            }
            outcomeReady_.notify_all();
        }
    }

    const SearchFamily family_;
    const SearchWindow window_;
    const MemberFollowUp* const followUp_;
    std::mutex mutex_;
    std::condition_variable taskReady_, outcomeReady_;
    std::deque<Task> tasks_;
    std::map<std::size_t, SearchOutcome> done_;
    bool stop_ = false;
    std::vector<std::thread> workers_;
};

unsigned ThreadCount(std::size_t members) {
    unsigned t = SearchRoad.threads != 0 ? SearchRoad.threads : std::thread::hardware_concurrency();
    if (t == 0) t = 1;
    return static_cast<unsigned>(std::min<std::size_t>(t, members));
}

}  // namespace

void RunMemberSearches(SearchFamily family, const std::vector<long>& priceVectors, long WorkVector,
                       const std::function<void(std::size_t)>& before,
                       const std::function<void(std::size_t)>& after, long searchedVector) {
    std::function<void(std::size_t, const std::vector<float>*)> turnEnd;
    if (after) turnEnd = [&after](std::size_t k, const std::vector<float>*) { after(k); };
    RunMemberSearches(family, priceVectors, WorkVector, before, turnEnd, searchedVector,
                      MemberFollowUp{});
}

void RunMemberSearches(SearchFamily family, const std::vector<long>& priceVectors, long WorkVector,
                       const std::function<void(std::size_t)>& before,
                       const std::function<void(std::size_t, const std::vector<float>*)>& after,
                       long searchedVector, const MemberFollowUp& followUp) {
    const std::size_t members = priceVectors.size();
    // The vector the sequential search of member k reads at its turn.
    auto searched = [&](std::size_t k) {
        return searchedVector != 0 ? searchedVector : priceVectors[k];
    };
    // A member's turn: before, the search (which hands back the follow-up's rows, if any), after.
    auto turn = [&](std::size_t k, auto&& search) {
        if (before) before(k);
        const std::vector<float>* rows = search();
        if (rows != nullptr) ++SearchCounts.followedUp;
        if (after) after(k, rows);
    };
    const MemberFollowUp* f = followUp.read && followUp.compute ? &followUp : nullptr;
    if (SearchRoad.literal) {
        for (std::size_t k = 0; k < members; ++k)
            turn(k, [&]() -> const std::vector<float>* {
                ++SearchCounts.literal;
                RunLiteralSearch(family, searched(k), WorkVector);
                return nullptr;
            });
        return;
    }
    const SearchWindow w = CurrentSearchWindow();
    const unsigned threads = ThreadCount(members);
    std::vector<float> row, rows;
    SearchOutcome o;
    if (threads <= 1) {
        Scratch scratch;
        for (std::size_t k = 0; k < members; ++k)
            turn(k, [&]() -> const std::vector<float>* {
                const long P = searched(k);
                o = SearchOutcome{};
                if (ReadMemberRow(family, w, P, row)) {
                    // The follow-up's rows are read before the search, as the workers do.
                    const bool haveRows = f != nullptr && f->read(k, rows);
                    o = Compute(family, row, w, scratch);
                    FollowUp(f, haveRows, row, rows, w, o);
                }
                Leave(family, o, P, WorkVector);
                return o.followedUp ? &o.followUp : nullptr;
            });
        return;
    }
    SearchPool pool(family, w, threads, f);
    // Rows are read ahead of the merge by a few members per thread, so memory stays bounded.
    const std::size_t lead = 4 * static_cast<std::size_t>(threads);
    std::size_t fed = 0;
    auto feed = [&](std::size_t upTo) {
        for (; fed < members && fed < upTo; ++fed) {
            if (ReadMemberRow(family, w, priceVectors[fed], row)) {
                const bool haveRows = f != nullptr && f->read(fed, rows);
                pool.Submit(fed, std::move(row), haveRows ? std::move(rows) : std::vector<float>(),
                            haveRows);
            } else {
                pool.Put(fed, SearchOutcome{});
            }
        }
    };
    std::vector<float> current;
    for (std::size_t k = 0; k < members; ++k)
        turn(k, [&]() -> const std::vector<float>* {
            feed(k + lead);
            o = pool.Take(k, [&] {
                YieldToEvents();
                feed(k + lead);
            });
            // A searched vector of the caller's must hold, at the member's turn, the row the
            // worker searched; otherwise the member goes the literal way on it.
            if (searchedVector != 0 && o.fused &&
                !(ReadMemberRow(family, w, searchedVector, current) &&
                  current.size() == o.input.size() &&
                  std::memcmp(current.data(), o.input.data(), current.size() * sizeof(float)) == 0))
                o = SearchOutcome{};
            Leave(family, o, searched(k), WorkVector);
            return o.followedUp ? &o.followUp : nullptr;
        });
}

void CalcIndividualStockTiming(long PriceVector, long W) {
    RunMemberSearches(SearchFamily::Timing, {PriceVector}, W, {}, {});
}

void CalcIndividualStockSwinging(long PriceVector, long BaseVector) {
    RunMemberSearches(SearchFamily::Swinging, {PriceVector}, BaseVector, {}, {});
}

void CalcIndividualStockSpecialSwinging(long PriceVector, long BaseVector) {
    RunMemberSearches(SearchFamily::SpecialSwinging, {PriceVector}, BaseVector, {}, {});
}

}  // namespace vel
