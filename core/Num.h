// The tagged number: empty, whole, single or double. Cells of the vector store and the
// dynamically typed values of the program hold one. Arithmetic between two of them takes the
// wider kind; whole numbers widen instead of overflowing.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "Errors.h"

namespace vel {

// Rounds x to single precision; a finite x beyond the single range raises OverflowError.
inline float checkedSingle(double x) {
    const float f = static_cast<float>(x);
    if (std::isinf(f) && !std::isinf(x)) throw OverflowError("Overflow: single-precision result");
    if (std::isnan(x)) throw OverflowError("Overflow: undefined single-precision result");
    return f;
}

// A double result must be finite; infinity or NaN raises OverflowError.
inline double checkedDouble(double x) {
    if (!std::isfinite(x)) throw OverflowError("Overflow: double-precision result");
    return x;
}

// Rounds to the nearest whole number, halves to the even neighbour.
inline double roundHalfEven(double x) {
    const double r = std::round(x);  // halves away from zero
    if (std::fabs(x - std::trunc(x)) == 0.5 && std::fmod(r, 2.0) != 0.0)
        return r - std::copysign(1.0, x);
    return r;
}

// Converts to a 16-bit whole number, halves to even; outside -32768..32767 raises OverflowError.
inline std::int16_t toInt16(double x) {
    if (std::isnan(x)) throw OverflowError("Overflow: not a number");
    const double r = roundHalfEven(x);
    if (r < -32768.0 || r > 32767.0) throw OverflowError("Overflow: 16-bit whole number");
    return static_cast<std::int16_t>(r);
}

// Converts to a 32-bit whole number, halves to even; outside its range raises OverflowError.
inline std::int32_t toInt32(double x) {
    if (std::isnan(x)) throw OverflowError("Overflow: not a number");
    const double r = roundHalfEven(x);
    if (r < -2147483648.0 || r > 2147483647.0) throw OverflowError("Overflow: 32-bit whole number");
    return static_cast<std::int32_t>(r);
}

class Num {
public:
    enum class Kind : std::uint8_t { Empty = 0, Whole = 1, Single = 2, Double = 3 };

    constexpr Num() = default;
    constexpr Num(int v) : kind_(Kind::Whole), w_(v) {}
    constexpr Num(float v) : kind_(Kind::Single), f_(v) {}
    constexpr Num(double v) : kind_(Kind::Double), d_(v) {}

    static constexpr Num empty() { return Num(); }
    static constexpr Num whole(std::int32_t v) { return Num(static_cast<int>(v)); }
    static constexpr Num single(float v) { return Num(v); }
    static constexpr Num dbl(double v) { return Num(v); }

    constexpr Kind kind() const { return kind_; }
    constexpr bool isEmpty() const { return kind_ == Kind::Empty; }
    constexpr bool isWhole() const { return kind_ == Kind::Whole; }
    constexpr bool isSingle() const { return kind_ == Kind::Single; }
    constexpr bool isDouble() const { return kind_ == Kind::Double; }

    // The raw payloads; valid only for the matching kind.
    constexpr std::int32_t wholeValue() const { return w_; }
    constexpr float singleValue() const { return f_; }
    constexpr double doubleValue() const { return d_; }

    // The value as a double (exact for every kind); empty reads as 0.
    constexpr double toDouble() const {
        switch (kind_) {
            case Kind::Whole:
                return w_;
            case Kind::Single:
                return f_;
            case Kind::Double:
                return d_;
            default:
                return 0.0;
        }
    }
    // The value as single: empty gives 0, a double is rounded; OverflowError beyond the range.
    float toSingle() const {
        switch (kind_) {
            case Kind::Whole:
                return static_cast<float>(w_);
            case Kind::Single:
                return f_;
            case Kind::Double:
                return checkedSingle(d_);
            default:
                return 0.0f;
        }
    }
    // Half-to-even conversion to 16 bits, OverflowError outside the range.
    std::int16_t toInt16() const { return vel::toInt16(toDouble()); }
    std::int32_t toInt32() const { return vel::toInt32(toDouble()); }

    // Text of the value as a program's plain number-to-text rule gives it ("" for empty).
    std::string toString() const;

    // Same kind and same value (empty equals only empty).
    friend bool identical(const Num& a, const Num& b) {
        if (a.kind_ != b.kind_) return false;
        switch (a.kind_) {
            case Kind::Whole:
                return a.w_ == b.w_;
            case Kind::Single:
                return a.f_ == b.f_ || (a.f_ != a.f_ && b.f_ != b.f_);
            case Kind::Double:
                return a.d_ == b.d_;
            default:
                return true;
        }
    }

    friend Num operator+(const Num& a, const Num& b) { return arith('+', a, b); }
    friend Num operator-(const Num& a, const Num& b) { return arith('-', a, b); }
    friend Num operator*(const Num& a, const Num& b) { return arith('*', a, b); }
    friend Num operator/(const Num& a, const Num& b) { return arith('/', a, b); }
    Num operator-() const { return arith('-', Num(0), *this); }

    // Comparisons by value; empty reads as 0.
    friend bool operator<(const Num& a, const Num& b) { return a.toDouble() < b.toDouble(); }
    friend bool operator>(const Num& a, const Num& b) { return a.toDouble() > b.toDouble(); }
    friend bool operator<=(const Num& a, const Num& b) { return a.toDouble() <= b.toDouble(); }
    friend bool operator>=(const Num& a, const Num& b) { return a.toDouble() >= b.toDouble(); }
    friend bool operator==(const Num& a, const Num& b) { return a.toDouble() == b.toDouble(); }

private:
    // Dynamic arithmetic. Empty acts as the whole number 0. Whole with whole stays whole
    // (a result beyond 32 bits widens to double; a quotient is double); any double operand
    // gives double; otherwise the operation is single precision, and a single result that
    // overflows widens to double. A double result must be finite. Division by zero raises.
    static Num arith(char op, const Num& a, const Num& b) {
        const Kind ka = a.kind_ == Kind::Empty ? Kind::Whole : a.kind_;
        const Kind kb = b.kind_ == Kind::Empty ? Kind::Whole : b.kind_;
        if (op == '/' && b.toDouble() == 0.0) throw DivisionByZeroError("Division by zero");
        if (ka == Kind::Whole && kb == Kind::Whole) {
            const std::int64_t x = a.kind_ == Kind::Whole ? a.w_ : 0;
            const std::int64_t y = b.kind_ == Kind::Whole ? b.w_ : 0;
            if (op == '/')
                return Num(checkedDouble(static_cast<double>(x) / static_cast<double>(y)));
            const std::int64_t r = op == '+' ? x + y : op == '-' ? x - y : x * y;
            if (r >= std::numeric_limits<std::int32_t>::min() &&
                r <= std::numeric_limits<std::int32_t>::max())
                return Num(static_cast<int>(r));
            return Num(static_cast<double>(r));
        }
        if (ka == Kind::Double || kb == Kind::Double) {
            const double x = a.toDouble(), y = b.toDouble();
            return Num(checkedDouble(apply(op, x, y)));
        }
        // Single precision: each operand as single; the operation on two singles computed in
        // double and rounded once equals the correctly rounded single operation.
        const double x = a.toSingle(), y = b.toSingle();
        const double r = apply(op, x, y);
        const float f = static_cast<float>(r);
        if (std::isinf(f)) return Num(checkedDouble(r));
        return Num(f);
    }
    static constexpr double apply(char op, double x, double y) {
        return op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y;
    }

    Kind kind_ = Kind::Empty;
    union {
        std::int32_t w_ = 0;
        float f_;
        double d_;
    };
};

}  // namespace vel
