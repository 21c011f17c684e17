// The basic trading message and the report of the last market calculation.
#include "GeneralTradingReport.h"

#include <string>

#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "Door.h"
#include "EntryPoints.h"
#include "TradingResults.h"

namespace vel {

void ShowBasicTradingMessage() {
    CalcBasicTradingResults("");
    door().MessageBox(
        TradingResultsText + "Trading method = DEFINED TRADING SIGNALS\nCrossing Level = UNKNOWN",
        "Vellicor", MsgButtons::OK);
}

void ShowLastStockMarketReport() {
    const AnalysisEntryPoints& a = AnalysisCommands;
    if (ReportKind == "Timing")
        RunEntryPoint(a.SaveMarketTimingHTMLReport, "SaveMarketTimingHTMLReport",
                      std::string("StockMarketTimingReport.html"));
    if (ReportKind == "Swinging")
        RunEntryPoint(a.SaveMarketSwingingHTMLReport, "SaveMarketSwingingHTMLReport",
                      std::string("StockMarketSwingingReport.html"));
    if (ReportKind == "Special")
        RunEntryPoint(a.SaveMarketSpecialSwingingHTMLReport, "SaveMarketSpecialSwingingHTMLReport",
                      std::string("StockMarketSpecialSwingingReport.html"));
    if (ReportKind == "General")
        RunEntryPoint(a.SaveGeneralTradingHTMLReport, "SaveGeneralTradingHTMLReport",
                      std::string("StockMarketGeneralReport.html"));
    ReportKind = "General";
}

}  // namespace vel
