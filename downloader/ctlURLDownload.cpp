// The download control.
#include "ctlURLDownload.h"

#include <QAbstractEventDispatcher>
#include <QMetaObject>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "ActivityLog.h"
#include "AsciiText.h"
#include "Hooks.h"
#include "NumberText.h"
#include "SystemErrorText.h"
#include "UnfinishedFiles.h"
#include "UrlList.h"
#include "WholeFile.h"

namespace vel {

namespace {

const char* const kStateCaptions[] = {"Standstill",   "Looking IP",   "Found IP",    "Conecting",
                                      "Connected",    "Request->",    "Request OK",  "Response <-",
                                      "Response OK",  "Disconecting", "Disconected", "Comm. error",
                                      "Saving buffer"};

QUrl ParsedUrl(const std::string& address) {
    return QUrl(QString::fromStdString(address), QUrl::TolerantMode);
}

std::int64_t g_firstRetryPauseMs = ctlURLDownload::kFirstRetryPauseMs;

// The one thread that writes the controls' files, in the order they were handed over (beside the
// event loop, which is a run's one busy thread over a fast connection), and hands each outcome
// back to the event loop (a wake-up of the loop per file would cost the loop what the thread
// saves it): outcomes that come together go back in one pass, and those that come while the loop
// looks (from BeginLook to EndLook, around a handling that takes it only a moment) go back at the
// look's end, without a wake-up. An event loop run inside a look (a yield, a dialog) may wait for
// an outcome, so it ends the looks under way. Without work the thread sleeps until a file is
// handed over: no thread waits busily. It lives until the end of the program (which ends by
// _Exit; a normal end lets it finish its work).
class FileWriter {
public:
    FileWriter() : receiver_(std::make_unique<QObject>()) {
        if (QAbstractEventDispatcher* loop = QAbstractEventDispatcher::instance()) {
            QObject::connect(loop, &QAbstractEventDispatcher::awake, receiver_.get(),
                             [this] { LoopRuns(); });
            QObject::connect(loop, &QAbstractEventDispatcher::aboutToBlock, receiver_.get(),
                             [this] { LoopRuns(); });
            canLook_ = true;
        }
    }
    ~FileWriter() {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            stop_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable()) thread_.join();
    }
    // From the event loop's thread: `work` runs on the writer, then `done` with its outcome
    // back on the event loop.
    void Run(std::function<bool()> work, std::function<void(bool, int)> done) {
        bool idle = false;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (!thread_.joinable()) thread_ = std::thread([this] { Loop(); });
            work_.push_back({std::move(work), std::move(done)});
            idle = idle_;
        }
        if (idle) wake_.notify_one();
    }
    // A look of the event loop's thread begins (they nest).
    void BeginLook() {
        if (!canLook_) return;
        const std::lock_guard<std::mutex> lock(mutex_);
        ++looks_;
    }
    // Hands back the outcomes that have come, until none is left, and ends the look.
    void EndLook() {
        if (canLook_) TakeOutcomes();
    }

private:
    struct Work {
        std::function<bool()> work;
        std::function<void(bool, int)> done;
    };
    struct Outcome {
        std::function<void(bool, int)> done;
        bool ok;
        int reason;
    };
    void Loop() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            idle_ = true;
            wake_.wait(lock, [this] { return stop_ || !work_.empty(); });
            idle_ = false;
            if (work_.empty()) return;
            Work next = std::move(work_.front());
            work_.pop_front();
            lock.unlock();
            const bool ok = next.work();
            const int reason = errno;
            lock.lock();
            outcomes_.push_back({std::move(next.done), ok, reason});
            if (looks_ == 0 || interrupted_) PostHandBack();
        }
    }
    // With mutex_ held: the event loop takes the outcomes in a pass of its own.
    void PostHandBack() {
        if (handBackPosted_) return;
        handBackPosted_ = true;
        QMetaObject::invokeMethod(
            receiver_.get(),
            [this] {
                {
                    const std::lock_guard<std::mutex> lock(mutex_);
                    handBackPosted_ = false;
                    ++looks_;
                }
                TakeOutcomes();
            },
            Qt::QueuedConnection);
    }
    // Hands back the outcomes, until none is left, and ends a look. Their handlers do not throw.
    void TakeOutcomes() {
        for (;;) {
            std::deque<Outcome> outcomes;
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                if (outcomes_.empty()) {
                    if (--looks_ == 0) interrupted_ = false;
                    return;
                }
                outcomes.swap(outcomes_);
            }
            for (Outcome& o : outcomes) {
                errno = o.reason;
                o.done(o.ok, o.reason);
            }
        }
    }
    // The event loop runs (the dispatcher's signals come at every pass, and inside a look only
    // from an event loop run in it): the looks under way no longer take outcomes up.
    void LoopRuns() {
        // looks_ changes on this thread only.
        if (looks_ == 0) return;
        const std::lock_guard<std::mutex> lock(mutex_);
        interrupted_ = true;
        if (!outcomes_.empty()) PostHandBack();
    }

    std::unique_ptr<QObject> receiver_;  // of the event loop's thread
    bool canLook_ = false;               // the dispatcher tells when an event loop runs
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Work> work_;
    std::deque<Outcome> outcomes_;
    bool idle_ = false;
    bool handBackPosted_ = false;
    int looks_ = 0;             // looks under way
    bool interrupted_ = false;  // an event loop ran inside them
    bool stop_ = false;
    std::thread thread_;
};

