// The download window's procedures without its widgets: the list of URL lists, the download
// run (list, save folder, note file, dispatch over the five download controls, retries, the
// final wait, break and quit) and the window's state (status text, indicator, list choice,
// commands). The run is event driven: it dispatches what it can, returns to the event loop,
// and goes on when a control's attempt ends. The window installs itself as the view.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CurlTransport.h"
#include "Door.h"
#include "UrlListFile.h"
#include "ctlURLDownload.h"

namespace vel {

class FolderLock;

// What shows the download window's state; every call comes on the user-interface thread.
class DownloadFormView {
public:
    virtual ~DownloadFormView() = default;
    virtual void ShowStatusText(const std::string& text) = 0;
    // The indicator changes with every pass of the scheduler: the view may show it later.
    virtual void ShowIndicator(const std::string& text) = 0;
    // Replaces the items of the list box and shows the text (the selected item, or "").
    virtual void ShowUrlLists(const std::vector<std::string>& items, const std::string& text) = 0;
    virtual void ShowListChoiceVisible(bool visible) = 0;
    // The toolbar buttons "urls", "download", "generate" and "break".
    virtual void ShowRunCommandsEnabled(bool enabled) = 0;
};

class DownloadForm : public QObject {
    Q_OBJECT

public:
    static constexpr int kControlCount = 5;
    // The deadline the run gives every attempt, in seconds.
    static constexpr std::int16_t kProcessTimeOut = 60;
    // An outage is a host's state, not a URL's: once kFailedInARowForOutage attempts in a row
    // to one host (scheme, name and port) have failed in a way that tells of the host (at the
    // connection, by the deadline with nothing received, or with 429, 502, 503 or 504), of more
    // than one URL and with nothing saved from the host between them, its URLs wait: no attempt
    // goes to it but one probe, after a pause of kFirstProbePauseMs that doubles up to
    // kMaxProbePauseMs, the last one when its budget ends. A probe (or any attempt still under
    // way) that saves its file ends the outage, and the URLs that waited, or were given up since
    // the failures began, go again with all their attempts. The outages of a host in one run
    // have kOutageBudgetMs together: once it is spent with no file saved, the host's remaining
    // URLs are given up without attempts, each logged. Files that cannot be saved, as many in a
    // row, are an outage of the save folder (full, read-only), which holds every URL under the
    // same rule. So an outage shorter than the budget costs no file, and a host or a save folder
    // that is down costs the run about its budget however long the list, where each URL would
    // pay its pauses. Five controls meet an outage side by side, so their first round tells it;
    // a single URL that fails is its own trouble and only pays its pauses.
    static constexpr int kFailedInARowForOutage = 3;
    static constexpr std::int64_t kFirstProbePauseMs = 1000;
    static constexpr std::int64_t kMaxProbePauseMs = 8000;
    static constexpr std::int64_t kOutageBudgetMs = 60000;
    // The first probe pause and the budget of the runs from now on (tests shorten them).
    static void SetOutageTimings(std::int64_t firstProbePauseMs, std::int64_t budgetMs);

    explicit DownloadForm(QObject* parent = nullptr);
    ~DownloadForm() override;

    // Control n, 1 to 5 (ctlURLDownload1 .. ctlURLDownload5).
    ctlURLDownload& Control(int n);
    CurlTransport& Transport() { return transport_; }

    // ---- the window's state --------------------------------------------------------------
    const std::string& StatusText() const { return statusText_; }
    const std::string& IndicatorText() const { return indicatorText_; }
    const std::vector<std::string>& UrlListItems() const { return urlListItems_; }
    const std::string& UrlListText() const { return urlListText_; }
    // The list box's text as the user chose or typed it.
    void SetUrlListText(const std::string& text) { urlListText_ = text; }
    bool ListChoiceVisible() const { return listChoiceVisible_; }
    void SetListChoiceVisible(bool visible);
    bool RunCommandsEnabled() const { return runCommandsEnabled_; }
    void SetRunCommandsEnabled(bool enabled);
    std::int16_t IndicatorCounter = 0;
    // The valid lines of the current run's list.
    std::vector<std::string> Entries;
    // True from the start of a run's dispatch to its end, break or quit.
    bool IsRunning() const { return phase_ != Phase::Idle; }

