// Chart export as a picture and as a table.
#include "ChartExport.h"

#include "ActivityLog.h"
#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartCurves.h"
#include "CsvRows.h"
#include "Door.h"
#include "EntryPoints.h"
#include "Errors.h"
#include "Hooks.h"
#include "NumberText.h"
#include "VectorStores.h"

namespace vel {

namespace {

ChartBitmapWriter& Writer() {
    static ChartBitmapWriter writer;
    return writer;
}

}  // namespace

void InstallChartBitmapWriter(ChartBitmapWriter writer) {
    Writer() = std::move(writer);
}

void ReportChartFileFailure(const std::string& path, const std::string& reason) {
    WriteActivityLog("Chart file not written: " + path + " (" + reason + ")");
    if (SilentMode == 0)
        door().MessageBox("The chart file could not be written:\r\n" + path, "Vellicor",
                          MsgButtons::OK);
}

bool SaveChartAsBMP(const std::string& FilePath) {
    // The enlarged pane's part: its picture becomes the drawing target and is painted; the
    // previous target is given back and repainted at the end, as closing the pane does.
    ChartTarget picture(kExportPictureWidthTwips, kExportPictureHeightTwips);
    ChartTarget* const previous = ChartPicture;
    std::string failure;
    ChartPicture = &picture;
    ChartClickX = 0;
    try {
        RefreshChart();
        failure = Writer() ? Writer()(picture, FilePath) : "no picture writer installed";
    } catch (...) {
        ChartPicture = previous;
        throw;
    }
    ChartPicture = previous;
    ChartClickX = 0;
    YieldToEvents();
    RefreshChart();
    if (!failure.empty()) {
        ReportChartFileFailure(FilePath, failure);
        return false;
    }
    return true;
}

bool SaveChartAsCSV(const std::string& FilePath) {
    const long curves = MainVectors->ChartCount();
    if (curves <= 0) {
        door().Beep();
        return false;
    }
    const long signalVector = MainVectors->ChartStart();
    if (RallyCount > 0) {
        if (!RunEntryPoint(AnalysisCommands.TradingLogToSignalVector, "TradingLogToSignalVector",
                           signalVector, -100L, 100L))
            return false;
    } else {
        MainVectors->CoordAllSetConst(signalVector, 0.0f);
    }
    try {
        TextFileWriter file(FilePath);
        const long from = ChartFrom1.toInt16();
        std::int32_t row = 0;
        for (long d = from; d <= ChartTo1; ++d) {
            ++row;
            CsvItemCount = 0;
            const float signal = MainVectors->CoordGetSingle(signalVector, d);
            const char* recommendation = signal > 0.0f ? "BUY" : signal < 0.0f ? "SELL" : "UNKNOWN";
            AddCSVItem("Item", formatWholeExport(row));
            AddCSVItem("DayNum", formatWholeExport(d));
            AddCSVItem("Date", CsvQuotedField(TradeDateOfDay(d)));
            AddCSVItem("TradeRecomendation", recommendation);
            AddCSVItem("TradeSignal", formatSingleExport(signal));
            for (long k = 1; k <= curves; ++k)
                AddCSVItem(CsvQuotedField(ChartCaption(k)),
                           formatSingleExport(MainVectors->CoordGetSingle(ChartCurveVector(k), d)));
            PrintCSVRow(file, row);
        }
        file.Close();
    } catch (const FileError& e) {
        ReportChartFileFailure(FilePath, e.what());
        return false;
    }
    return true;
}

}  // namespace vel
