// The least-squares weight tables, computed exactly. For window length N the normal matrix
// M = A^T A holds the integer power sums S_(k+l) of the abscissas; row r of M^-1 A^T has the
// weights w_j = sum_k adj(M)[r][k] x_j^k / det(M). Every numerator and det(M) are exact big
// integers (Laplace expansion needs no division), and each weight is rounded once to double.
#include "KernelWeights.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

namespace vel {
namespace {

// ---- A small signed big integer: sign and magnitude in 32-bit limbs, least significant first.
using Limbs = std::vector<std::uint32_t>;

struct Big {
    bool neg = false;
    Limbs m;  // no leading zero limbs; empty for 0
};

void trim(Limbs& m) {
    while (!m.empty() && m.back() == 0) m.pop_back();
}

Big fromInt(long long v) {
    Big b;
    b.neg = v < 0;
    unsigned long long u =
        v < 0 ? 0ULL - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    while (u != 0) {
        b.m.push_back(static_cast<std::uint32_t>(u));
        u >>= 32;
    }
    return b;
}

int cmpMag(const Limbs& a, const Limbs& b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (size_t i = a.size(); i-- > 0;)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

Limbs addMag(const Limbs& a, const Limbs& b) {
    const Limbs& l = a.size() >= b.size() ? a : b;
    const Limbs& s = a.size() >= b.size() ? b : a;
    Limbs r(l.size() + 1, 0);
    std::uint64_t carry = 0;
    for (size_t i = 0; i < l.size(); ++i) {
        const std::uint64_t t =
            static_cast<std::uint64_t>(l[i]) + (i < s.size() ? s[i] : 0) + carry;
        r[i] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
    }
    r[l.size()] = static_cast<std::uint32_t>(carry);
    trim(r);
    return r;
}

// a - b for a >= b.
Limbs subMag(const Limbs& a, const Limbs& b) {
    Limbs r(a.size(), 0);
    std::int64_t borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        std::int64_t t = static_cast<std::int64_t>(a[i]) - (i < b.size() ? b[i] : 0) - borrow;
        borrow = t < 0 ? 1 : 0;
        if (t < 0) t += (std::int64_t{1} << 32);
        r[i] = static_cast<std::uint32_t>(t);
    }
    trim(r);
    return r;
}

Big add(const Big& a, const Big& b) {
    if (a.neg == b.neg) return {a.neg, addMag(a.m, b.m)};
    const int c = cmpMag(a.m, b.m);
    if (c == 0) return {};
    if (c > 0) return {a.neg, subMag(a.m, b.m)};
    return {b.neg, subMag(b.m, a.m)};
}

Big negate(Big a) {
    if (!a.m.empty()) a.neg = !a.neg;
    return a;
}

Big mul(const Big& a, const Big& b) {
    if (a.m.empty() || b.m.empty()) return {};
    Limbs r(a.m.size() + b.m.size(), 0);
    for (size_t i = 0; i < a.m.size(); ++i) {
        std::uint64_t carry = 0;
        for (size_t j = 0; j < b.m.size(); ++j) {
            const std::uint64_t t = static_cast<std::uint64_t>(a.m[i]) * b.m[j] + r[i + j] + carry;
            r[i + j] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        r[i + b.m.size()] = static_cast<std::uint32_t>(carry);
    }
    trim(r);
    return {a.neg != b.neg, r};
}

long bitLength(const Limbs& m) {
    if (m.empty()) return 0;
    return static_cast<long>(32 * (m.size() - 1)) + (32 - std::countl_zero(m.back()));
}

bool bitAt(const Limbs& m, long i) {
    return (m[static_cast<size_t>(i / 32)] >> (i % 32)) & 1u;
}

Limbs shiftLeft(const Limbs& m, long bits) {
    if (m.empty()) return m;
    const size_t limbs = static_cast<size_t>(bits / 32);
    const int rest = static_cast<int>(bits % 32);
    Limbs r(m.size() + limbs + 1, 0);
    for (size_t i = 0; i < m.size(); ++i) {
        const std::uint64_t t = static_cast<std::uint64_t>(m[i]) << rest;
        r[i + limbs] |= static_cast<std::uint32_t>(t);
        r[i + limbs + 1] |= static_cast<std::uint32_t>(t >> 32);
    }
    trim(r);
    return r;
}

// Binary long division for a quotient known to be below 2^63: returns the quotient and
// whether a remainder is left.
std::uint64_t divideSmallQuotient(const Limbs& a, const Limbs& b, bool& remainder) {
    Limbs r;
    std::uint64_t q = 0;
    for (long i = bitLength(a) - 1; i >= 0; --i) {
        r = shiftLeft(r, 1);
        if (bitAt(a, i)) {
            if (r.empty()) r.push_back(0);
            r[0] |= 1u;
        }
        q <<= 1;
        if (cmpMag(r, b) >= 0) {
            r = subMag(r, b);
            q |= 1;
        }
    }
    remainder = !r.empty();
    return q;
}

// The nearest double of num / den, halves to the even neighbour; den != 0.
double roundRatio(Big num, Big den) {
    if (den.neg) {
        den.neg = false;
        num = negate(num);
    }
    if (num.m.empty()) return 0.0;
    // Scale so that the quotient has 55 or 56 bits: 53 kept, the rest and the remainder
    // decide the rounding.
    const long s = 55 - (bitLength(num.m) - bitLength(den.m));
    const Limbs a = s >= 0 ? shiftLeft(num.m, s) : num.m;
    const Limbs b = s < 0 ? shiftLeft(den.m, -s) : den.m;
    bool sticky = false;
    const std::uint64_t q = divideSmallQuotient(a, b, sticky);
    const int drop = (64 - std::countl_zero(q)) - 53;
    std::uint64_t mant = q >> drop;
    const std::uint64_t rest = q & ((std::uint64_t{1} << drop) - 1);
    const std::uint64_t half = std::uint64_t{1} << (drop - 1);
    if (rest > half || (rest == half && (sticky || (mant & 1u)))) ++mant;
    const double r = std::ldexp(static_cast<double>(mant), drop - static_cast<int>(s));
    return num.neg ? -r : r;
}

// Determinant by Laplace expansion along the first row (exact, no division).
Big determinant(const std::vector<std::vector<Big>>& a) {
    const size_t n = a.size();
    if (n == 1) return a[0][0];
    Big det;
    for (size_t c = 0; c < n; ++c) {
        std::vector<std::vector<Big>> minor;
        for (size_t r = 1; r < n; ++r) {
            std::vector<Big> row;
            for (size_t k = 0; k < n; ++k)
                if (k != c) row.push_back(a[r][k]);
            minor.push_back(row);
        }
        const Big term = mul(a[0][c], determinant(minor));
        det = add(det, c % 2 == 0 ? term : negate(term));
    }
    return det;
}

// The matrix without row `row` and column `col`.
std::vector<std::vector<Big>> without(const std::vector<std::vector<Big>>& a, size_t row,
                                      size_t col) {
    std::vector<std::vector<Big>> m;
    for (size_t r = 0; r < a.size(); ++r) {
        if (r == row) continue;
        std::vector<Big> line;
        for (size_t c = 0; c < a.size(); ++c)
            if (c != col) line.push_back(a[r][c]);
        m.push_back(line);
    }
    return m;
}

constexpr int kDegree = 4;
constexpr int kTerms = kDegree + 1;

struct Tables {
    std::array<std::array<double, kMaxKernelPoints>, kMaxKernelPoints + 1> value{};
    std::array<std::array<double, kMaxKernelPoints>, kMaxKernelPoints + 1> slope{};
};

void buildRow(int N, Tables& t) {
    std::vector<long long> x(static_cast<size_t>(N));
    for (int j = 0; j < N; ++j) x[static_cast<size_t>(j)] = j - (N - 1);
    // Power sums S_0..S_8 fit in 64 bits for N <= 50 (below 2^51).
    long long S[2 * kDegree + 1] = {};
    for (long long xj : x) {
        long long p = 1;
        for (int m = 0; m <= 2 * kDegree; ++m) {
            S[m] += p;
            p *= xj;
        }
    }
    std::vector<std::vector<Big>> M(kTerms, std::vector<Big>(kTerms));
    for (int k = 0; k < kTerms; ++k)
        for (int l = 0; l < kTerms; ++l)
            M[static_cast<size_t>(k)][static_cast<size_t>(l)] = fromInt(S[k + l]);
    const Big det = determinant(M);
    // Row r of M^-1 is adj(M)[r][k] / det = (-1)^(r+k) minor(k, r) / det; M is symmetric.
    for (int r = 0; r <= 1; ++r) {
        Big adj[kTerms];
        for (int k = 0; k < kTerms; ++k) {
            const Big minor =
                determinant(without(M, static_cast<size_t>(k), static_cast<size_t>(r)));
            adj[k] = (r + k) % 2 == 0 ? minor : negate(minor);
        }
        auto& row = r == 0 ? t.value[static_cast<size_t>(N)] : t.slope[static_cast<size_t>(N)];
        for (int j = 0; j < N; ++j) {
            Big num;
            Big power = fromInt(1);
            const Big xj = fromInt(x[static_cast<size_t>(j)]);
            for (int k = 0; k < kTerms; ++k) {
                num = add(num, mul(adj[k], power));
                power = mul(power, xj);
            }
            row[static_cast<size_t>(j)] = roundRatio(num, det);
        }
    }
}

const Tables& tables() {
    static const Tables t = [] {
        Tables built;
        for (int N = kMinKernelPoints; N <= kMaxKernelPoints; ++N) buildRow(N, built);
        return built;
    }();
    return t;
}

}  // namespace

const double* LeastSquaresValueWeights(int N) {
    if (N < kMinKernelPoints || N > kMaxKernelPoints) return nullptr;
    return tables().value[static_cast<size_t>(N)].data();
}

const double* LeastSquaresSlopeWeights(int N) {
    if (N < kMinKernelPoints || N > kMaxKernelPoints) return nullptr;
    return tables().slope[static_cast<size_t>(N)].data();
}

double RoundedRatio(long long num, long long den) {
    return roundRatio(fromInt(num), fromInt(den));
}

}  // namespace vel
