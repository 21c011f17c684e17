// The trading log: the BUY-SELL rallies that a signal walk, the trading cursor or the rally file
// produce and that the backtests price. RallyLog is the table as a value, so that a search can
// walk and price its trials on a log of its own (one per worker thread); the process-wide log
// of the program, TradingLog with its count RallyCount (AppState.h), is one instance of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace vel {

constexpr int kMaxRallies = 2000;

// Rows 0..2000, columns 0..2: row r (1..count) is rally r, column 1 its BuyPos and column 2 its
// SellPos (day indexes; SellPos is ChartTo1 + 1 while the rally is open). Row 0 and column 0
// hold no rally. Rows above count keep whatever they held: nothing erases them.
class RallyLog {
public:
    // The number of rallies, 0..2000.
    std::int16_t count = 0;

    // Checked access to any cell of the table; an index outside it raises SubscriptRangeError
    // naming the table.
    std::int16_t& operator()(long r, long c) {
        if (r < 0 || r > kMaxRallies || c < 0 || c > 2) throwCell(r, c);
        return rows_[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
    }
    std::int16_t operator()(long r, long c) const { return const_cast<RallyLog&>(*this)(r, c); }

    // Unchecked reads of rally r, for loops over 1..count.
    std::int16_t BuyPos(int r) const { return rows_[static_cast<std::size_t>(r)][1]; }
    std::int16_t SellPos(int r) const { return rows_[static_cast<std::size_t>(r)][2]; }

    // Appends rally count + 1 with the buy day; its SellPos keeps the row's old content until
    // SetSellPosition. A 2001st rally raises SubscriptRangeError and changes nothing; a day
    // outside the 16-bit range raises OverflowError and changes nothing.
    void AddBuyPosition(long BuyPos);
    // Sets SellPos of rally count (with no rally, row 0, which holds none). OverflowError for a
    // day outside the 16-bit range.
    void SetSellPosition(long SellPos);
    // Appends a whole rally; the errors of AddBuyPosition, and nothing changes on error.
    void Append(long BuyPos, long SellPos) {
        if (count < kMaxRallies && Fits16(BuyPos) && Fits16(SellPos)) {
            ++count;
            rows_[static_cast<std::size_t>(count)][1] = static_cast<std::int16_t>(BuyPos);
            rows_[static_cast<std::size_t>(count)][2] = static_cast<std::int16_t>(SellPos);
            return;
        }
        AppendChecked(BuyPos, SellPos);
    }

    // Every row and the count back to 0 (a fresh log).
    void Erase() { *this = RallyLog(); }

    // Same count and same rallies 1..count (rows above count are not compared).
    friend bool SameRallies(const RallyLog& a, const RallyLog& b);
    // Same count and same content of every row.
    bool operator==(const RallyLog&) const = default;

private:
    static bool Fits16(long v) { return v >= -32768 && v <= 32767; }
    // Append's road when the table is full or a day does not fit: raises its error.
    void AppendChecked(long BuyPos, long SellPos);
    [[noreturn]] static void throwCell(long r, long c);
    std::array<std::array<std::int16_t, 3>, kMaxRallies + 1> rows_{};
};

}  // namespace vel
