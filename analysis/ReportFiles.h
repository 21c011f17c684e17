// The names of the market reports' files: every file of a report lies directly in the RESULTS
// folder under the report key, a run letter ("a" during an unattended run, "m" in manual use),
// "cmd" and the report number, followed by a fixed name (or, for the page, the name its caller
// passes).
#pragma once

#include <cstdint>
#include <string>

namespace vel {

// The report numbers (no report has the number 6).
enum class ReportNumber : int {
    MarketTiming = 1,
    MarketTimingPlus = 2,
    MarketSwinging = 3,
    MarketSwingingPlus = 4,
    MarketSpecialSwinging = 5,
    GeneralTrading = 7,
};

// "acmd<n>" when AutoRunMode is 1, else "mcmd<n>".
std::string ReportKey(ReportNumber report);
// ResultsFolderPath followed directly by the report key; AutoRunMode and ResultsFolderPath are
// read when it is called, so a writer computes it once per run.
std::string ReportFilePrefix(ReportNumber report);
// The group number padded with "0" to four characters: 1 gives "0001", 10 gives "0010".
std::string GroupNumberText(std::int16_t group);

}  // namespace vel
