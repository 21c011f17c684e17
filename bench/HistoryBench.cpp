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
#include "BenchDoor.h"
#include "Database.h"
#include "EodGenerator.h"
#include "EodImport.h"
#include "HistoryBuild.h"
#include "HistoryImport.h"
#include "HistoryLoad.h"
#include "VectorStores.h"

namespace {

using namespace vel;

std::string BenchFolder(const std::string& name) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("vellicor-bench-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string() + "/";
}

void ImportAndBuild() {
    bench::BenchDoor door;
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

// The rows of a built history: every symbol on every DateNum, with made-up prices and volumes.
class BuiltRows : public RowSource {
public:
    BuiltRows(int symbols, int days, const std::vector<std::string>& dates)
        : symbols_(symbols), days_(days), dates_(dates) {}
    bool next() override {
        if (++day_ > days_) {
            day_ = 1;
            if (++symbol_ >= symbols_) return false;
            name_ = eodgen::SymbolName(symbol_);
        }
        return true;
    }
    void value(int column, RowValue& out) override {
        switch (column) {
            case 0:
                out.setText(name_);
                break;
            case 1:
                out.setText(dates_[static_cast<size_t>(day_ - 1)]);
                break;
            case 2:
                out.setDouble(Price(symbol_, day_));
                break;
            case 3:
                out.setDouble(Volume(symbol_, day_));
                break;
            case 4:
                out.setDouble(1.0);
                break;
            default:
                out.setInteger(day_);
                break;
        }
    }
    static double Price(int s, int d) { return 10.0 + ((s * 31 + d * 7) % 997) * 0.01; }
    static double Volume(int s, int d) { return 1000.0 + (s * 13 + d) % 5000; }

private:
    int symbols_, days_;
    const std::vector<std::string>& dates_;
    int symbol_ = 0, day_ = 0;
    std::string name_ = eodgen::SymbolName(0);
};

// A built history written directly, as the build leaves it: History (dense, kept in the order of
// Symbol and DateNum), TradeDates and DayMoney.
void WriteBuiltHistory(const std::string& path, int symbols, int days) {
    Database db = Database::Create(path);
    db.execute("PRAGMA cache_size=-16384");  // rows in key order need few pages at hand
    Database::Transaction transaction(db);
    db.prepare(
          "CREATE TABLE History (Symbol TEXT, TradeDate DATE, Price DOUBLE, Volume DOUBLE, "
          "SplitCoef SINGLE, DateNum INTEGER, PRIMARY KEY (Symbol, DateNum)) WITHOUT ROWID")
        .run();
    db.execute("CREATE TABLE TradeDates (TradeDate DATE, SymbolCount INTEGER, DateNum INTEGER)");
    db.execute("CREATE TABLE DayMoney (Symbol TEXT, DayMoneyAvg DOUBLE)");
    std::vector<std::string> dates;
    for (int d = 1; d <= days; ++d) {
        dates.push_back(formatIsoDate(dateFromSerial(40000 + d)));
        db.execute("INSERT INTO TradeDates VALUES (?1, ?2, ?3)", {dates.back(), symbols, d});
    }
    BuiltRows rows(symbols, days, dates);
    db.insertRows("History", 6, rows);
    db.ensureSingleRounding();
    for (int s = 0; s < symbols; ++s) {
        double money = 0;
        for (int d = days - 4; d <= days; ++d)
            money += BuiltRows::Price(s, d) * BuiltRows::Volume(s, d);
        db.execute("INSERT INTO DayMoney VALUES (?1, ?2)", {eodgen::SymbolName(s), money / 5});
    }
    transaction.commit();
}

void Load() {
    const std::string folder = BenchFolder("load");
    const std::string path = folder + "History.mdb";
    bench::Stopwatch write;
    WriteBuiltHistory(path, 10000, 3000);
    std::fprintf(stderr, "(built history of 10000 x 3000 written in %s s)\n",
                 formatFixed(write.seconds(), 1).c_str());
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
    bench::BenchDoor door;
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

bench::Register importBuild("history_import_build", ImportAndBuild,
                            {"import_rows", "import_seconds_2000x3000", "history_build_2000x3000"});
bench::Register load("history_load", Load, {"history_load_10000x3000", "history_load_peak_rss"});
bench::Register loadChild("history_load_child", LoadChild, {});

}  // namespace
