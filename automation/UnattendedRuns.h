// The unattended runs: the autorun run of an .autorun file (download through the downloader
// Tarquel, rebuild of the set's "History.mdb", load, charts, Stock Basket, special swinging,
// market swinging and market timing with their reports), the demonstration on the program
// folder's "History.mdb", and the load-only run of a set. They drive the program through the
// commands of the main window and the chart window, log every step, and leave AutoRunMode at 0
// however they end (SilentMode too, except after a load-only run that succeeded). A step fails
// by its own outcome: an error in it, or one of its commands that returns a failure (also one
// that stopped and reported its own error), ends the run with a failure line in the log.
#pragma once

#include <string>

namespace vel {

// The interval of the downloading timer's look for the result file, and the longest sleep of
// the download wait between looks at the downloader's process.
constexpr int kDownloadTimerMs = 2000;
constexpr int kDownloadWaitSliceMs = 250;
// The longest wait, once the result file is there, for the downloader to end (it writes the
// file again as it quits, within moments).
constexpr int kDownloaderEndWaitMs = 30000;
// How long a downloader that is being ended may take to quit (cancel its transfers, remove their
// temporary files, write its result) before it is killed.
constexpr int kDownloaderStopWaitMs = 10000;

// The run of the .autorun file AutoRunFileName. Returns when the run is over, true when it
// reached its end line "Autorun mode - End."; false after any failure (a failure line is logged
// first) and when it did not start. A run that downloaded logs, after its rebuild, the files of
// its URL list that did not arrive or gave the import no EOD row, and counts them in
// MissingListFiles (0 otherwise); it goes on to its reports all the same. Every calculation it
// asks for writes its report, or the run fails with a line saying why (among them an empty
// Stock Basket and a trading log without rallies, "No trading periods found!"). While it waits for
// the downloader it lets window events run. The download wait ends when the result file exists and
// the downloader has ended, or with "Error in Downloading process!" when the downloader cannot be
// started, ends without writing it, or still runs kDownloaderEndWaitMs after writing it; a
// downloader that still runs when the download step ends (also by an error) is ended, so that it
// never outlives the run that started it. The run holds the lock of the set's data folder
// (FolderHold) from the reading of its command file to its end, whoever starts it and whether or
// not he may write the folder; while another run, an import or a writing command, of this process
// or another, holds it, the run fails at once with "The data folder is in use by another run or
// import!" and touches nothing of the set. A run that neither downloads nor rebuilds goes on
// without the lock only where the folder is missing (its load then fails). Started while another
// run is active or a long command runs, it only beeps.
bool RunAutorunMode();
// The demonstration: loads "History.mdb" of the program folder, shows the last 252 days and
// runs the market timing of every stock with its report. Without that file it only beeps. It
// holds the lock of the program folder, whose RESULTS it empties, and is refused as the autorun
// run is while another holds it.
void RunDemonstrationMode();
// Loads the history of the set AutoRunFileName, shows the charts, sets the day window and
// fills the Stock Basket. Its load empties the set's RESULTS folder: it holds the folder's lock
// as the autorun run does (and is refused the same way), except where the folder is missing.
void RunAutorunLoadHistory();

// Ends the active run, if any, as the program ends: logs "<mode> - Error - <why>", ends the
// downloader the run started (kDownloaderStopWaitMs to quit, then killed) and puts the run's
// flags down. True when a run was active; false, changing nothing, otherwise.
bool StopActiveRun(const std::string& why);

// Writes the downloader's parameters file <base>.dwnparams (the URL list, the save folder, the
// result file and StockSymbolsMax, one a line, written whole) and deletes an old result file
// (the entry itself: a link, also one to nothing, as a link).
// False, after a log line saying why, when the file cannot be written or the old result file
// cannot be deleted.
bool WriteDownloadParamsFile();

}  // namespace vel
