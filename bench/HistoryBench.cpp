// The history database at full size: the import of 2000 symbols x 3000 days of generated EOD
// text, the build of that database, and the load of a built history of 10000 symbols x 3000
// days, timed in a fresh process of its own so that its peak resident memory is the load's.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "AppState.h"
#include "Bench.h"
#include "Database.h"
#include "Door.h"
#include "EodGenerator.h"
#include "EodImport.h"
#include "HistoryBuild.h"
#include "HistoryImport.h"
#include "HistoryLoad.h"
#include "VectorStores.h"

namespace {

using namespace vel;

// A door that shows nothing and answers every box with OK.
class BenchDoor : public Door {
public:
    MsgAnswer MessageBox(const std::string& text, const std::string&, MsgButtons) override {
        if (text.find("error") != std::string::npos) std::fprintf(stderr, "%s\n", text.c_str());
        return MsgAnswer::OK;
    }
    std::optional<std::string> InputBox(const std::string&, const std::string&,
                                        const std::string&) override {
        return std::nullopt;
    }
    std::string OpenFileDialog(const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    std::string SaveFileDialog(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }
    void Beep() override {}
    void SetHourglass(bool) override {}
    std::string ClipboardText() override { return {}; }
    void SetClipboardText(const std::string&) override {}
    bool StartProgram(const std::string&, const std::vector<std::string>&) override {
        return false;
    }
    bool OpenInBrowser(const std::string&, const std::string&) override { return false; }
    bool OpenInTextEditor(const std::string&) override { return false; }
    std::string FindProgram(const std::string&) override { return {}; }
    void Yield() override {}
    DateTime Now() override { return DateTime{Date{2024, 1, 2}, 12, 0, 0}; }
    [[noreturn]] void EndProcess(int status) override { std::exit(status); }
    bool HasDisplay() override { return false; }
};

std::string BenchFolder(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("vellicor-bench-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

void ImportAndBuild() {
    BenchDoor door;
    InstallDoor(&door);
    AutoRunMode = 1;
    const std::string folder = BenchFolder("import");
    eodgen::Options o;
    o.symbols = 2000;
    o.days = 3000;
    o.splitRate = 0.05;
    const auto generated = eodgen::WriteSymbolFiles(folder, o);
    DataFolderPath = folder;
    HistoryDatabasePath = folder + "History.mdb";
    ImportFileExtension = "csv";
    AnalyzeTextColumns(generated.files.front());
    ImportColumnName(1) = "Symbol";
    ImportColumnName(2) = "TradeDate";
    ImportColumnName(6) = "Price";
    ImportColumnName(7) = "Volume";
    CreateHistoryDatabase();
    // The text import fills and builds the new database beside "History.mdb".
    const std::string database = NewHistoryDatabasePath(HistoryDatabasePath);

    bench::Stopwatch import;
    ImportHistoryFolderFiles(database, "History1");
    const double importSeconds = import.seconds();
    const auto rows = Database::Open(database).scalar("SELECT count(*) FROM History1").toInteger();
    bench::report("import_rows", static_cast<double>(rows) / importSeconds, "rows/s");
    bench::report("import_seconds_2000x3000", importSeconds, "s");

    bench::Stopwatch build;
    BuildHistoryDatabase(database);
    bench::report("history_build_2000x3000", build.seconds(), "s");
    std::filesystem::remove_all(folder);
    InstallDoor(nullptr);
}

// A built history written directly, as the build leaves it: History (dense, kept in the order of
// Symbol and DateNum), TradeDates and DayMoney.
void WriteBuiltHistory(const std::string& path, int symbols, int days) {
    Database db = Database::Create(path);
    db.useBuildSettings();
    Database::Transaction transaction(db);
    db.execute(
        "CREATE TABLE History (Symbol TEXT, TradeDate DATE, Price DOUBLE, Volume DOUBLE, "
        "SplitCoef SINGLE, DateNum INTEGER, PRIMARY KEY (Symbol, DateNum)) WITHOUT ROWID");
    db.execute("CREATE TABLE TradeDates (TradeDate DATE, SymbolCount INTEGER, DateNum INTEGER)");
    db.execute("CREATE TABLE DayMoney (Symbol TEXT, DayMoneyAvg DOUBLE)");
    std::vector<std::string> dates;
    for (int d = 1; d <= days; ++d) {
        dates.push_back(formatIsoDate(dateFromSerial(40000 + d)));
        db.execute("INSERT INTO TradeDates VALUES (?1, ?2, ?3)", {dates.back(), symbols, d});
    }
    TableAppender history(db, "History");
    for (int s = 0; s < symbols; ++s) {
        const std::string symbol = eodgen::SymbolName(s);
        double money = 0;
        for (int d = 1; d <= days; ++d) {
            const double price = 10.0 + ((s * 31 + d * 7) % 997) * 0.01;
            const double volume = 1000.0 + (s * 13 + d) % 5000;
            if (d > days - 5) money += price * volume;
            history.addNew();
            history.setTextStatic(0, symbol);
            history.setTextStatic(1, dates[static_cast<size_t>(d - 1)]);
            history.setDouble(2, price);
            history.setDouble(3, volume);
            history.setDouble(4, 1.0);
            history.setInteger(5, d);
            history.update();
        }
        db.execute("INSERT INTO DayMoney VALUES (?1, ?2)", {symbol, money / 5});
    }
    transaction.commit();
}

void Load() {
    const std::string folder = BenchFolder("load");
    const std::string path = folder + "History.mdb";
    bench::Stopwatch write;
    WriteBuiltHistory(path, 10000, 3000);
    std::fprintf(stderr, "(built history of 10000 x 3000 written in %.1f s)\n", write.seconds());
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setenv("VELLICOR_BENCH_LOAD_DB", path.c_str(), 1);
        ::execl("/proc/self/exe", "vellicor_bench", "history_load_child",
                static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    std::filesystem::remove_all(folder);
}

// Runs only in the process that Load starts.
void LoadChild() {
    const char* path = std::getenv("VELLICOR_BENCH_LOAD_DB");
    if (!path) return;
    BenchDoor door;
    InstallDoor(&door);
    CreateVectorStores();
    HistoryDatabasePath = path;
    bench::Stopwatch load;
    const bool ok = LoadHistory();
    bench::report("history_load_10000x3000", load.seconds(), "s");
    bench::report("history_load_peak_rss", bench::peakRssMb(), "MB");
    if (!ok || LoadedSymbolCount != 10000 || LoadedDayCount != 3000)
        std::fprintf(stderr, "history load incomplete: %d symbols, %d days\n", LoadedSymbolCount,
                     LoadedDayCount);
    InstallDoor(nullptr);
}

bench::Register importBuild("history_import_build", ImportAndBuild);
bench::Register load("history_load", Load);
bench::Register loadChild("history_load_child", LoadChild);

}  // namespace
