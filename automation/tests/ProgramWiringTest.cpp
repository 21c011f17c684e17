// The program wired as Vellicor wires it: every entry point of the frame has its procedure, and
// every item of the chart window's menus runs one, so no command of the program is left
// without its function.
#include <gtest/gtest.h>

#include "AutomationFixture.h"
#include "ChartMenus.h"
#include "ChartWindowCommands.h"
#include "EntryPoints.h"

namespace vel {
namespace {

class ProgramWiringTest : public testing::AutomationFixture {};

TEST_F(ProgramWiringTest, EveryEntryPointOfTheFrameAndEveryChartMenuItemHasItsProcedure) {
    RegisterProgram();
    const HistoryEntryPoints& h = HistoryCommands;
    const ChartsEntryPoints& c = ChartsCommands;
    const AutomationEntryPoints& a = AutomationCommands;
    const std::pair<const char*, bool> entries[] = {
        {"ImportHistoryFromText", bool(h.ImportHistoryFromText)},
        {"LoadHistory", bool(h.LoadHistory)},
        {"EstimateSplitEvents", bool(h.EstimateSplitEvents)},
        {"EditSplitEvents", bool(h.EditSplitEvents)},
        {"UpdateSplitCoefficients", bool(h.UpdateSplitCoefficients)},
        {"RemoveSplitCoefficients", bool(h.RemoveSplitCoefficients)},
        {"WriteUserAdjustedSplitsReport", bool(h.WriteUserAdjustedSplitsReport)},
        {"WritePseudoSplitsReport", bool(h.WritePseudoSplitsReport)},
        {"ShowChartWindow", bool(c.ShowChartWindow)},
        {"RefreshMenuCaptions", bool(c.RefreshMenuCaptions)},
        {"HistoryLoaded", bool(c.HistoryLoaded)},
        {"RunAutorunMode", bool(a.RunAutorunMode)},
        {"RunAutorunLoadHistory", bool(a.RunAutorunLoadHistory)},
        {"RunDemonstrationMode", bool(a.RunDemonstrationMode)},
        {"GenerateResearchLinksURLs", bool(a.GenerateResearchLinksURLs)},
        {"SaveEODStructure", bool(a.SaveEODStructure)},
    };
    for (const auto& [name, filled] : entries) EXPECT_TRUE(filled) << name;
    for (const auto& menu : ChartWindowMenus()) {
        for (const auto& item : menu.items) {
            if (!item.separator()) {
                EXPECT_TRUE(ChartCommandBuilt(item.name)) << item.name;
            }
        }
    }
}

}  // namespace
}  // namespace vel
