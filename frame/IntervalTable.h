// The table of value intervals (IntervalLimit, IntervalCount) written into the results
// database for the stock screening: one row per interval with its limits and a readable form
// such as "5.00>DV>=2.00".
#pragma once

#include <string>

namespace vel {

// The value in a number format of the form "0", "0.0", "0.00", ...: at least one integer
// digit and exactly as many decimals as the format has zeros after its point (decimal point
// "."). Any other format gives the plain single-precision text of the value.
std::string FormatNumber(float value, const std::string& format);

// The readable form of interval k of IntervalCount: "High>name>=Low"; the first interval
// "name>=Low"; the last (also when it is the only one) "High>name".
std::string IntervalString(int k, const std::string& variableName, const std::string& format);

// Creates table `tableName` (IntervalNum INTEGER, LimitHigh Single, LimitLow Single,
// IntervalString TEXT) in the existing database ResultsDatabasePath and writes intervals 1 to
// IntervalCount into it, all or nothing. Sets ErrorPosition 22. A table name that is not a
// plain name, a missing database or an existing table is shown in the database error message
// and nothing is written.
void SaveIntervalTable(const std::string& tableName, const std::string& variableName,
                       const std::string& format);

}  // namespace vel
