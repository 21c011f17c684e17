// URL lists of the Stock Basket: the replacement of the placeholders, the research link list
// from the pattern file (long lines only, 50 at most, members in stock item order), and the
// basket research file of grouped quote lists and per-member research lines.
#include <gtest/gtest.h>

#include "AutomationFixture.h"
#include "BasketUrlLists.h"
#include "FolderLock.h"
#include "StockBasket.h"

namespace vel {
namespace {

class BasketUrlListsTest : public testing::AutomationFixture {
protected:
    void SetUp() override {
        AutomationFixture::SetUp();
        testing::LoadSyntheticHistory(260, 5);
    }
    // Makes the items members, in any order.
    static void Members(std::initializer_list<long> items) {
        for (long i : items) BasketFlag(i) = 1;
        BasketCount = static_cast<std::int32_t>(items.size());
    }
    std::vector<std::string> Lines(const std::string& path) const { return ReadTextLines(path); }
};

TEST_F(BasketUrlListsTest, PlaceholdersAreFoundWithoutRegardToCaseAndReplacedOnce) {
    EXPECT_EQ(ReplaceAllText("a<X>b<x>c", "<X>", "1"), "a1b1c");
    // The search goes on after the inserted text, so a value holding its placeholder ends.
    EXPECT_EQ(ReplaceAllText("<x>-<x>", "<X>", "<X><X>"), "<X><X>-<X><X>");
    EXPECT_EQ(ReplaceAllText("abc", "", "z"), "abc");
    EXPECT_EQ(ApplyResearchPattern("http://h/<stocksymbol>/<StockSymbolLCase>/<FIRSTCHARLCASE>/"
                                   "<firstcharucase>/<STOCKSYMBOLUCASE>",
                                   " msft "),
              "http://h/MSFT/msft/m/M/MSFT");
}

TEST_F(BasketUrlListsTest, TheResearchListHasALinePerMemberAndLongPattern) {
    std::string patterns = "short line\r\n\r\n";  // 10 characters: no pattern
    patterns += "  http://r/<STOCKSYMBOL>.html  \r\n";
    patterns += "SaveTo(<STOCKSYMBOLLCASE>-p.htm):http://r/p/<FIRSTCHARLCASE>\r\n";
    for (int k = 3; k <= 52; ++k) patterns += "http://r/pattern" + std::to_string(k) + "\r\n";
    WriteFile(TempPath("ResearchLinks.htmpatt"), patterns);
    LoadedSymbols(7) = "abc";
    Members({7, 3});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    GenerateResearchLinksURLs();
    const auto lines = Lines(TempPath("ResearchLinks.htmurls"));
    ASSERT_EQ(lines.size(), 100u);  // two members, 50 patterns each
    EXPECT_EQ(lines[0], "http://r/S3.html");
    EXPECT_EQ(lines[1], "SaveTo(s3-p.htm):http://r/p/s");
    EXPECT_EQ(lines[49], "http://r/pattern50");
    EXPECT_EQ(lines[50], "http://r/ABC.html");
    EXPECT_EQ(lines[51], "SaveTo(abc-p.htm):http://r/p/a");
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Saved to: " + TempPath("ResearchLinks.htmurls")});
    EXPECT_EQ(door_.CallsOf("message")[0].title, "Vellicor");
    EXPECT_FALSE(door_.Hourglass());
}

TEST_F(BasketUrlListsTest, WithoutAUsablePatternNothingIsTouched) {
    WriteFile(TempPath("ResearchLinks.htmurls"), "kept");
    Members({1});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    GenerateResearchLinksURLs();  // no pattern file
    WriteFile(TempPath("ResearchLinks.htmpatt"), "0123456789\r\n   short    \r\n");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    GenerateResearchLinksURLs();
    EXPECT_EQ(Messages(), std::vector<std::string>(2, "Problems with ResearchLinks.htmpatt file."));
    EXPECT_EQ(ReadFile(TempPath("ResearchLinks.htmurls")), "kept");
}

TEST_F(BasketUrlListsTest, TheBasketResearchFileGroupsAHundredSymbolsToALine) {
    for (long i = 1; i <= 250; ++i) BasketFlag(i) = 1;
    BasketCount = 250;
    StockListFilePath = TempPath("list.csv");
    door_.QueueSaveFile(TempPath("research.txt"));
    GenerateBasketResearchURLList();
    const auto save = door_.CallsOf("save").at(0);
    EXPECT_EQ(save.title, "Enter or select text file name.");
    EXPECT_EQ(save.text, "Text files (*.txt)|*.txt");
    EXPECT_EQ(save.args.at(1), TempPath("list.csv"));
    EXPECT_EQ(BasketSaveFilePath, TempPath("research.txt"));
    EXPECT_EQ(door_.Beeps(), 1);

    const auto lines = Lines(TempPath("research.txt"));
    ASSERT_EQ(lines.size(), 6u * 3u + 500u);
    std::string first100, last50;
    for (long i = 1; i <= 100; ++i) first100 += (i > 1 ? "+S" : "S") + std::to_string(i);
    for (long i = 201; i <= 250; ++i) last50 += (i > 201 ? "+S" : "S") + std::to_string(i);
    EXPECT_EQ(lines[0], "BasketQuotes001.csv=" + std::string(kQuoteServiceHost) +
                            "/d/quotes.csv?s=" + first100 + "&f=sl1d1t1c1ohgv&e=.csv");
    EXPECT_EQ(lines[2], "BasketQuotes003.csv=" + std::string(kQuoteServiceHost) +
                            "/d/quotes.csv?s=" + last50 + "&f=sl1d1t1c1ohgv&e=.csv");
    const char* names[] = {"BasketBasic", "BasketDayWatch", "BasketPerformance",
                           "BasketFundamentals", "BasketDetailed"};
    const char* views[] = {"&d=v1", "&d=v2", "&d=v3", "&d=v4", "&d=t"};
    for (int list = 0; list < 5; ++list) {
        const size_t at = 3 + 3 * static_cast<size_t>(list);
        EXPECT_EQ(lines[at], std::string(names[list]) + "001=" + kQuoteServiceHost +
                                 "/q?s=" + first100 + views[list]);
        EXPECT_EQ(lines[at + 2].substr(0, std::string(names[list]).size() + 3),
                  std::string(names[list]) + "003");
    }
    EXPECT_EQ(lines[18], "S1-Profile=" + std::string(kResearchHost) + "/p/s/S1.html");
    EXPECT_EQ(lines[19], "S1-Research=" + std::string(kResearchHost) + "/z/a/s/S1.html");
    EXPECT_EQ(lines.back(), "S250-Research=" + std::string(kResearchHost) + "/z/a/s/S250.html");

    // The next time the file last saved is proposed; a cancelled dialog writes nothing.
    door_.QueueSaveFile("");
    GenerateBasketResearchURLList();
    EXPECT_EQ(door_.CallsOf("save").at(1).args.at(1), TempPath("research.txt"));
    EXPECT_EQ(Lines(TempPath("research.txt")).size(), 518u);
    EXPECT_EQ(door_.Beeps(), 1);
}

TEST_F(BasketUrlListsTest, AnEmptyBasketGivesAnEmptyFileAndTheDefaultName) {
    door_.QueueSaveFile(TempPath("BasketResearch.txt"));
    GenerateBasketResearchURLList();
    EXPECT_EQ(door_.CallsOf("save").at(0).args.at(1), "BasketResearch.txt");
    EXPECT_EQ(ReadFile(TempPath("BasketResearch.txt")), "");
}

TEST_F(BasketUrlListsTest, TheListIsNotWrittenIntoAFolderThatARunHolds) {
    WriteFile(TempPath("BasketResearch.txt"), "old");
    const FolderLock run(TempFolder());
    ASSERT_TRUE(run.held());
    door_.QueueSaveFile(TempPath("BasketResearch.txt"));
    door_.QueueMessageAnswer(MsgAnswer::OK);
    GenerateBasketResearchURLList();
    EXPECT_EQ(ReadFile(TempPath("BasketResearch.txt")), "old");
    ASSERT_EQ(door_.CallsOf("message").size(), 1u);
    EXPECT_EQ(door_.CallsOf("message")[0].text.rfind(
                  "The data folder is in use by another run or import!", 0),
              0u);
}

}  // namespace
}  // namespace vel
