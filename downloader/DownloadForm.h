// The download window's procedures without its widgets: the list of URL lists, the download
// run (list, save folder, note file, dispatch over the five download controls, retries, the
// final wait, break and quit) and the window's state (status text, indicator, list choice,
// commands). The run is event driven: it dispatches what it can, returns to the event loop,
// and goes on when a control's attempt ends. The window installs itself as the view.
#pragma once

#include <QObject>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CurlTransport.h"
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
    // URLs given up one after another, with no file saved in between, after which the run
    // restarts failed attempts without their pauses, until a file is saved again. Three: one
    // URL given up may be that URL's own fault (a host name that is gone, a path that always
    // breaks), and every URL is given up only after all its pauses (15 s for an EOD list), so
    // three in a row mean that the server or the save folder has failed for at least that long,
    // and the five controls, which an outage fails side by side, tell it in their first round.
    // A blink of the server costs some pauses and gives nothing up.
    static constexpr int kGivenUpForOutage = 3;

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
    // control runs any more, and then (without a break) the result becomes "OK" and is written.
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
    // Dispatches entries to free controls and runs the final wait, as far as it can go now
    // (nothing when no run is under way).
    void Pump();
    // Dispatches entry next_; false when it has to wait for a free control. The entry's file
    // is looked for once, when the entry comes up.
    bool DispatchNext();
    // The end of a run: the closing status text and beep, and in automatic mode the quit.
    void FinishRun();
    // Makes the save folder when it is missing and takes its lock, through the handed lock when
    // that is the folder's; true also when there is no folder to lock because the preparation
    // refuses it. False, after the log line and the message, when another run, import or command
    // holds it or it cannot be taken; an automatic run then ends with status 1 without writing
    // its result file.
    bool HoldSaveFolder();
    // Counts the URLs given up in a row (a saved file starts the count again).
    void NoteAttemptEnded(const ctlURLDownload& control);
    // Starts the next attempt of a failed control: after its pause, unless the run meets an
    // outage (kGivenUpForOutage).
    void Restart(ctlURLDownload& control);

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
    int givenUpInARow_ = 0;  // URLs of this run given up since its last saved file
    bool inPump_ = false;
    bool pumpAgain_ = false;
    bool quitting_ = false;
    bool unloaded_ = false;
    std::unique_ptr<FolderLock> saveFolderLock_;  // held by a run, from its preparation
    int handedLock_ = -1;                         // a handed lock no run has taken yet
};

}  // namespace vel
