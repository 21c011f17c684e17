// The EOD structure file: its name from the download note of the data folder, the two lines
// of 20 characters written to up to three files (the set's own file only with consent), the
// reader's edge cases, the check of the four roles, and a file that cannot be written.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "AutomationFixture.h"
#include "AutomationState.h"
#include "EodStructure.h"
#include "HistoryState.h"

namespace vel {
namespace {

class EodStructureTest : public testing::AutomationFixture {
protected:
    void SetUp() override {
        AutomationFixture::SetUp();
        std::filesystem::create_directories(TempPath("Daily-EOD"));
        DataFolderPath = TempPath("Daily-EOD/");
    }
    // Symbol (text) in column 1, then date, three numbers, price and volume (numbers).
    static void GeneratedColumns() {
        const int types[] = {2, 3, 1, 1, 1, 1, 1};
        for (int c = 1; c <= 7; ++c) ImportColumnType(c) = static_cast<std::int16_t>(types[c - 1]);
        ImportColumnName(1) = "Symbol";
        ImportColumnName(2) = "TradeDate";
        ImportColumnName(6) = "Price";
        ImportColumnName(7) = "Volume";
    }
    // Reads the text as the set's structure file.
    void Read(const std::string& text) {
        EodStruFilePath = TempPath("R.eodstru");
        WriteFile(EodStruFilePath, text);
        ReadEODStructureFile();
    }
    std::string Roles() const {
        std::string r;
        for (int c = 1; c <= 20; ++c)
            r += ImportColumnName(c).empty() ? '.' : ImportColumnName(c)[0];
        return r;
    }
};

constexpr const char* kGenerated = "23111110000000000000\r\nST---PV-------------\r\n";

TEST_F(EodStructureTest, AnImportFromADownloadFolderSavesTheSetsStructureAndTwoCopies) {
    WriteFile(TempPath("Daily-EOD/Daily.eodurls"), "SaveTo(A.csv):http://x/a\r\n");
    WriteFile(TempPath("Daily-EOD/Zeta.eodurls"), "");
    GeneratedColumns();
    EXPECT_TRUE(SaveEODStructure());
    EXPECT_EQ(EodStruBaseName, "Daily");
    EXPECT_EQ(EodStruFileName, "Daily.eodstru");
    EXPECT_EQ(EodStruFilePath, TempPath("Daily.eodstru"));
    EXPECT_EQ(ReadFile(TempPath("Daily.eodstru")), kGenerated);
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/Daily.eodstru")), kGenerated);
    EXPECT_EQ(ReadFile(TempPath("New.eodstru")), kGenerated);
    EXPECT_TRUE(Messages().empty());

    // What it wrote reads back as the same tables.
    for (int c = 1; c <= 20; ++c) {
        ImportColumnType(c) = 9;
        ImportColumnName(c) = "x";
    }
    ReadEODStructureFile();
    EXPECT_EQ(EodStruFieldCount, 4);
    EXPECT_EQ(Roles(), "ST...PV.............");
    EXPECT_EQ(ImportColumnType(2), 3);
    EXPECT_EQ(ImportColumnType(8), 0);
    EXPECT_TRUE(EODStructureIsUsable());
}

TEST_F(EodStructureTest, AnExistingSetFileIsReplacedOnlyAfterYesTheCopiesAlways) {
    WriteFile(TempPath("Daily-EOD/Daily.eodurls"), "");
    WriteFile(TempPath("Daily.eodstru"), "old");
    WriteFile(TempPath("Daily-EOD/Daily.eodstru"), "old");
    WriteFile(TempPath("New.eodstru"), "old");
    GeneratedColumns();
    door_.QueueMessageAnswer(MsgAnswer::No);
    SaveEODStructure();
    ASSERT_EQ(door_.CallsOf("message").size(), 1u);
    const auto question = door_.CallsOf("message")[0];
    EXPECT_EQ(question.text, "EOD structure file " + TempPath("Daily.eodstru") +
                                 "\r\nalready exists! Overrite?\r\n");
    EXPECT_EQ(question.title, "");
    EXPECT_EQ(question.buttons, MsgButtons::YesNo);
    EXPECT_EQ(ReadFile(TempPath("Daily.eodstru")), "old");
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/Daily.eodstru")), kGenerated);
    EXPECT_EQ(ReadFile(TempPath("New.eodstru")), kGenerated);

    door_.QueueMessageAnswer(MsgAnswer::Yes);
    SaveEODStructure();
    EXPECT_EQ(ReadFile(TempPath("Daily.eodstru")), kGenerated);

    // Unattended the question is answered No: the set's file stays.
    WriteFile(TempPath("Daily.eodstru"), "old");
    AutoRunMode = 1;
    SaveEODStructure();
    EXPECT_EQ(ReadFile(TempPath("Daily.eodstru")), "old");
}

TEST_F(EodStructureTest, WithoutANoteTheStructureIsNewAndSoIsTheQuestion) {
    WriteFile(TempPath("Daily-EOD/.eodurls"), "");  // a note without a base name
    WriteFile(TempPath("New.eodstru"), "old");
    GeneratedColumns();
    door_.QueueMessageAnswer(MsgAnswer::No);
    SaveEODStructure();
    EXPECT_EQ(EodStruFileName, "New.eodstru");
    EXPECT_EQ(EodStruBaseName, "");
    EXPECT_NE(Messages().at(0).find(TempPath("New.eodstru")), std::string::npos);
    // The last step replaces "New.eodstru" whatever the answer was.
    EXPECT_EQ(ReadFile(TempPath("New.eodstru")), kGenerated);
    EXPECT_EQ(ReadFile(TempPath("Daily-EOD/New.eodstru")), kGenerated);

    // A data folder that is the program folder: its copy is the set's file itself.
    DataFolderPath = TempFolder();
    WriteFile(TempPath("Self.eodurls"), "");
    WriteFile(TempPath("Self.eodstru"), "old");
    door_.QueueMessageAnswer(MsgAnswer::No);
    SaveEODStructure();
    EXPECT_EQ(ReadFile(TempPath("Self.eodstru")), kGenerated);
}

TEST_F(EodStructureTest, TheReaderCountsRoleLettersAndRefusesLinesOfAnotherLength) {
    Read("21110000000000000000\r\nSSTP----------------\r\n");
    EXPECT_EQ(EodStruFieldCount, 4);  // letters, not distinct roles
    EXPECT_EQ(Roles(), "SSTP................");
    EXPECT_FALSE(EODStructureIsUsable());  // two symbols, no volume

    Read("2x110000000000000000\nsTPVQ---------------\n");
    EXPECT_EQ(EodStruFieldCount, 3);  // "s" and "Q" are no roles
    EXPECT_EQ(ImportColumnType(2), 0);
    EXPECT_EQ(EodStruLine1, "2x110000000000000000");
    EXPECT_EQ(EodStruLine2, "sTPVQ---------------");

    for (const char* text :
         {"2311000000000000000\r\nSTPV----------------\r\n",    // 19 characters
          "231100000000000000000\r\nSTPV----------------\r\n",  // 21 characters
          "23110000000000000000\r\n", "", "23110000000000000000\rSTPV----------------"}) {
        for (int c = 1; c <= 20; ++c) ImportColumnName(c) = "Symbol";
        Read(text);
        const bool ok = std::string(text) == "23110000000000000000\rSTPV----------------";
        EXPECT_EQ(EodStruFieldCount, ok ? 4 : 0) << text;
        EXPECT_EQ(Roles(), ok ? "STPV................" : "....................") << text;
    }
    EodStruFilePath = TempPath("missing.eodstru");
    ReadEODStructureFile();
    EXPECT_EQ(EodStruFieldCount, 0);
}

TEST_F(EodStructureTest, TheFourRolesMustEachStandOnceOnAColumnOfTheirKind) {
    Read("23110000000000000000\r\nSTPV----------------\r\n");
    EXPECT_TRUE(EODStructureIsUsable());
    Read("21110000000000000000\r\nSTPV----------------\r\n");  // dates written as numbers
    EXPECT_TRUE(EODStructureIsUsable());
    Read("22110000000000000000\r\nSTPV----------------\r\n");  // dates as text: no order
    EXPECT_FALSE(EODStructureIsUsable());
    Read("23210000000000000000\r\nSTPV----------------\r\n");  // a price of text
    EXPECT_FALSE(EODStructureIsUsable());
    Read("23111000000000000000\r\nSTPVV---------------\r\n");  // five roles
    EXPECT_EQ(EodStruFieldCount, 5);
    EXPECT_FALSE(EODStructureIsUsable());
}

TEST_F(EodStructureTest, AFileThatCannotBeWrittenIsReportedAndTheOthersAreStillWritten) {
    // The data folder is gone: its copy cannot be written.
    DataFolderPath = TempPath("gone/");
    GeneratedColumns();
    door_.QueueMessageAnswer(MsgAnswer::OK);
    SaveEODStructure();
    EXPECT_EQ(ReadFile(TempPath("New.eodstru")), kGenerated);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].rfind("EOD structure file cannot be written!", 0), 0u);
    const auto log = LogTexts();
    EXPECT_NE(std::find(log.begin(), log.end(),
                        "EOD structure file cannot be written: " + TempPath("gone/New.eodstru")),
              log.end());
}

}  // namespace
}  // namespace vel
