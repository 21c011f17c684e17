// The five trading methods A to E: each turns a source curve of MainVectors into a BUY-SELL
// signal, walks it into the program's trading log and judges the rallies over the Stock Basket
// (CalcBasicTradingResults). A and C trade the crossing of the zero level (above, below), B and
// D search the best of 401 constant levels between the curve's lowest and highest shown value
// (above, below), E searches the best smoothing and gradient length from 5 to 50 and trades the
// crossing of the gradient above zero.
//
// On return the trading log holds the rallies of the method's final signal, TradingResultsText
// their results followed by the method's two lines, and the CSV row buffer the backtest's summary
// row followed by "TradingMethod" and "CrossingLevel" (A to D) or "OptimalGradientDays" (E). The
// signal vector S holds the final signal (E: S + 1 the smoothed curve, S + 2 its gradient). D and
// E write a trace file of their trials into the RESULTS folder
// ("GenerateOptimizedOneLevelTradingSignal.csv",
// "GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB.csv"); B writes none.
#pragma once

#include <cstdint>

namespace vel {

// The method texts, as the result text, the CSV rows and the reports name them.
inline constexpr const char* kMethodAboveZero = "CROSSING ABOVE ZERO LEVEL";
inline constexpr const char* kMethodAboveOptimal = "CROSSING ABOVE OPTIMAL LEVEL";
inline constexpr const char* kMethodBelowZero = "CROSSING BELOW ZERO LEVEL";
inline constexpr const char* kMethodBelowOptimal = "CROSSING BELOW OPTIMAL LEVEL";
inline constexpr const char* kMethodOptimalGradient = "OPTIMAL GRADIENT CROSSING ABOVE ZERO LEVEL";

// A and C: return 0.
float GenerateCrossingAboveZeroLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                            std::int16_t SignalVectorNum);
float GenerateCrossingBelowZeroLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                            std::int16_t SignalVectorNum);
// B and D: return the best level (0 when no level gave a rally).
float GenerateCrossingAboveOptimalLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                               std::int16_t SignalVectorNum);
float GenerateCrossingBelowOptimalLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                               std::int16_t SignalVectorNum);
// E: returns the best length (0 when no length gave a rally).
float GenerateOptGradCrossingAboveZeroLevelTSignalsFromVectorForSB(std::int16_t SourceVectorNum,
                                                                   std::int16_t SignalVectorNum);

// How a search prices its trials. Fused: the signal, the walk and the basket backtest of every
// trial in one pass over raw rows of the curve and the members' prices, nothing written per
// trial but the trace row; the trials run on worker threads with private scratch and come back
// in trial order (the program's road). Literal: every trial step by step through the signal
// vector, the program's trading log and CalcBasicTradingResults, as the method is written; the
// test oracle. Both leave the same results, files and vectors bit for bit; the fused road takes
// the literal one by itself where a curve or window lies outside what it reads (a cell that is
// not a finite number, a shown window outside the loaded days).
enum class TrialRoad { Fused, Literal };

// The threads of the fused road: 0 lets each search choose (the calling thread alone for a short
// search, the workers as well for a long one); a test may fix the count.
extern unsigned FusedTrialThreadCount;

// The level search of B (above true) and D (above false), and the gradient search of E, on the
// road given.
float GenerateOptimalLevelSignal(std::int16_t SourceVectorNum, std::int16_t SignalVectorNum,
                                 bool above, TrialRoad road);
float GenerateOptimalGradientSignal(std::int16_t SourceVectorNum, std::int16_t SignalVectorNum,
                                    TrialRoad road);

}  // namespace vel
