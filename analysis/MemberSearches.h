// The per-stock searches of a basket run, in member order as the run reads them, but computed
// ahead on worker threads: each worker takes a member's price row, runs the fused search with
// scratch of its own and hands back what the search leaves; the calling thread puts that in
// place (record, vectors, trading log) at the member's turn, so that everything the run does
// between two members sees exactly what the sequential search would have left. A member whose
// rows the fused search cannot take goes the literal way at its turn. Worker threads never
// yield, never touch a window and never write a process-wide table; the calling thread yields
// while it waits, and searches a member itself when no worker has begun it after a while (the
// workers are shared with the program's other searches).
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "SearchRows.h"

namespace vel {

enum class SearchFamily { Timing, Swinging, SpecialSwinging };

// How the searches run. The program runs them fused on the program's workers (Workers); a test
// may choose the literal road or a thread count (1: fused on the calling thread).
struct SearchRoadChoice {
    bool literal = false;
    unsigned threads = 0;  // 0: as many as Workers has
    bool operator==(const SearchRoadChoice&) const = default;
};
extern SearchRoadChoice SearchRoad;

// How many member searches went the fused and the literal way since the counts were reset, and
// how many follow-ups ran on the workers (the tests read them to know which road they checked).
struct SearchRoadCounts {
    long fused = 0;
    long literal = 0;
    long followedUp = 0;  // members whose follow-up rows reached their turn
};
extern SearchRoadCounts SearchCounts;

// The literal search of the family (CalcIndividualStockTimingLiteral, ...).
void RunLiteralSearch(SearchFamily family, long PriceVector, long WorkVector);

// For each member k in order: before(k), then the family's search of priceVectors[k] with the
// work (base) vector, then after(k) (either may be empty). The price vectors, the shown window,
// CoordDim, defCommission and defDiligence must not change during the run: the workers read
// them ahead. An error of a search or of after() ends the run (workers are stopped first) and
// is raised to the caller.
//
// A caller whose sequential loop searches a copy of the prices that before(k) makes (one
// vector for every member) names it as searchedVector: the workers still read priceVectors[k]
// ahead, and at the member's turn the search is left as if run on searchedVector (a member
// whose copy then differs from what the worker read goes the literal way on the copy).
void RunMemberSearches(SearchFamily family, const std::vector<long>& priceVectors, long WorkVector,
                       const std::function<void(std::size_t)>& before,
                       const std::function<void(std::size_t)>& after, long searchedVector = 0);

// Work of the caller's that follows each member's fused search on its worker: `read` runs on
// the calling thread as the member's price row is read ahead and fills the other rows the work
// needs (false: none can be had); `compute` runs on the worker from the price row, those rows,
// the window and the search's outcome, and fills the rows that the member's turn puts in place
// (false or an error: it cannot). Neither may change what the member's turn will find.
struct MemberFollowUp {
    std::function<bool(std::size_t k, std::vector<float>& rows)> read;
    std::function<bool(const std::vector<float>& price, const std::vector<float>& rows,
                       const SearchWindow& w, const SearchOutcome& o, std::vector<float>& out)>
        compute;
};

// As above, with a follow-up: after(k, rows) gets the follow-up's rows of member k, or nullptr
// where the turn must do that work itself (the member went the literal way, or the follow-up
// could not run).
void RunMemberSearches(SearchFamily family, const std::vector<long>& priceVectors, long WorkVector,
                       const std::function<void(std::size_t)>& before,
                       const std::function<void(std::size_t, const std::vector<float>*)>& after,
                       long searchedVector, const MemberFollowUp& followUp);

}  // namespace vel
