// The member searches of a basket run on worker threads, merged in member order; and the
// program's individual searches, which are a basket of one.
#include "MemberSearches.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <mutex>

#include "AppState.h"
#include "Hooks.h"
#include "SwingingSearch.h"
#include "TimingSearch.h"
#include "VectorStores.h"
#include "WorkerPool.h"

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

// The fused searches of submitted rows on the program's workers, at most `threads` at a time,
// each helper with scratch of its own (an ended helper leaves it to the next); outcomes are taken
// by member number. A helper takes rows until none is left and then ends; a later row posts a
// new one. The destructor drops the rows no helper has begun and waits for the searches under
// way (a helper that begins later finds nothing to do; what it reads is shared with it).
class SearchPool {
public:
    SearchPool(SearchFamily family, const SearchWindow& w, unsigned threads,
               const MemberFollowUp* followUp)
        : s_(std::make_shared<State>(family, w, followUp)), threads_(threads) {}
    ~SearchPool() {
        std::unique_lock<std::mutex> lock(s_->mutex);
        s_->stop = true;
        s_->tasks.clear();
        s_->changed.wait(lock, [this] { return s_->busy == 0; });
    }
    SearchPool(const SearchPool&) = delete;
    SearchPool& operator=(const SearchPool&) = delete;

    void Submit(std::size_t k, std::vector<float> row, std::vector<float> rows, bool haveRows) {
        bool post = false;
        {
            std::lock_guard<std::mutex> lock(s_->mutex);
            s_->tasks.push_back({k, std::move(row), std::move(rows), haveRows});
            if (s_->helpers < threads_) {
                ++s_->helpers;
                post = true;
            }
        }
        if (post) Workers.Post([s = s_] { Help(*s); });
    }
    // An outcome known without a search (a member that goes the literal way).
    void Put(std::size_t k, SearchOutcome o) {
        std::lock_guard<std::mutex> lock(s_->mutex);
        s_->done.emplace(k, std::move(o));
    }
    // Waits for member k's outcome, calling idle() (outside the lock) while it waits. A member
    // that no helper has begun after a while (every worker busy with other work) is searched
    // on the calling thread.
    template <class Idle>
    SearchOutcome Take(std::size_t k, Idle&& idle) {
        std::unique_lock<std::mutex> lock(s_->mutex);
        const auto since = std::chrono::steady_clock::now();
        while (true) {
            auto it = s_->done.find(k);
            if (it != s_->done.end()) {
                SearchOutcome o = std::move(it->second);
                s_->done.erase(it);
                return o;
            }
            if (!s_->tasks.empty() && s_->tasks.front().k == k &&
                std::chrono::steady_clock::now() - since >= kUnbegunWait) {
                Task task = std::move(s_->tasks.front());
                s_->tasks.pop_front();
                lock.unlock();
                Scratch scratch;
                return Search(*s_, task, scratch);
            }
            s_->changed.wait_for(lock, std::chrono::milliseconds(5));
            lock.unlock();
            idle();
            lock.lock();
        }
    }

private:
    static constexpr auto kUnbegunWait = std::chrono::milliseconds(20);
    struct Task {
        std::size_t k = 0;
        std::vector<float> row;
        std::vector<float> rows;  // the follow-up's rows
        bool haveRows = false;
    };
    struct State {
        State(SearchFamily f, const SearchWindow& w, const MemberFollowUp* up)
            : family(f), window(w), followUp(up) {}
        const SearchFamily family;
        const SearchWindow window;
        const MemberFollowUp* const followUp;  // read only while a search is under way
        std::mutex mutex;
        std::condition_variable changed;  // an outcome is done, or a search has ended
        std::deque<Task> tasks;           // in member order
        std::map<std::size_t, SearchOutcome> done;
        std::vector<std::unique_ptr<Scratch>> spare;  // of ended helpers, for the next ones
        unsigned helpers = 0;                         // posted and not ended
        unsigned busy = 0;                            // searches under way on helpers
        bool stop = false;
    };
    static SearchOutcome Search(const State& s, Task& task, Scratch& scratch) {
        SearchOutcome o = Compute(s.family, task.row, s.window, scratch);
        FollowUp(s.followUp, task.haveRows, task.row, task.rows, s.window, o);
        o.input = std::move(task.row);
        return o;
    }
    static void Help(State& s) {
        std::unique_lock<std::mutex> lock(s.mutex);
        std::unique_ptr<Scratch> scratch;
        while (!s.stop && !s.tasks.empty()) {
            Task task = std::move(s.tasks.front());
            s.tasks.pop_front();
            ++s.busy;
            if (!scratch && !s.spare.empty()) {
                scratch = std::move(s.spare.back());
                s.spare.pop_back();
            }
            lock.unlock();
            if (!scratch) scratch = std::make_unique<Scratch>();
            SearchOutcome o = Search(s, task, *scratch);
            lock.lock();
            s.done.emplace(task.k, std::move(o));
            --s.busy;
            s.changed.notify_all();
        }
        if (scratch) s.spare.push_back(std::move(scratch));
        --s.helpers;
    }

    const std::shared_ptr<State> s_;
    const unsigned threads_;
};

unsigned ThreadCount(std::size_t members) {
    const unsigned t = SearchRoad.threads != 0 ? SearchRoad.threads : Workers.size();
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
