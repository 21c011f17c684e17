// The autorun command file and its two parsers.
#include "AutorunFile.h"

#include <algorithm>
#include <cmath>

#include "AppState.h"
#include "AsciiText.h"
#include "AutomationState.h"
#include "DirectoryListing.h"
#include "Errors.h"
#include "FilePaths.h"
#include "Num.h"
#include "NumberText.h"
#include "SmallRoutines.h"
#include "TextFile.h"

namespace vel {

namespace {

enum class Parser { Autorun, Load };

void Fail(std::int16_t status, const char* text) {
    AutoRunError = status;
    AutoRunErrorText = text;
    SilentMode = 0;
    AutoRunMode = 0;
}

// A plain name of a file of the program folder: no folder part and no wildcard, which a
// directory search would take as a pattern.
bool IsPlainFileName(const std::string& name) {
    return name.find_first_of("/*?") == std::string::npos;
}

bool FileListed(const std::string& path) {
    return !FindFirst(path, EntryKind::Files).empty();
}

std::string YesOrNo(const std::string& value) {
    return ToUpperAscii(value) == "YES" ? "YES" : "NO";
}

// The number of a numeric value within [low, high], or nothing. A "-0" is taken as 0, so that
// no parameter carries a negative zero into the reports ("-0.00").
std::optional<double> InRange(const std::string& value, double low, double high) {
    const auto n = parseNumber(value);
    if (!n || *n < low || *n > high) return std::nullopt;
    return *n == 0 ? 0.0 : *n;
}

void ApplyLine(const AutorunLine& line, Parser parser) {
    const std::string key = ToUpperAscii(line.key);
    const std::string& value = line.value;
    if (key == "DOWNLOADEOD") {
        DownloadEOD = YesOrNo(value);
    } else if (key == "CREATEHISTORY") {
        CreateHistory = YesOrNo(value);
    } else if (key == "MARKETTIMING") {
        MarketTiming = YesOrNo(value);
    } else if (key == "MARKETSWINGING" && parser == Parser::Autorun) {
        MarketSwinging = YesOrNo(value);
    } else if (key == "MARKETSWINGINGSPECIAL" && parser == Parser::Autorun) {
        MarketSwingingSpecial = YesOrNo(value);
    } else if (key == "STOCKSYMBOLSMAX") {
        if (const auto n = parseNumber(value)) StockSymbolsMax = *n < 1 ? "9999" : value;
    } else if (key == "LASTDAYSMAX") {
        if (const auto n = parseNumber(value)) LastDaysMax = *n < 2 ? "9999" : value;
    } else if (key == "DEFPASTDAYS") {
        if (const auto n = InRange(value, 1, 100)) defPastDays = toInt16(*n);
    } else if (key == "DEFCOMMISSION") {
        if (const auto n = InRange(value, 0, 5)) defCommission = static_cast<float>(*n);
    } else if (key == "DEFCORRELATION") {
        if (const auto n = InRange(value, 0, 1)) defCorrelation = static_cast<float>(*n);
    } else if (key == "DEFDILIGENCE") {
        if (const auto n = InRange(value, 0, 1)) defDiligence = static_cast<float>(*n);
    } else if (key == "DEFSTOCKSYMBOLSTRING") {
        defStockSymbolString = TrimBlanks(ToUpperAscii(value));
    } else if (key == "DEFSYMBOLSINCHARTPANE") {
        if (const auto n = InRange(value, 1, 21)) defSymbolsInChartPane = toInt16(*n);
    }
}

void ReadCommandFile(Parser parser) {
    AutoRunError = kAutorunOk;
    AutoRunErrorText.clear();
    AutoRunFilePath.clear();
    EodUrlsFilePath.clear();
    EodStruFilePath.clear();
    EodDataFolderPath.clear();
    DownloadEOD.clear();
    CreateHistory.clear();
    MarketTiming.clear();
    StockSymbolsMax = "9999";
    LastDaysMax = "9999";

    AutoRunFileName = TrimBlanks(AutoRunFileName);
    AutoRunBaseName.clear();
    const std::string upper = ToUpperAscii(AutoRunFileName);
    const size_t at = upper.find(".AUTORUN");
    if (at == std::string::npos || at == 0)
        return Fail(kAutorunWrongName, "Wrong Autorun file name!");
    const std::string base = TrimBlanks(AutoRunFileName.substr(0, at));
    AutoRunBaseName = base;

    AutoRunFilePath = JoinPath(ProgramFolderPath, AutoRunFileName);
    EodUrlsFilePath = JoinPath(ProgramFolderPath, base + ".eodurls");
    EodStruFilePath = JoinPath(ProgramFolderPath, base + ".eodstru");
    EodDataFolderPath = JoinPath(ProgramFolderPath, base + "-EOD/");
    DwnParamsFilePath = JoinPath(ProgramFolderPath, base + ".dwnparams");
    DwnResultFilePath = JoinPath(ProgramFolderPath, base + ".dwnresult");

    if (!IsPlainFileName(AutoRunFileName) || !FileListed(AutoRunFilePath))
        return Fail(kAutorunMissing, "AUTORUN file doesn't exists!");
    if (parser == Parser::Autorun) {
        if (!FileListed(EodUrlsFilePath))
            return Fail(kAutorunNoEodUrls, "EODURLS file doesn't exists!");
        if (!FileListed(EodStruFilePath))
            return Fail(kAutorunNoEodStru, "EODSTRU file doesn't exists!");
    }

    std::vector<std::string> lines;
    try {
        lines = ReadTextLines(AutoRunFilePath, kMaxAutorunLines);
    } catch (const FileError&) {
        return Fail(kAutorunMissing, "AUTORUN file doesn't exists!");
    }
    if (lines.empty()) return Fail(kAutorunNoCommands, "No valid automation commands!");
    for (const auto& text : lines) {
        const AutorunLine line = SplitAutorunLine(text);
        if (line.command) ApplyLine(line, parser);
    }

    ImportFileExtension = "csv";
    DataFolderPath = EodDataFolderPath;
    HistoryName = "History";
    HistoryFileName = HistoryName + ".mdb";
    HistoryDatabasePath = JoinPath(DataFolderPath, HistoryFileName);
    ResultsFolderPath = JoinPath(DataFolderPath, "RESULTS/");
    ResultsName = "Results";
    ResultsFileName = ResultsName + ".mdb";
    ResultsDatabasePath = JoinPath(ResultsFolderPath, ResultsFileName);
    ResultsReportPath = JoinPath(ResultsFolderPath, "Vellicor.html");
}

}  // namespace

AutorunLine SplitAutorunLine(const std::string& text) {
    const std::string line = TrimBlanks(text);
    const size_t eq = line.find('=');
    const size_t sc = line.find(';');
    if (eq == std::string::npos || eq == 0) return {};
    if (sc != std::string::npos && sc <= eq + 1) return {};
    const size_t end = sc == std::string::npos ? line.size() : sc;
    return {true, TrimBlanks(line.substr(0, eq)), TrimBlanks(line.substr(eq + 1, end - eq - 1))};
}

void ReadAutorunFile() {
    ReadCommandFile(Parser::Autorun);
}

void ReadAutorunFileForLoad() {
    ReadCommandFile(Parser::Load);
}

long AutorunDayCount() {
    const double n = parseNumber(LastDaysMax).value_or(9999.0);
    const double r = roundHalfEven(std::clamp(n, 2.0, 32767.0));
    return static_cast<long>(r);
}

}  // namespace vel
