// Checked tables with fixed index ranges, as the program's process-wide arrays are declared
// (for example rows 0..2000, columns 0..2). An index outside the range raises
// SubscriptRangeError naming the table and the index.
#pragma once

#include <string>
#include <vector>

#include "Errors.h"

namespace vel {

[[noreturn]] void throwSubscript(const char* table, long index);
[[noreturn]] void throwSubscript2(const char* table, long row, long col);

template <class T>
class Table1D {
public:
    Table1D(const char* name, int lo, int hi, T init = T())
        : name_(name), lo_(lo), hi_(hi), init_(init), v_(static_cast<size_t>(hi - lo + 1), init) {}
    T& operator()(long i) {
        if (i < lo_ || i > hi_) throwSubscript(name_, i);
        return v_[static_cast<size_t>(i - lo_)];
    }
    const T& operator()(long i) const {
        if (i < lo_ || i > hi_) throwSubscript(name_, i);
        return v_[static_cast<size_t>(i - lo_)];
    }
    int lower() const { return lo_; }
    int upper() const { return hi_; }
    // Re-dimensions to lo..hi with every entry set to `init` (nothing survives).
    void redim(int lo, int hi, T init) {
        lo_ = lo;
        hi_ = hi < lo - 1 ? lo - 1 : hi;
        init_ = init;
        v_.assign(static_cast<size_t>(hi_ - lo_ + 1), init);
    }
    void clear() { v_.assign(v_.size(), init_); }
    // Same bounds, same fill value and same entries (the names are not compared).
    friend bool operator==(const Table1D& a, const Table1D& b) {
        return a.lo_ == b.lo_ && a.hi_ == b.hi_ && a.init_ == b.init_ && a.v_ == b.v_;
    }

private:
    const char* name_;
    int lo_, hi_;
    T init_;
    std::vector<T> v_;
};

template <class T>
class Table2D {
public:
    Table2D(const char* name, int rlo, int rhi, int clo, int chi)
        : name_(name),
          rlo_(rlo),
          rhi_(rhi),
          clo_(clo),
          chi_(chi),
          v_(static_cast<size_t>(rhi - rlo + 1) * static_cast<size_t>(chi - clo + 1), T()) {}
    T& operator()(long r, long c) {
        if (r < rlo_ || r > rhi_ || c < clo_ || c > chi_) throwSubscript2(name_, r, c);
        return v_[static_cast<size_t>(r - rlo_) * static_cast<size_t>(chi_ - clo_ + 1) +
                  static_cast<size_t>(c - clo_)];
    }
    const T& operator()(long r, long c) const {
        return const_cast<Table2D*>(this)->operator()(r, c);
    }
    int rowLower() const { return rlo_; }
    int rowUpper() const { return rhi_; }
    int colLower() const { return clo_; }
    int colUpper() const { return chi_; }
    void clear() { v_.assign(v_.size(), T()); }
    // Same bounds and same entries (the names are not compared).
    friend bool operator==(const Table2D& a, const Table2D& b) {
        return a.rlo_ == b.rlo_ && a.rhi_ == b.rhi_ && a.clo_ == b.clo_ && a.chi_ == b.chi_ &&
               a.v_ == b.v_;
    }

private:
    const char* name_;
    int rlo_, rhi_, clo_, chi_;
    std::vector<T> v_;
};

}  // namespace vel