    // Ends the process; the program leaves it at the door's end, tests record it.
    std::function<void(int status)> endProgram;
    // The descriptor of the lock that the program that started this one handed it
    // (TakeHandedLock), or -1: the next run works under it when it is its save folder's lock.
    void SetHandedLock(int descriptor) { handedLock_ = descriptor; }

    // ---- procedures ------------------------------------------------------------------------
    void Form_Load();
    // Refills the list box with the program folder's ".eodurls" and then ".htmurls" files.
    void RefreshComboBoxURLs();
    // URLListPath = the program folder & the list box text, or "" when there is no such file.
    void GetURLListPath();
    // One download run: the list, its save folder, the folder's preparation, the dispatch.
    void StartDownloading();
    void LoadAndSaveByURLlist(const std::string& listPath, const std::string& saveFolder);
    // One pass over the controls 5 to 1: restarts each failed one with attempts left and
    // returns the lowest-numbered free one (idle, saved, or failed for good), or nullptr.
    ctlURLDownload* FindFreeDownloader();
    // One pass of the final wait: restarts failed controls with attempts left; true when no
    // control runs any more and no URL waits for the end of an outage, and then (without a
    // break) the result becomes "OK" and is written.
    bool EndDownloading();
    // Cancels the five controls.
    void BreakDownloading();
    void mnuStartDownloading_Click();
    void mnuBreakDownloading_Click();
    // Breaks, writes the result, unloads the window and ends the program. Also the window's
    // close command and SIGTERM.
    void mnuQuitDownloading_Click();
    void mnuEditListOfURLs_Click();
    // Shows the URL list generator modally (through the door, so not while no window may
    // block); a generation refreshes the list box.
    void mnuGeneratingURLs_Click();
    void Toolbar_ButtonClick(const std::string& key);
    // Gives each control the window's width less twice the controls' left edge (at least the
    // control minimum), unless the window is minimized or not larger than the minimum size.
    void Form_Resize(int width, int height, bool minimized, int controlLeft);
    // Writes the result file and logs "Exiting Tarquel." (once).
    void Form_Unload();

    void SetView(DownloadFormView* view);

    static constexpr int kMinimumWindowSize = 200;
    static constexpr int kMinimumControlWidth = 67;

signals:
    // A run ended (all transfers waited out, a break, or nothing to download).
    void runEnded();

private:
    enum class Phase { Idle, Dispatching, Waiting };

    void SetStatus(const std::string& text);
    void AdvanceIndicator(int shownOffset);
    // The state of a host, or of the save folder, in the current run (see
    // kFailedInARowForOutage).
    struct HostState {
        std::string name;          // as the log names it: the origin, or "the save folder ..."
        int failedInARow = 0;      // failed attempts that tell of it, since its last saved file
        int firstFailed = 0;       // the entry of the first of them
        bool severalUrls = false;  // they came from more than one entry
        std::vector<int> givenUp;  // entries given up by such failures since then
        bool out = false;          // in an outage
        bool spent = false;        // its budget is spent: its URLs are given up
        std::int64_t since = 0;    // when the outage began (the door's monotonic clock)
        std::int64_t spentMs = 0;  // the budget that its ended outages used
        std::int64_t probePauseMs = 0;
        TimerId probeTimer = 0;
        bool probeDue = false;
        int probe = 0;          // the entry sent as the probe, 0 when none is under way
        std::vector<int> held;  // the entries that wait for the end of the outage
    };

