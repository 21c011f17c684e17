// Seeded random operations with numbers inside and outside the matrix, checked against a
// straightforward cell-by-cell model of the error convention: each access is tested as it
// happens, the first bad one raises, and what was written before stays.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "CoreFixture.h"
#include "clsVectors.h"

namespace vel {
namespace {

// The model: a plain matrix of tagged numbers with checked access.
class Model {
public:
    void dimension(long coordDim, long rows) {
        coordDim_ = coordDim;
        rows_ = rows;
        cols_ = coordDim + 30;
        cells_.assign(static_cast<size_t>(rows_ * cols_), Num());
    }
    Num& at(long v, long c) {
        if (v < 1 || v > rows_ || c < 1 || c > cols_) throw SubscriptRangeError("model");
        return cells_[static_cast<size_t>((v - 1) * cols_ + (c - 1))];
    }
    long coordDim_ = 0, rows_ = 0, cols_ = 0;
    std::vector<Num> cells_;
};

class FuzzTest : public testing::CoreFixture {};

TEST_F(FuzzTest, RandomOperationsAgreeWithTheCellByCellModel) {
    std::mt19937 gen(20261209);
    auto pick = [&](long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(gen); };
    const float values[] = {0.0f, 1.0f, -2.5f, 0.1f, 3e38f, -3e38f, 1e-30f, 7.0f};
    auto value = [&] { return values[pick(0, 7)]; };

    for (int round = 0; round < 40; ++round) {
        clsVectors v;
        Model m;
        const long coordDim = pick(0, 12), rows = pick(1, 8);
        v.VectorBaseEmpty(coordDim, rows, 0, 0, 0, 0, 0);
        m.dimension(coordDim, rows);
        for (int step = 0; step < 300; ++step) {
            // Mostly valid numbers, some just outside the matrix.
            auto vec = [&] { return pick(0, 9) == 0 ? pick(-2, rows + 3) : pick(1, rows); };
            long a = vec(), b = vec(), t = vec();
            const float x = value();
            if (pick(0, 19) == 0) {
                const long cd = pick(-2, coordDim + 40);
                v.SetCoordDim(cd);
                m.coordDim_ = cd;
            }
            const long last = m.coordDim_;
            // Run the same operation on the model (oracle) and on the store.
            std::function<void()> model, store;
            switch (pick(0, 10)) {
                case 0: {
                    const long c = pick(-1, m.cols_ + 2);
                    model = [&, c] { m.at(a, c) = Num(x); };
                    store = [&, c] { v.CoordSetSingleValue(a, c, x); };
                    break;
                }
                case 1:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) m.at(a, i) = Num(x);
                    };
                    store = [&] { v.CoordAllSetConst(a, x); };
                    break;
                case 2:
                    model = [&] {
                        for (long i = 1; i <= last + 30; ++i) m.at(a, i) = Num(x);
                    };
                    store = [&] { v.CoordAllSetConstPlus(a, x); };
                    break;
                case 3:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const Num s = m.at(a, i);
                            m.at(t, i) = s;
                        }
                    };
                    store = [&] { v.VectorCopy(a, t); };
                    break;
                case 4:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const Num to = m.at(t, i), from = m.at(a, i);
                            m.at(t, i) = to + Num(x) * from;
                        }
                    };
                    store = [&] { v.CoordAllCombine(a, x, t); };
                    break;
                case 5:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const Num s = m.at(a, i);
                            m.at(a, i) = s * Num(x);
                        }
                    };
                    store = [&] { v.CoordAllCoefMull(a, x); };
                    break;
                case 6:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const Num s = m.at(a, i);
                            m.at(a, i) = s + Num(x);
                        }
                    };
                    store = [&] { v.CoordCoefAdd(a, x); };
                    break;
                case 7:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const Num p = m.at(a, i), q = m.at(b, i);
                            m.at(t, i) = p * q;
                        }
                    };
                    store = [&] { v.CoordAllMull(a, b, t); };
                    break;
                case 8:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const float d = m.at(b, i).toSingle();
                            const Num p = m.at(a, i);
                            m.at(t, i) = d != 0.0f ? p / Num(d) : Num(0);
                        }
                    };
                    store = [&] { v.CoordDiv(a, b, t); };
                    break;
                case 9:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const float s = m.at(a, i).toSingle();
                            if (s > 0)
                                m.at(a, i) = Num(100);
                            else if (s < 0)
                                m.at(a, i) = Num(-100);
                        }
                    };
                    store = [&] { v.CoordSign(a); };
                    break;
                default:
                    model = [&] {
                        for (long i = 1; i <= last; ++i) {
                            const float s = m.at(a, i).toSingle();
                            m.at(a, i) = s <= 0 ? Num(0) : Num(std::sqrt(static_cast<double>(s)));
                        }
                    };
                    store = [&] { v.CoordSqr(a); };
                    break;
            }
            int modelError = 0, storeError = 0;
            try {
                model();
            } catch (const SubscriptRangeError&) {
                modelError = 1;
            } catch (const VellicorError&) {
                modelError = 2;
            }
            try {
                store();
            } catch (const SubscriptRangeError&) {
                storeError = 1;
            } catch (const VellicorError&) {
                storeError = 2;
            }
            // Where a bad vector and an arithmetic error meet at the same coordinate, either may
            // come first; what matters is that both stop there with the same cells written.
            ASSERT_EQ(storeError != 0, modelError != 0) << "round " << round << " step " << step;
            for (long r = 1; r <= rows; ++r)
                for (long c = 1; c <= m.cols_; ++c)
                    ASSERT_TRUE(identical(v.CoordGetSingleValue(r, c), m.at(r, c)))
                        << "round " << round << " step " << step << " cell " << r << "," << c;
        }
    }
}

}  // namespace
}  // namespace vel
