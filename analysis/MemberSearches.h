// The per-stock searches of a basket run, in member order as the run reads them, but computed
// ahead on worker threads: each worker takes a member's price row, runs the fused search with
// scratch of its own and hands back what the search leaves; the calling thread puts that in
// place (record, vectors, trading log) at the member's turn, so that everything the run does
// between two members sees exactly what the sequential search would have left. A member whose
// rows the fused search cannot take goes the literal way at its turn. Worker threads never
// yield, never touch a window and never write a process-wide table; the calling thread yields
// while it waits.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

namespace vel {

enum class SearchFamily { Timing, Swinging, SpecialSwinging };

// How the searches run. The program runs them fused on hardware_concurrency() threads; a test
// may choose the literal road or a thread count (1: fused on the calling thread).
struct SearchRoadChoice {
    bool literal = false;
    unsigned threads = 0;  // 0: std::thread::hardware_concurrency()
    bool operator==(const SearchRoadChoice&) const = default;
};
extern SearchRoadChoice SearchRoad;

// How many member searches went the fused and the literal way since the counts were reset
// (the tests read them to know which road they checked).
struct SearchRoadCounts {
    long fused = 0;
    long literal = 0;
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

}  // namespace vel
