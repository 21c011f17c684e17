// Clipboard symbols and the symbol memory: the strings cut at the separators, the preview and
// its counts, the load and the intersection answered Yes and No, and the memory copied into an
// empty basket.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AppState.h"
#include "ChartsFixture.h"
#include "ClipboardSymbols.h"
#include "StockBasket.h"

namespace vel {
namespace {

class ClipboardSymbolsTest : public testing::ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        testing::LoadSyntheticHistory(12, 30);
    }
    void Members(std::initializer_list<long> items) {
        for (long i = 1; i <= 12; ++i) BasketFlag(i) = 0;
        for (long i : items) BasketFlag(i) = 1;
        ResetStockBasket();
    }
    static std::vector<long> Flags() {
        std::vector<long> out;
        for (long i = 1; i <= 12; ++i) out.push_back(BasketFlag(i));
        return out;
    }
    static std::vector<long> Basket() {
        std::vector<long> out;
        for (long i = 1; i <= 12; ++i)
            if (BasketFlag(i) == 1) out.push_back(i);
        return out;
    }
    // The texts of the message boxes shown so far.
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& c : door_.CallsOf("message")) texts.push_back(c.text);
        return texts;
    }
};

using Items = std::vector<long>;

TEST_F(ClipboardSymbolsTest, StringsEndAtBlanksCommasLineBreaksAndControlCharacters) {
    Members({4});
    ParseClipboardText("S2\tS4,ZZZ\r\n");
    EXPECT_EQ(ClipboardPreviewText,
              "Clipboard content ( 3 strings,   2 valid ):\r\n   \r\nS2, S4, ZZZ, ");
    // Marks: 10 for a stock that was out, 11 for a member.
    EXPECT_EQ(Flags(), (Items{0, 10, 0, 11, 0, 0, 0, 0, 0, 0, 0, 0}));

    Members({});
    ParseClipboardText("  ,,S3 \x01S3\r\n\r\n\"S5\" s6 S7\xc2\xa0");
    // S3 twice counts twice; "S5" in quotes is found, s6 in another case is not, and a byte
    // above the ASCII range belongs to its string.
    EXPECT_EQ(ClipboardPreviewText,
              "Clipboard content ( 5 strings,   3 valid ):\r\n   \r\n"
              "S3, S3, \"S5\", s6, S7\xc2\xa0, ");
    EXPECT_EQ(Flags(), (Items{0, 0, 10, 0, 10, 0, 0, 0, 0, 0, 0, 0}));

    ParseClipboardText("");
    EXPECT_EQ(ClipboardPreviewText, "Clipboard content ( 0 strings,   0 valid ):\r\n   \r\n");
}

TEST_F(ClipboardSymbolsTest, ThePreviewBreaksItsLinesAndStopsAfterFifteen) {
    std::string text;
    for (int k = 0; k < 400; ++k) text += "S1 ";
    ParseClipboardText(text);
    const std::string& p = ClipboardPreviewText;
    EXPECT_EQ(p.rfind("Clipboard content ( 400 strings,   400 valid ):\r\n   \r\n", 0), 0u);
    // 13 strings of 4 characters make 52 > 50: a break after every 13th, 15 lines, then the
    // note; nothing after it.
    const std::string line = [] {
        std::string l;
        for (int k = 0; k < 13; ++k) l += "S1, ";
        return l + "\r\n";
    }();
    std::string lines;
    for (int k = 0; k < 15; ++k) lines += line;
    EXPECT_EQ(p.substr(p.find("\r\n   \r\n") + 7), lines + " .......... continued .......... \r\n");
}

