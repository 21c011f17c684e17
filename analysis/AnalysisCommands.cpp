// Registration of the market analysis's entry points.
#include "AnalysisCommands.h"

#include "AnalysisEntryPoints.h"
#include "RallyFile.h"
#include "SignalWalk.h"
#include "StockResultsMatrix.h"
#include "TradingLogCommands.h"

namespace vel {

void RegisterAnalysisCommands() {
    AnalysisEntryPoints& a = AnalysisCommands;
    a.TradingLogDataClear = TradingLogDataClear;
    a.SignalVectorToTradingLog = [](std::int16_t signalVector, bool clearFirst) {
        SignalVectorToTradingLog(signalVector, clearFirst);
    };
    a.CursorSaveAsBuyPosition = CursorSaveAsBuyPosition;
    a.CursorSaveAsSellPosition = CursorSaveAsSellPosition;
    a.TradingCursorDeleteLastPosition = TradingCursorDeleteLastPosition;
    a.DisplaySelectedRally = DisplaySelectedRally;
    a.SelectRallyToDisplay = SelectRallyToDisplay;
    a.ImportTradingLog = ImportTradingLog;
    a.ExportTradingLog = ExportTradingLog;
    a.InvertTradingLog = [](std::int16_t workVector) { InvertTradingLog(workVector); };
    a.ClearStockResultsMatrix = ClearStockResultsMatrix;
}

}  // namespace vel
