// The rally file and the rally display: export and import with their accepted and refused
// files, a seeded fuzz of the reader, and the day window of a displayed rally.
#include <gtest/gtest.h>

#include <random>

#include "AnalysisFixture.h"
#include "ChartView.h"
#include "RallyFile.h"

namespace vel {
namespace {

using testing::RallyList;

class RallyFileTest : public testing::AnalysisFixture {
protected:
    void SetUp() override {
        AnalysisFixture::SetUp();
        LoadPrices(30, {});
        ShowDays(1, 25);
    }
    std::string Path() const { return TempPath("Rallies.txt"); }
    void WriteFile(const std::string& bytes) const {
        std::ofstream out(Path(), std::ios::binary);
        out << bytes;
    }
    // Imports the file with the OK of its message queued; returns the message.
    std::string Import() {
        door_.QueueMessageAnswer(MsgAnswer::OK);
        ImportTradingLog();
        return Messages().back();
    }
    std::string Refused() const {
        return "Problems, importing rallies! \r\nImported from file: " + Path() +
               "\r\nNumber of rallies = 0\r\n";
    }
};

TEST_F(RallyFileTest, ExportWritesTheCountAndOneLinePerRally) {
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ExportTradingLog();
    EXPECT_EQ(Messages(), std::vector<std::string>{"No rallies to export!"});
    EXPECT_FALSE(std::ifstream(Path()).good());

    SetRallies({{12, 25}, {27, 26}});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ExportTradingLog();
    EXPECT_EQ(Messages().back(), "Rallies exported to:   " + Path());
    EXPECT_EQ(FileText(Path()), " 2 \r\n 12 ,  25 \r\n 27 ,  26 \r\n");
}

TEST_F(RallyFileTest, ExportThenImportGivesBackTheRallies) {
    SetRallies({{2, 5}, {9, 26}});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ExportTradingLog();
    SetRallies({{1, 2}});
    EXPECT_EQ(Import(), "OK, importing rallies! \r\nImported from file: " + Path() +
                            "\r\nNumber of rallies = 2\r\n");
    EXPECT_EQ(Rallies(), (RallyList{{2, 5}, {9, 26}}));
    EXPECT_EQ(view_.captionRefreshes, 1);
}

TEST_F(RallyFileTest, AcceptsTouchingRalliesFreeFormAndAnEmptyCount) {
    WriteFile("2\n5, 10\n10 ,20\n");
    Import();
    EXPECT_EQ(Rallies(), (RallyList{{5, 10}, {10, 20}}));
    // Numbers split over lines, CR line ends, blank lines and equal buy and sell days.
    WriteFile("  3 \r\r 1\r,\t2\r4, 4,\r 30 ,31");
    Import();
    EXPECT_EQ(Rallies(), (RallyList{{1, 2}, {4, 4}, {30, 31}}));
    WriteFile("0\r\n");
    EXPECT_EQ(Import(), "OK, importing rallies! \r\nImported from file: " + Path() +
                            "\r\nNumber of rallies = 0\r\n");
    EXPECT_EQ(RallyCount, 0);
}

TEST_F(RallyFileTest, RefusesABadFileWholeAndKeepsTheLog) {
    const char* const bad[] = {
        "2\n5, 12\n10, 20\n",  // overlapping rallies
        "1\n7, 6\n",           // buy after sell
        "1\n0, 6\n",           // day 0
        "1\n5, 32\n",          // CoordDim + 2
        "1\n31, 31\n",         // a buy day past the history
        "3\n5, 10\n12, 20\n",  // short
        "2\n5, 10\n12, x\n",   // not a number
        "1\n5, , 6\n",         // an empty piece between two commas
        "1.5e1\n",             // a count beyond what follows
        "-1\n",                // a negative count
        "2001\n",              // more rallies than the table holds
        "1\n5, 40000\n",       // beyond 16 bits
        "",                    // no count
    };
    SetRallies({{3, 4}});
    for (const char* text : bad) {
        WriteFile(text);
        EXPECT_EQ(Import(), Refused()) << text;
        EXPECT_EQ(Rallies(), (RallyList{{3, 4}})) << text;
    }
    WriteFile("1\n5, 31\n");  // CoordDim + 1: an open rally at the end of the loaded days
    Import();
    EXPECT_EQ(Rallies(), (RallyList{{5, 31}}));
}

TEST_F(RallyFileTest, WithoutAFileTheLogStays) {
    SetRallies({{3, 4}});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    ImportTradingLog();
    EXPECT_EQ(Messages(), std::vector<std::string>{"There is no file  " + Path()});
    EXPECT_EQ(Rallies(), (RallyList{{3, 4}}));
    EXPECT_EQ(view_.captionRefreshes, 0);
}

// Seeded fuzz: a valid file with bytes changed, dropped or repeated is either imported as a set
// of rallies that fits the history, or refused with the log as it was.
TEST_F(RallyFileTest, MangledFilesAreImportedSoundlyOrRefused) {
    std::mt19937 gen(3);
    const std::string alphabet = "0123456789 ,-.eE\r\nx";
    SetRallies({{3, 4}});
    const std::string valid = " 3 \r\n 2 ,  5 \r\n 7 ,  9 \r\n 20 ,  31 \r\n";
    for (int trial = 0; trial < 300; ++trial) {
        std::string text = valid;
        for (int k = 1 + static_cast<int>(gen() % 4); k > 0; --k) {
            const size_t at = gen() % text.size();
            switch (gen() % 3) {
                case 0:
                    text[at] = alphabet[gen() % alphabet.size()];
                    break;
                case 1:
                    text.erase(at, 1);
                    break;
                default:
                    text.insert(at, 1, text[at]);
                    break;
            }
        }
        WriteFile(text);
        const RallyLog before = TradingLog;
        const std::string message = Import();
        if (message == Refused()) {
            ASSERT_TRUE(SameRallies(TradingLog, before)) << text;
        } else {
            ASSERT_EQ(message.rfind("OK, importing rallies! ", 0), 0u) << text;
            ASSERT_TRUE(RalliesFitHistory(TradingLog, 30)) << text;
        }
    }
}

TEST_F(RallyFileTest, DisplayNarrowsTheWindowToTheRally) {
    SetRallies({{4, 9}, {12, 31}});
    RallyToDisplay = 1;
    DisplaySelectedRally();
    EXPECT_EQ(ChartFrom1.toInt16(), 4);
    EXPECT_EQ(ChartTo1, 9);
    EXPECT_EQ(ChartFrom2, 4);
    EXPECT_EQ(ChartTo2, 9);
    EXPECT_EQ(view_.events,
              (std::vector<std::string>{"disable 1", "value 1 = 1", "enable 1", "disable 2",
                                        "value 2 = 30", "enable 2", "disable 1", "value 1 = 4",
                                        "enable 1", "value 2 = 9"}));
    EXPECT_EQ(ChartLabelText(ChartLabel::DisplayedDayCount), "6");
    EXPECT_EQ(ChartLabelText(ChartLabel::ChartFromTo),
              "From day  4 date 1/4/2001   to day  9 date 1/9/2001");
    EXPECT_EQ(view_.captionRefreshes, 1);

    // An open rally whose sell day is CoordDim + 1 ends at the last loaded day.
    RallyToDisplay = 2;
    DisplaySelectedRally();
    EXPECT_EQ(ChartFrom1.toInt16(), 12);
    EXPECT_EQ(ChartTo1, 30);

    RallyToDisplay = 3;
    DisplaySelectedRally();
    EXPECT_EQ(door_.Beeps(), 1);
}

TEST_F(RallyFileTest, SelectAsksForARallyNumberInRange) {
    SelectRallyToDisplay();  // no rally: a beep and no box
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_TRUE(door_.CallsOf("input").empty());

    SetRallies({{4, 9}, {12, 20}});
    door_.QueueInput(std::string(" 2 "));
    SelectRallyToDisplay();
    const auto input = door_.CallsOf("input").back();
    EXPECT_EQ(input.title, "Default values of program parameters.");
    EXPECT_EQ(input.text, " Enter Rally number do display\r\n from 1 to 2 :\r\n");
    EXPECT_EQ(input.args, std::vector<std::string>{"1"});
    EXPECT_EQ(RallyToDisplay, 2);
    EXPECT_EQ(ChartTo1, 20);

    for (const char* answer : {"3", "0", "abc", "1e9"}) {
        door_.QueueInput(std::string(answer));
        SelectRallyToDisplay();
    }
    door_.QueueInput(std::nullopt);
    SelectRallyToDisplay();
    EXPECT_EQ(door_.Beeps(), 6);
    EXPECT_EQ(RallyToDisplay, 2);
}

}  // namespace
}  // namespace vel
