// The fixture of the automation tests: the charts fixture (scripted door, fixed clock, empty
// stores, every state group at its start) with the program folder set to the temporary folder
// and "Vellicor.log" open there, the program's subsystems registered as Vellicor wires them,
// and helpers to write the files of an autorun set and to read the log and the messages.
#pragma once

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ActivityLog.h"
#include "ActivityLogTexts.h"
#include "AnalysisCommands.h"
#include "AppState.h"
#include "AutomationCommands.h"
#include "ChartsFixture.h"
#include "EodGenerator.h"
#include "HistoryCommands.h"
#include "MainWindowView.h"
#include "TextFile.h"
#include "frmChartView.h"

namespace vel::testing {

class AutomationFixture : public ChartsFixture {
protected:
    void SetUp() override {
        ChartsFixture::SetUp();
        ProgramFolderPath = TempFolder();
        OpenActivityLog("Vellicor.log");
    }
    void TearDown() override {
        DestroyChartWindow();
        ResetMainWindowState();
        ChartsFixture::TearDown();
    }

    // The commands of the program as Vellicor registers them (without its dialog windows).
    static void RegisterProgram() {
        RegisterAnalysisCommands();
        RegisterHistoryCommands();
        RegisterChartWindow();
        RegisterAutomationCommands();
    }

    // Writes the text as it is (no line ends added); the folder must exist. A file that cannot
    // be written fails the test with its path and the system's reason, so that a test never
    // goes on with a set it did not write.
    void WriteFile(const std::string& path, const std::string& text) const {
        errno = 0;
        std::ofstream out(path, std::ios::binary);
        out << text;
        out.close();
        if (!out) {
            const int error = errno;
            ADD_FAILURE() << "cannot write " << path << ": "
                          << (error != 0 ? std::strerror(error) : "unknown error");
        }
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }

    // The files of the autorun set `base` in the program folder: the command file with the
    // lines (each ended by CR LF), a one-line URL list and the structure of generated EOD files
    // (date, open, high, low, close, volume: columns 2 to 7, the symbol from the file name).
    void WriteAutorunSet(const std::string& base, const std::vector<std::string>& lines,
                         bool urls = true, bool structure = true) const {
        std::string text;
        for (const auto& l : lines) text += l + "\r\n";
        WriteFile(TempPath(base + ".autorun"), text);
        if (urls) WriteFile(TempPath(base + ".eodurls"), "SaveTo(AAAA.csv):http://x/a\r\n");
        if (structure) WriteFile(TempPath(base + ".eodstru"), kGeneratedStructure);
    }
    static constexpr const char* kGeneratedStructure =
        "23111110000000000000\r\nST---PV-------------\r\n";

    // Generated EOD files of the set's data folder <base>-EOD/.
    eodgen::Result GenerateEod(const std::string& base, int symbols, int days) const {
        eodgen::Options o;
        o.symbols = symbols;
        o.days = days;
        o.seed = 7;
        return eodgen::WriteSymbolFiles(TempPath(base + "-EOD"), o);
    }

    // The texts of the log's entry lines (behind " >> "); separator lines as they are.
    std::vector<std::string> LogTexts() const { return ActivityLogTexts(); }
    // The log's entries that begin with one of the prefixes, in order.
    std::vector<std::string> LogLinesStarting(const std::vector<std::string>& prefixes) const {
        std::vector<std::string> out;
        for (const auto& t : LogTexts())
            for (const auto& p : prefixes)
                if (t.rfind(p, 0) == 0) {
                    out.push_back(t);
                    break;
                }
        return out;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& c : door_.CallsOf("message")) texts.push_back(c.text);
        return texts;
    }
};

}  // namespace vel::testing
