// The download window's procedures.
#include "DownloadForm.h"

#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "ActivityLog.h"
#include "AppState.h"
#include "AutomationFiles.h"
#include "DirectoryListing.h"
#include "Door.h"
#include "DownloadText.h"
#include "DownloaderState.h"
#include "Errors.h"
#include "FilePaths.h"
#include "FolderLock.h"
#include "GenerateURLsForm.h"
#include "Hooks.h"
#include "TextFile.h"
#include "UrlList.h"

namespace vel {

namespace {

std::int64_t g_firstProbePauseMs = DownloadForm::kFirstProbePauseMs;
std::int64_t g_outageBudgetMs = DownloadForm::kOutageBudgetMs;

}  // namespace

void DownloadForm::SetOutageTimings(std::int64_t firstProbePauseMs, std::int64_t budgetMs) {
    g_firstProbePauseMs = std::max<std::int64_t>(firstProbePauseMs, 0);
    g_outageBudgetMs = std::max<std::int64_t>(budgetMs, 0);
}

DownloadForm::DownloadForm(QObject* parent) : QObject(parent) {
    endProgram = [](int status) { door().EndProcess(status); };
    for (auto& control : controls_) {
        control = std::make_unique<ctlURLDownload>(transport_);
        // The run goes on as soon as an attempt ends, in the handling of the event that ended it:
        // a pass of its own would cost the event loop one more wake-up for every file.
        ctlURLDownload* c = control.get();
        connect(c, &ctlURLDownload::attemptEnded, this, [this, c] {
            NoteAttemptEnded(*c);
            Pump();
        });
    }
}

DownloadForm::~DownloadForm() {
    ClearOutages();
}

ctlURLDownload& DownloadForm::Control(int n) {
    return *controls_.at(static_cast<size_t>(n - 1));
}

void DownloadForm::SetView(DownloadFormView* view) {
    view_ = view;
    if (!view_) return;
    view_->ShowStatusText(statusText_);
    view_->ShowIndicator(indicatorText_);
    view_->ShowUrlLists(urlListItems_, urlListText_);
    view_->ShowListChoiceVisible(listChoiceVisible_);
    view_->ShowRunCommandsEnabled(runCommandsEnabled_);
}

void DownloadForm::SetStatus(const std::string& text) {
    statusText_ = text;
    if (view_) view_->ShowStatusText(text);
}

void DownloadForm::SetListChoiceVisible(bool visible) {
    listChoiceVisible_ = visible;
    if (view_) view_->ShowListChoiceVisible(visible);
}

void DownloadForm::SetRunCommandsEnabled(bool enabled) {
    runCommandsEnabled_ = enabled;
    if (view_) view_->ShowRunCommandsEnabled(enabled);
}

void DownloadForm::AdvanceIndicator(int shownOffset) {
    IndicatorCounter = IndicatorCounter + 1 > 1 ? 0 : IndicatorCounter + 1;
    indicatorText_ = std::to_string(IndicatorCounter + shownOffset);
    if (view_) view_->ShowIndicator(indicatorText_);
}

void DownloadForm::Form_Load() {
    RefreshComboBoxURLs();
    DownloadBreak = false;
    SetStatus("To start downloading, select some list of URLs and click on 'DOWNLOAD' button.");
    YieldToEvents();
}

void DownloadForm::RefreshComboBoxURLs() {
    urlListItems_.clear();
    for (const char* ending : {".eodurls", ".htmurls"})
        for (const auto& name :
             ListDirectory(ProgramFolderPath, std::string("*") + ending, EntryKind::Files))
            if (EndsWithNoCase(name, ending)) urlListItems_.push_back(name);
    urlListText_ = urlListItems_.empty() ? std::string() : urlListItems_.front();
    if (view_) view_->ShowUrlLists(urlListItems_, urlListText_);
    YieldToEvents();
}

void DownloadForm::GetURLListPath() {
    URLListPath = urlListItems_.empty() ? std::string() : JoinPath(ProgramFolderPath, urlListText_);
    if (!IsFilePresent(URLListPath)) URLListPath.clear();
    YieldToEvents();
}

void DownloadForm::StartDownloading() {
    DownloadBreak = false;
    if (AutomationMode == 0)
        GetURLListPath();
    else
        URLListPath = AutomationListPath;
    URLListName = URLListPath.empty() ? std::string() : FindFirst(URLListPath, EntryKind::Files);
    if (URLListName.empty()) {
        if (AutomationMode == 0)
            door().MessageBox("Problems with list of URLs! No downloading!", "Tarquel",
                              MsgButtons::OK);
        else
            mnuQuitDownloading_Click();
        return;
    }
    GetSaveFolder(URLListPath);
    if (AutomationMode != 0 && !AutomationSaveFolder.empty()) SaveFolder = AutomationSaveFolder;
    // A run empties and fills its save folder, which may be a data folder of Vellicor's sets: it
    // holds that folder's lock as every writer of one does, from the folder's preparation to the
    // end of the run. An automatic run that a Vellicor run started works under that run's lock,
    // which it was handed; one that no run started (a second scheduled job) takes it itself.
    if (!HoldSaveFolder()) return;
    if (!PrepareSaveFolder()) {
        saveFolderLock_.reset();
        if (AutomationMode == 0)
            door().MessageBox("Problems with save folder! No downloading!", "Tarquel",
                              MsgButtons::OK);
        else
            mnuQuitDownloading_Click();
        return;
    }
    LoadAndSaveByURLlist(URLListPath, SaveFolder);
}

bool DownloadForm::HoldSaveFolder() {
    // A folder that the preparation refuses is neither made nor locked here: the preparation says
    // why. A missing one is made first and then locked, so that no run works in it unlocked.
    if (SaveFolder.empty() ||
        !IsSafeSaveFolder(SaveFolder, URLListPath, AutomationMode != 0 ? CommandLineText : ""))
        return true;
    std::error_code ec;
    std::filesystem::create_directories(SaveFolder, ec);
    if (!std::filesystem::is_directory(SaveFolder, ec)) return true;
    auto lock = std::make_unique<FolderLock>(SaveFolder, std::exchange(handedLock_, -1));
    if (lock->held()) {
        saveFolderLock_ = std::move(lock);
        return true;
    }
    const bool inUse = lock->inUse();
    // Another holder's lock is no failure of the system: its reason says nothing.
    WriteActivityLog(inUse ? "Save folder in use by another run or import: " + SaveFolder
                           : "Save folder cannot be locked: " + SaveFolder + " (" + lock->error() +
                                 ")");
    door().MessageBox(inUse ? "The save folder is in use by another run or import! No "
                              "downloading!\r\n" +
                                  SaveFolder
                            : std::string("Problems with save folder! No downloading!"),
                      "Tarquel", MsgButtons::OK);
    if (AutomationMode != 0) {
        // The result file is the holding run's, which reads it: nothing of this one is written.
        AutomationResultPath.clear();
        Form_Unload();
        endProgram(1);
    }
    return false;
}

void DownloadForm::LoadAndSaveByURLlist(const std::string& listPath,
                                        const std::string& saveFolder) {
    SetStatus(" Reading and parsing URL list. Wait, please ...");
    YieldToEvents();
    ReadUrlList(listPath, Entries);
    SetStatus(AutomationMode == 0
                  ? " Downloading, started with an manual command. Wait, please ..."
                  : " Downloading, started with an automatic command. Wait, please ...");
    YieldToEvents();
    if (!Entries.empty()) {
        try {
            WriteTextLines(JoinPath(saveFolder, URLListName), FolderNoteLines(listPath));
        } catch (const FileError& e) {
            WriteActivityLog(e.what());
        }
    }
    count_ = static_cast<int>(Entries.size());
    if (AutomationMode != 0) count_ = ListEntriesTaken(count_, AutomationMaxURLCount);
    SaveFolder = saveFolder;
    DownloadBreak = false;
    next_ = 1;
    lookedAt_ = 0;
    ++runs_;
    ClearOutages();
    folder_.name = "the save folder " + saveFolder;
    entryHosts_.assign(static_cast<size_t>(std::max(count_, 0)), std::string());
    if (count_ <= 0) {
        count_ = 0;
        FinishRun();
        return;
    }
    phase_ = Phase::Dispatching;
    Pump();
}

void DownloadForm::Pump() {
    // A yield inside the pump may deliver the event of another control, and an attempt may end
    // inside it: that is taken up by the pass that runs, never by a second pass inside the first.
    if (inPump_) {
        pumpAgain_ = true;
        return;
    }
    inPump_ = true;
    do {
        pumpAgain_ = false;
        if (phase_ == Phase::Dispatching) AdvanceIndicator(0);
        if (phase_ != Phase::Idle && !DownloadBreak) {
            DispatchProbes();
            DispatchAgain();
        }
        if (phase_ == Phase::Dispatching && again_.empty()) {
            while (next_ <= count_ && !DownloadBreak && DispatchEntry(next_, true)) ++next_;
            if (next_ > count_ && !DownloadBreak) phase_ = Phase::Waiting;
        }
        if (phase_ == Phase::Waiting && !DownloadBreak) {
            AdvanceIndicator(2);
            if (EndDownloading()) {
                inPump_ = false;
                FinishRun();
                return;
            }
        }
    } while (pumpAgain_ && phase_ != Phase::Idle);
    inPump_ = false;
}

bool DownloadForm::DispatchEntry(int index, bool fresh) {
    const std::string& entry = Entries[static_cast<size_t>(index - 1)];
    const ListEntry parts = SplitListEntry(entry);
    // The entry is looked at once; while it waits for a free control, the look stands.
    if (fresh && lookedAt_ != index) {
        // The look for links also tells whether the file is there, so a new file costs one.
        bool present = false;
        if (!IsSafeSaveName(parts.fileName) ||
            SaveNameMeetsLink(SaveFolder, parts.fileName, &present, &lookedMissing_)) {
            WriteActivityLog("Refused file name (empty, absolute or outside the save folder): " +
                             MaskPasswords(entry));
            return true;
        }
        const std::string url = SplitCredentials(parts.urlPart).url;
        if (!IsFetchableUrl(url)) {
            WriteActivityLog("Refused URL (only http and https are fetched): " +
                             MaskPasswords(entry));
            return true;
        }
        entryHosts_[static_cast<size_t>(index - 1)] =
            OriginOf(QUrl(QString::fromStdString(url), QUrl::TolerantMode));
        YieldToEvents();
        // A file the folder's preparation could not delete is an old one: it is downloaded
        // again.
        if (present && !IsUndeletedSaveFile(JoinPath(SaveFolder, parts.fileName))) {
            WriteActivityLog("This URL was downloaded before: " + MaskPasswords(entry));
            YieldToEvents();
            return true;
        }
        lookedAt_ = index;
    }
    HostState& host = HostOf(index);
    if (folder_.spent || host.spent) {
        GiveUpInOutage(folder_.spent ? folder_ : host, index);
        return true;
    }
    if (HostState* outage = OutageOf(host)) {
        Hold(*outage, index);
        return true;
    }
    ctlURLDownload* control = FindFreeDownloader();
    if (!control || DownloadBreak) return false;
    StartEntry(*control, index, parts, fresh && lookedMissing_);
    return true;
}

void DownloadForm::StartEntry(ctlURLDownload& control, int index, const ListEntry& parts,
                              bool lookedMissing) {
    control.DownloadIndex = static_cast<std::int16_t>(index);
    control.DownloadIndexMax = static_cast<std::int16_t>(count_);
    control.DownloadURL = parts.urlPart;
    control.SaveFilePath = JoinPath(SaveFolder, parts.fileName);
    control.SaveFileLookedMissing = lookedMissing;
    control.PassCount = 0;
    control.PassCountMax = PassCountMax;
    control.SaveOnError = SaveOnError;
    control.ProcessTimeOut = kProcessTimeOut;
    WriteActivityLog("Start downloading URL=" + MaskPasswords(control.DownloadURL));
    control.StartDownload();
    YieldToEvents();
}

void DownloadForm::DispatchAgain() {
    // The entry is taken off the queue before its dispatch, which yields: an outage that ends
    // meanwhile merges its entries into the queue, and a break empties it.
    const unsigned run = runs_;
    while (!again_.empty() && !DownloadBreak) {
        const int entry = again_.front();
        again_.pop_front();
        if (!DispatchEntry(entry, false)) {
            if (!DownloadBreak && runs_ == run) again_.push_front(entry);
            return;
        }
        if (runs_ != run) return;
    }
}

DownloadForm::HostState* DownloadForm::DueProbe() {
    const auto due = [](const HostState& state) {
        return state.out && state.probeDue && state.probe == 0 && !state.held.empty();
    };
    if (folder_.spent) return nullptr;
    // While the save folder is out, its probe is the only attempt of the run.
    if (folder_.out) return due(folder_) ? &folder_ : nullptr;
    for (auto& [origin, host] : hosts_)
        if (due(host)) return &host;
    return nullptr;
}

void DownloadForm::DispatchProbes() {
    // The look for a free control and the start of an attempt yield: the state is looked up
    // again after each, and a run that ended meanwhile (a break, a quit) sends nothing more.
    const unsigned run = runs_;
    while (DueProbe() != nullptr) {
        ctlURLDownload* control = FindFreeDownloader();
        HostState* state = DueProbe();
        if (!control || !state || DownloadBreak || runs_ != run) return;
        const int entry = state->held.front();
        state->held.erase(state->held.begin());
        state->probeDue = false;
        state->probe = entry;
        StartEntry(*control, entry, SplitListEntry(Entries[static_cast<size_t>(entry - 1)]), false);
        if (DownloadBreak || runs_ != run) return;
    }
}

DownloadForm::HostState& DownloadForm::HostOf(int entry) {
    const std::string& origin = entryHosts_.at(static_cast<size_t>(entry - 1));
    HostState& host = hosts_[origin];
    if (host.name.empty()) host.name = origin;
    return host;
}

DownloadForm::HostState* DownloadForm::OutageOf(HostState& host) {
    if (folder_.out) return &folder_;
    return host.out ? &host : nullptr;
}

void DownloadForm::NoteAttemptEnded(ctlURLDownload& control) {
    const int entry = control.DownloadIndex;
    // Only the attempts of the run's entries count (not a control driven by itself).
    if (phase_ == Phase::Idle || entry < 1 || entry > count_ ||
        (control.ProcessResult != 2 && control.ProcessResult != 3))
        return;
    HostState& host = HostOf(entry);
    std::vector<HostState*> probed;
    for (HostState* state : {&folder_, &host})
        if (state->probe == entry) {
            state->probe = 0;
            probed.push_back(state);
        }
    if (control.ProcessResult == 2) {
        NoteSaved(folder_);
        NoteSaved(host);
        return;
    }
    // A probe that failed: the next one is due after its pause (the entry waits again, behind
    // the others, so that a URL of its own trouble does not stand for its host).
    const AttemptFailure failure = control.LastFailure;
    if (failure == AttemptFailure::Saving) NoteFailed(folder_, entry);
    if (IsHostFailure(failure)) NoteFailed(host, entry);
    for (HostState* state : probed) ProbeFailed(*state);
    if (folder_.spent || host.spent) {
        // The budget ran out while this attempt was under way: no further attempt.
        control.Release();
        GiveUpInOutage(folder_.spent ? folder_ : host, entry);
        return;
    }
    if (HostState* outage = OutageOf(host)) {
        control.Release();
        Hold(*outage, entry);
        return;
    }
    if (control.PassCount < control.PassCountMax) return;
    // Given up: should the failures turn out to be an outage, it goes again at its end.
    if (failure == AttemptFailure::Saving) folder_.givenUp.push_back(entry);
    if (IsHostFailure(failure)) host.givenUp.push_back(entry);
}

void DownloadForm::NoteFailed(HostState& state, int entry) {
    if (state.spent) return;
    if (++state.failedInARow == 1)
        state.firstFailed = entry;
    else if (entry != state.firstFailed)
        state.severalUrls = true;
    if (!state.out && state.failedInARow >= kFailedInARowForOutage && state.severalUrls)
        BeginOutage(state);
}

void DownloadForm::NoteSaved(HostState& state) {
    if (state.out) EndOutage(state);
    state.failedInARow = 0;
    state.severalUrls = false;
    state.givenUp.clear();
}

void DownloadForm::BeginOutage(HostState& state) {
    state.out = true;
    state.since = door().MonotonicMs();
    state.probePauseMs = g_firstProbePauseMs;
    WriteActivityLog("Outage of " + state.name + " after " + std::to_string(state.failedInARow) +
                     (&state == &folder_ ? " files in a row that could not be saved"
                                         : " failed attempts in a row") +
                     ": its URLs wait while one of them is tried at growing intervals.");
    for (const int entry : state.givenUp) Hold(state, entry);
    state.givenUp.clear();
    // The URLs that wait on a pause before their next attempt wait for the outage instead.
    for (auto& control : controls_) {
        const int entry = control->DownloadIndex;
        if (!control->IsPausing() || entry < 1 || entry > count_) continue;
        if (&state != &folder_ && &HostOf(entry) != &state) continue;
        control->Release();
        Hold(state, entry);
    }
    ScheduleProbe(state);
}

void DownloadForm::EndOutage(HostState& state) {
    state.out = false;
    // A probe still under way is an attempt like the others now.
    state.probe = 0;
    // An outage that its first probe ends costs the budget nothing: a server that sheds load
    // (429, 503 to more than so many requests at once) answers it at once, and would otherwise
    // spend the budget a second at a time and lose the rest of a long list. Its time beyond the
    // first pause counts.
    state.spentMs +=
        std::max<std::int64_t>(door().MonotonicMs() - state.since - g_firstProbePauseMs, 0);
    StopProbe(state);
    state.probeDue = false;
    std::vector<int> held;
    held.swap(state.held);
    std::sort(held.begin(), held.end());
    WriteActivityLog("Outage of " + state.name + " ended: " + std::to_string(held.size()) +
                     " waiting URLs go again.");
    std::deque<int> merged;
    std::merge(again_.begin(), again_.end(), held.begin(), held.end(), std::back_inserter(merged));
    again_.swap(merged);
}

void DownloadForm::ScheduleProbe(HostState& state) {
    const std::int64_t left =
        g_outageBudgetMs - state.spentMs - (door().MonotonicMs() - state.since);
    const std::int64_t pause = std::clamp<std::int64_t>(left, 0, state.probePauseMs);
    state.probePauseMs = std::min(state.probePauseMs * 2, kMaxProbePauseMs);
    HostState* const probed = &state;
    state.probeTimer = door().StartTimer(pause, [this, probed] {
        probed->probeTimer = 0;
        probed->probeDue = true;
        Pump();
    });
}

void DownloadForm::ProbeFailed(HostState& state) {
    if (!state.out) return;
    if (state.spentMs + door().MonotonicMs() - state.since >= g_outageBudgetMs)
        SpendBudget(state);
    else
        ScheduleProbe(state);
}

void DownloadForm::SpendBudget(HostState& state) {
    state.out = false;
    state.spent = true;
    state.spentMs += door().MonotonicMs() - state.since;
    StopProbe(state);
    WriteActivityLog("Outage of " + state.name + " lasted its budget of " +
                     std::to_string(g_outageBudgetMs / 1000) +
                     " s: its remaining URLs are given up.");
    std::vector<int> held;
    held.swap(state.held);
    // The save folder's outage holds every URL of the run: nothing more can be saved, and the
    // hosts' outages end with it.
    if (&state == &folder_) {
        for (auto& [origin, host] : hosts_) {
            held.insert(held.end(), host.held.begin(), host.held.end());
            host.held.clear();
            host.out = false;
            StopProbe(host);
        }
        held.insert(held.end(), again_.begin(), again_.end());
        again_.clear();
    }
    std::sort(held.begin(), held.end());
    for (const int entry : held) GiveUpInOutage(state, entry);
}

void DownloadForm::GiveUpInOutage(const HostState& state, int entry) {
    WriteActivityLog(
        "Given up in the outage of " + state.name +
        " URL=" + MaskPasswords(SplitListEntry(Entries[static_cast<size_t>(entry - 1)]).urlPart));
}

void DownloadForm::Hold(HostState& state, int entry) {
    state.held.push_back(entry);
}

bool DownloadForm::OutageWaits() const {
    if (!again_.empty() || !folder_.held.empty()) return true;
    return std::any_of(hosts_.begin(), hosts_.end(),
                       [](const auto& h) { return !h.second.held.empty(); });
}

void DownloadForm::StopProbe(HostState& state) {
    // The form may outlive the door at the very end of the program.
    if (Door* d = InstalledDoor(); d && state.probeTimer != 0) d->CancelTimer(state.probeTimer);
    state.probeTimer = 0;
}

void DownloadForm::ClearOutages() {
    StopProbe(folder_);
    for (auto& [origin, host] : hosts_) StopProbe(host);
    hosts_.clear();
    folder_ = HostState{};
    again_.clear();
}

ctlURLDownload* DownloadForm::FindFreeDownloader() {
    ctlURLDownload* candidate = nullptr;
    for (int n = kControlCount; n >= 1 && !DownloadBreak; --n) {
        ctlURLDownload& c = Control(n);
        const std::int16_t r = c.ProcessResult;
        if (r == 0 || r == 2 || (r == 3 && c.PassCount >= c.PassCountMax))
            candidate = &c;
        else if (r == 3)
            c.StartDownload();
    }
    return DownloadBreak ? nullptr : candidate;
}

bool DownloadForm::EndDownloading() {
    bool done = true;
    for (int n = kControlCount; n >= 1 && !DownloadBreak; --n) {
        ctlURLDownload& c = Control(n);
        if (c.ProcessResult == 3 && c.PassCount < c.PassCountMax) {
            c.StartDownload();
            done = false;
        } else if (c.ProcessResult == 1) {
            done = false;
        }
    }
    if (DownloadBreak) return false;
    if (done && OutageWaits()) done = false;
    if (done) {
        AutomationResultText = UndeletedSaveFilesRemain() ? "ERROR" : "OK";
        WriteAutomationResult();
    }
    return done;
}

void DownloadForm::FinishRun() {
    phase_ = Phase::Idle;
    ClearOutages();
    saveFolderLock_.reset();
    if (count_ == 0) {
        SetStatus(" No valid URLs found! End of downloading!");
        door().Beep();
        YieldToEvents();
    } else if (!DownloadBreak) {
        SetStatus(" End of downloading!");
        YieldToEvents();
        door().Beep();
        YieldToEvents();
    }
    emit runEnded();
    if (AutomationMode != 0) {
        WriteAutomationResult();
        mnuQuitDownloading_Click();
    }
}

void DownloadForm::BreakDownloading() {
    for (auto& control : controls_) {
        control->CancelDownload();
        YieldToEvents();
    }
}

void DownloadForm::mnuStartDownloading_Click() {
    // A second run while one is active is ignored.
    if (IsRunning()) {
        door().Beep();
        return;
    }
    StartDownloading();
}

void DownloadForm::mnuBreakDownloading_Click() {
    DownloadBreak = true;
    SetStatus("Break of downloading.");
    YieldToEvents();
    BreakDownloading();
    WriteAutomationResult();
    if (IsRunning()) FinishRun();
}

void DownloadForm::mnuQuitDownloading_Click() {
    if (quitting_) return;
    quitting_ = true;
    DownloadBreak = true;
    SetStatus("Program exit.");
    YieldToEvents();
    BreakDownloading();
    WriteAutomationResult();
    const bool wasRunning = IsRunning();
    phase_ = Phase::Idle;
    ClearOutages();
    saveFolderLock_.reset();
    if (wasRunning) emit runEnded();
    Form_Unload();
    endProgram(0);
}

void DownloadForm::mnuEditListOfURLs_Click() {
    GetURLListPath();
    if (!URLListPath.empty()) door().OpenInTextEditor(URLListPath);
}

void DownloadForm::mnuGeneratingURLs_Click() {
    GenerateURLsForm generator([this] { RefreshComboBoxURLs(); });
    generator.Form_Load();
    door().ShowForm(generator);
    YieldToEvents();
}

void DownloadForm::Toolbar_ButtonClick(const std::string& key) {
    if (key == "urls")
        mnuEditListOfURLs_Click();
    else if (key == "download")
        mnuStartDownloading_Click();
    else if (key == "generate")
        mnuGeneratingURLs_Click();
    else if (key == "break")
        mnuBreakDownloading_Click();
    else if (key == "quit")
        mnuQuitDownloading_Click();
    else
        door().MessageBox("Unxpected Downloader nemu activity - error!", "", MsgButtons::OK);
}

void DownloadForm::Form_Resize(int width, int height, bool minimized, int controlLeft) {
    if (minimized || width <= kMinimumWindowSize || height <= kMinimumWindowSize) return;
    const int controlWidth = std::max(width - 2 * controlLeft, kMinimumControlWidth);
    for (auto& control : controls_) control->ResizeControlWidth(controlWidth);
    YieldToEvents();
}

void DownloadForm::Form_Unload() {
    if (unloaded_) return;
    unloaded_ = true;
    WriteAutomationResult();
    WriteActivityLog("Exiting Tarquel.");
}

}  // namespace vel
