// The download control.
#include "ctlURLDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "ActivityLog.h"
#include "Hooks.h"
#include "NumberText.h"
#include "UrlList.h"
#include "WholeFile.h"

namespace vel {

namespace {

// Qt keeps at most this much of a response in memory before the control takes it; the rest
// waits in the socket, so a large file is streamed to disk and never held whole.
constexpr qint64 kReadBufferSize = 256 * 1024;

const char* const kStateCaptions[] = {"Standstill",   "Looking IP",   "Found IP",    "Conecting",
                                      "Connected",    "Request->",    "Request OK",  "Response <-",
                                      "Response OK",  "Disconecting", "Disconected", "Comm. error",
                                      "Saving buffer"};

// True when a finished reply carries a final HTTP response with its whole body, also one whose
// status the reply reports as an error (4xx, 5xx): the page is content like any other.
// Transport failures, a cancel, and a body whose framing is broken or cut short (the network
// access's reader checks it as it reads, HttpAccessManager) are not.
bool IsHttpStatusOutcome(QNetworkReply& reply) {
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || status.toInt() < 200) return false;
    switch (reply.error()) {
        case QNetworkReply::NoError:
        case QNetworkReply::ContentAccessDenied:
        case QNetworkReply::ContentOperationNotPermittedError:
        case QNetworkReply::ContentNotFoundError:
        case QNetworkReply::AuthenticationRequiredError:
        case QNetworkReply::ContentConflictError:
        case QNetworkReply::ContentGoneError:
        case QNetworkReply::UnknownContentError:
        case QNetworkReply::ProtocolInvalidOperationError:
        case QNetworkReply::InternalServerError:
        case QNetworkReply::OperationNotImplementedError:
        case QNetworkReply::ServiceUnavailableError:
        case QNetworkReply::UnknownServerError:
            return true;
        default:
            return false;
    }
}

// Scheme, host and port agree: credentials of a list line go nowhere else.
bool SameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme().toLower() == b.scheme().toLower() &&
           a.host().toLower() == b.host().toLower() &&
           a.port(a.scheme().toLower() == QLatin1String("https") ? 443 : 80) ==
               b.port(b.scheme().toLower() == QLatin1String("https") ? 443 : 80);
}

// The address a finished reply redirects to, resolved against it; empty when it is no
// redirect (a 3xx answer without a Location is content).
QUrl RedirectTarget(QNetworkReply& reply) {
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 301 && status != 302 && status != 303 && status != 307 && status != 308)
        return {};
    const QByteArray location = reply.rawHeader("Location");
    if (location.isEmpty()) return {};
    return reply.url().resolved(QUrl::fromEncoded(location, QUrl::TolerantMode));
}

}  // namespace

std::string TransferStateCaption(int state) {
    if (state >= 0 && state <= 12) return kStateCaptions[state];
    return std::to_string(state) + " ???";
}

ctlURLDownload::ctlURLDownload(QNetworkAccessManager& network, QObject* parent)
    : QObject(parent), network_(network) {
    YieldToEvents();
}

ctlURLDownload::~ctlURLDownload() {
    DropTransfer();
}

bool ctlURLDownload::IsExecuting() const {
    return reply_ != nullptr;
}

void ctlURLDownload::SetView(DownloadControlView* view) {
    view_ = view;
    Show();
}

void ctlURLDownload::Show() {
    if (view_) view_->ShowTexts(*this);
}

void ctlURLDownload::StartDownload() {
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

    if (!IsFetchableUrl(CurURL) || SaveFilePath.empty()) {
        WriteActivityLog("Refused URL (only http and https are fetched): " +
                         MaskPasswords(DownloadURL));
        Inet1_StateChanged(kCommError);
        return;
    }

    redirects_ = 0;
    Request(QUrl(QString::fromStdString(CurURL), QUrl::TolerantMode));
    if (ProcessTimeOut > 0)
        deadline_ = door().StartTimer(std::int64_t{ProcessTimeOut} * 1000, [this] {
            deadline_ = 0;
            OnDeadline();
        });
    Inet1_StateChanged(kRequesting);
    YieldToEvents();
}