FileWriter& Writer() {
    static FileWriter writer;
    return writer;
}

// The transport's actions are looks of the writer: a file written while the event loop handles
// a socket is handed back at the end of that action, without a wake-up of its own.
void ActionBegins() {
    Writer().BeginLook();
}
void ActionEnded() {
    Writer().EndLook();
}

// The pause before the attempt with this number (2 or more) of a URL.
std::int64_t RetryPauseMs(int attempt) {
    std::int64_t pause = g_firstRetryPauseMs;
    for (int n = 2; n < attempt && pause < ctlURLDownload::kMaxRetryPauseMs; ++n) pause *= 2;
    return std::min(pause, ctlURLDownload::kMaxRetryPauseMs);
}

}  // namespace

// A file handed to the writer. The control that handed it over is told the outcome from the
// event loop; one that is gone, or has dropped the file meanwhile, is not.
struct ctlURLDownload::SaveJob {
    std::string path;
    bool lookedMissing = false;
    std::unique_ptr<WholeFile> file;  // open already for a large body
    std::string body;
    ctlURLDownload* owner = nullptr;  // on the event loop's thread only
};

void ctlURLDownload::SetFirstRetryPauseMs(std::int64_t ms) {
    g_firstRetryPauseMs = std::max<std::int64_t>(ms, 0);
}

bool IsHostFailure(AttemptFailure failure) {
    return failure == AttemptFailure::Connection || failure == AttemptFailure::Silent ||
           failure == AttemptFailure::Transient;
}

bool IsFolderError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EROFS || error == EIO ||
           error == EACCES || error == EPERM;
}

bool IsTransientStatus(int status) {
    return status == 429 || status == 502 || status == 503 || status == 504;
}

std::string TransferStateCaption(int state) {
    if (state >= 0 && state <= 12) return kStateCaptions[state];
    return std::to_string(state) + " ???";
}

ctlURLDownload::ctlURLDownload(CurlTransport& transport, QObject* parent)
    : QObject(parent), transport_(transport) {
    transport_.SetActionHooks(&ActionBegins, &ActionEnded);
    YieldToEvents();
}

ctlURLDownload::~ctlURLDownload() {
    DropTransfer();
}

void ctlURLDownload::DropSaveJob() {
    if (!saveJob_) return;
    // The writer finishes the file (it is whole); the outcome goes nowhere.
    saveJob_->owner = nullptr;
    saveJob_.reset();
}

