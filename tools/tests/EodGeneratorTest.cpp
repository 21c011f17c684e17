// The EOD generator: the same options give the same bytes, the files hold what was asked for
// (symbols, days, header, gaps, splits), and every date form reads back as the same day.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
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

// Runs the program with the arguments and returns what it printed; `status` gets its exit code.
std::string RunProgram(const std::vector<std::string>& args, int& status) {
    int fds[2];
    if (::pipe(fds) != 0) return "no pipe";
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<size_t>(n));
    ::close(fds[0]);
    int raw = 0;
    ::waitpid(child, &raw, 0);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return out;
}

// The sample command of the README makes what the README promises: gaps, late starts and
// stock splits.
TEST_F(EodGeneratorTest, TheReadmeSampleCommandGivesGapsLateStartsAndSplits) {
    std::stringstream readme;
    readme << std::ifstream(VELLICOR_README).rdbuf();
    const std::string text = readme.str();
    const size_t start = text.find("`build/bin/generate_eod ");
    ASSERT_NE(start, std::string::npos);
    const size_t end = text.find('`', start + 1);
    const std::string sentence = text.substr(end, text.find('.', end) - end);
    for (const char* promise : {"gaps", "late starts", "stock splits"})
        EXPECT_NE(sentence.find(promise), std::string::npos) << sentence;
    std::istringstream command(text.substr(start + 1, end - start - 1));
    std::vector<std::string> args;
    for (std::string word; command >> word;) {
        if (word == "build/bin/generate_eod") word = GENERATE_EOD;
        if (word == "FOLDER") word = Folder("sample");
        args.push_back(word);
    }
    int status = -1;
    const std::string out = RunProgram(args, status);
    ASSERT_EQ(status, 0) << out;
    EXPECT_NE(out.find("split AAA"), std::string::npos) << out;

    // Per file: the first date, and whether a weekday is missing between its first and last.
    int lateStarts = 0, withGaps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(Folder("sample"))) {
        std::istringstream in(Read(entry.path().string()));
        std::string line;
        std::getline(in, line);  // the header
        long first = -1, previous = -1;
        bool gap = false;
        while (std::getline(in, line)) {
            const auto date = ReadDateField(line.substr(0, line.find(',')));
            ASSERT_TRUE(date) << line;
            const long serial = dateSerial(*date);
            if (first < 0) first = serial;
            // From Friday to Monday is 3 days; any other step above 1 skips a trading day.
            if (previous >= 0 && serial - previous > (serial % 7 == 2 ? 3 : 1)) gap = true;
            previous = serial;
        }
        lateStarts += first > dateSerial(Date{2010, 1, 4});
        withGaps += gap;
    }
    EXPECT_GT(lateStarts, 0);
    EXPECT_GT(withGaps, 0);

    const std::string help = RunProgram({GENERATE_EOD, "--help"}, status);
    EXPECT_EQ(status, 0);
    for (const char* option :
         {"--out", "--single", "--symbols", "--days", "--date-form", "--no-header", "--gap-rate",
          "--late-rate", "--split-rate", "--seed", "--line-end", "--ext"})
        EXPECT_NE(help.find(option), std::string::npos) << option;
    RunProgram({GENERATE_EOD, "--out", Folder("x"), "--days", "ten"}, status);
    EXPECT_EQ(status, 2);
}

}  // namespace
}  // namespace vel::eodgen
