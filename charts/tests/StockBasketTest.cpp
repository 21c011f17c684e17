// The Stock Basket: the stock list files (read with any line ends, written with CR LF), the
// recount and display, the basket buttons, and the fill, empty, invert, intersect and random
// narrowing commands.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "AppState.h"
#include "ChartView.h"
#include "ChartsFixture.h"
#include "Portfolio.h"
#include "StockBasket.h"
#include "TextFile.h"

namespace vel {
namespace {

class StockBasketTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(25, 60);
    }
    void Members(std::initializer_list<long> items) {
        for (long i = 1; i <= 25; ++i) BasketFlag(i) = 0;
        for (long i : items) BasketFlag(i) = 1;
        ResetStockBasket();
    }
    std::vector<long> Flagged() const {
        std::vector<long> out;
        for (long i = 1; i <= 25; ++i)
            if (BasketFlag(i) == 1) out.push_back(i);
        return out;
    }
    std::string Write(const std::string& name, const std::string& bytes) {
        std::ofstream(TempPath(name), std::ios::binary) << bytes;
        return TempPath(name);
    }
    static std::string Read(const std::string& path) {
        std::ifstream f(path, std::ios::binary);
        std::stringstream s;
        s << f.rdbuf();
        return s.str();
    }
};

TEST_F(StockBasketTest, ReadsTheSymbolFieldOfAListLine) {
    EXPECT_EQ(StockListLineSymbol("  S3 12.5"), "S3");
    EXPECT_EQ(StockListLineSymbol("\"S4\",more, text"), "S4");
    EXPECT_EQ(StockListLineSymbol("S5,\"x\""), "S5");
    EXPECT_EQ(StockListLineSymbol("s6"), "s6");
    EXPECT_EQ(StockListLineSymbol("\"S7"), "S7");
    for (const char* skipped : {"*Symbol", "   *Ticker, Price", "", "   ", "\",", ",S8", "\"\""})
        EXPECT_FALSE(StockListLineSymbol(skipped)) << skipped;
}

TEST_F(StockBasketTest, LoadsAListWhateverItsLineEndsAndKeepsTheMembers) {
    Members({2});
    const std::string list =
        Write("list.csv", "*Symbol\r\nS3 1.5\rs4\n\"S5\",x\r\n\r\nS99\nS3\n  S11");
    LoadStockListIntoStockBasket(list);
    EXPECT_EQ(Flagged(), (std::vector<long>{2, 3, 5, 11})) << "case-sensitive; S2 stays";
    EXPECT_EQ(BasketCount, 4);
    EXPECT_EQ(BasketPointer, 2);
    EXPECT_EQ(DisplayedStockIndex, 2);
    EXPECT_EQ(ChartLabelText(ChartLabel::BasketCount), " 1 / 4");
    LoadStockListIntoStockBasket(list);
    EXPECT_EQ(Flagged(), (std::vector<long>{2, 3, 5, 11}));

    EXPECT_EQ(door_.Beeps(), 0);
    LoadStockListIntoStockBasket(TempPath("missing.csv"));
    LoadStockListIntoStockBasket("");
    EXPECT_EQ(door_.Beeps(), 2);
    EXPECT_EQ(BasketCount, 4);
}

TEST_F(StockBasketTest, SavesMembersWithCrLfAndReadsThemBack) {
    Members({2, 7, 9});
    BasketFlag(12) = 10;  // a mark is not a member
    ASSERT_TRUE(SaveStockBasketList(TempPath("basket.csv")));
    EXPECT_EQ(Read(TempPath("basket.csv")), "S2\r\nS7\r\nS9\r\n");
    EmptyStockBasket();
    EXPECT_EQ(BasketCount, 0);
    LoadStockListIntoStockBasket(TempPath("basket.csv"));
    EXPECT_EQ(Flagged(), (std::vector<long>{2, 7, 9}));
    EXPECT_EQ(BasketCount, 3);

    Members({});
    ASSERT_TRUE(SaveStockBasketList(TempPath("empty.csv")));
    EXPECT_EQ(Read(TempPath("empty.csv")), "");
    door_.QueueMessageAnswer(MsgAnswer::OK);
    EXPECT_FALSE(SaveStockBasketList(TempPath("no-such-folder/basket.csv")));
    EXPECT_NE(door_.CallsOf("message").back().text.find("cannot be written"), std::string::npos);
}

