// The orthonormal polynomial base: its vectors against closed forms and a float reference,
// the difference blocks, coefficients and rebuilding, and the base file's round trip and
// refusal of files that do not fit.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "CoreFixture.h"
#include "TempFolder.h"
#include "clsVectors.h"

namespace vel {
namespace {

class BaseTest : public testing::CoreFixture {
protected:
    double get(long vec, long c) const { return v.CoordGetSingleValue(vec, c).toDouble(); }
    long q(long k) const { return v.BaseStart() + k - 1; }
    clsVectors v;
    testing::TempFolder tmp;
};

TEST_F(BaseTest, ThreePointBaseIsTheNormedGramPolynomials) {
    v.SetNorm(3.5f);
    v.VectorBaseLegender(3, 1, 0, 0, 0, 3, 2);
    EXPECT_EQ(v.BaseStart(), 2);
    EXPECT_EQ(v.BaseCount(), 3);
    EXPECT_EQ(v.BufferStart(), 5);
    const double r3 = std::sqrt(3.0), r2 = std::sqrt(2.0), r6 = std::sqrt(6.0);
    const double expected[3][3] = {
        {1 / r3, 1 / r3, 1 / r3}, {-1 / r2, 0, 1 / r2}, {1 / r6, -2 / r6, 1 / r6}};
    for (long k = 1; k <= 3; ++k)
        for (long i = 1; i <= 3; ++i)
            EXPECT_NEAR(get(q(k), i), expected[k - 1][i - 1], 1e-6) << k << i;
    EXPECT_TRUE(v.CoordGetSingleValue(q(1), 4).isEmpty());
    EXPECT_EQ(v.Norm(), 3.5f);
}

// The straightforward single-precision build: products and sums rounded at every step.
std::vector<std::vector<float>> referenceBase(long n, long dim) {
    auto dot = [n](const std::vector<float>& a, const std::vector<float>& b) {
        float acc = 0.0f;
        for (long i = 0; i < n; ++i) acc = a[i] * b[i] + acc;
        return acc;
    };
    auto norm = [&](std::vector<float>& a) {
        const float len = static_cast<float>(std::sqrt(static_cast<double>(dot(a, a))));
        if (len > 0.0f) {
            const float c = static_cast<float>(1.0 / len);
            for (float& x : a) x = x * c;
        }
    };
    std::vector<std::vector<float>> base(dim, std::vector<float>(n, 1.0f));
    norm(base[0]);
    for (long k = 1; k < dim; ++k) {
        for (long i = 0; i < n; ++i) base[k][i] = base[k - 1][i] * static_cast<float>(i + 1);
        for (long m = 0; m < k; ++m) {
            const float s = dot(base[m], base[k]);
            for (long i = 0; i < n; ++i) base[k][i] = base[k][i] + -s * base[m][i];
        }
        norm(base[k]);
    }
    return base;
}

TEST_F(BaseTest, BaseIsOrthonormalAndBitExactWithTheFloatReference) {
    const long n = 60, dim = 12;
    v.VectorBaseLegender(n, 2, 0, 0, 0, dim, 0);
    const auto ref = referenceBase(n, dim);
    for (long k = 1; k <= dim; ++k) {
        for (long i = 1; i <= n; ++i)
            ASSERT_TRUE(identical(v.CoordGetSingleValue(q(k), i), Num(ref[k - 1][i - 1])))
                << k << " " << i;
        EXPECT_GT(get(q(k), n), 0.0) << "leading coefficient of degree " << k - 1;
        for (long m = 1; m <= k; ++m)
            EXPECT_NEAR(v.ScalarMullOfVectors(q(k), q(m)), k == m ? 1.0 : 0.0, 2e-5)
                << k << " " << m;
    }
}

TEST_F(BaseTest, DerivationBlocksHoldTheDifferencesOfEachBaseVector) {
    v.VectorBaseLegenderWithDerivations(3, 1, 0, 0, 0, 3, 1);
    EXPECT_EQ(v.BaseDim(), 3);
    EXPECT_EQ(v.BaseCount(), 3);
    EXPECT_EQ(v.BufferStart(), v.BaseStart() + 9);
    EXPECT_EQ(v.TotalVectors(), 11);
    const long d1 = v.BaseStart() + 3, d2 = v.BaseStart() + 6;
    for (long i = 1; i <= 3; ++i) {
        EXPECT_NEAR(get(d1, i), 0.0, 1e-7);
        EXPECT_NEAR(get(d1 + 1, i), 1 / std::sqrt(2.0), 1e-6);
        EXPECT_NEAR(get(d1 + 2, i), 0.0, 1e-6);
        EXPECT_NEAR(get(d2, i), 0.0, 1e-6);
        EXPECT_NEAR(get(d2 + 1, i), 0.0, 1e-6);
        EXPECT_NEAR(get(d2 + 2, i), std::sqrt(6.0), 1e-5);
    }
    EXPECT_TRUE(v.CoordGetSingleValue(d2 + 2, 4).isEmpty());
    // The end coordinates copy their neighbours exactly.
    EXPECT_EQ(get(d2 + 2, 1), get(d2 + 2, 2));
    EXPECT_EQ(get(d2 + 2, 3), get(d2 + 2, 2));
    EXPECT_THROW(v.VectorBaseLegenderWithDerivations(3, 1, 0, 0, 0, 11000, 1), OverflowError);
}

TEST_F(BaseTest, CoefficientsRebuildTheVector) {
    v.VectorBaseLegender(3, 3, 0, 0, 0, 3, 0);
    v.CoordSetSingleValue(1, 1, 1.0f);
    v.CoordSetSingleValue(1, 2, 2.0f);
    v.CoordSetSingleValue(1, 3, 3.0f);
    v.VectorBaseCalcCoef(1, 2);
    EXPECT_NEAR(get(2, 1), 2 * std::sqrt(3.0), 1e-5);
    EXPECT_NEAR(get(2, 2), std::sqrt(2.0), 1e-5);
    EXPECT_NEAR(get(2, 3), 0.0, 1e-5);
    EXPECT_EQ(v.Norm(), static_cast<float>(std::sqrt(14.0)));
    v.VectorCreateNew(2, 3);
    for (long i = 1; i <= 3; ++i) EXPECT_NEAR(get(3, i), static_cast<double>(i), 5e-6);
    // The target is cleared first: the vector onto itself gives zeros and Norm 0.
    v.VectorBaseCalcCoef(1, 1);
    for (long i = 1; i <= 3; ++i) EXPECT_EQ(get(1, i), 0.0);
    EXPECT_EQ(v.Norm(), 0.0f);
}

TEST_F(BaseTest, SavedFileHasAHeaderAndOneValuePerLine) {
    v.VectorBaseEmpty(2, 1, 0, 0, 0, 2, 0);
    v.CoordSetSingleValue(q(1), 1, 0.5f);
    v.CoordSetSingleValue(q(1), 2, -2.0f);
    v.CoordSetValue(q(1), 3, Num(7));
    v.CoordSetSingleValue(q(2), 1, 9.0f);
    v.SetBaseCount(1);
    const std::string path = tmp.file("base.txt");
    v.VectorBaseSave(path);
    EXPECT_EQ(tmp.read(path), "2\r\n1\r\n0\r\n0.5\r\n-2\r\n7\r\n\r\n\r\n\r\n\r\n");
    v.SetBaseCount(0);
    v.VectorBaseSave(path);
    EXPECT_EQ(tmp.read(path), "2\r\n0\r\n0\r\n");
    EXPECT_THROW(v.VectorBaseSave(tmp.file("no/such/folder/base.txt")), FileError);
}

TEST_F(BaseTest, SaveAndLoadRoundTripBitExact) {
    v.VectorBaseLegender(25, 1, 0, 0, 0, 7, 0);
    const std::string path = tmp.file("legendre.txt");
    v.VectorBaseSave(path);
    clsVectors w;
    w.VectorBaseEmpty(25, 1, 0, 0, 0, 7, 0);
    w.VectorBaseLoad(path);
    EXPECT_EQ(w.BaseCount(), 7);
    for (long k = 1; k <= 7; ++k) {
        for (long i = 1; i <= 25; ++i)
            ASSERT_TRUE(identical(w.CoordGetSingleValue(q(k), i), v.CoordGetSingleValue(q(k), i)));
        for (long i = 26; i <= 30; ++i) EXPECT_EQ(w.CoordGetSingleValue(q(k), i).toDouble(), 0.0);
    }
    // A single whose shortest text lies next to a halfway point between two singles reads back
    // exactly only when it is rounded once.
    v.CoordSetSingleValue(q(1), 1, 0x1.5c87fap-84f);
    v.CoordSetSingleValue(q(1), 2, -0x1.5c87fap-84f);
    v.VectorBaseSave(path);
    w.VectorBaseLoad(path);
    EXPECT_EQ(w.CoordGetSingleValue(q(1), 1).singleValue(), 0x1.5c87fap-84f);
    EXPECT_EQ(w.CoordGetSingleValue(q(1), 2).singleValue(), -0x1.5c87fap-84f);
}

TEST_F(BaseTest, LoadReadsCommasAndLineEndsAndKeepsWhatTheFileDoesNotCover) {
    v.VectorBaseEmpty(3, 1, 0, 0, 0, 3, 0);
    v.CoordAllSetConstPlus(q(2), 4.0f);
    v.CoordSetSingleValue(q(1), 9, 4.0f);
    const std::string path = tmp.file("short.txt");
    tmp.write(path, "1,1,5\r1.5, -2\r\n3e2\n\n,7\n");
    v.VectorBaseLoad(path);
    EXPECT_EQ(v.BaseCount(), 3);  // whatever the file announces
    const double row1[] = {1.5, -2, 300, 0, 0, 7};
    for (long i = 1; i <= 6; ++i) EXPECT_EQ(get(q(1), i), row1[i - 1]) << i;
    EXPECT_EQ(get(q(1), 9), 4.0);
    EXPECT_EQ(get(q(2), 1), 4.0);
}

TEST_F(BaseTest, FilesThatDoNotFitRaiseAndChangeNothing) {
    v.VectorBaseEmpty(3, 1, 0, 0, 0, 2, 0);
    v.CoordAllSetConst(q(1), 6.0f);
    v.SetBaseCount(1);
    const std::string bad[] = {
        "3\r\n3\r\n0\r\n",                                         // more vectors than BaseDim
        "29\r\n1\r\n0\r\n",                                        // coordinates beyond the matrix
        "-1\r\n1\r\n0\r\n",                                        // negative coordinates
        "2.5\r\n1\r\n0\r\n",                                       // not a whole number
        "x\r\n1\r\n0\r\n",                                         // not a number
        "3\r\n1\r\n99999\r\n",                                     // reserved value beyond 16 bits
        "3\r\n1\r\n",                                              // no complete header
        "3\r\n1\r\n0\r\n1\r\n2\r\n3\r\n",                          // body ends early
        "3\r\n1\r\n0\r\n1\r\n2\r\nabc\r\n4\r\n\r\n\r\n\r\n\r\n",   // text in the body
        "3\r\n1\r\n0\r\n1\r\n2\r\n1e39\r\n4\r\n\r\n\r\n\r\n\r\n",  // beyond single precision
    };
    const std::string path = tmp.file("bad.txt");
    for (const std::string& bytes : bad) {
        tmp.write(path, bytes);
        EXPECT_THROW(v.VectorBaseLoad(path), FileError) << bytes;
        EXPECT_EQ(v.BaseCount(), 1);
        for (long i = 1; i <= 3; ++i) EXPECT_EQ(get(q(1), i), 6.0);
    }
    EXPECT_THROW(v.VectorBaseLoad(tmp.file("missing.txt")), FileError);
    EXPECT_EQ(v.BaseCount(), 1);
}

}  // namespace
}  // namespace vel
