// Timing groups by signal correlation.
#include "TimingGroups.h"

#include <algorithm>
#include <cmath>

#include "AnalysisText.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "Door.h"
#include "Hooks.h"
#include "Num.h"
#include "ProcessState.h"
#include "StockResultsMatrix.h"
#include "VectorStores.h"
#include "WorkerPool.h"

namespace vel {

TimingGroupState TimingGroups;

namespace {

const StateGroup<TimingGroups> kTimingGroupsGroup("TimingGroups");

unsigned g_threads = 0;

float& Cell(long row, long column) {
    return StockResults(row, column);
}

// Column 23 as a vector of the Model region (the nearest whole item number).
long SignalVectorOf(long candidate) {
    return MainVectors->ModelStart() + std::lround(Cell(candidate, col::RallyCountA)) - 1;
}

bool Unassigned(long candidate) {
    return Cell(candidate, col::CandidateGroupSeed) < 0.0f;
}

// Step 1: the candidates in ascending item order, their work columns -1.
void CollectCandidates() {
    TimingCandidateCount = 0;
    for (long r = 1; r <= kRankedRows; ++r) {
        if (Cell(r, col::CompoundNetProfitIT) > 0.0f) {
            ++TimingCandidateCount;
            const long k = TimingCandidateCount;
            Cell(k, col::RallyCountA) = static_cast<float>(r);
            Cell(k, col::CandidateGroupSeed) = -1.0f;
            Cell(k, col::CandidatePartnerCount) = -1.0f;
            Cell(k, col::GroupSeedCandidate) = -1.0f;
        }
    }
}

// The grouping loop over counting and assigning procedures; records each group before its
// size test.
template <class CountAll, class Assign>
void GroupCandidates(CountAll&& countAll, Assign&& assign) {
    SetChartStatusText("Starting Timing Groups Analysis. Wait, please ... ");
    YieldToEvents();
    long seed = 1;
    TimingGroupCount = 0;
    long last = 1000;
    while (seed > 0 && last >= kSmallestGrowingGroup && TimingGroupCount < kMaxTimingGroups) {
        countAll();
        seed = 0;
        float best = 0.0f;
        for (long k = 1; k <= TimingCandidateCount; ++k) {
            if (Unassigned(k) && Cell(k, col::CandidatePartnerCount) > best) {
                seed = k;
                best = Cell(k, col::CandidatePartnerCount);
            }
        }
        if (seed > 0) {
            last = toInt16(static_cast<double>(assign(static_cast<std::int16_t>(seed))));
            ++TimingGroupCount;
            const long g = TimingGroupCount;
            Cell(g, col::GroupSeedCandidate) = static_cast<float>(seed);
            Cell(g, col::GroupMemberCount) = static_cast<float>(last);
            SetChartStatusText("Timing Groups Analysis.  Group nr.:" + SignBlankWhole(g) +
                               "  Symbol count =" + SignBlankWhole(last) + "   Wait, please ... ");
            YieldToEvents();
        }
    }
    SetChartStatusText("");
    YieldToEvents();
    door().Beep();
}

// ---- The packed form ----------------------------------------------------------------------

// Per candidate two bit sets over the window's days: the days above 0 and the days not 0.
struct PackedSignals {
    size_t words = 0;  // per candidate
    std::vector<std::uint64_t> above, nonzero;
};

PackedSignals PackSignals(long count, long from, long to) {
    PackedSignals p;
    const long days = to >= from ? to - from + 1 : 0;
    p.words = static_cast<size_t>((days + 63) / 64);
    p.above.assign(p.words * static_cast<size_t>(count), 0);
    p.nonzero.assign(p.words * static_cast<size_t>(count), 0);
    for (long k = 1; k <= count; ++k) {
        const long v = SignalVectorOf(k);
        std::uint64_t* above = &p.above[p.words * static_cast<size_t>(k - 1)];
        std::uint64_t* nonzero = &p.nonzero[p.words * static_cast<size_t>(k - 1)];
        for (long d = from; d <= to; ++d) {
            const Num x = MainVectors->CoordGetSingleValue(v, d);
            const size_t bit = static_cast<size_t>(d - from);
            const std::uint64_t mask = std::uint64_t{1} << (bit % 64);
            if (x > Num(0)) {
                above[bit / 64] |= mask;
                nonzero[bit / 64] |= mask;
            } else if (x < Num(0)) {
                nonzero[bit / 64] |= mask;
            }
        }
    }
    return p;
}

// accepted[a]: a pair agreeing on a of the window's days correlates at least c, by the same
// arithmetic as CoordFromToSignalCorrelation.
std::vector<std::uint8_t> AcceptedAgreements(long days, float c) {
    std::vector<std::uint8_t> accepted(static_cast<size_t>(days + 1));
    for (long a = 0; a <= days; ++a) {
        float r = 0.0f;
        if (days > 0) {
            const double dn = static_cast<double>(days);
            r = checkedSingle((2.0 * static_cast<double>(static_cast<float>(a)) - dn) / dn);
        }
        const float correlation = r >= 0.0f ? checkedSingle(std::sqrt(static_cast<double>(r)))
                                            : -checkedSingle(std::sqrt(-static_cast<double>(r)));
        accepted[static_cast<size_t>(a)] = correlation >= c;
    }
    return accepted;
}

// Row k of the pair matrix, columns k..count - 1 (0-based candidates).
[[gnu::target_clones("popcnt", "default")]] void CorrelateRow(const PackedSignals& p,
                                                              const std::uint8_t* accepted,
                                                              size_t k, size_t count,
                                                              std::uint64_t* row) {
    const size_t w = p.words;
    const std::uint64_t* ak = &p.above[w * k];
    const std::uint64_t* nk = &p.nonzero[w * k];
    for (size_t j = k; j < count; ++j) {
        const std::uint64_t* aj = &p.above[w * j];
        const std::uint64_t* nj = &p.nonzero[w * j];
        unsigned agree = 0;
        for (size_t i = 0; i < w; ++i)
            agree += static_cast<unsigned>(__builtin_popcountll(~(ak[i] ^ aj[i]) & nk[i] & nj[i]));
        if (accepted[agree]) row[j / 64] |= std::uint64_t{1} << (j % 64);
    }
}

[[gnu::target_clones("popcnt", "default")]] long CountRow(const std::uint64_t* row,
                                                          const std::uint64_t* open, size_t words) {
    long n = 0;
    for (size_t i = 0; i < words; ++i) n += __builtin_popcountll(row[i] & open[i]);
    return n;
}

// Runs job(t) for t = 0..threads - 1 on the workers and the calling thread, and waits for them.
template <class Job>
void OnWorkers(unsigned threads, Job&& job) {
    Workers.Run(threads, threads, [&job](std::size_t t) { job(static_cast<unsigned>(t)); });
}

// The symmetric matrix of correlated candidate pairs, one bit row per candidate.
struct PairMatrix {
    size_t words = 0;
    std::vector<std::uint64_t> bits;
    const std::uint64_t* Row(size_t k) const { return &bits[words * k]; }
    bool Test(size_t k, size_t j) const { return (Row(k)[j / 64] >> (j % 64)) & 1; }
};

PairMatrix CorrelatedPairs(const PackedSignals& p, long count, long days, float c) {
    const std::vector<std::uint8_t> accepted = AcceptedAgreements(days, c);
    PairMatrix m;
    const size_t n = static_cast<size_t>(count);
    m.words = (n + 63) / 64;
    m.bits.assign(m.words * n, 0);
    unsigned threads = g_threads ? g_threads : Workers.size();
    threads = static_cast<unsigned>(std::min<size_t>(threads, std::max<size_t>(1, n / 64)));
    // The upper triangle, rows dealt out in turn for balance; then the lower one mirrored.
    OnWorkers(threads, [&](unsigned t) {
        for (size_t k = t; k < n; k += threads)
            CorrelateRow(p, accepted.data(), k, n, &m.bits[m.words * k]);
    });
    OnWorkers(threads, [&](unsigned t) {
        for (size_t k = t; k < n; k += threads) {
            std::uint64_t* row = &m.bits[m.words * k];
            for (size_t j = 0; j < k; ++j)
                if (m.Test(j, k)) row[j / 64] |= std::uint64_t{1} << (j % 64);
        }
    });
    return m;
}

}  // namespace

void SetTimingGroupThreads(unsigned threads) {
    g_threads = threads;
}

void CalcTimingGroups(float Correlation, std::int16_t FromDay, std::int16_t ToDay) {
    CollectCandidates();
    const long count = TimingCandidateCount;
    const long days = ToDay >= FromDay ? ToDay - FromDay + 1 : 0;
    const PairMatrix pairs =
        CorrelatedPairs(PackSignals(count, FromDay, ToDay), count, days, Correlation);
    // The unassigned candidates as a bit set.
    std::vector<std::uint64_t> open(pairs.words, 0);
    for (long k = 0; k < count; ++k)
        open[static_cast<size_t>(k) / 64] |= std::uint64_t{1} << (k % 64);

    GroupCandidates(
        [&] {
            for (long k = 1; k <= count; ++k) Cell(k, col::CandidatePartnerCount) = -1.0f;
            for (long k = 1; k <= count; ++k) {
                if (!Unassigned(k)) continue;
                const long n =
                    CountRow(pairs.Row(static_cast<size_t>(k - 1)), open.data(), pairs.words);
                Cell(k, col::CandidatePartnerCount) = static_cast<float>(toInt16(n));
            }
        },
        [&](std::int16_t seed) {
            std::int32_t n = 0;
            for (long j = 1; j <= count; ++j) {
                if (Unassigned(j) &&
                    pairs.Test(static_cast<size_t>(seed - 1), static_cast<size_t>(j - 1))) {
                    Cell(j, col::CandidateGroupSeed) = static_cast<float>(seed);
                    open[static_cast<size_t>(j - 1) / 64] &= ~(std::uint64_t{1} << ((j - 1) % 64));
                    ++n;
                }
            }
            return n;
        });
}

// ---- The plain form ----------------------------------------------------------------------------

void CalcTimingGroupsPlain(float Correlation, std::int16_t FromDay, std::int16_t ToDay) {
    CollectCandidates();
    GroupCandidates([&] { CountCorrelatedPartnersForAll(Correlation, FromDay, ToDay); },
                    [&](std::int16_t seed) {
                        return AssignTimingGroupMembers(seed, Correlation, FromDay, ToDay);
                    });
}

void CountCorrelatedPartnersForAll(float Correlation, std::int16_t FromDay, std::int16_t ToDay) {
    for (long k = 1; k <= TimingCandidateCount; ++k) Cell(k, col::CandidatePartnerCount) = -1.0f;
    for (long k = 1; k <= TimingCandidateCount; ++k) {
        if (Unassigned(k))
            Cell(k, col::CandidatePartnerCount) =
                static_cast<float>(toInt16(static_cast<double>(CountCorrelatedPartners(
                    static_cast<std::int16_t>(k), Correlation, FromDay, ToDay))));
    }
}

std::int32_t CountCorrelatedPartners(std::int16_t k, float Correlation, std::int16_t FromDay,
                                     std::int16_t ToDay) {
    const long vk = MainVectors->ModelStart() + static_cast<long>(Cell(k, col::RallyCountA)) - 1;
    std::int32_t n = 0;
    for (long j = 1; j <= TimingCandidateCount; ++j) {
        if (!Unassigned(j)) continue;
        if (MainVectors->CoordFromToSignalCorrelation(vk, SignalVectorOf(j), FromDay, ToDay) >=
            Correlation)
            ++n;
    }
    return n;
}

std::int32_t AssignTimingGroupMembers(std::int16_t seed, float Correlation, std::int16_t FromDay,
                                      std::int16_t ToDay) {
    const long vs = SignalVectorOf(seed);
    std::int32_t n = 0;
    for (long j = 1; j <= TimingCandidateCount; ++j) {
        if (Unassigned(j) && MainVectors->CoordFromToSignalCorrelation(
                                 vs, SignalVectorOf(j), FromDay, ToDay) >= Correlation) {
            Cell(j, col::CandidateGroupSeed) = static_cast<float>(seed);
            ++n;
        }
    }
    return n;
}

std::vector<long> TimingGroupMembers(std::int16_t g) {
    std::vector<long> items;
    const float seed = static_cast<float>(std::lround(Cell(g, col::GroupSeedCandidate)));
    for (long k = 1; k <= TimingCandidateCount; ++k)
        if (Cell(k, col::CandidateGroupSeed) == seed)
            items.push_back(std::lround(Cell(k, col::RallyCountA)));
    return items;
}

void AppendBasketTimingCurve(std::int16_t V) {
    MainVectors->CoordAllSetConst(V, 0.0f);
    float n = 0.0f;
    for (long i = 1; i <= MainVectors->BufferCount(); ++i) {
        if (BasketFlag(i) == 1) {
            n = n + 1.0f;
            MainVectors->CoordAllCombine(MainVectors->ModelStart() + i - 1, 1.0f, V);
        }
    }
    if (n > 0.0f) MainVectors->CoordAllCoefMull(V, 1.0f / n);
    if (AppendVectorAsChartCurve(V, "Timing curve for Stock Basket (" + SignBlank(n) + " symbols )",
                                 0.0f) == 0)
        return;
    RefreshChart();
}

}  // namespace vel