TEST_F(ClipboardSymbolsTest, LoadAddsTheFoundStocksOnYesAndChangesNothingOnNo) {
    Members({2, 9});
    door_.clipboard = "S3\nS9\nNOPE";
    door_.QueueMessageAnswer(MsgAnswer::No);   // keep the members
    door_.QueueMessageAnswer(MsgAnswer::Yes);  // load
    LoadClipboardStringsIntoStockBasket();
    EXPECT_EQ(Basket(), (Items{2, 3, 9}));
    EXPECT_EQ(BasketCount, 3);
    const auto messages = Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0], "Stock Basket is not empty. Do you wish to empty Stock Basket?");
    EXPECT_EQ(messages[1],
              "Clipboard content ( 3 strings,   2 valid ):\r\n   \r\nS3, S9, NOPE, "
              "\r\n\r\nDo you wish to LOAD strings into Stock Basket?");

    door_.QueueMessageAnswer(MsgAnswer::No);  // keep
    door_.QueueMessageAnswer(MsgAnswer::No);  // do not load
    door_.clipboard = "S1 S5 S9";
    LoadClipboardStringsIntoStockBasket();
    EXPECT_EQ(Basket(), (Items{2, 3, 9}));
    EXPECT_EQ(Flags(), (Items{0, 1, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0}));

    door_.QueueMessageAnswer(MsgAnswer::Yes);  // empty the basket first
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    LoadClipboardStringsIntoStockBasket();
    EXPECT_EQ(Basket(), (Items{1, 5, 9}));
    EXPECT_EQ(BasketCount, 3);
}

TEST_F(ClipboardSymbolsTest, IntersectionKeepsTheNamedMembersOnYes) {
    door_.QueueMessageAnswer(MsgAnswer::OK);
    IntersectStockBasketWithClipboardStrings();
    EXPECT_EQ(Messages(),
              std::vector<std::string>{"Stock Basket is empty. No intersection is possible!"});

    Members({2, 4, 6});
    door_.clipboard = "S2,S6,S8";  // two members and a stock that is out
    door_.QueueMessageAnswer(MsgAnswer::No);
    IntersectStockBasketWithClipboardStrings();
    EXPECT_EQ(Basket(), (Items{2, 4, 6}));
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    IntersectStockBasketWithClipboardStrings();
    EXPECT_EQ(Basket(), (Items{2, 6}));
    EXPECT_EQ(BasketCount, 2);
    EXPECT_NE(Messages().back().find("Do you wish to INTERSECT Stock Basket with the strings?"),
              std::string::npos);

    door_.clipboard = "";  // nothing names a member: Yes empties the basket
    door_.QueueMessageAnswer(MsgAnswer::Yes);
    IntersectStockBasketWithClipboardStrings();
    EXPECT_EQ(BasketCount, 0);
}

TEST_F(ClipboardSymbolsTest, TheMemoryRemembersStocksAndFillsAnEmptyBasket) {
    CopySymbolMemoryToStockBasket();  // nothing remembered: a beep
    EXPECT_EQ(door_.Beeps(), 1);
    for (std::int16_t stock : {3, 7, 11}) {
        DisplayedStockIndex = stock;
        MemorizeDisplayedStock();
    }
    EXPECT_EQ(SymbolMemoryCount, 3);
    MemorizeDisplayedStock();  // stock 11 again
    DisplayedStockIndex = 0;
    MemorizeDisplayedStock();  // no displayed stock
    EXPECT_EQ(door_.Beeps(), 3);
    EXPECT_EQ(SymbolMemoryCount, 3);

    Members({1});
    door_.QueueMessageAnswer(MsgAnswer::OK);
    CopySymbolMemoryToStockBasket();
    EXPECT_EQ(Messages(), std::vector<std::string>{"Please, make Stock Basket empty, first!"});
    EXPECT_EQ(Basket(), (Items{1}));

    ClearStockBasket();
    CopySymbolMemoryToStockBasket();
    EXPECT_EQ(Basket(), (Items{3, 7, 11}));
    EXPECT_EQ(BasketCount, 3);
    EXPECT_EQ(BasketPointer, 3);  // the first member is shown
    EXPECT_EQ(SymbolMemoryCount, 3);

    ClearSymbolMemory();
    EXPECT_EQ(SymbolMemoryCount, 0);
}

}  // namespace
}  // namespace vel
