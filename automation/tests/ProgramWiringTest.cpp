// The program wired as Vellicor wires it: every entry point of the frame and of the market
// analysis has its procedure, and every item of the chart window's menus runs one, so no
// command of the program is left without its function.
#include <gtest/gtest.h>

#include "AnalysisEntryPoints.h"
#include "AutomationFixture.h"
#include "ChartMenus.h"
#include "ChartWindowCommands.h"
#include "EntryPoints.h"

namespace vel {
namespace {

class ProgramWiringTest : public testing::AutomationFixture {};

TEST_F(ProgramWiringTest, EveryEntryPointAndEveryChartMenuItemHasItsProcedure) {
    // Before the registration every entry is empty, and the lists name every member.
    const size_t entry = sizeof(std::function<void()>);
    EXPECT_EQ(
        EmptyEntryPoints().size() * entry,
        sizeof(HistoryEntryPoints) + sizeof(ChartsEntryPoints) + sizeof(AutomationEntryPoints));
    EXPECT_EQ(EmptyAnalysisEntryPoints().size() * entry, sizeof(AnalysisEntryPoints));
    RegisterProgram();
    EXPECT_EQ(EmptyEntryPoints(), std::vector<std::string>{});
    EXPECT_EQ(EmptyAnalysisEntryPoints(), std::vector<std::string>{});
    for (const auto& menu : ChartWindowMenus()) {
        for (const auto& item : menu.items) {
            if (!item.separator()) {
                EXPECT_TRUE(ChartCommandRegistered(item.name)) << item.name;
            }
        }
    }
}

}  // namespace
}  // namespace vel
