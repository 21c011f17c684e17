// A UTF-8 byte-order mark at the start of a text file is no part of its text: every kind of
// file the two programs read, each through its own reader, gives the same first line with the
// mark as without it.
#include <gtest/gtest.h>

#include <functional>

#include "AutomationFiles.h"
#include "AutomationFixture.h"
#include "AutomationState.h"
#include "AutorunFile.h"
#include "BrowserLauncher.h"
#include "ByteOrderMark.h"
#include "DownloaderState.h"
#include "EodStructure.h"
#include "EodText.h"
#include "NumberText.h"
#include "RallyFile.h"
#include "StockBasket.h"
#include "UrlGenerator.h"
#include "UrlList.h"
#include "clsVectors.h"

namespace vel {
namespace {

class ByteOrderMarkTest : public testing::AutomationFixture {};

TEST_F(ByteOrderMarkTest, EveryReaderOfATextFileSkipsIt) {
    testing::LoadSyntheticHistory(4, 10);
    WriteAutorunSet("T", {});
    const struct {
        const char* kind;
        const char* name;  // in the program folder
        std::string text;  // without the mark
        std::function<std::string(const std::string& path)> read;
        std::string firstLine;  // what the reader makes of the first line
    } readers[] = {
        {"autorun file", "T.autorun", "MarketTiming = YES\r\n",
         [](const std::string&) {
             AutoRunFileName = "T.autorun";
             ReadAutorunFile();
             return MarketTiming;
         },
         "YES"},
        {"EOD structure file", "T.eodstru", kGeneratedStructure,
         [](const std::string& path) {
             EodStruFilePath = path;
             ReadEODStructureFile();
             return EodStruLine1;
         },
         "23111110000000000000"},
        {"EOD text file", "AAAA.csv", "1/2/2020,10,11,9,10.5,1000\r\n",
         [](const std::string& path) {
             std::string first;
             ReadEodFileLines(path, [&](std::string_view line) {
                 if (first.empty()) first = line;
             });
             return first;
         },
         "1/2/2020,10,11,9,10.5,1000"},
        {"URL list", "L.eodurls", "SaveTo(AAAA.csv):http://x/a\r\n",
         [](const std::string& path) {
             std::vector<std::string> entries;
             ReadUrlList(path, entries);
             return entries.empty() ? std::string() : entries.front();
         },
         "SaveTo(AAAA.csv):http://x/a"},
        {"pattern file", "P.eodpatt", "SaveTo(<STOCKSYMBOL>.csv):http://x/<STOCKSYMBOL>\r\n",
         [](const std::string& path) {
             const auto patterns = ReadPatterns(path);
             return patterns.empty() ? std::string() : patterns.front();
         },
         "SaveTo(<STOCKSYMBOL>.csv):http://x/<STOCKSYMBOL>"},
        {"parameters file", "T.dwnparams", TempPath("T.eodurls") + "\r\n" + TempPath("T-EOD/"),
         [](const std::string& path) {
             CommandLineText = path;
             ReadAutomationParameters();
             return AutomationListPath;
         },
         TempPath("T.eodurls")},
        {"stock list", "list.csv", "S3 12.5\r\n",
         [](const std::string& path) {
             EmptyStockBasket();
             LoadStockListIntoStockBasket(path);
             return std::to_string(BasketFlag(3));
         },
         "1"},
        {"rally file", "Rallies.txt", " 1 \r\n 2 ,  5 \r\n",
         [](const std::string& path) {
             const auto rallies = ParseRallyFile(ReadTextLines(path));
             return rallies ? std::to_string(rallies->count) : std::string("refused");
         },
         "1"},
        {"browser file", "Browser.ini", "/usr/bin/browser\r\n",
         [](const std::string&) { return ReadBrowserIni(); }, "/usr/bin/browser"},
        {"vector base file", "base.txt", "0\r\n1\r\n0\r\n2.5\r\n\r\n\r\n\r\n\r\n",
         [](const std::string& path) {
             clsVectors v;
             v.VectorBaseEmpty(1, 0, 0, 0, 0, 1, 0);
             v.VectorBaseLoad(path);
             return formatDouble(v.CoordGetSingleValue(v.BaseStart(), 1).toDouble());
         },
         "2.5"},
    };
    for (const auto& r : readers) {
        for (const bool mark : {false, true}) {
            const std::string path = TempPath(r.name);
            WriteFile(path, (mark ? std::string(kUtf8ByteOrderMark) : std::string()) + r.text);
            std::string first;
            try {
                first = r.read(path);
            } catch (const std::exception& e) {
                first = e.what();
            }
            EXPECT_EQ(first, r.firstLine) << r.kind << (mark ? " with" : " without") << " a mark";
        }
    }
}

}  // namespace
}  // namespace vel
