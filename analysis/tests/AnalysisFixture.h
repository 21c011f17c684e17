// The fixture of the market analysis's tests: the charts' fixture (scripted door, fixed clock,
// temporary folder, chart state reset) with a recording chart view installed, the RESULTS
// folder in the temporary folder, and small price tables loaded on demand.
#pragma once

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ActivityLog.h"
#include "AppState.h"
#include "ChartView.h"
#include "ChartsFixture.h"
#include "CsvRows.h"
#include "NumberText.h"
#include "RecordingChartView.h"
#include "TextFile.h"
#include "VectorStores.h"

namespace vel::testing {

// Rallies as (BuyPos, SellPos) pairs.
using RallyList = std::vector<std::pair<int, int>>;

class AnalysisFixture : public ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        InstallChartView(&view_);
        ProgramFolderPath = TempFolder();
        ResultsFolderPath = TempFolder();
    }
    void TearDown() override {
        ActivityLogPath.clear();
        CsvItemCount = 0;
        ChartsFixture::TearDown();
    }

    // A history of `days` days and one price row per stock (stock i is prices[i - 1]; days
    // beyond a row stay empty; its volume 1000 * i + 10 * d on the same days), symbols "S1",
    // "S2", ..., trade dates 1/1/2001 onwards (one per calendar day), every day shown, the
    // cursor on the last day.
    void LoadPrices(long days, const std::vector<std::vector<float>>& prices) {
        const long stocks = static_cast<long>(prices.size());
        CreateVectorStores();
        MainVectors->VectorBaseEmpty(days, 100, 100, 100, stocks, 100, stocks);
        MainVectors->SetBufferCount(stocks);
        VolumeVectors->VectorBaseEmpty(days, 60, 20, 10, 20, 20, stocks);
        VolumeVectors->SetBufferCount(stocks);
        for (long i = 1; i <= stocks; ++i) {
            LoadedSymbols(i) = "S";
            LoadedSymbols(i) += std::to_string(i);
            const auto& row = prices[static_cast<size_t>(i - 1)];
            for (size_t d = 0; d < row.size(); ++d) {
                const long day = static_cast<long>(d) + 1;
                MainVectors->CoordSetSingleValue(PriceVector(i), day, row[d]);
                VolumeVectors->CoordSetSingleValue(VolumeVectors->BufferStart() + i - 1, day,
                                                   static_cast<float>(1000 * i + 10 * day));
            }
        }
        for (long i = stocks + 1; i <= kMaxSymbols; ++i) LoadedSymbols(i).clear();
        LoadedTradeDates.redim(1, static_cast<int>(days), "empty date");
        for (long d = 1; d <= days; ++d)
            LoadedTradeDates(d) = formatShortDate(dateFromSerial(dateSerial({2001, 1, 1}) + d - 1));
        DayOffset = 0;
        ShowDays(1, days);
        CursorDay = static_cast<std::int16_t>(days);
        view_.barMax = static_cast<int>(days);
    }
    void ShowDays(long from, long to) {
        ChartFrom1 = Num(static_cast<int>(from));
        ChartTo1 = static_cast<std::int16_t>(to);
    }
    static long PriceVector(long stock) { return MainVectors->BufferStart() + stock - 1; }
    // Day d of vector v of MainVectors set to the values, from day 1.
    static void SetVector(long v, const std::vector<float>& values) {
        for (size_t d = 0; d < values.size(); ++d)
            MainVectors->CoordSetSingleValue(v, static_cast<long>(d) + 1, values[d]);
    }
    // The program's rallies as (BuyPos, SellPos) pairs.
    static RallyList Rallies() { return RalliesOf(TradingLog); }
    static RallyList RalliesOf(const RallyLog& log) {
        RallyList r;
        for (long k = 1; k <= log.count; ++k) r.emplace_back(log(k, 1), log(k, 2));
        return r;
    }
    static void SetRallies(const RallyList& rallies) {
        RallyCount = 0;
        for (const auto& [b, s] : rallies) TradingLog.Append(b, s);
    }
    // The bytes of a file.
    static std::string FileText(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The texts of the activity log's entries (behind " >> "), after OpenActivityLog.
    static std::vector<std::string> LogTexts() {
        std::vector<std::string> texts;
        for (const auto& line : ReadTextLines(ActivityLogPath)) {
            const size_t at = line.find(" >> ");
            if (at != std::string::npos) texts.push_back(line.substr(at + 4));
        }
        return texts;
    }
    // A path in a folder that does not exist, so no file can be created there.
    std::string UnwritablePath(const std::string& name) const {
        return TempPath("missing-folder/" + name);
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& c : door_.CallsOf("message")) texts.push_back(c.text);
        return texts;
    }

    RecordingChartView view_;
};

}  // namespace vel::testing