bool ctlURLDownload::IsExecuting() const {
    return transfer_ != 0;
}

void ctlURLDownload::SetView(DownloadControlView* view) {
    view_ = view;
    Show();
}

void ctlURLDownload::Show() {
    if (view_) view_->ShowTexts(*this);
}

void ctlURLDownload::StartDownload() {
    const bool restart = ProcessResult == 3 && PassCount > 0;
    const UrlCredentials parts = SplitCredentials(DownloadURL);
    CurUserName = parts.userName;
    CurPassword = parts.password;
    CurURL = parts.url;

    labUrlNum = std::to_string(DownloadIndex) + " of\r\n     " + std::to_string(DownloadIndexMax);
    labAction = "Start";
    ++PassCount;
    labAttempt = formatWholeExport(PassCount) + "/" + std::to_string(PassCountMax);
    URLText = "URL=" + CurURL;
    SavePathText = "SavePath=" + SaveFilePath;
    Show();
    const unsigned started = cancels_;
    YieldToEvents();
    // A cancel that came while the window had its events (a break, a quit) stands.
    if (cancels_ != started) return;

    DropTransfer();
    TransferError = 0;
    ProcessResult = 1;
    LastFailure = AttemptFailure::None;

    curUrl_ = ParsedUrl(CurURL);
    if (!IsFetchableUrl(curUrl_) || SaveFilePath.empty()) {
        WriteActivityLog("Refused URL (only http and https are fetched): " +
                         MaskPasswords(DownloadURL));
        LastFailure = AttemptFailure::Other;
        Inet1_StateChanged(kCommError);
        return;
    }

    const std::int64_t pause = restart ? RetryPauseMs(PassCount) : 0;
    if (pause > 0) {
        // A single timer: the control costs nothing while it waits.
        pause_ = door().StartTimer(pause, [this] {
            pause_ = 0;
            SendAttempt();
        });
        return;
    }
    SendAttempt();
}

void ctlURLDownload::SendAttempt() {
    redirects_ = 0;
    answered_ = false;
    Request(curUrl_);
    if (ProcessTimeOut > 0)
        deadline_ = door().StartTimer(std::int64_t{ProcessTimeOut} * 1000, [this] {
            deadline_ = 0;
            OnDeadline();
        });
    Inet1_StateChanged(kRequesting);
    YieldToEvents();
}

void ctlURLDownload::Request(const QUrl& parsed) {
    TransferRequest request;
    // The address as a server takes it: blanks and other characters a URL may not hold are
    // percent-encoded, the fragment stays here.
    request.url = parsed.adjusted(QUrl::RemoveFragment).toEncoded(QUrl::FullyEncoded).toStdString();
    // Redirects are followed here, step by step, so that each is checked and the credentials go
    // only to the list line's own origin.
    request.withCredentials =
        (!CurUserName.empty() || !CurPassword.empty()) && OriginOf(parsed) == OriginOf(curUrl_);
    request.userName = CurUserName;
    request.password = CurPassword;
    address_ = parsed;
    transfer_ = transport_.Start(request, *this);
}

void ctlURLDownload::CancelDownload() {
    ++cancels_;
    labUrlNum.clear();
    labAction.clear();
    labAttempt.clear();
    URLText.clear();
    SavePathText.clear();
    Show();
    YieldToEvents();
    DropTransfer();
    ProcessResult = 0;
    ProcessStatus = 0;
    YieldToEvents();
}

void ctlURLDownload::Release() {
    DropTransfer();
    ProcessResult = 0;
    Show();
}

void ctlURLDownload::ResizeControlWidth(std::int32_t ControlWidthValue) {
    ControlWidth = ControlWidthValue;
    const std::int32_t textWidth = std::max<std::int32_t>(
        ControlWidthValue - kTextBoxLeft - kFrameMargin - kTextBoxGap, kTextBoxMinWidth);
    if (view_) view_->ShowWidths(ControlWidth, textWidth);
    YieldToEvents();
}