// The program reads back what it writes: a symbol that holds a comma, a double quote or a
// blank, or starts with a comment mark, is one quoted field in the stock list and in the
// portfolio file, and every list reader takes it whole.
TEST_F(StockBasketTest, ASymbolWithACommaAQuoteABlankOrACommentMarkReadsBackAsItself) {
    LoadedSymbols(3) = "A,B";
    LoadedSymbols(5) = "Q\"X";
    LoadedSymbols(7) = "BRK B";
    LoadedSymbols(8) = "*STAR";
    LoadedSymbols(10) = ";SEMI";
    Members({3, 5, 7, 8, 9, 10});
    ASSERT_TRUE(SaveStockBasketList(TempPath("basket.csv")));
    EXPECT_EQ(Read(TempPath("basket.csv")),
              "\"A,B\"\r\n\"Q\"\"X\"\r\n\"BRK B\"\r\n\"*STAR\"\r\nS9\r\n\";SEMI\"\r\n");
    WriteTextLines(TempPath("Basket.csv"), PortfolioLines());
    for (const char* list : {"basket.csv", "Basket.csv"}) {
        Members({});
        LoadStockListIntoStockBasket(TempPath(list));
        EXPECT_EQ(Flagged(), (std::vector<long>{3, 5, 7, 8, 9, 10})) << list;
        Members({2, 3, 5, 7, 8, 9, 10});
        IntersectStockBasketWithList(TempPath(list));
        EXPECT_EQ(Flagged(), (std::vector<long>{3, 5, 7, 8, 9, 10})) << list;
    }
    EXPECT_EQ(StockListLineSymbol("  \"A \"\"B\"\"\" , x"), "A \"B\"");
}

TEST_F(StockBasketTest, RecountTurnsMarksIntoMembersAndShowsTheFirst) {
    BasketFlag(4) = 11;
    BasketFlag(9) = 10;
    BasketFlag(17) = 1;
    BasketFlag(20) = 2;
    ResetStockBasket();
    EXPECT_EQ(Flagged(), (std::vector<long>{4, 9, 17, 20}));
    EXPECT_EQ(BasketCount, 4);
    EXPECT_EQ(BasketPointer, 4);
    EXPECT_EQ(BasketPosition, 1);
    EXPECT_EQ(DisplayedStockIndex, 4);
    EXPECT_EQ(ChartLabelText(ChartLabel::Symbols), " 4 / 25");
    EXPECT_EQ(MainVectors->ChartCount(), 7) << "the member's curves are shown";

    Members({});
    EXPECT_EQ(BasketPointer, 0);
    EXPECT_EQ(DisplayedStockIndex, 1);
    EXPECT_EQ(ChartLabelText(ChartLabel::BasketCount), " 0 / 0");
}

TEST_F(StockBasketTest, ButtonsStepFromThePointerAndBeepAtTheEnds) {
    Members({5, 9, 20});
    BasketPointer = DisplayedStockIndex = 9;
    BasketTakeOut();
    EXPECT_EQ(Flagged(), (std::vector<long>{5, 20}));
    EXPECT_EQ(DisplayedStockIndex, 20);
    EXPECT_EQ(ChartLabelText(ChartLabel::BasketCount), " 2 / 2");
    BasketNext();
    EXPECT_EQ(door_.Beeps(), 1);
    EXPECT_EQ(BasketPointer, 20);

    DisplayedStockIndex = 12;  // stepping through the tree does not move the basket position
    BasketPrevious();
    EXPECT_EQ(DisplayedStockIndex, 5);
    EXPECT_EQ(BasketPosition, 1);
    BasketPrevious();
    EXPECT_EQ(door_.Beeps(), 2);
    BasketBottom();
    EXPECT_EQ(DisplayedStockIndex, 20);
    EXPECT_EQ(BasketPosition, 2);

    DisplayedStockIndex = 14;
    BasketPutIn();
    EXPECT_EQ(Flagged(), (std::vector<long>{5, 14, 20}));
    EXPECT_EQ(BasketPosition, 2);
    EXPECT_EQ(BasketCount, 3);
    DisplayedStockIndex = 0;  // nothing displayed: stock 1 is shown and nothing is flagged
    BasketPutIn();
    EXPECT_EQ(Flagged(), (std::vector<long>{5, 14, 20}));
    EXPECT_EQ(BasketPointer, 5);

    Members({});
    DisplayedStockIndex = 8;
    BasketTop();
    EXPECT_EQ(BasketPointer, 0);
    EXPECT_EQ(BasketPosition, 0);
    EXPECT_EQ(DisplayedStockIndex, 8) << "an empty basket keeps the displayed stock";
    EXPECT_NE(MainVectors->ChartCount(), 0);
}

