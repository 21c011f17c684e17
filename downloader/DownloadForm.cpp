// The download window's procedures.
#include "DownloadForm.h"

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

DownloadForm::DownloadForm(QObject* parent) : QObject(parent) {
    endProgram = [](int status) { door().EndProcess(status); };
    for (auto& control : controls_) {
        control = std::make_unique<ctlURLDownload>(transport_);
        // The run goes on as soon as an attempt ends, in the handling of the event that ended it:
        // a pass of its own would cost the event loop one more wake-up for every file.
        const ctlURLDownload* c = control.get();
        connect(c, &ctlURLDownload::attemptEnded, this, [this, c] {
            NoteAttemptEnded(*c);
            Pump();
        });
    }
}

DownloadForm::~DownloadForm() = default;

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
    givenUpInARow_ = 0;
    lookedAt_ = 0;
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
        if (phase_ == Phase::Dispatching) {
            AdvanceIndicator(0);
            while (next_ <= count_ && !DownloadBreak && DispatchNext()) ++next_;
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

bool DownloadForm::DispatchNext() {
    const std::string& entry = Entries[static_cast<size_t>(next_ - 1)];
    const ListEntry parts = SplitListEntry(entry);
    // The entry is looked at once; while it waits for a free control, the look stands.
    if (lookedAt_ != next_) {
        // The look for links also tells whether the file is there, so a new file costs one.
        bool present = false;
        if (!IsSafeSaveName(parts.fileName) ||
            SaveNameMeetsLink(SaveFolder, parts.fileName, &present, &lookedMissing_)) {
            WriteActivityLog("Refused file name (empty, absolute or outside the save folder): " +
                             MaskPasswords(entry));
            return true;
        }
        if (!IsFetchableUrl(SplitCredentials(parts.urlPart).url)) {
            WriteActivityLog("Refused URL (only http and https are fetched): " +
                             MaskPasswords(entry));
            return true;
        }
        YieldToEvents();
        // A file the folder's preparation could not delete is an old one: it is downloaded
        // again.
        if (present && !IsUndeletedSaveFile(JoinPath(SaveFolder, parts.fileName))) {
            WriteActivityLog("This URL was downloaded before: " + MaskPasswords(entry));
            YieldToEvents();
            return true;
        }
        lookedAt_ = next_;
    }
    ctlURLDownload* control = FindFreeDownloader();
    if (!control || DownloadBreak) return false;
    control->DownloadIndex = static_cast<std::int16_t>(next_);
    control->DownloadIndexMax = static_cast<std::int16_t>(count_);
    control->DownloadURL = parts.urlPart;
    control->SaveFilePath = JoinPath(SaveFolder, parts.fileName);
    control->SaveFileLookedMissing = lookedMissing_;
    control->PassCount = 0;
    control->PassCountMax = PassCountMax;
    control->SaveOnError = SaveOnError;
    control->ProcessTimeOut = kProcessTimeOut;
    WriteActivityLog("Start downloading URL=" + MaskPasswords(control->DownloadURL));
    control->StartDownload();
    YieldToEvents();
    return true;
}

ctlURLDownload* DownloadForm::FindFreeDownloader() {
    ctlURLDownload* candidate = nullptr;
    for (int n = kControlCount; n >= 1 && !DownloadBreak; --n) {
        ctlURLDownload& c = Control(n);
        const std::int16_t r = c.ProcessResult;
        if (r == 0 || r == 2 || (r == 3 && c.PassCount >= c.PassCountMax))
            candidate = &c;
        else if (r == 3)
            Restart(c);
    }
    return DownloadBreak ? nullptr : candidate;
}

bool DownloadForm::EndDownloading() {
    bool done = true;
    for (int n = kControlCount; n >= 1 && !DownloadBreak; --n) {
        ctlURLDownload& c = Control(n);
        if (c.ProcessResult == 3 && c.PassCount < c.PassCountMax) {
            Restart(c);
            done = false;
        } else if (c.ProcessResult == 1) {
            done = false;
        }
    }
    if (DownloadBreak) return false;
    if (done) {
        AutomationResultText = UndeletedSaveFilesRemain() ? "ERROR" : "OK";
        WriteAutomationResult();
    }
    return done;
}

void DownloadForm::NoteAttemptEnded(const ctlURLDownload& control) {
    if (control.ProcessResult == 2)
        givenUpInARow_ = 0;
    else if (control.ProcessResult == 3 && control.PassCount >= control.PassCountMax)
        ++givenUpInARow_;
}

void DownloadForm::Restart(ctlURLDownload& control) {
    control.PauseBeforeRetry = givenUpInARow_ < kGivenUpForOutage;
    control.StartDownload();
}

void DownloadForm::FinishRun() {
    phase_ = Phase::Idle;
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
