// The fixture of the tests that drive the market analysis through the chart window: the chart
// window shown offscreen on a synthetic history, with the analysis's entry points registered as
// the program registers them, and the RESULTS folder in the temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <fstream>
#include <string>
#include <vector>

#include "AnalysisCommands.h"
#include "ChartWindowCommands.h"
#include "ChartsFixture.h"
#include "frmChartView.h"

namespace vel::testing {

class AnalysisWindowFixture : public ChartsFixture {
protected:
    // Loads `stocks` x `days` and shows the chart window on them.
    void OpenOn(long stocks, long days) {
        RegisterAnalysisCommands();
        LoadSyntheticHistory(stocks, days);
        ResultsFolderPath = TempFolder();
        ShowWindow();
    }
    // Shows the chart window on the history loaded.
    void ShowWindow() {
        RegisterChartWindow();
        ShowChartWindow();
        w = ChartWindowWidget();
        ASSERT_NE(w, nullptr);
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

    frmChartView* w = nullptr;
};

}  // namespace vel::testing
