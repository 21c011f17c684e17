// The HTML report pages and their pieces.
#include "HtmlReport.h"

#include <array>
#include <utility>

#include "ActivityLog.h"
#include "AppState.h"
#include "BrowserLauncher.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "Errors.h"
#include "FilePaths.h"
#include "Hooks.h"
#include "IntervalTable.h"
#include "NumberText.h"
#include "TextFile.h"

namespace vel {

namespace {

// The texts of the remarks on market timing, in page order.
const std::array<const char*, 37> kTimingRemarks = {
    "<P><FONT COLOR=BLUE><B>SOME REMARKS ON STOCK MARKET TIMING:</B></FONT> The chart above, "
    "together with all the files of this report, ",
    " shows some basic results of the stock market timing calculations.",
    " The algorithm of the overall stock market timing is based on ",
    " the mathematical model for generating of time series of buy(= 100) and sell(= -100) "
    "signals for the individual stocks.",
    " This mathematical model is based on four numerical parameters.",
    " Optimal values of these model parameters are calculated for every stock symbol ",
    " of the Stock Basket, followed by the generating of time series of BUY-SELL signals for the "
    "individual stock symbols, during the selected period of time. ",
    " Afterwards, average time series of BUY-SELL signals is calculated for all stock symbols in "
    "the Stock Basket.",
    " Resulting average time series of BUY-SELL signals is displayed as the lowest curve of the "
    "chart. ",
    " The periods, where the curve values are greater than zero or greater than  some optimal "
    "value ",
    " can be regarded as bullish trend of the overall stock market. ",
    " It is useful to include those stock symbols ",
    " with the greatest daily money volume into the stock market timing calculations.",
    "<P>Investing performance can be evaluated by means of a theoretical",
    " portfolio with a dollar volume of $1000 per a stock symbol, ",
    " which is included into the stock market timing calculations. It is assumed",
    " that this theoretical portfolio is bought on the first day of a rally and",
    " sold on the last day of a rally.",
    " However, a large theoretical portfolio used for stock market timing algorithm is not "
    "suitable",
    " for a small individual investor, which must concentrate on a small number",
    " of stocks due to his or her financial limitations. Therefore, the profitability",
    " of some exchange traded funds and major stocks would be more appropriate",
    " for the evaluation of a stock market timing performance for small individual investors.",
    " <P>It is  due to mention, that this stock market timing chart is describing",
    " the stock market behavior in a precise, unbiased numerical way and therefore it can",
    " serve as a tool for more profound studies of the stock market, especially for correlating",
    " abrupt market trend changes with major economical, political and cultural",
    " events and their expectations and thus improving trading performance.",
    "<P><B>A stock ranking corresponding to a stock market timing method.</b><b></B>",
    "<P>A stock ranking, closely related to a specific stock market timing",
    " method, is answering the question about stock symbols performance",
    " in the past, during bullish rallies, as identified by a stock market timing method. ",
    " No stock market timing method is complete without a stock ranking. ",
    " Though stock ranking itself can give you no guarantee of future profitability, it can help "
    "you",
    " to build a portfolio with a reasonable prospect of profitability during ",
    " the next bullish rally as defined by trading signals of the corresponding stock market",
    " timing method.",
};

// The texts (by their number, from 1) in which the remarks on market swinging differ.
const std::array<std::pair<int, const char*>, 14> kSwingingRemarks = {{
    {1,
     "<P><FONT COLOR=BLUE><B>SOME REMARKS ON STOCK MARKET SWINGING:</B></FONT> The chart above, "
     "together with all the files of this report, "},
    {2, " shows some basic results of the stock market swinging calculations."},
    {3, " The algorithm of the overall stock market swinging is based on "},
    {5, " This mathematical model is based on two numerical parameters."},
    {13, " with the greatest daily money volume into the stock market swinging calculations."},
    {16, " which is included into the stock market swinging calculations. It is assumed"},
    {19,
     " However, a large theoretical portfolio used for stock market swinging algorithm is not "
     "suitable"},
    {23,
     " for the evaluation of a stock market swinging performance for small individual "
     "investors."},
    {24, " <P>It is  due to mention, that this stock market swinging chart is describing"},
    {29, "<P><B>A stock ranking corresponding to a stock market swinging method.</b><b></B>"},
    {30, "<P>A stock ranking, closely related to a specific stock market swiniging"},
    {32, " in the past, during bullish rallies, as identified by a stock market swinging method. "},
    {33, " No stock market swinging method is complete without a stock ranking. "},
    {37, " swinging method."},
}};

const std::array<const char*, 8> kBehaviourRemarks = {
    "<P><B>A market behaviour.</b><b></B>",
    "<P>Some charts may be showing four curves named as market behaviour. ",
    " They represent a relationship between stock price and dollar volume as a function of time.",
    "<P>A market behaviour APA$V% means percentage of stock symbols in the Stock Basket with "
    "positive gradient of the price and positive gradient of the dollar volume (advancing price "
    "and advancing dollar volume) as a function of time.",
    "<P>A market behaviour APD$V% means percentage of stock symbols in the Stock Basket with "
    "positive gradient of the price and negative gradient of the dollar volume (advancing price "
    "and declining dollar volume) as a function of time.",
    "<P>A market behaviour DPD$V% means percentage of stock symbols in the Stock Basket with "
    "negative gradient of the price and negative gradient of the dollar volume (declining price "
    "and declining dollar volume) as a function of time.",
    "<P>A market behaviour DPA$V% means percentage of stock symbols in the Stock Basket with "
    "negative gradient of the price and positive gradient of the dollar volume (declining price "
    "and advancing dollar volume) as a function of time.",
    "<P>Market behaviour curves are useful for studying and understanding short term market "
    "movements as a function of time.",
};

const std::array<const char*, 7> kAutomaticExecutionNote = {
    "<P><FONT COLOR=RED><B>AN AUTOMATIC DAILY PROGRAM EXECUTION:</B></FONT> Program Vellicor, "
    "version 5.0, ",
    " in cooperation with task scheduler of an operating system can be easily set up to "
    "generate ",
    " a stock market timing report automatically, on any or every day of week, including  ",
    " free EOD history data download and processing. After executing of a simple initial set up "
    "procedure,  ",
    " you can view updated stock market timing report on the screen of your computer ",
    " every day without any further effort and without paying any additional regular fees. ",
    " See program help for details. ",
};

// The name a link or image addresses: the bare name of the found file (fullPath 0) or the
// path as given.
std::string LinkName(const std::string& target, std::int16_t fullPath) {
    if (fullPath != 0) return target;
    return target.empty() ? std::string() : FindFirst(target, EntryKind::Files);
}

// Monday 1 .. Sunday 7; serial day 0 (12/30/1899) was a Saturday.
int WeekDayNumber(const Date& d) {
    const long r = ((dateSerial(d) + 5) % 7 + 7) % 7;
    return static_cast<int>(r) + 1;
}

}  // namespace

std::string HtmlEscape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string ProgramWebPageAddress() {
    return JoinPath(ProgramFolderPath, "README.md");
}

std::string CurrentDateText() {
    return formatShortDate(door().Now().date);
}

std::string CurrentTimeText() {
    return formatLongTime(door().Now());
}

bool SaveAndShowHTMLReport(const std::string& body, const std::string& path) {
    const std::string page = std::string("<HTML><BLOCKQUOTE>") + kCrLf + body + kCrLf +
                             "<P><CENTER>End of report.</CENTER>" + kCrLf + "</BLOCKQUOTE></HTML>" +
                             kCrLf;
    try {
        WriteTextLines(path, {page});
    } catch (const FileError& e) {
        WriteActivityLog("Report file cannot be written: " + path);
        door().MessageBox(std::string("Report file cannot be written!\r\n") + e.what(), "Vellicor",
                          MsgButtons::OK);
        return false;
    }
    ShowFileInBrowser(path);
    return true;
}

std::string GetHTMLReportHeader(const std::string& title) {
    const DateTime now = door().Now();
    std::string s = kCrLf;
    s += std::string("<CENTER>") + kCrLf;
    s += "<P><H2>" + HtmlEscape(title) + "</H2>" + kCrLf;
    s += "<B>Period from " + HtmlEscape(TradeDateOfDay(ChartFrom1.toInt16())) + " to " +
         HtmlEscape(TradeDateOfDay(ChartTo1)) + "</B>" + kCrLf;
    s += std::string("<P>Generated by the stock market analysis program ") + kCrLf;
    s += "<A HREF=\"" + HtmlEscape(ProgramWebPageAddress()) + "\">" + kCrLf;
    s += std::string("Vellicor</A> , version 5.0") + kCrLf;
    s += "<BR>Date " + formatShortDate(now.date) + " Time " + formatLongTime(now) + kCrLf;
    s += std::string("</CENTER>") + kCrLf;
    s += std::string("<BR><BR>") + kCrLf;
    return s;
}

std::string GetHTMLDisclaimer() {
    return std::string(kCrLf) +
           "<P><FONT COLOR=RED><B>DISCLAIMER:</B></FONT> All information in this document is "
           "submitted without any guarantee, expressed or implied, though great effort was "
           "exerted to verify the validity of all information. It is due to mention that past "
           "performance gives no guarantee of future performance and trader himself is "
           "responsible for his trading decisions.";
}

std::string GetHTMLTimingParameters() {
    return std::string(kCrLf) +
           "<P><FONT COLOR=BLUE><B>USER DEFINED TIMING PARAMETERS:</B></FONT>" +
           "<BR>One way commission [%] = " + FormatNumber(defCommission, "0.00") +
           " where value=0 implies more rallies, value>0 implies less rallies " + kCrLf +
           "<BR>Correlation low limit (from 0.0 to 1.0) = " + FormatNumber(defCorrelation, "0.00") +
           "   where  value=0.71 is recommended" +
           "<BR>Diligence (from 0.0 to 1.0) = " + FormatNumber(defDiligence, "0.00") +
           "   where  value=0.5 is recommended";
}

std::string GetHTMLAutomaticExecutionNote() {
    std::string s = kCrLf;
    for (const char* t : kAutomaticExecutionNote) s += std::string(t) + kCrLf;
    return s;
}

std::string GetHTMLMarketTimingRemarks() {
    std::string s;
    for (const char* t : kTimingRemarks) s += t;
    return s;
}

std::string GetHTMLMarketSwingingRemarks() {
    std::array<const char*, 37> texts = kTimingRemarks;
    for (const auto& [number, text] : kSwingingRemarks)
        texts[static_cast<size_t>(number - 1)] = text;
    std::string s;
    for (const char* t : texts) s += t;
    return s;
}

std::string GetHTMLMarketBehaviourRemarks() {
    std::string s;
    for (const char* t : kBehaviourRemarks) s += t;
    return s;
}

std::string GetHTMLLink(const std::string& target, const std::string& caption,
                        std::int16_t fullPath) {
    return std::string(kCrLf) + "<A HREF=\"" + HtmlEscape(LinkName(target, fullPath)) + "\">" +
           kCrLf + HtmlEscape(caption) + kCrLf + "</A>" + kCrLf;
}

std::string GetHTMLImage(const std::string& image, std::int16_t fullPath) {
    return std::string(kCrLf) + "<P><CENTER><IMG SRC=\"" + HtmlEscape(LinkName(image, fullPath)) +
           "\"></CENTER>" + kCrLf;
}

std::string GetHTMLChartWithCSVLink(const std::string& image, const std::string& csv,
                                    std::int16_t fullPath) {
    return GetHTMLImage(image, fullPath) +
           "<BR><CENTER>All details of chart curves can be viewed on the program screen of the "
           "running program " +
           kCrLf + GetHTMLLink(csv, "or in this *.csv file.", fullPath) + "</CENTER>" + kCrLf;
}

std::string GetCursorSignalText() {
    std::string signal = " NO SIGNAL on  ";
    if (RallyCount >= 1) {
        signal = "SELL on  ";
        const long shownFrom = ChartFrom1.toInt16();
        for (long r = 1; r <= RallyCount; ++r) {
            long from = TradingLog(r, 1);
            if (from < shownFrom) from = shownFrom;
            long to = TradingLog(r, 2) - 1L;
            if (to > ChartTo1) to = ChartTo1;
            if (from <= to && from <= CursorDay && CursorDay <= to) signal = "BUY on  ";
        }
        YieldToEvents();
    }
    const std::string& date = TradeDateOfDay(CursorDay);
    std::string text =
        signal + " cursor position = " + std::to_string(CursorDay) + "   Date = " + date;
    if (const auto d = parseDate(date); d && isValidDate(*d))
        text += "   WeekDay =" + std::to_string(WeekDayNumber(*d));
    return text;
}

std::string GetHTMLCursorSignal() {
    return std::string(kCrLf) +
           "<P><FONT COLOR=GREEN><B>TRADING SIGNAL ON CURSOR POSITION:</B></FONT>" + kCrLf +
           "<BR>" + HtmlEscape(GetCursorSignalText());
}

}  // namespace vel