    // Dispatches entries to free controls (the probes of outages first, then the entries that
    // go again after an outage, then the list) and runs the final wait, as far as it can go now
    // (nothing when no run is under way).
    void Pump();
    // Dispatches the entry; false when it has to wait for a free control. A `fresh` entry (the
    // list's next) is looked at once when it comes up: its name and address, and its file. An
    // entry whose host or save folder is out waits for the outage's end; one whose budget is
    // spent is given up.
    bool DispatchEntry(int entry, bool fresh);
    // Hands the entry to the control and starts its first attempt.
    void StartEntry(ctlURLDownload& control, int entry, const ListEntry& parts, bool lookedMissing);
    // Sends the probes that are due, as far as controls are free.
    void DispatchProbes();
    // Dispatches the entries that go again after an outage, as far as controls are free.
    void DispatchAgain();
    // The state whose probe is due now, or nullptr.
    HostState* DueProbe();
    // The state of the entry's host (known once the entry was looked at).
    HostState& HostOf(int entry);
    // The outage that holds the entry now (the save folder's first), or nullptr.
    HostState* OutageOf(HostState& host);
    // A failed attempt of the entry that tells of the state; may begin its outage.
    void NoteFailed(HostState& state, int entry);
    // A file of the state was saved: its count starts again and its outage ends.
    void NoteSaved(HostState& state);
    void BeginOutage(HostState& state);
    void EndOutage(HostState& state);
    void ScheduleProbe(HostState& state);
    // Stops the timer of the state's next probe.
    void StopProbe(HostState& state);
    // A probe has failed: the next one, or the end of the budget.
    void ProbeFailed(HostState& state);
    // Gives up the entries that wait, each logged, and every later entry of the state.
    void SpendBudget(HostState& state);
    void GiveUpInOutage(const HostState& state, int entry);
    // The entry waits for the end of the state's outage.
    void Hold(HostState& state, int entry);
    // Whether an entry waits for an outage, or goes again after one.
    bool OutageWaits() const;
    // Stops the probes' timers and forgets the hosts.
    void ClearOutages();
    // The end of a run: the closing status text and beep, and in automatic mode the quit.
    void FinishRun();
    // Makes the save folder when it is missing and takes its lock, through the handed lock when
    // that is the folder's; true also when there is no folder to lock because the preparation
    // refuses it. False, after the log line and the message, when another run, import or command
    // holds it or it cannot be taken; an automatic run then ends with status 1 without writing
    // its result file.
    bool HoldSaveFolder();
    // Takes the outcome of an attempt of the run: counts it for its host and the save folder,
    // and takes the entry back (the control idle) while an outage holds it.
    void NoteAttemptEnded(ctlURLDownload& control);

    CurlTransport transport_;
    std::array<std::unique_ptr<ctlURLDownload>, kControlCount> controls_;
    DownloadFormView* view_ = nullptr;
    std::string statusText_;
    std::string indicatorText_;
    std::vector<std::string> urlListItems_;
    std::string urlListText_;
    bool listChoiceVisible_ = true;
    bool runCommandsEnabled_ = true;
    Phase phase_ = Phase::Idle;
    int next_ = 0;
    int lookedAt_ = 0;            // the entry whose file was looked for, waiting for a control
    bool lookedMissing_ = false;  // that look found nothing under its name
    int count_ = 0;
    std::map<std::string, HostState> hosts_;  // by origin
    HostState folder_;                        // the save folder's
    std::vector<std::string> entryHosts_;     // the origin of each entry, "" until looked at
    std::deque<int> again_;                   // entries that go again, in list order
    unsigned runs_ = 0;                       // counts the runs begun
    bool inPump_ = false;
    bool pumpAgain_ = false;
    bool quitting_ = false;
    bool unloaded_ = false;
    std::unique_ptr<FolderLock> saveFolderLock_;  // held by a run, from its preparation
    int handedLock_ = -1;                         // a handed lock no run has taken yet
};

}  // namespace vel
