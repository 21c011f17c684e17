// The EOD generator: the same options give the same bytes, the files hold what was asked for
// (symbols, days, header, gaps, splits), and every date form reads back as the same day.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "EodGenerator.h"
#include "EodText.h"

namespace vel::eodgen {
namespace {

class EodGeneratorTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("vellicor-eodgen-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Folder(const std::string& name) const { return (dir_ / name).string() + "/"; }
    static std::string Read(const std::string& path) {
        std::stringstream s;
        s << std::ifstream(path, std::ios::binary).rdbuf();
        return s.str();
    }
    std::filesystem::path dir_;
};

TEST_F(EodGeneratorTest, TheSameOptionsGiveTheSameBytes) {
    Options o;
    o.symbols = 3;
    o.days = 50;
    o.splitRate = 1.0;
    const Result a = WriteSymbolFiles(Folder("a"), o);
    const Result b = WriteSymbolFiles(Folder("b"), o);
    ASSERT_EQ(a.files.size(), 3u);
    for (size_t k = 0; k < a.files.size(); ++k) EXPECT_EQ(Read(a.files[k]), Read(b.files[k]));
    o.seed = 2;
    const Result c = WriteSymbolFiles(Folder("c"), o);
    EXPECT_NE(Read(a.files[0]), Read(c.files[0]));
    EXPECT_EQ(SymbolName(0), "AAAA");
    EXPECT_EQ(SymbolName(27), "AABB");
}

TEST_F(EodGeneratorTest, FilesHoldHeaderDaysGapsAndSplits) {
    Options o;
    o.symbols = 4;
    o.days = 400;
    o.gapRate = 0.1;
    o.splitRate = 1.0;
    o.lineEnd = "\n";
    const Result r = WriteSymbolFiles(Folder("f"), o);
    ASSERT_EQ(r.tradeDates.size(), 400u);
    EXPECT_EQ(r.tradeDates.front(), (Date{2010, 1, 4}));  // a Monday
    EXPECT_EQ(r.splits.size(), 4u);
    std::int64_t lines = 0;
    for (const auto& f : r.files) {
        const std::string text = Read(f);
        EXPECT_EQ(text.rfind("Date,Open,High,Low,Close,Volume\n", 0), 0u);
        for (char ch : text) lines += ch == '\n';
    }
    EXPECT_EQ(lines, r.rows + 4);
    EXPECT_GT(r.rows, 4 * 400 * 8 / 10);  // about a tenth of the days are missing
    EXPECT_LT(r.rows, 4 * 400 * 97 / 100);

    // The raw close drops by the split's ratio on its day.
    const Split& s = r.splits.front();
    std::istringstream in(Read(r.files.front()));
    std::string line, date = formatIsoDate(r.tradeDates[static_cast<size_t>(s.day)]);
    double before = 0, after = 0;
    while (std::getline(in, line)) {
        ParsedLine p;
        SplitLineIntoFields(line, "X", p);
        if (p.count != 7 || !ReadNumberField(p.field[5])) continue;
        const double close = *ReadNumberField(p.field[5]);
        if (std::string(p.field[2]) < date) before = close;
        if (std::string(p.field[2]) >= date && after == 0) after = close;
    }
    EXPECT_GT(before / after, s.ratio * 0.8);
    EXPECT_LT(before / after, s.ratio * 1.25);
}

TEST_F(EodGeneratorTest, EveryDateFormReadsBackAsItsDay) {
    const Date d{2031, 2, 7};
    for (DateForm form : {DateForm::Iso, DateForm::MonthDayYear, DateForm::DayMonYY,
                          DateForm::DayMonYYYY, DateForm::MonDayCommaYear}) {
        const std::string text = FormatDate(d, form);
        ParsedLine p;
        const std::string line = text + ",1";
        SplitLineIntoFields(line, "X", p);
        ASSERT_EQ(p.count, 3) << text;
        EXPECT_EQ(ReadDateField(p.field[2]),
                  form == DateForm::DayMonYY ? std::optional<Date>(Date{1931, 2, 7}) : d)
            << text;
    }
    Options o;
    o.symbols = 2;
    o.days = 5;
    o.dateForm = DateForm::MonDayCommaYear;
    const Result r = WriteSingleFile((dir_ / "all.csv").string(), o);
    const std::string text = Read(r.files.front());
    EXPECT_EQ(text.rfind("Symbol,Date,Open,High,Low,Close,Volume\r\nAAAA,\"Jan 4, 2010\",", 0), 0u)
        << text.substr(0, 80);
}

}  // namespace
}  // namespace vel::eodgen
