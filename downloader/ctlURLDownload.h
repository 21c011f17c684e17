// The download control: downloads one URL at a time over HTTP or HTTPS into a file, as a
// state machine over the program's one transport (CurlTransport), driven by its events and by a
// deadline timer of the platform door. The download window holds five of them and its scheduler
// gives each free one the next URL and restarts failed ones; a restart waits a pause (a timer of
// the door) that doubles from one failed attempt to the next, so that the attempts of a URL
// outlast a short outage of its server. The body goes to a temporary file beside the target
// (written on the writer thread, see kHeldBodyLimit), which is renamed onto it only when the
// whole response has arrived.
#pragma once

#include <QObject>
#include <QUrl>
#include <cstdint>
#include <memory>
#include <string>

#include "CurlTransport.h"
#include "Door.h"

namespace vel {

class ctlURLDownload;
class WholeFile;

// What shows a control: its three labels and two text boxes, and its width.
class DownloadControlView {
public:
    virtual ~DownloadControlView() = default;
    // The control's texts changed; the view shows them when it next refreshes, so a transfer
    // never waits for a repaint.
    virtual void ShowTexts(const ctlURLDownload& control) = 0;
    virtual void ShowWidths(std::int32_t controlWidth, std::int32_t textBoxWidth) = 0;
};

// Why an attempt failed. Connection (no answer at all: refused, reset, a name not found, a TLS
// handshake that failed), Silent (the deadline came with nothing of an answer received) and
// Transient (an answer 429, 502, 503 or 504: the server, or a proxy before it, is overloaded or
// down for the moment) say that the host fails; Saving says that the save folder took no file (it
// is full or may not be written: IsFolderError); Other is the URL's own trouble (a body broken
// off, a refused redirect or address, a save name that leads into a missing folder or names a
// folder).
enum class AttemptFailure { None, Connection, Silent, Transient, Saving, Other };

// True for the failures that tell of the host: Connection, Silent and Transient.
bool IsHostFailure(AttemptFailure failure);

// True for the errors of a file that cannot be saved that tell of its folder, not of its name:
// the disk or quota is full, the folder may not be written, the device fails.
bool IsFolderError(int error);

// True for the statuses that are failed attempts, retried and never saved: 429, 502, 503, 504.
bool IsTransientStatus(int status);

// The caption of the transfer state shown in labAction ("Standstill" .. "Comm. error", and
// n & " ???" for a state outside 0 to 12). State 12 shows "Saving buffer".
std::string TransferStateCaption(int state);

class ctlURLDownload : public QObject, private TransferClient {
    Q_OBJECT

public:
    // The transfer states reported to Inet1_StateChanged.
    static constexpr int kRequesting = 5;
    static constexpr int kReceiving = 7;
    static constexpr int kCommError = 11;
    static constexpr int kComplete = 12;
    // Redirects followed within one attempt at most.
    static constexpr int kMaxRedirects = 10;
    // The pause before the second attempt of a URL, in milliseconds of the door's monotonic
    // clock; each further attempt waits twice as long as the one before, at most kMaxRetryPauseMs.
    static constexpr std::int64_t kFirstRetryPauseMs = 1000;
    static constexpr std::int64_t kMaxRetryPauseMs = 64000;
    // The first pause of every control (tests set 0: a failed attempt is restarted at once).
    static void SetFirstRetryPauseMs(std::int64_t ms);
    // The controls write their files on a thread of their own: the body is held in memory and,
    // once whole, the writer opens the temporary file, writes it and renames it onto
    // SaveFilePath (a body of kHeldBodyLimit bytes or more has its file opened and written as it
    // comes, and the writer ends it); the attempt ends as saved, and "Saved" is logged, only
    // when the rename is done. A file that cannot be saved there ends the attempt with the same
    // line as before, once the body has come. The writer keeps a file that it has begun when the
    // attempt is cancelled meanwhile.
    static constexpr std::size_t kHeldBodyLimit = 1024 * 1024;

    explicit ctlURLDownload(CurlTransport& transport, QObject* parent = nullptr);
    ~ctlURLDownload() override;

    // ---- properties (the scheduler reads and writes them directly) -----------------------
    std::int16_t DownloadIndex = 0;     // number of this URL among the run's URLs
    std::int16_t DownloadIndexMax = 0;  // number of URLs of the run
    std::string DownloadURL;            // the list line's URL part, credentials included
    std::string SaveFilePath;           // the file that receives the response
    // The caller has just found nothing under SaveFilePath: the first attempt's file need not
    // look again.
    bool SaveFileLookedMissing = false;
    // Whether a response whose reading failed is still saved. A body that breaks off is a
    // communication error here and never saved under its name, whatever this says.
    bool SaveOnError = true;
    // The deadline of one whole attempt, in seconds of the door's monotonic clock, from its
    // start through redirects to the last byte (0 or less: none).
    std::int16_t ProcessTimeOut = 90;
    std::int32_t ControlWidth = 0;
    std::int16_t PassCountMax = 0;   // attempts allowed for this URL
    std::int16_t ProcessResult = 0;  // 0 idle, 1 running, 2 saved, 3 error
    std::int16_t ProcessStatus = 0;  // the last transfer state
    std::int16_t PassCount = 0;      // attempts started for this URL
    std::int16_t TransferError = 0;  // 1 when saving the response failed in this attempt
    // Why the last attempt failed (None while it runs and after a save): the scheduler tells an
    // outage of the URL's host, or of the save folder, from the URL's own trouble by it.
    AttemptFailure LastFailure = AttemptFailure::None;

