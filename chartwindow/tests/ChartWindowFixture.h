// The fixture of the chart window tests: the chart window shown offscreen on a synthetic history,
// either with the analysis's entry points registered as the program registers them (OpenOn) or
// with only the trading log clear that the window itself calls (OpenWithoutAnalysis).
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QSize>
#include <fstream>
#include <string>
#include <vector>

#include "AnalysisCommands.h"
#include "AnalysisEntryPoints.h"
#include "AppState.h"
#include "ChartWindowCommands.h"
#include "ChartsFixture.h"
#include "frmChartView.h"

namespace vel::testing {

class ChartWindowFixture : public ChartsFixture {
protected:
    // Loads `stocks` x `days` and shows the chart window on them.
    void OpenOn(long stocks, long days) {
        RegisterAnalysisCommands();
        LoadSyntheticHistory(stocks, days);
        ResultsFolderPath = TempFolder();
        ShowWindow();
    }
    // Loads `stocks` x `days` and shows the chart window on them, with the analysis left
    // unregistered but for the trading log clear, which only resets the rally count.
    void OpenWithoutAnalysis(long stocks, long days, QSize size = QSize()) {
        AnalysisCommands.TradingLogDataClear = [] { RallyCount = 0; };
        LoadSyntheticHistory(stocks, days);
        ShowWindow(size);
    }
    // Shows the chart window on the history loaded, resized to `size` when one is given.
    void ShowWindow(QSize size = QSize()) {
        RegisterChartWindow();
        ShowChartWindow();
        w = ChartWindowWidget();
        ASSERT_NE(w, nullptr);
        if (size.isValid()) w->resize(size);
        QApplication::processEvents();
    }
    void TearDown() override {
        DestroyChartWindow();
        ChartsFixture::TearDown();
    }
    // The browser: a file of the program folder (the temporary folder).
    void InstallBrowser() {
        ProgramFolderPath = TempFolder();
        std::ofstream(TempPath("xdg-open")) << "";
        door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    }
    // What the browser was opened on, in order.
    std::vector<std::string> BrowserTargets() const {
        std::vector<std::string> targets;
        for (const auto& c : door_.CallsOf("browser")) targets.push_back(c.args.at(0));
        return targets;
    }
    // Runs the menu item as a click does.
    void Run(const char* item) { w->MenuItem(QString::fromLatin1(item))->trigger(); }
    // The caption of the menu item as the user sees it.
    QString Caption(const char* item) const {
        return w->MenuItem(QString::fromLatin1(item))->text();
    }

    frmChartView* w = nullptr;
};

}  // namespace vel::testing
