// The HTML report pages of the market reports: the page frame that is written into the
// RESULTS folder and opened in the browser, and the reusable pieces a report writer puts into
// its body (header with the displayed period and the time of processing, disclaimer, links,
// chart images with a link to their CSV table, parameters, fixed remarks, and the trading
// signal at the chart cursor). Pieces are plain HTML with upper-case tags and CR LF line ends;
// text that comes from data (titles, captions, dates, file names) is escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vel {

// The text with &, <, >, " and ' replaced by their character references, so that it shows
// as written in an HTML page, also inside an attribute value in double quotes.
std::string HtmlEscape(std::string_view text);

// The address the report pages link to as the program's web page: "README.md" in the program
// folder.
std::string ProgramWebPageAddress();

// The current date (M/D/YYYY) and time (h:mm:ss AM/PM) of the door's clock.
std::string CurrentDateText();
std::string CurrentTimeText();

// Writes "<HTML><BLOCKQUOTE>", the body, the end line and "</BLOCKQUOTE></HTML>" to the path
// as one text line (written whole or not at all) and opens it in the browser. A page that
// cannot be written is reported in a message (nothing is opened) and false returned.
bool SaveAndShowHTMLReport(const std::string& body, const std::string& path);

// The centred page header: the title, the period from the date of ChartFrom1 to the date of
// ChartTo1, the program link, and the date and time of processing. The displayed days must be
// loaded days (SubscriptRangeError otherwise).
std::string GetHTMLReportHeader(const std::string& title);
std::string GetHTMLDisclaimer();
// defCommission, defCorrelation and defDiligence, each with two decimals.
std::string GetHTMLTimingParameters();
std::string GetHTMLAutomaticExecutionNote();
std::string GetHTMLMarketTimingRemarks();
std::string GetHTMLMarketSwingingRemarks();
std::string GetHTMLMarketBehaviourRemarks();

// A link to the target with the caption. fullPath 0: the HREF is the bare name of the file
// that a directory search for the target finds ("" when there is none), so the page
// addresses files beside it; any other value: the target as given.
std::string GetHTMLLink(const std::string& target, const std::string& caption,
                        std::int16_t fullPath);
// A centred image; the source named as in GetHTMLLink.
std::string GetHTMLImage(const std::string& image, std::int16_t fullPath);
// The image, a centred sentence and a link to the chart's CSV table.
std::string GetHTMLChartWithCSVLink(const std::string& image, const std::string& csv,
                                    std::int16_t fullPath);

// The trading signal of the trading log at CursorDay: "BUY on  " when a rally, cut to the
// displayed days ChartFrom1..ChartTo1, holds the cursor day; "SELL on  " when rallies exist but
// none holds it; " NO SIGNAL on  " without rallies. Then the cursor position, its date and,
// for a valid date, its weekday (Monday 1 .. Sunday 7). CursorDay must be a loaded day.
std::string GetCursorSignalText();
std::string GetHTMLCursorSignal();

}  // namespace vel
