// The rows of the result CSV files: header and value lines, the header before row 1 only,
// and the capacity of the row buffer.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "CsvRows.h"
#include "Errors.h"
#include "FrameFixture.h"

namespace vel {
namespace {

class CsvRowsTest : public testing::FrameFixture {
protected:
    void SetUp() override {
        FrameFixture::SetUp();
        CsvItemCount = 0;
    }
};

TEST_F(CsvRowsTest, LinesJoinTheItemsWithCommaAndBlank) {
    EXPECT_EQ(GetCSVHeaderLine(), "");
    AddCSVItem("Symbol", "QQQ");
    EXPECT_EQ(GetCSVValueLine(), "QQQ");
    AddCSVItem("Empty", "");
    AddCSVItem("Profit", " 12.5");
    EXPECT_EQ(GetCSVHeaderLine(), "Symbol, Empty, Profit");
    EXPECT_EQ(GetCSVValueLine(), "QQQ, ,  12.5");
}

TEST_F(CsvRowsTest, HeaderLineIsPrintedBeforeRowOneOnly) {
    const std::string path = TempPath("rows.csv");
    TextFileWriter file(path);
    for (int r : {1, 2, 4}) {
        CsvItemCount = 0;
        AddCSVItem("Row", std::to_string(r));
        AddCSVItem("Note", r == 2 ? "a,b" : "x");  // written unchanged
        PrintCSVRow(file, r);
    }
    file.Close();
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              "Row, Note\r\n1, x\r\n2, a,b\r\n4, x\r\n");
}

TEST_F(CsvRowsTest, AHundredAndFirstItemIsRefusedAndTheRowStays) {
    for (int i = 1; i <= kMaxCsvItems; ++i) AddCSVItem("h", std::to_string(i));
    EXPECT_THROW(AddCSVItem("extra", "x"), SubscriptRangeError);
    EXPECT_EQ(CsvItemCount, kMaxCsvItems);
    const std::string values = GetCSVValueLine();
    EXPECT_EQ(values.substr(values.size() - 7), "99, 100");
}

}  // namespace
}  // namespace vel
