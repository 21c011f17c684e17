// Portfolio candidates and the portfolio file.
#include "Portfolio.h"

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "ChartView.h"
#include "CsvRows.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Errors.h"
#include "FileDialogs.h"
#include "FolderHold.h"
#include "Hooks.h"
#include "IntervalTable.h"
#include "NumberText.h"
#include "Progress.h"
#include "StockBasket.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel {

const char* const kPortfolioHeader =
    "*Ticker,Trade Date,# Shares,Purchase Price,Commission,Transaction Notes,Type";

namespace {

// The coordinates of a screening vector that the candidates read and write.
constexpr int kGradient4 = 16, kGradient8 = 17, kGradient4Level = 18, kGradient8Level = 19;
constexpr int kCandidateMark = 20, kCandidate = 29, kCandidateSpare = 30;

}  // namespace

void PutPortfolioCandidates() {
    ProgressInit();
    clsVectors& s = *ScreeningVectors;
    const long rows = s.BufferCount();
    for (long i = 1; i <= rows; ++i) {
        const long v = s.BufferStart() + i - 1;
        s.CoordSetSingleValue(v, kCandidateMark, -2.0f);
        s.CoordSetSingleValue(v, kCandidate, -2.0f);
        s.CoordSetSingleValue(v, kCandidateSpare, 0.0f);
        // B and GB rounded to whole numbers, halves to even (kept as numbers, so a gradient
        // beyond the 16-bit range is compared rather than overflowing).
        const double a = s.CoordGetSingleValue(v, kGradient4).toDouble();
        const double b = roundHalfEven(s.CoordGetSingleValue(v, kGradient8).toDouble());
        const double ga = s.CoordGetSingleValue(v, kGradient4Level).toDouble();
        const double gb = roundHalfEven(s.CoordGetSingleValue(v, kGradient8Level).toDouble());
        if (gb <= 2 && ga <= 2 && a > 0 && b > 0 && a > b) {
            s.CoordSetSingleValue(v, kCandidateMark, 1.0f);
            s.CoordSetSingleValue(v, kCandidate, 1.0f);
        }
    }
    ProgressEnd();
}

std::vector<std::string> PortfolioLines() {
    std::vector<std::string> lines{kPortfolioHeader};
    const clsVectors& m = *MainVectors;
    const long last = m.CoordDim();
    const std::string date = TradeDateOfDay(last);
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i) {
        if (BasketFlag(i) != 1) continue;
        const float price = m.CoordGetSingle(m.BufferStart() + i - 1, last);
        const float shares = price == 0.0f ? 0.0f : 3000.0f / price;
        lines.push_back(CsvTextField(LoadedSymbols(i)) + ", " + date + ", " +
                        FormatNumber(shares, "0") + ", " + FormatNumber(price, "0.00") +
                        ", 15 ,rank " + formatWholeExport(i) + "  of MVTree, L");
    }
    return lines;
}

void SaveStockBasketAsPortfolioCSV() {
    if (BasketCount == 0) {
        door().MessageBox("Put some stock symbols into Stock Basket, please.", "Vellicor",
                          MsgButtons::OK);
        return;
    }
    std::string proposal = BasketSaveFilePath;
    if (proposal.empty()) proposal = StockListFilePath;
    if (proposal.empty()) proposal = "Basket.csv";
    BasketSaveFilePath =
        ShowSaveFileDialog("Enter or select CSV file name.", "CSV files (*.csv)|*.csv", proposal);
    if (BasketSaveFilePath.empty()) return;
    const FolderHold hold(DataFolderOf(BasketSaveFilePath));
    if (!HeldForWriting(hold)) return;
    try {
        WriteTextLines(BasketSaveFilePath, PortfolioLines());
    } catch (const FileError&) {
        door().MessageBox("The stock list file cannot be written:\r\n" + BasketSaveFilePath,
                          "Vellicor", MsgButtons::OK);
    }
    SelectStockInTree(DisplayedStockIndex);
    YieldToEvents();
}

void NarrowStockBasketToPortfolioCandidates() {
    CalcFrom1 = ChartFrom1.toInt16();
    CalcTo1 = ChartTo1;
    GroupFrom = Num(static_cast<int>(ChartFrom2));
    GroupTo = ChartTo2;
    if (ChartTo2 < ChartFrom2 + 7) {
        door().MessageBox("Select at least 8 trading days, please.", "Vellicor", MsgButtons::OK);
        return;
    }
    if (!RunEntryPoint(AnalysisCommands.CalcScreeningBasicValues, "CalcScreeningBasicValues",
                       std::int16_t{0}))
        return;
    PutPortfolioCandidates();
    const clsVectors& s = *ScreeningVectors;
    const long n = LoadedStockCount();
    for (long i = 1; i <= n; ++i)
        if (s.CoordGetSingleValue(s.BufferStart() + i - 1, kCandidate).toInt16() != 1)
            BasketFlag(i) = 0;
    BasketTop();
    ChartDescriptionClear();
    if (BasketCount == 0)
        door().MessageBox(
            "Portfolio is empty! Probable reason is the unfavorable stock market trend.",
            "Vellicor", MsgButtons::OK);
}

}  // namespace vel