TEST_F(StockBasketTest, PutSymbolMarksAMatchWithoutChangingMembership) {
    Members({3});
    EXPECT_EQ(PutSymbolIntoStockBasket("S8"), 1);
    EXPECT_EQ(PutSymbolIntoStockBasket("  \"S8\" "), 1);
    EXPECT_EQ(BasketFlag(8), 10);
    EXPECT_EQ(PutSymbolIntoStockBasket("S3"), 1);
    EXPECT_EQ(BasketFlag(3), 11);
    EXPECT_EQ(PutSymbolIntoStockBasket("s3"), 0);
    EXPECT_EQ(PutSymbolIntoStockBasket("\"\""), 0);
    EXPECT_EQ(BasketCount, 1);
}

TEST_F(StockBasketTest, IntersectionKeepsOnlyListedMembers) {
    const std::string list = Write("list.csv", "  \"s3\" 5,x\n*S4\nS9\nS11\r\n");
    Members({});
    IntersectStockBasketWithList(list);
    EXPECT_TRUE(Flagged().empty());
    Members({3, 4, 11, 12});
    IntersectStockBasketWithList(list);
    EXPECT_EQ(Flagged(), (std::vector<long>{3, 11})) << "S9 is no member and is not added";
    EXPECT_EQ(BasketCount, 2);
    IntersectStockBasketWithList(TempPath("missing.csv"));
    IntersectStockBasketWithList("");
    EXPECT_EQ(Flagged(), (std::vector<long>{3, 11}));
    EXPECT_EQ(door_.Beeps(), 0);
}

TEST_F(StockBasketTest, FillEmptyAndInvert) {
    Members({2, 6});
    InvertStockBasket();
    EXPECT_EQ(BasketCount, 23);
    EXPECT_EQ(BasketFlag(2), 0);
    InvertStockBasket();
    EXPECT_EQ(Flagged(), (std::vector<long>{2, 6}));
    EXPECT_EQ(BasketCount, 2);
    FillStockBasket();
    EXPECT_EQ(BasketCount, 25);
    EXPECT_EQ(BasketPointer, 1);
    ClearStockBasket();
    EXPECT_EQ(BasketCount, 0);
    EXPECT_TRUE(Flagged().empty());
    EXPECT_EQ(BasketPointer, 0);
}

TEST_F(StockBasketTest, NarrowingKeepsTheAskedNumberOfMembersAtRandom) {
    Members({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    door_.QueueInput("3");
    NarrowStockBasket();
    EXPECT_EQ(Flagged().size(), 3u);
    EXPECT_EQ(door_.CallsOf("input").back().title, "Random selection of stocks.");
    EXPECT_EQ(door_.CallsOf("input").back().args.front(), "20");

    door_.QueueInput("20");  // as many as there are: no change
    NarrowStockBasket();
    EXPECT_EQ(Flagged().size(), 3u);
    for (const char* bad : {"abc", "0", "30000", "-2"}) door_.QueueInput(std::string(bad));
    door_.QueueInput(std::nullopt);
    for (int i = 0; i < 5; ++i) NarrowStockBasket();
    EXPECT_EQ(door_.Beeps(), 5);
    EXPECT_EQ(Flagged().size(), 3u);
    door_.QueueInput("0.5");
    NarrowStockBasket();
    EXPECT_TRUE(Flagged().empty());
}

}  // namespace
}  // namespace vel