    // ---- what the control shows -----------------------------------------------------------
    std::string labUrlNum;
    std::string labAction;
    std::string labAttempt;
    std::string URLText;
    std::string SavePathText;

    // Starts (or restarts) the transfer of DownloadURL into SaveFilePath: takes the user name
    // and password parts off the URL part, counts the attempt, cancels a transfer still
    // running, and sends the GET. A restart after a failed attempt (ProcessResult 3, PassCount
    // above 0) sends it after the pause of that attempt, ProcessResult being 1 meanwhile; the
    // attempt's deadline counts from the GET. The outcome comes through Inet1_StateChanged. An
    // address that is not http or https, or an empty save path, ends the attempt in error at once.
    // A response is saved only with a final status (200 or more, but not 429, 502, 503 or 504)
    // and a body that its framing says is whole; anything else is a communication error that
    // leaves SaveFilePath as it was (LastFailure says of what kind). Each
    // failed attempt logs why in one line; one that fails with no attempts left (PassCount >=
    // PassCountMax) is logged as given up too.
    void StartDownload();
    // Stops any transfer, drops what it received, empties the texts and returns to idle.
    void CancelDownload();
    // Stops a pause before a restart, or a transfer, and returns to idle (ProcessResult 0) without
    // yielding, its texts kept: the scheduler takes the URL back to try it later (an outage of its
    // host).
    void Release();
    // True while the control waits on the pause before a restart.
    bool IsPausing() const { return pause_ != 0; }
    // Sets ControlWidth and the text boxes' width (the width less their left edge, the frame
    // margin and a gap, but at least a minimum) and shows them.
    void ResizeControlWidth(std::int32_t ControlWidthValue);
    // A state reported by the transfer: shows its caption; 11 (communication error, also the
    // deadline) and states outside 0 to 12 end the attempt in error; 12 saves the response.
    void Inet1_StateChanged(int State);

    // True while a transfer is executing.
    bool IsExecuting() const;
    void SetView(DownloadControlView* view);

    // Text box geometry of ResizeControlWidth, in pixels.
    static constexpr std::int32_t kTextBoxLeft = 120;
    static constexpr std::int32_t kFrameMargin = 8;
    static constexpr std::int32_t kTextBoxGap = 13;
    static constexpr std::int32_t kTextBoxMinWidth = 67;

signals:
    // The attempt ended: ProcessResult became 2 (saved) or 3 (error).
    void attemptEnded();

private:
    // The transport's events (TransferClient).
    bool TakeTransferBody(const char* data, std::size_t size) override;
    void TransferHeadArrived(int status) override;
    void TransferEnded(const TransferOutcome& outcome) override;
    // Sends the attempt's first GET and starts its deadline.
    void SendAttempt();
    // Sends the GET of one step of the attempt (the address, or a redirect's target).
    void Request(const QUrl& url);
    void FollowRedirect(const std::string& target);
    // The attempt's deadline has come: a transfer still running ends in error.
    void OnDeadline();
    void StopDeadline();
    void StopPause();
    // Ends the attempt as a communication error of the kind and logs why.
    void FailTransfer(const std::string& why, AttemptFailure failure);
    // The response is complete: renames the temporary file onto SaveFilePath and logs it.
    void SaveBufferToFile();
    // The saving is done (the rename, when `saved`; else errno tells why it failed).
    void FinishSaving(bool saved);
    // Ends the attempt in error when saving failed (errno tells why), with a log line.
    void FailSaving();
    // Detaches and aborts the transfer, stops a pause, and drops the temporary file.
    void DropTransfer();
    // Lets go of a file in the writer's hands: its outcome is no longer told.
    void DropSaveJob();
    // Whether the attempt's file may take the dispatch's look (SaveFileLookedMissing) for its
    // own: only the first attempt, which follows that look at once; a restart looks again.
    bool TargetLookedMissing() const { return SaveFileLookedMissing && PassCount == 1; }
    void EndAttempt(std::int16_t result);
    void Show();

    CurlTransport& transport_;
    CurlTransport::Id transfer_ = 0;  // the running step's transfer, 0 when none
    QUrl address_;                    // the running step's address
    std::unique_ptr<WholeFile> file_;
    int saveErrno_ = 0;     // why the file did not take the body
    std::string heldBody_;  // the body not yet written
    struct SaveJob;
    std::shared_ptr<SaveJob> saveJob_;  // the file in the writer's hands, null when none
    TimerId deadline_ = 0;              // the door's timer of the running attempt, 0 when none
    TimerId pause_ = 0;  // the door's timer of the pause before a restart, 0 when none
    int redirects_ = 0;
    bool answered_ = false;  // something of an answer came in this attempt (a head, a redirect)
    unsigned cancels_ = 0;   // counts CancelDownload calls
    std::string CurURL;
    QUrl curUrl_;  // CurURL parsed
    std::string CurUserName;
    std::string CurPassword;
    DownloadControlView* view_ = nullptr;
};

}  // namespace vel