void ctlURLDownload::Request(const QUrl& url) {
    QNetworkRequest request(url);
    // Redirects are followed here, so that each step is checked and credentials go only to
    // the list line's own host.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    // The file receives the bytes exactly as the server has them.
    request.setRawHeader("Accept-Encoding", "identity");
    const QUrl first(QString::fromStdString(CurURL), QUrl::TolerantMode);
    if ((!CurUserName.empty() || !CurPassword.empty()) && SameOrigin(url, first)) {
        const QByteArray pair = QByteArray::fromStdString(CurUserName + ":" + CurPassword);
        request.setRawHeader("Authorization", "Basic " + pair.toBase64());
    }
    QNetworkReply* reply = network_.get(request);
    reply_ = reply;
    received_ = 0;
    reply->setReadBufferSize(kReadBufferSize);
    connect(reply, &QNetworkReply::readyRead, this, &ctlURLDownload::OnReadyRead);
    connect(reply, &QNetworkReply::metaDataChanged, this, &ctlURLDownload::OnMetaDataChanged);
    connect(reply, &QNetworkReply::finished, this, &ctlURLDownload::OnFinished);
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
        DropTransfer();
        EndAttempt(3);
    }
    YieldToEvents();
}

void ctlURLDownload::OnMetaDataChanged() {
    if (ProcessStatus != kReceiving) Inet1_StateChanged(kReceiving);
}

void ctlURLDownload::OnReadyRead() {
    // The page of a redirect is not the content.
    if (reply_ && !RedirectTarget(*reply_).isEmpty()) {
        reply_->readAll();
        return;
    }
    if (!TakeBody()) FailSaving();
}

bool ctlURLDownload::TakeBody() {
    if (!reply_) return true;
    if (!file_) {
        file_ = std::make_unique<WholeFile>(SaveFilePath);
        if (!file_->Open()) return false;
    }
    char buffer[64 * 1024];
    for (qint64 n; (n = reply_->read(buffer, sizeof buffer)) > 0;) {
        if (!file_->Write(buffer, static_cast<size_t>(n))) return false;
        received_ += n;
    }
    return true;
}

void ctlURLDownload::OnFinished() {
    QNetworkReply* reply = reply_;
    if (!reply) return;
    const QUrl target = RedirectTarget(*reply);
    if (!target.isEmpty()) {
        FollowRedirect(target);
        return;
    }
    StopDeadline();
    if (!TakeBody()) {
        FailSaving();
        return;
    }
    // A body shorter than its announced length broke off, whatever Qt says about it.
    if (IsHttpStatusOutcome(*reply))
        Inet1_StateChanged(kComplete);
    else
        Inet1_StateChanged(kCommError);
}

void ctlURLDownload::FollowRedirect(const QUrl& target) {
    const QUrl from = reply_->url();
    // The redirect's own page is not the content.
    disconnect(reply_, nullptr, this, nullptr);
    reply_->deleteLater();
    reply_ = nullptr;
    if (file_) {
        file_->Discard();
        file_.reset();
    }
    const QString scheme = target.scheme().toLower();
    // Only http and https are followed, never from https down to http, and not for ever.
    const bool allowed =
        (scheme == QLatin1String("https") ||
         (scheme == QLatin1String("http") && from.scheme().toLower() != QLatin1String("https"))) &&
        !target.host().isEmpty() && ++redirects_ <= kMaxRedirects;
    if (!allowed) {
        WriteActivityLog("Refused redirect to: " + MaskPasswords(target.toString().toStdString()));
        Inet1_StateChanged(kCommError);
        return;
    }
    Request(target);
}

void ctlURLDownload::OnDeadline() {
    if (reply_) Inet1_StateChanged(kCommError);
}

void ctlURLDownload::StopDeadline() {
    if (deadline_ == 0) return;
    // The control may outlive the door at the very end of the program.
    if (Door* d = InstalledDoor()) d->CancelTimer(deadline_);
    deadline_ = 0;
}

void ctlURLDownload::SaveBufferToFile() {
    labAction = "Saving buffer";
    Show();
    const unsigned started = cancels_;
    YieldToEvents();
    if (cancels_ != started) return;
    TransferError = 0;
    if (!TakeBody()) {
        FailSaving();
        return;
    }
    if (!file_) {
        // An empty response: an empty file.
        file_ = std::make_unique<WholeFile>(SaveFilePath);
        if (!file_->Open()) {
            FailSaving();
            return;
        }
    }
    if (!file_->Commit()) {
        FailSaving();
        return;
    }
    file_.reset();
    if (reply_) {
        disconnect(reply_, nullptr, this, nullptr);
        reply_->deleteLater();
        reply_ = nullptr;
    }
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
    DropTransfer();
    std::string text = "File cannot be saved: " + SaveFilePath;
    if (reason != 0) text += " (" + std::string(std::strerror(reason)) + ")";
    WriteActivityLog(text);
    EndAttempt(3);
}

void ctlURLDownload::DropTransfer() {
    StopDeadline();
    if (reply_) {
        QNetworkReply* reply = reply_;
        reply_ = nullptr;
        disconnect(reply, nullptr, this, nullptr);
        if (reply->isRunning()) reply->abort();
        reply->deleteLater();
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
