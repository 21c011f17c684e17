// The fixture of the downloader's tests: the platform fixture (scripted door, fixed clock,
// temporary folder, every state group at its start) with the program folder set to the
// temporary folder, the log "Tarquel.log" open there, the files written on the writer thread
// as the program writes them, failed attempts restarted without a pause (a test of the pause sets
// one), and helpers to write and read files and to run the event loop until a condition holds.
#pragma once

#include <stdlib.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "ActivityLog.h"
#include "ActivityLogTexts.h"
#include "AppState.h"
#include "DirectoryListing.h"
#include "DownloaderState.h"
#include "PlatformFixture.h"
#include "TextFile.h"
#include "ctlURLDownload.h"

namespace vel::testing {

class DownloaderFixture : public PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ProgramFolderPath = TempFolder();
        OpenActivityLog("Tarquel.log");
        // Curl takes proxies from the environment: the loopback servers are reached directly
        // unless a test sets a proxy itself.
        for (const char* name : kProxyVariables) ::unsetenv(name);
        // The same for the certificate authorities: a test that trusts others names them.
        for (const char* name : kCertificateVariables) ::unsetenv(name);
        ctlURLDownload::SetFirstRetryPauseMs(0);
    }
    void TearDown() override {
        ctlURLDownload::SetFirstRetryPauseMs(ctlURLDownload::kFirstRetryPauseMs);
        // Lets the socket notifiers and sockets that were deleted later go before the next test.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        PlatformFixture::TearDown();
    }

    // Writes the text as it is (no line ends added).
    void WriteFile(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
    }
    std::string ReadFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool Exists(const std::string& path) const { return std::filesystem::exists(path); }
    // The names of the entries of a folder (the temporary folder by default), sorted.
    std::vector<std::string> ListDirectoryNames(const std::string& folder = "") const {
        return ListDirectory(folder.empty() ? TempFolder() : folder, "*",
                             EntryKind::FilesAndFolders);
    }

    // The texts of the log's entry lines (behind " >> "); separator lines as they are.
    std::vector<std::string> LogTexts() const { return ActivityLogTexts(); }
    // The number of log entries that begin with the text.
    int LogCount(const std::string& prefix) const {
        int n = 0;
        for (const auto& t : LogTexts())
            if (t.rfind(prefix, 0) == 0) ++n;
        return n;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& c : door_.CallsOf("message")) texts.push_back(c.text);
        return texts;
    }

    // Runs the event loop until the condition holds; true when it held. False once `stallMs` of
    // real time pass without the condition and, where `progress` is given, without a change of
    // its value: a long run that keeps moving is never cut off, however slow the machine. The
    // limit only ends a test that hangs (a passing test never waits for it), so it is generous:
    // on a loaded machine the loopback transfers and a program's start take seconds.
    bool RunUntil(const std::function<bool()>& done, int stallMs = kHangGuardMs,
                  const std::function<long()>& progress = nullptr) {
        QElapsedTimer clock;
        clock.start();
        long last = progress ? progress() : 0;
        while (!done()) {
            if (progress && progress() != last) {
                last = progress();
                clock.restart();
            }
            if (clock.elapsed() > stallMs) return false;
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        }
        return true;
    }
    static constexpr int kHangGuardMs = 60000;
    static constexpr const char* kProxyVariables[] = {"http_proxy", "https_proxy", "HTTPS_PROXY",
                                                      "all_proxy",  "ALL_PROXY",   "no_proxy",
                                                      "NO_PROXY",   "HTTP_PROXY"};
    static constexpr const char* kCertificateVariables[] = {"CURL_CA_BUNDLE", "SSL_CERT_FILE",
                                                            "SSL_CERT_DIR"};
    // Runs the event loop for the time.
    void RunFor(int ms) {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

}  // namespace vel::testing
