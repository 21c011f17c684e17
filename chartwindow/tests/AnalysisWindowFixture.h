// The fixture of the tests that drive the market analysis through the chart window: the chart
// window shown offscreen on a synthetic history, with the analysis's entry points registered as
// the program registers them, and the RESULTS folder in the temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>

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
    // Runs the menu item as a click does.
    void Run(const char* item) { w->MenuItem(QString::fromLatin1(item))->trigger(); }

    frmChartView* w = nullptr;
};

}  // namespace vel::testing