void ctlURLDownload::Inet1_StateChanged(int State) {
    ProcessStatus = static_cast<std::int16_t>(State);
    labAction = TransferStateCaption(State);
    Show();
    if (State == kComplete) {
        SaveBufferToFile();
        return;
    }
    if (State == kCommError || State < 0 || State > kComplete) {
        if (LastFailure == AttemptFailure::None) LastFailure = AttemptFailure::Other;
        DropTransfer();
        EndAttempt(3);
    }
    YieldToEvents();
}

bool ctlURLDownload::TakeTransferBody(const char* data, std::size_t size) {
    // Inside the transport's read: the bytes go to the temporary file, nothing else happens.
    if (!file_) {
        // Held for the writer, which also opens the file; a large body is written out here.
        // Room for twice the first piece at once: a page of a few pieces is not copied again.
        if (heldBody_.empty()) heldBody_.reserve(2 * size);
        heldBody_.append(data, size);
        if (heldBody_.size() < kHeldBodyLimit) return true;
        file_ = std::make_unique<WholeFile>(SaveFilePath, TargetLookedMissing());
        if (!file_->Open()) {
            saveErrno_ = errno;
            return false;
        }
        // What was held goes out first; the rest of a large body goes out as it comes.
        const bool written = file_->Write(heldBody_.data(), heldBody_.size());
        heldBody_ = std::string();
        if (!written) {
            saveErrno_ = errno;
            return false;
        }
        return true;
    }
    if (!file_->Write(data, size)) {
        saveErrno_ = errno;
        return false;
    }
    return true;
}

void ctlURLDownload::TransferHeadArrived(int) {
    answered_ = true;
    if (ProcessStatus != kReceiving) Inet1_StateChanged(kReceiving);
}

void ctlURLDownload::TransferEnded(const TransferOutcome& outcome) {
    transfer_ = 0;
    if (outcome.clientRefused) {
        errno = saveErrno_;
        FailSaving();
        return;
    }
    if (!outcome.whole) {
        const AttemptFailure failure = IsTransientStatus(outcome.status) ? AttemptFailure::Transient
                                       : outcome.status == 0 && !answered_
                                           ? AttemptFailure::Connection
                                           : AttemptFailure::Other;
        FailTransfer(outcome.status > 0
                         ? "HTTP " + std::to_string(outcome.status) + ", " + outcome.error
                         : outcome.error,
                     failure);
        return;
    }
    // An overloaded or unreachable server (or a proxy before it) says so in its page: that
    // page is no file of the list, and the URL is tried again.
    if (IsTransientStatus(outcome.status)) {
        FailTransfer("HTTP " + std::to_string(outcome.status), AttemptFailure::Transient);
        return;
    }
    if (!outcome.redirectTo.empty()) {
        FollowRedirect(outcome.redirectTo);
        return;
    }
    StopDeadline();
    Inet1_StateChanged(kComplete);
}

void ctlURLDownload::FollowRedirect(const std::string& target) {
    // The redirect's own page is not the content.
    answered_ = true;
    heldBody_.clear();
    if (file_) {
        file_->Discard();
        file_.reset();
    }
    const QUrl from = address_;
    const QUrl to = ParsedUrl(target);
    const std::string scheme = ToLowerAscii(to.scheme().toStdString());
    // Only http and https are followed, never from https down to http, and not for ever.
    const bool allowed =
        (scheme == "https" ||
         (scheme == "http" && ToLowerAscii(from.scheme().toStdString()) != "https")) &&
        !to.host().isEmpty() && ++redirects_ <= kMaxRedirects;
    if (!allowed) {
        WriteActivityLog("Refused redirect to: " + MaskPasswords(target));
        LastFailure = AttemptFailure::Other;
        Inet1_StateChanged(kCommError);
        return;
    }
    Request(to);
}

