// The command surface of the chart window.
#include "ChartWindowCommands.h"

#include <map>
#include <tuple>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "BrowserLauncher.h"
#include "ChartCurves.h"
#include "ChartExport.h"
#include "ChartWindow.h"
#include "ClipboardSymbols.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "EntryPoints.h"
#include "FileDialogs.h"
#include "FilePaths.h"
#include "FolderHold.h"
#include "HistoryReports.h"
#include "Hooks.h"
#include "MainCommands.h"
#include "MainWindowView.h"
#include "ParameterDialogs.h"
#include "Portfolio.h"
#include "StockBasket.h"
#include "StockCurves.h"
#include "VectorStores.h"

namespace vel {

namespace {

// The analysis procedures the items call.
const AnalysisEntryPoints& a = AnalysisCommands;

std::map<std::string, ChartProcedure>& Table() {
    static std::map<std::string, ChartProcedure> table;
    return table;
}

// A procedure without a result, as one that is done whenever it returns.
ChartProcedure AlwaysDone(std::function<void()> procedure) {
    if (!procedure) return {};
    return [p = std::move(procedure)] {
        p();
        return true;
    };
}

ChartWindow& Window() {
    // The window's own procedures need the window; created by the chart window's first use.
    ChartWindow* w = CurrentChartWindow();
    if (!w) throw std::logic_error("The chart window does not exist.");
    return *w;
}

// A basket-wide command: with an empty basket only the notice.
template <class F>
void WithMembers(F&& command) {
    if (BasketCount < 1) {
        ShowEmptyBasketMessage();
        return;
    }
    command();
}

// A long computing command: a second one started while one runs only beeps. False when it did
// not run, or when it says so itself.
template <class F>
bool Computing(F&& command) {
    return RunGuarded(std::forward<F>(command));
}

// The analysis procedure of an item. False when the busy guard refused it.
template <class F, class... Args>
bool Analysis(const F& entry, const char* name, Args... args) {
    return Computing([&] { RunEntryPoint(entry, name, args...); });
}

// A calculation of the Stock Basket. False when it stopped with an error or was refused while
// another command works; with an empty basket only the notice, and true (nothing to calculate).
bool MarketCalculation(const std::function<void(const std::string&)>& entry, const char* name) {
    bool calculated = true;
    WithMembers([&] {
        calculated = Computing([&] {
            // The controls come back also when the calculation ends in an error.
            struct Reenable {
                ~Reenable() { EnableCharts(true); }
            } reenable;
            EnableCharts(false);
            return RunEntryPoint(entry, name, std::string());
        });
    });
    return calculated;
}

// A signal generator on the selected curve; `cancel`: the selection is cancelled after it ran
// (a generator refused by the busy guard leaves it as it was).
void Signal(const std::function<void(std::int16_t&)>& entry, const char* name, bool cancel) {
    const bool ran = Computing([&] {
        std::int16_t work = static_cast<std::int16_t>(MainVectors->HelpStart() + 1);
        RunEntryPoint(entry, name, work);
    });
    if (cancel && ran) CancelChartCurveSelection();
}

void LoadStockList(bool fromResultsFolder) {
    if (BasketCount >= 1 &&
        door().MessageBox("Stock Basket is not empty. Do you wish to empty Stock Basket?",
                          "Vellicor", MsgButtons::YesNo) == MsgAnswer::Yes)
        ClearStockBasket();
    StockListFilePath.clear();
    if (fromResultsFolder) CommonDialogFolder = ResultsFolderPath;
    StockListFilePath =
        ShowOpenFileDialog("Select some stock list file.", "CSV files (*.csv)|*.csv");
    LoadStockListIntoStockBasket(StockListFilePath);
}

void IntersectStockBasket() {
    StockListFilePath.clear();
    StockListFilePath =
        ShowOpenFileDialog("Select some stock list file.", "CSV files (*.csv)|*.csv");
    IntersectStockBasketWithList(StockListFilePath);
}

void ViewResearchData() {
    const std::string folder = JoinPath(ProgramFolderPath, "ResearchLinks-HTM/");
    if (ListDirectory(folder, "*", EntryKind::Files).empty()) {
        door().MessageBox("No research data available.", "Vellicor", MsgButtons::OK);
        return;
    }
    ShowFolderInBrowser(folder);
}

// The chart export commands: a save dialog proposing the file in the RESULTS folder; a chosen
// path is written while its data folder is held, a cancelled dialog does nothing.
void SaveChartAs(const char* title, const char* filter, const char* name,
                 bool (*save)(const std::string&)) {
    const std::string path = ShowSaveFileDialog(title, filter, JoinPath(ResultsFolderPath, name));
    if (path.empty()) return;
    const FolderHold hold(DataFolderOf(path));
    if (HeldForWriting(hold)) save(path);
}

void Register(const char* name, ChartProcedure procedure) {
    Table()[name] = std::move(procedure);
}

void Register(const char* name, std::function<void()> procedure) {
    Table()[name] = AlwaysDone(std::move(procedure));
}

}  // namespace

void ShowEmptyBasketMessage() {
    door().MessageBox("Put some stock symbols into Stock Basket, please.", "Vellicor",
                      MsgButtons::OK);
}

void ShowFillBasketMessage() {
    door().MessageBox("Fill the Stock Basket with some stocks, please!", "Vellicor",
                      MsgButtons::OK);
}

void RegisterChartCommand(const std::string& name, ChartProcedure procedure) {
    Table()[name] = std::move(procedure);
}

void RegisterChartCommand(const std::string& name, std::function<void()> procedure) {
    Table()[name] = AlwaysDone(std::move(procedure));
}

namespace {

const ChartProcedure* Find(const std::string& name) {
    auto& table = Table();
    auto it = table.find(name);
    if ((it == table.end() || !it->second) && !name.empty() && name.back() == '1')
        it = table.find(name.substr(0, name.size() - 1));
    return it == table.end() || !it->second ? nullptr : &it->second;
}

}  // namespace

bool ChartCommandRegistered(const std::string& name) {
    return Find(name) != nullptr;
}

bool RunChartCommand(const std::string& name) {
    const auto* procedure = Find(name);
    if (!procedure) {
        EntryPointNotRegistered(name + "_Click");
        return false;
    }
    return (*procedure)();
}

void RegisterChartWindowCommands() {
    Table().clear();

    // ---- Basket --------------------------------------------------------------------------
    Register("mnuFillStockBasket", FillStockBasket);
    Register("mnuEmptyStockBasket", ClearStockBasket);
    Register("mnuLoadStockList", [] { LoadStockList(false); });
    Register("mnuLoadStockListFromResultFolder", [] { LoadStockList(true); });
    Register("mnuIntersectStockBasket", IntersectStockBasket);
    Register("mnuIntersectWithFavorites", IntersectStockBasket);
    Register("mnuInvertStockBasket", InvertStockBasket);
    auto narrow = [] {
        NarrowStockBasket();
        BasketTop();
    };
    Register("mnuRandomStockBasketDiversification", narrow);
    Register("mnuRandomlySelectNStocks", narrow);
    // A screening started while another runs (or any computing command) only beeps.
    Register("mnuSelectScreeningConditions", [] {
        Computing([] {
            if (BasketCount <= 0) return ShowFillBasketMessage();
            RunEntryPoint(a.ShowScreeningDialog, "ShowScreeningDialog");
        });
        YieldToEvents();
    });
    Register("mnuPutPortfolioCandidates",
             [] { Computing(NarrowStockBasketToPortfolioCandidates); });
    Register("mnuSaveStockBasket", SaveStockBasketAsPortfolioCSV);
    Register("mnuLoadClipboardTextStringsIntoStockBasket", LoadClipboardStringsIntoStockBasket);
    Register("mnuIntersectStockBasketWithClipboardTextStrings",
             IntersectStockBasketWithClipboardStrings);
    Register("mnuCopyStockSymbolMemoryInEmptyStockBasket", CopySymbolMemoryToStockBasket);
    Register("mnuMemorizeDisplayedStock", [] {
        MemorizeDisplayedStock();
        RefreshMenuCaptions();
    });
    const std::tuple<const char*, const std::function<void(float)>*, const char*, const char*>
        fills[] = {
            {"mnuStocksPutIntoStockBasketMainStreamNDayPast",
             &a.StocksPutIntoStockBasketMainStreamNDayPast,
             "StocksPutIntoStockBasketMainStreamNDayPast", "Mainstream calculation is over!"},
            {"mnuStocksPutIntoStockBasketSateliteNDayPast",
             &a.StocksPutIntoStockBasketSateliteNDayPast,
             "StocksPutIntoStockBasketSateliteNDayPast", "Satelite stocks calculation is over!"},
        };
    for (const auto& [item, entry, name, done] : fills) {
        Register(item, [entry, name, done] {
            if (BasketCount < 1) return ShowFillBasketMessage();
            if (!Computing([&] { return RunEntryPoint(*entry, name, defCorrelation); })) return;
            door().MessageBox(done, "Vellicor", MsgButtons::OK);
        });
    }

    // ---- Parameters ----------------------------------------------------------------------------
    // A run computes, labels and reports with the parameters it started with: while a computing
    // command runs, a parameter dialog only beeps.
    const auto parameter = [](void (*ask)()) {
        return [ask] {
            if (!RefusedWhileBusy()) ask();
        };
    };
    Register("mnudefPastDays", parameter(AskPastDays));
    Register("mnudefCommission", parameter(AskCommission));
    Register("mnudefCorrelation", parameter(AskCorrelation));
    Register("mnudefDiligence", parameter(AskDiligence));
    Register("mnudefSymbolsInChartPane", parameter(AskSymbolsInChartPane));
    Register("mnuSelectedStockSymbol", parameter(AskSelectedStockSymbol));

    // ---- Trends ------------------------------------------------------------------------------
    Register("mnuChartDesriptionClear", ChartDescriptionClear);
    Register("mnuCurvesAppendPriceVolumeStatisticsForSB", [] {
        WithMembers(
            [&] { Analysis(a.AppendPriceVolumeTrendCurves, "AppendPriceVolumeTrendCurves"); });
    });
    Register("mnuCurvesAppendPastShortTermProfitForSB", [] {
        WithMembers(
            [&] { Analysis(a.AppendPastShortTermProfitCurve, "AppendPastShortTermProfitCurve"); });
    });
    Register("mnuCurveAppendMarketBehaviourAndSwingingForSBOptimized", [] {
        WithMembers([&] {
            Analysis(a.AppendMarketBehaviourAndSwingingCurves,
                     "AppendMarketBehaviourAndSwingingCurves", std::int16_t{10}, std::string());
        });
    });
    Register("mnuCalcAllTrendCurves", [] {
        WithMembers([] {
            ChartDescriptionClear();
            RunChartCommand("mnuCurvesAppendPriceVolumeStatisticsForSB");
            RunChartCommand("mnuCurvesAppendPastShortTermProfitForSB");
            RunChartCommand("mnuCurveAppendMarketBehaviourAndSwingingForSBOptimized");
        });
    });

    // ---- Market and reports --------------------------------------------------------------------
    Register("mnuMarketTimingLightD", ChartProcedure([] {
                 return MarketCalculation(a.CalcMarketTiming, "CalcMarketTiming");
             }));
    Register("mnuCalcMarketSwingingForSBOptimized", ChartProcedure([] {
                 return MarketCalculation(a.CalcMarketSwinging, "CalcMarketSwinging");
             }));
    Register("mnuCalcMarketSwingingForSBSpecial", ChartProcedure([] {
                 return MarketCalculation(a.CalcMarketSpecialSwinging, "CalcMarketSpecialSwinging");
             }));
    const std::pair<const char*, std::pair<const std::function<bool(const std::string&)>*,
                                           std::pair<const char*, const char*>>>
        reports[] = {
            {"mnuShowStockMarketTimingReport",
             {&a.SaveMarketTimingHTMLReport,
              {"SaveMarketTimingHTMLReport", "MarketTimingReport.html"}}},
            {"mnuSaveAndShowMarketTimingHTMLReportPlus",
             {&a.SaveMarketTimingHTMLReportPlus,
              {"SaveMarketTimingHTMLReportPlus", "MarketTimingReportPlus.html"}}},
            {"mnuSaveAndShowMarketSwingingHTMLReport",
             {&a.SaveMarketSwingingHTMLReport,
              {"SaveMarketSwingingHTMLReport", "MarketSwingingReport.html"}}},
            {"mnuSaveAndShowMarketSwingingHTMLReportPlus",
             {&a.SaveMarketSwingingHTMLReportPlus,
              {"SaveMarketSwingingHTMLReportPlus", "MarketSwingingReportPlus.html"}}},
            {"mnuSaveAndShowMarketSpecialSwingingHTMLReport",
             {&a.SaveMarketSpecialSwingingHTMLReport,
              {"SaveMarketSpecialSwingingHTMLReport", "MarketSpecialSwingingReport.html"}}},
        };
    for (const auto& [item, report] : reports) {
        const auto* entry = report.first;
        const char* name = report.second.first;
        const std::string page = report.second.second;
        // A report that stopped with an error, or was refused, was not written.
        Register(item, ChartProcedure([entry, name, page] {
                     bool written = false;
                     Computing([&] { written = RunEntryPoint(*entry, name, page); });
                     return written;
                 }));
    }
    Register("mnuSaveAndShowGeneralTradingHTMLreport", [] {
        if (Analysis(a.SaveGeneralTradingHTMLReport, "SaveGeneralTradingHTMLReport",
                     std::string("GeneralTradingReport.html")))
            CancelChartCurveSelection();
    });
    Register("mnuScanTradingResultsByPastDaysComplete", [] {
        Analysis(a.ScanTradingResultsByPastDaysComplete, "ScanTradingResultsByPastDaysComplete");
    });
    Register("mnuScanTradingResultsByPastDaysShort", [] {
        Analysis(a.ScanTradingResultsByPastDaysShort, "ScanTradingResultsByPastDaysShort");
    });
    Register("mnuShowProfitDistribution", [] {
        Computing([] {
            if (WriteProfitDistributionReport())
                ShowFileInBrowser(JoinPath(ResultsFolderPath, "ProfitDistribution.html"));
        });
    });
    Register("mnuShowResultsFolder", [] { ShowFolderInBrowser(ResultsFolderPath); });
    Register("mnuSaveChartAsBMPfile", [] {
        SaveChartAs("Enter or select *.bmp file name.", "Bitmap files (*.bmp)|*.bmp", "Chart.bmp",
                    SaveChartAsBMP);
    });
    Register("mnuSaveChartAsCSVfile", [] {
        SaveChartAs("Enter or select *.csv file name.", "CSV files (*.csv)|*.csv", "Chart.csv",
                    SaveChartAsCSV);
    });

    // ---- Stocks
    // ----------------------------------------------------------------------------------
    Register("mnuPaintTimingOfIndividualStock", [] { Computing(PaintIndividualStockTiming); });
    Register("mnuPaintSwingingOfIndividualStock", [] { Computing(PaintIndividualStockSwinging); });
    Register("mnuPaintSpecialSwingingOfIndividualStock",
             [] { Computing(PaintIndividualStockSpecialSwinging); });
    Register("cmdIndividualStockTiming",
             [] { RunChartCommand("mnuPaintTimingOfIndividualStock"); });
    Register("cmdIndividualStockSwining",
             [] { RunChartCommand("mnuPaintSwingingOfIndividualStock"); });
    Register("cmdIndividualStockSwingingSpecial",
             [] { RunChartCommand("mnuPaintSpecialSwingingOfIndividualStock"); });

    // ---- Tools_A
    // ---------------------------------------------------------------------------------
    Register("mnuSelectedChartCurve", CancelChartCurveSelection);
    Register("mnuDeleteSelectedChartCurve", [] {
        RunEntryPoint(a.DeleteSelectedChartCurve, "DeleteSelectedChartCurve");
        CancelChartCurveSelection();
    });
    Register("mnuGenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB", [] {
        Signal(a.GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB,
               "GenerateCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB", true);
    });
    Register("mnuGenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB", [] {
        Signal(a.GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB,
               "GenerateCrossingAboveOptimalLevelTSignalsFromSelectedCurveForSB", true);
    });
    Register("mnuGenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB", [] {
        Signal(a.GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB,
               "GenerateCrossingBelowZeroLevelTSignalsFromSelectedCurveForSB", false);
    });
    Register("mnuGenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB", [] {
        Signal(a.GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB,
               "GenerateCrossingBelowOptimalLevelTSignalsFromSelectedCurveForSB", false);
    });
    Register("mnuGenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB", [] {
        Signal(a.GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB,
               "GenerateOptGradCrossingAboveZeroLevelTSignalsFromSelectedCurveForSB", false);
    });
    Register("mnuTradingLogDataClear", [] {
        RunEntryPoint(a.TradingLogDataClear, "TradingLogDataClear");
        RefreshChart();
    });
    const std::pair<const char*, std::pair<const std::function<void()>*, const char*>> cursor[] = {
        {"mnuCursorSaveAsBuyPosition", {&a.CursorSaveAsBuyPosition, "CursorSaveAsBuyPosition"}},
        {"mnuCursorSaveAsSellPosition", {&a.CursorSaveAsSellPosition, "CursorSaveAsSellPosition"}},
        {"mnuTradingCursorDeleteLastPosition",
         {&a.TradingCursorDeleteLastPosition, "TradingCursorDeleteLastPosition"}},
    };
    for (const auto& [item, entry] : cursor) {
        const auto* procedure = entry.first;
        const char* name = entry.second;
        Register(item, [procedure, name] {
            if (!RunEntryPoint(*procedure, name)) return;
            RefreshMenuCaptions();
            RefreshChart();
        });
    }
    Register("mnuMoveCursorMinusOneDay", [] { Window().UpDown1_DownClick(); });
    Register("mnuMoveCursorPlusOneDay", [] { Window().UpDown1_UpClick(); });
    Register("mnuShowBasicTradingMessage",
             [] { RunEntryPoint(a.ShowBasicTradingMessage, "ShowBasicTradingMessage"); });

    // ---- Tools_B
    // ----------------------------------------------------------------------------------
    Register("mnuInvertTradingLog", [] {
        if (RunEntryPoint(a.InvertTradingLog, "InvertTradingLog", std::int16_t{1})) RefreshChart();
    });
    Register("mnuExportTradingLog", [] { RunEntryPoint(a.ExportTradingLog, "ExportTradingLog"); });
    Register("mnuImportTradingLog", [] { RunEntryPoint(a.ImportTradingLog, "ImportTradingLog"); });
    // The rally shown sets the day window: refused like a parameter while a command runs.
    Register("mnuSelectRallyToDisplay", [] {
        if (!RefusedWhileBusy()) RunEntryPoint(a.SelectRallyToDisplay, "SelectRallyToDisplay");
    });
    Register("mnuGoToTopOfMoneyVolumeTree", [] {
        Window().cmdTop_Click();
        CancelChartCurveSelection();
    });
    Register("mnuDisplayNStockPriceCurvesInMVT",
             [] { Analysis(a.DisplayNStockPriceCurvesInMVT, "DisplayNStockPriceCurvesInMVT"); });
    Register("mnuDisplayNStockPriceCurvesInSB",
             [] { Analysis(a.DisplayNStockPriceCurvesInSB, "DisplayNStockPriceCurvesInSB"); });
    Register("mnuClearStockSymbolMemory", [] {
        ClearSymbolMemory();
        RefreshMenuCaptions();
    });

    // ---- Research, windows, end
    // ------------------------------------------------------------------
    Register("mnuRunTarquel",
             [] { StartProgramOrReport(JoinPath(ProgramFolderPath, "Tarquel"), {}); });
    Register("mnuViewResearchData", ViewResearchData);
    Register("mnuGenerateStockResearchURLList", [] {
        WithMembers([] {
            RunEntryPoint(AutomationCommands.GenerateResearchLinksURLs,
                          "GenerateResearchLinksURLs");
        });
    });
    Register("mnuCascade", mnuCascade_Click);
    Register("mnuTileHorizontally", mnuTileHorizontally_Click);
    Register("mnuTileVertically", mnuTileVertically_Click);
    Register("mnuQuitCharting", mnuEndOfProgram_Click);

    // ---- Buttons
    // ----------------------------------------------------------------------------------
    Register("cmdBasketIn", BasketPutIn);
    Register("cmdBasketOut", BasketTakeOut);
    Register("cmdBasketTop", BasketTop);
    Register("cmdBasketBottom", BasketBottom);
    Register("cmdBasketNext", BasketNext);
    Register("cmdBasketPrevious", BasketPrevious);
    Register("cmdTop", [] { Window().cmdTop_Click(); });
    Register("cmdNextStock", [] { Window().cmdNextStock_Click(); });
    Register("cmdPreviousStock", [] { Window().cmdPreviousStock_Click(); });
    Register("cmdFind", [] { Window().cmdFind_Click(); });
    Register("cmdTreeSlideShow", [] { Window().cmdTreeSlideShow_Click(); });
    Register("cmdBasketSlideShow", [] { Window().cmdBasketSlideShow_Click(); });
    Register("mnuBasketSlideShow", [] { Window().cmdBasketSlideShow_Click(); });
}

}  // namespace vel
