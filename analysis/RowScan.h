// The signal walk on raw rows of singles, 64 days at a time. The walk's state on a day (long or
// flat) is the sign of the last day up to it whose value is not 0 (flat before the first such
// day): a positive day buys while flat and a negative day sells while long, and neither acts in
// the other state. So the days' signs are gathered into bit masks and the state of 64 days is
// found at once with one addition, whose carry chain is that recurrence; only the days where
// the state changes are then visited. NaN and -0 count as 0, as in the plain comparisons.
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include <cstdint>
#include <string>

#include "Errors.h"
#include "RallyLog.h"

namespace vel {

// Raises SubscriptRangeError unless the window from..to is empty or lies inside 1..days.
inline void CheckRowWindow(long days, long from, long to) {
    if (from <= to && (from < 1 || to > days))
        throw SubscriptRangeError("Subscript out of range: day window " + std::to_string(from) +
                                  ".." + std::to_string(to) + " of a row of " +
                                  std::to_string(days) + " days");
}

namespace detail {

// Bit k of `above` (`below`) is set when x[k] > 0 (x[k] < 0), for k < n (n <= 64).
inline void SignMasks(const float* x, long n, std::uint64_t& above, std::uint64_t& below) {
    above = 0;
    below = 0;
    long k = 0;
#if defined(__SSE2__)
    const __m128 zero = _mm_setzero_ps();
    for (; k + 16 <= n; k += 16) {
        const __m128 v0 = _mm_loadu_ps(x + k), v1 = _mm_loadu_ps(x + k + 4);
        const __m128 v2 = _mm_loadu_ps(x + k + 8), v3 = _mm_loadu_ps(x + k + 12);
        auto gather = [](__m128 a, __m128 b, __m128 c, __m128 d) {
            const __m128i ab = _mm_packs_epi32(_mm_castps_si128(a), _mm_castps_si128(b));
            const __m128i cd = _mm_packs_epi32(_mm_castps_si128(c), _mm_castps_si128(d));
            return static_cast<std::uint64_t>(
                static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ab, cd))));
        };
        above |= gather(_mm_cmpgt_ps(v0, zero), _mm_cmpgt_ps(v1, zero), _mm_cmpgt_ps(v2, zero),
                        _mm_cmpgt_ps(v3, zero))
                 << k;
        below |= gather(_mm_cmplt_ps(v0, zero), _mm_cmplt_ps(v1, zero), _mm_cmplt_ps(v2, zero),
                        _mm_cmplt_ps(v3, zero))
                 << k;
    }
#endif
    for (; k < n; ++k) {
        above |= static_cast<std::uint64_t>(x[k] > 0.0f) << k;
        below |= static_cast<std::uint64_t>(x[k] < 0.0f) << k;
    }
}

}  // namespace detail

// The walk of days from..to (already checked) of a signal row into the log, which it replaces.
// onRally(b, s) is called after each rally is appended, with the 0-based indexes of its buy
// day and of the day it is sold on (s = to - 1, the last day, for the open rally at the end).
template <class OnRally>
inline void WalkRow(const float* signal, long from, long to, RallyLog& log, OnRally&& onRally) {
    log.count = 0;
    std::uint64_t state = 0;  // 1 while long after the last day seen
    long buy = 0;
    for (long base = from - 1; base < to; base += 64) {
        const long n = to - base < 64 ? to - base : 64;
        const std::uint64_t valid = n == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << n) - 1;
        std::uint64_t above, below;
        detail::SignMasks(signal + base, n, above, below);
        // long(k) = above(k) | (zero(k) & long(k - 1)): the carries of above + (above | zero).
        const std::uint64_t zero = ~(above | below) & valid;
        const std::uint64_t a = above | zero;
        const unsigned __int128 sum =
            static_cast<unsigned __int128>(a) + above + static_cast<unsigned __int128>(state);
        const std::uint64_t carriesIn = static_cast<std::uint64_t>(sum) ^ a ^ above;
        const std::uint64_t carryOut = static_cast<std::uint64_t>(sum >> 64);
        const std::uint64_t isLong = (carriesIn >> 1) | (carryOut << 63);
        const std::uint64_t wasLong = (isLong << 1) | state;
        std::uint64_t changes = (isLong ^ wasLong) & valid;
        while (changes != 0) {
            const long day = base + __builtin_ctzll(changes);
            changes &= changes - 1;
            if ((isLong >> (day - base)) & 1) {
                buy = day;
            } else {
                log.Append(buy + 1, day + 1);
                onRally(buy, day);
            }
        }
        state = (isLong >> (n - 1)) & 1;
    }
    if (state != 0) {
        log.Append(buy + 1, to + 1);
        onRally(buy, to - 1);
    }
}

}  // namespace vel