void ctlURLDownload::OnDeadline() {
    if (transfer_ != 0)
        FailTransfer("no whole answer within " + std::to_string(ProcessTimeOut) + " seconds",
                     answered_ ? AttemptFailure::Other : AttemptFailure::Silent);
}

void ctlURLDownload::FailTransfer(const std::string& why, AttemptFailure failure) {
    WriteActivityLog("Failed attempt" + formatWholeExport(PassCount) + " (" + why +
                     ") URL=" + MaskPasswords(DownloadURL));
    LastFailure = failure;
    Inet1_StateChanged(kCommError);
}

void ctlURLDownload::StopDeadline() {
    if (deadline_ == 0) return;
    // The control may outlive the door at the very end of the program.
    if (Door* d = InstalledDoor()) d->CancelTimer(deadline_);
    deadline_ = 0;
}

void ctlURLDownload::StopPause() {
    if (pause_ == 0) return;
    if (Door* d = InstalledDoor()) d->CancelTimer(pause_);
    pause_ = 0;
}

void ctlURLDownload::SaveBufferToFile() {
    labAction = "Saving buffer";
    Show();
    const unsigned started = cancels_;
    YieldToEvents();
    if (cancels_ != started) return;
    TransferError = 0;
    auto job = std::make_shared<SaveJob>();
    job->file = std::move(file_);
    job->path = SaveFilePath;
    job->lookedMissing = TargetLookedMissing();
    job->body.swap(heldBody_);
    job->owner = this;
    saveJob_ = job;
    Writer().Run(
        [job] {
            const std::lock_guard<std::mutex> writing(FileWritingMutex());
            // A body held whole is written here (an empty response is an empty file).
            if (!job->file) {
                job->file = std::make_unique<WholeFile>(job->path, job->lookedMissing);
                if (!job->file->Open()) return false;
            }
            const bool saved =
                (job->body.empty() || job->file->Write(job->body.data(), job->body.size())) &&
                job->file->Commit();
            const int reason = errno;
            job->file.reset();
            errno = reason;
            return saved;
        },
        [job](bool saved, int reason) {
            ctlURLDownload* owner = job->owner;
            if (!owner || owner->saveJob_ != job) return;
            owner->saveJob_.reset();
            errno = reason;
            owner->FinishSaving(saved);
        });
}

void ctlURLDownload::FinishSaving(bool saved) {
    if (!saved) {
        FailSaving();
        return;
    }
    file_.reset();
    labAction = "Buffer saved!";
    Show();
    YieldToEvents();
    WriteActivityLog("Attempt=" + formatWholeExport(PassCount) +
                     " Saved URL=" + MaskPasswords(DownloadURL));
    EndAttempt(2);
}

void ctlURLDownload::FailSaving() {
    const int reason = errno;
    TransferError = 1;
    LastFailure = IsFolderError(reason) ? AttemptFailure::Saving : AttemptFailure::Other;
    DropTransfer();
    std::string text = "File cannot be saved: " + SaveFilePath;
    if (reason != 0) text += " (" + SystemErrorText(reason) + ")";
    WriteActivityLog(text);
    EndAttempt(3);
}

void ctlURLDownload::DropTransfer() {
    StopDeadline();
    StopPause();
    DropSaveJob();
    heldBody_.clear();
    if (transfer_ != 0) {
        const CurlTransport::Id id = transfer_;
        transfer_ = 0;
        transport_.Abort(id);
    }
    if (file_) {
        file_->Discard();
        file_.reset();
    }
}

void ctlURLDownload::EndAttempt(std::int16_t result) {
    ProcessResult = result;
    // The scheduler restarts a failed URL while it has attempts left; after the last one the
    // log says why its file is missing.
    if (result == 3 && PassCount >= PassCountMax)
        WriteActivityLog("Given up after attempt" + formatWholeExport(PassCount) +
                         " URL=" + MaskPasswords(DownloadURL));
    Show();
    emit attemptEnded();
}

}  // namespace vel
