// The history reports computed from the loaded, split-adjusted history and written into the
// RESULTS folder: the profit distribution along the Money Volume Tree ("ProfitDistribution.html")
// and the list of pseudo splits ("PseudoSplits.html"), and the page frame they share with the
// page of the splits adjusted by the user. Pages are written line by line (CR LF), whole or
// not at all; symbols and paths are escaped. The caller opens the page.
#pragma once

#include <string>
#include <vector>

namespace vel {

// The head of a history report page: the HTML head with the title, the centred title, the
// line with the program link (linkText as the link's text, README.md in the program folder as
// its address) and the processing date and time of the door's clock.
std::vector<std::string> HistoryReportHead(const std::string& title, const std::string& linkText);

// Writes the lines to the path, whole or not at all. On failure the error is shown, what stood
// at the path stays as it was, and false is returned (so that the caller opens no page).
bool WriteHistoryReportPage(const std::string& path, const std::vector<std::string>& lines);

// Writes ResultsFolderPath + "ProfitDistribution.html": overlapping portfolios of 20
// consecutive stocks of the Money Volume Tree (1-20, 6-25, ...) with the mean and the
// population standard deviation of the long term (252 days), short term (defPastDays) and
// prior long term profit of their stocks. A stock whose price at the start of a period is not
// above 0 is left out of that portfolio's figures. The RESULTS folder is made when missing.
// False without a loaded history (with a beep), when the data folder is held by a run, an
// import or another command (HoldResultsFolder), or when the folder or the page cannot be
// written.
bool WriteProfitDistributionReport();

// Writes ResultsFolderPath + "PseudoSplits.html": every day of a loaded stock whose price
// ratio to the day before (previous / this) is above 1.25 or below 0.8, newest day first,
// with the volume ratio (this / previous, 0 when the previous volume is 0). Days whose own
// price is not above 0 are skipped. The RESULTS folder is made when missing. False without a
// loaded history (with a beep), when the data folder is held by a run, an import or another
// command (HoldResultsFolder), or when the folder or the page cannot be written.
bool WritePseudoSplitsReport();

}  // namespace vel
