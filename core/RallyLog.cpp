// The trading log as a value.
#include "RallyLog.h"

#include "Num.h"
#include "Tables.h"

namespace vel {

void RallyLog::throwCell(long r, long c) {
    throwSubscript2("TradingLog", r, c);
}

void RallyLog::AddBuyPosition(long BuyPos) {
    const long next = static_cast<long>(count) + 1;
    if (next > kMaxRallies) throwCell(next, 1);
    rows_[static_cast<size_t>(next)][1] = toInt16(static_cast<double>(BuyPos));
    count = static_cast<std::int16_t>(next);
}

void RallyLog::SetSellPosition(long SellPos) {
    (*this)(count, 2) = toInt16(static_cast<double>(SellPos));
}

void RallyLog::AppendChecked(long BuyPos, long SellPos) {
    const std::int16_t sell = toInt16(static_cast<double>(SellPos));
    AddBuyPosition(BuyPos);
    rows_[static_cast<size_t>(count)][2] = sell;
}

bool SameRallies(const RallyLog& a, const RallyLog& b) {
    if (a.count != b.count) return false;
    for (long r = 1; r <= a.count; ++r)
        if (a(r, 1) != b(r, 1) || a(r, 2) != b(r, 2)) return false;
    return true;
}

}  // namespace vel
