// Unattended runs under the user's locale, Turkish (whose C library maps no ASCII "i" to "I")
// and German (decimal comma): the autorun file's keywords and numbers are read, a symbol file
// named in small letters is imported under its symbol in capitals, and the real Vellicor runs
// the demonstration set to the same results as in the "C" locale.
#include <gtest/gtest.h>

#include <QProcess>
#include <algorithm>
#include <map>
#include <regex>

#include "AutomationFixture.h"
#include "AutomationState.h"
#include "DemoSet.h"
#include "DirectoryListing.h"
#include "SystemLocale.h"
#include "UnattendedRuns.h"

namespace vel {
namespace {

namespace fs = std::filesystem;
using testing::SystemLocale;

class LocaleTest : public testing::AutomationFixture,
                   public ::testing::WithParamInterface<std::string> {
protected:
    // The files of a RESULTS folder by name, with the times of day of the run taken out.
    std::map<std::string, std::string> Results(const std::string& folder) const {
        static const std::regex time(R"(\d{1,2}:\d\d:\d\d [AP]M)");
        std::map<std::string, std::string> files;
        for (const auto& name : ListDirectory(folder, "*", EntryKind::Files))
            files[name] = std::regex_replace(ReadFile(folder + name), time, "h:mm:ss");
        return files;
    }
};

TEST_P(LocaleTest, AnAutorunSetIsReadAndItsSymbolFileInSmallLettersImportedInCapitals) {
    VEL_REQUIRE_LOCALE(GetParam());
    RegisterProgram();
    // The report opens in the browser; the scripted door only records its start.
    door_.programsOnPath["xdg-open"] = TempPath("xdg-open");
    WriteFile(TempPath("xdg-open"), "");
    GenerateEod("T", 3, 120);
    fs::rename(TempPath("T-EOD/AAAA.csv"), TempPath("T-EOD/ibm.csv"));
    WriteAutorunSet("T", {"CreateHistory = YES", "MarketTiming = yes", "MarketSwinging = No",
                          "MarketSwingingSpecial = NO", "LastDaysMax = 60", "defCommission = 0.75",
                          "defCorrelation = 0.6", "defDiligence = 0.25",
                          "defSymbolsInChartPane = 7", "defStockSymbolString = ibm"});
    AutoRunFileName = "T.autorun";
    {
        const SystemLocale locale(GetParam());
        ASSERT_TRUE(locale.active);
        RunAutorunMode();
    }
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(LogLinesStarting({"Autorun mode - End."}).size(), 1u);
    EXPECT_EQ(CreateHistory, "YES");
    EXPECT_EQ(MarketTiming, "YES");
    EXPECT_EQ(MarketSwinging, "NO");
    EXPECT_EQ(MarketSwingingSpecial, "NO");
    EXPECT_EQ(defCommission, 0.75f);
    EXPECT_EQ(defCorrelation, 0.6f);
    EXPECT_EQ(defDiligence, 0.25f);
    EXPECT_EQ(defSymbolsInChartPane, 7);
    EXPECT_EQ(defStockSymbolString, "IBM");
    std::vector<std::string> symbols;
    for (int i = 1; i <= LoadedSymbolCount; ++i) symbols.push_back(LoadedSymbols(i));
    std::sort(symbols.begin(), symbols.end());
    EXPECT_EQ(symbols, (std::vector<std::string>{"AAAB", "AAAC", "IBM"}));
    EXPECT_TRUE(Exists(TempPath("T-EOD/RESULTS/acmd1MarketTimingReport.html")));
}

TEST_P(LocaleTest, VellicorRunsTheDemonstrationSetToTheResultsOfTheCLocale) {
    VEL_REQUIRE_LOCALE(GetParam());
    fs::copy_file(VELLICOR_BINARY, TempPath("Vellicor"));
    GenerateEod("Demo", 5, 300);
    fs::rename(TempPath("Demo-EOD/AAAA.csv"), TempPath("Demo-EOD/ibm.csv"));
    door_.QueueMessageAnswer(MsgAnswer::OK);  // "End of historical data importing!"
    ASSERT_TRUE(WriteDemonstrationSet("Demo"));
    // Runs the set without a display under the locale, as a scheduler does; its exit status.
    const auto run = [this](const std::string& locale) {
        fs::remove_all(TempPath("Demo-EOD/RESULTS"));
        fs::remove(TempPath("Demo-EOD/History.mdb"));
        fs::remove(TempPath("Vellicor.log"));
        QProcess vellicor;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("LANG", QString::fromStdString(locale));
        env.insert("LC_ALL", QString::fromStdString(locale));
        vellicor.setProcessEnvironment(env);
        vellicor.setProgram(QString::fromStdString(TempPath("Vellicor")));
        vellicor.setArguments({"Demo.autorun"});
        vellicor.start();
        EXPECT_TRUE(vellicor.waitForFinished(60000)) << locale << ": it did not end by itself";
        EXPECT_EQ(vellicor.readAllStandardError().toStdString(), "") << locale;
        return vellicor.exitStatus() == QProcess::NormalExit ? vellicor.exitCode() : -1;
    };
    const std::string results = TempPath("Demo-EOD/RESULTS/");
    ASSERT_EQ(run("C"), 0);
    const auto inC = Results(results);
    ASSERT_TRUE(inC.count("acmd1MarketTimingReport.html"));
    ASSERT_NE(inC.at("acmd1MarketTimingProfitByStock.csv").find("IBM"), std::string::npos);

    EXPECT_EQ(run(GetParam()), 0);
    EXPECT_EQ(LogLinesStarting({"Message: "}), std::vector<std::string>{});
    const auto inLocale = Results(results);
    EXPECT_EQ(inLocale.size(), inC.size());
    for (const auto& [name, text] : inC) {
        const auto it = inLocale.find(name);
        if (it == inLocale.end())
            ADD_FAILURE() << name << " was not written";
        else
            EXPECT_EQ(it->second, text) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(TurkishAndGerman, LocaleTest,
                         ::testing::Values("tr_TR.UTF-8", "de_DE.UTF-8"),
                         [](const auto& info) { return info.param.substr(0, 2); });

}  // namespace
}  // namespace vel
