// BUY-SELL signals and the trading log: the signal walk that turns a signal vector into rallies,
// the way back from rallies to a signal vector, and the inversion of the rallies.
//
// A signal asks to be in the market where it is positive and out where it is negative; 0 never
// acts. The walk starts flat; while flat a positive day buys, while long a negative day sells
// (tested first, so a sell day never buys again: the earliest new buy is the next day); a
// position still held after the last day becomes an open rally with SellPos = last day + 1.
#pragma once

#include "RallyLog.h"

namespace vel {

// The walk over the shown window ChartFrom1..ChartTo1 of MainVectors' vector SignalVector into
// the program's trading log, every day read as a single (an empty cell as 0). With ClearFlag
// the chart window's clear command runs first (clear and repaint) and the menu captions are
// refreshed at the end when rallies were found. The log is replaced either way. A day outside
// the store raises SubscriptRangeError; a 2001st rally raises the table's SubscriptRangeError.
void SignalVectorToTradingLog(long SignalVector, bool ClearFlag);

// The same walk on raw data, for searches on worker threads: days from..to of a row of singles
// (day d at signal[d - 1]) into the given log, which is replaced. It touches nothing else and
// never yields. A window that does not lie inside 1..days (when from <= to) raises
// SubscriptRangeError before anything changes.
void WalkSignalRow(const float* signal, long days, long from, long to, RallyLog& log);

// Sets days 1..CoordDim of MainVectors' vector to OutsideValue, then the days BuyPos to
// SellPos - 1 of every rally to InsideValue (singles). The sell day stays outside.
void TradingLogToSignalVector(long VectorNum, long OutsideValue, long InsideValue);

// Replaces the rallies by the gaps between them inside the shown window: the vector (scratch)
// receives +100 outside the rallies and -100 inside them and outside the window, and is walked
// with the clear flag. The vector keeps the +-100 values.
void InvertTradingLog(long VectorNum);

}  // namespace vel
