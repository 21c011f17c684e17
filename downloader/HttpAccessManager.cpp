// The program's network access manager and its HTTP/1.1 reply.
#include "HttpAccessManager.h"

#include <QMetaObject>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QPointer>
#include <QSslSocket>
#include <QTcpSocket>
#include <algorithm>
#include <cstring>
#include <string>

#include "HttpResponseParser.h"

namespace vel {

namespace {

// The socket holds at most this much that the reply has not taken; the rest waits in the
// system, so that a reader that stops reading stops the transfer.
constexpr qint64 kSocketBufferSize = 64 * 1024;

// The error Qt gives a final response of this status (400 or more).
QNetworkReply::NetworkError ErrorOfStatus(int status) {
    switch (status) {
        case 400:
        case 418:
            return QNetworkReply::ProtocolInvalidOperationError;
        case 401:
            return QNetworkReply::AuthenticationRequiredError;
        case 403:
            return QNetworkReply::ContentAccessDenied;
        case 404:
            return QNetworkReply::ContentNotFoundError;
        case 405:
            return QNetworkReply::ContentOperationNotPermittedError;
        case 407:
            return QNetworkReply::ProxyAuthenticationRequiredError;
        case 409:
            return QNetworkReply::ContentConflictError;
        case 410:
            return QNetworkReply::ContentGoneError;
        case 500:
            return QNetworkReply::InternalServerError;
        case 501:
            return QNetworkReply::OperationNotImplementedError;
        case 503:
            return QNetworkReply::ServiceUnavailableError;
        default:
            return status > 500 ? QNetworkReply::UnknownServerError
                                : QNetworkReply::UnknownContentError;
    }
}

QNetworkReply::NetworkError ErrorOfSocket(QAbstractSocket::SocketError error) {
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError:
            return QNetworkReply::ConnectionRefusedError;
        case QAbstractSocket::RemoteHostClosedError:
            return QNetworkReply::RemoteHostClosedError;
        case QAbstractSocket::HostNotFoundError:
            return QNetworkReply::HostNotFoundError;
        case QAbstractSocket::SocketTimeoutError:
            return QNetworkReply::TimeoutError;
        case QAbstractSocket::SslHandshakeFailedError:
        case QAbstractSocket::SslInternalError:
        case QAbstractSocket::SslInvalidUserDataError:
            return QNetworkReply::SslHandshakeFailedError;
        default:
            return QNetworkReply::UnknownNetworkError;
    }
}

// The Host field of an address: the host (in brackets when it is an IPv6 address) and the
// port when the address names one.
QByteArray HostField(const QUrl& url) {
    QByteArray host = url.host(QUrl::FullyEncoded).toLatin1();
    if (host.contains(':')) host = '[' + host + ']';
    if (url.port() != -1) host += ':' + QByteArray::number(url.port());
    return host;
}

// One GET over a connection of its own. It starts from the event loop, so that the caller has
// connected to its signals, and emits them in Qt's order: metaDataChanged once the final head
// has come, readyRead for body bytes, then (errorOccurred and) readChannelFinished and
// finished. The body waits in the reply until it is read; with a read buffer size set, the
// socket is not read while that much waits.
class HttpReply final : public QNetworkReply {
public:
    HttpReply(const QNetworkRequest& request, QObject* parent) : QNetworkReply(parent) {
        setRequest(request);
        setUrl(request.url());
        setOperation(QNetworkAccessManager::GetOperation);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
        QMetaObject::invokeMethod(
            this, [this] { Start(); }, Qt::QueuedConnection);
    }
    ~HttpReply() override { DropSocket(); }

    void abort() override {
        if (isFinished()) return;
        buffer_.clear();
        readPos_ = 0;
        QNetworkReply::close();
        Fail(OperationCanceledError, QStringLiteral("Operation canceled"));
    }
    void close() override {
        if (isFinished())
            QNetworkReply::close();
        else
            abort();
    }
    qint64 bytesAvailable() const override { return QNetworkReply::bytesAvailable() + Buffered(); }
    void setReadBufferSize(qint64 size) override {
        QNetworkReply::setReadBufferSize(size);
        ResumeIfRoom();
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        const qint64 n = std::min(maxSize, Buffered());
        if (n > 0) {
            std::memcpy(data, buffer_.data() + readPos_, static_cast<std::size_t>(n));
            readPos_ += static_cast<std::size_t>(n);
            if (readPos_ == buffer_.size()) {
                buffer_.clear();
                readPos_ = 0;
            }
            ResumeIfRoom();
        }
        return n == 0 && isFinished() ? -1 : n;
    }

private:
    qint64 Buffered() const { return static_cast<qint64>(buffer_.size() - readPos_); }

    void Start() {
        if (isFinished()) return;
        const QUrl address = url();
        const QString scheme = address.scheme().toLower();
        const bool tls = scheme == QLatin1String("https");
        if (!tls && scheme != QLatin1String("http")) {
            Fail(ProtocolUnknownError, QStringLiteral("Protocol \"%1\" is unknown").arg(scheme));
            return;
        }
        const QString host = address.host(QUrl::FullyEncoded);
        if (host.isEmpty()) {
            Fail(HostNotFoundError, QStringLiteral("The address names no host"));
            return;
        }
        if (tls && !QSslSocket::supportsSsl()) {
            Fail(SslHandshakeFailedError, QStringLiteral("TLS is not available"));
            return;
        }
        QSslSocket* secure = tls ? new QSslSocket(this) : nullptr;
        socket_ = secure ? static_cast<QAbstractSocket*>(secure) : new QTcpSocket(this);
        socket_->setProxy(QNetworkProxy::NoProxy);
        socket_->setReadBufferSize(kSocketBufferSize);
        if (secure)
            connect(secure, &QSslSocket::encrypted, this, [this] { SendRequest(); });
        else
            connect(socket_, &QAbstractSocket::connected, this, [this] { SendRequest(); });
        connect(socket_, &QIODevice::readyRead, this, [this] { ReadSocket(); });
        connect(socket_, &QAbstractSocket::disconnected, this, [this] { OnPeerClosed(); });
        connect(socket_, &QAbstractSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) { OnSocketError(error); });
        if (secure)
            secure->connectToHostEncrypted(host, static_cast<quint16>(address.port(443)));
        else
            socket_->connectToHost(host, static_cast<quint16>(address.port(80)));
    }

    void SendRequest() {
        QUrl target = url();
        QUrl::FormattingOptions format =
            QUrl::RemoveScheme | QUrl::RemoveAuthority | QUrl::RemoveFragment | QUrl::FullyEncoded;
        if (target.path().isEmpty())
            target.setPath(QStringLiteral("/"));
        else
            format |= QUrl::NormalizePathSegments;
        QByteArray head = "GET " + target.toEncoded(format) + " HTTP/1.1\r\n";
        head += "Host: " + HostField(url()) + "\r\n";
        bool agent = false;
        for (const QByteArray& name : request().rawHeaderList()) {
            if (name.compare("Host", Qt::CaseInsensitive) == 0 ||
                name.compare("Connection", Qt::CaseInsensitive) == 0)
                continue;
            agent = agent || name.compare("User-Agent", Qt::CaseInsensitive) == 0;
            head += name + ": " + request().rawHeader(name) + "\r\n";
        }
        if (!agent) head += "User-Agent: Mozilla/5.0\r\n";
        head += "Connection: close\r\n\r\n";
        socket_->write(head);
    }

    // Reads what the socket holds, as far as the read buffer has room, and reports what came.
    void ReadSocket() {
        if (reading_) {
            readAgain_ = true;
            return;
        }
        reading_ = true;
        const QPointer<HttpReply> alive(this);
        do {
            readAgain_ = false;
            if (!socket_ || isFinished()) break;
            const bool hadHead = parser_.state() != HttpResponseParser::State::Head;
            bool bodyCame = false;
            char piece[16 * 1024];
            while (parser_.state() == HttpResponseParser::State::Head ||
                   parser_.state() == HttpResponseParser::State::Body) {
                qint64 room = sizeof piece;
                if (readBufferSize() > 0) room = std::min(room, readBufferSize() - Buffered());
                if (room <= 0) break;
                const qint64 n = socket_->read(piece, room);
                if (n <= 0) break;
                if (readPos_ > 0) {
                    buffer_.erase(0, readPos_);
                    readPos_ = 0;
                }
                const std::size_t before = buffer_.size();
                parser_.Feed(std::string_view(piece, static_cast<std::size_t>(n)), buffer_);
                bodyCame = bodyCame || buffer_.size() > before;
            }
            if (peerClosed_ && socket_->bytesAvailable() == 0) parser_.Close();

            const HttpResponseParser::State state = parser_.state();
            if (!hadHead && (state == HttpResponseParser::State::Body ||
                             state == HttpResponseParser::State::Complete)) {
                TakeHead();
                emit metaDataChanged();
                if (!alive || isFinished()) return;
            }
            if (bodyCame) {
                emit readyRead();
                if (!alive || isFinished()) return;
            }
            if (state == HttpResponseParser::State::Complete) {
                Succeed();
                return;
            }
            if (state == HttpResponseParser::State::Failed) {
                Fail(parser_.failure() == HttpResponseParser::Failure::ClosedEarly
                         ? RemoteHostClosedError
                         : ProtocolFailure,
                     QString::fromStdString(parser_.failureText()));
                return;
            }
        } while (readAgain_);
        reading_ = false;
    }

    // After a read that left room in the buffer, the socket is read again (from the event
    // loop, never inside the reader's read).
    void ResumeIfRoom() {
        if (readScheduled_ || !socket_ || isFinished() || socket_->bytesAvailable() == 0) return;
        if (readBufferSize() > 0 && Buffered() >= readBufferSize()) return;
        readScheduled_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                readScheduled_ = false;
                ReadSocket();
            },
            Qt::QueuedConnection);
    }

    void OnPeerClosed() {
        peerClosed_ = true;
        ReadSocket();
    }

    void OnSocketError(QAbstractSocket::SocketError error) {
        // The server's close ends a body that runs up to it, or cuts one short.
        if (error == QAbstractSocket::RemoteHostClosedError) {
            OnPeerClosed();
            return;
        }
        Fail(ErrorOfSocket(error), socket_ ? socket_->errorString() : QString());
    }

    // The final head's status, reason and fields, repeated fields joined with ", ".
    void TakeHead() {
        setAttribute(QNetworkRequest::HttpStatusCodeAttribute, parser_.status());
        setAttribute(QNetworkRequest::HttpReasonPhraseAttribute,
                     QByteArray::fromStdString(parser_.reason()));
        for (const HttpResponseParser::Field& field : parser_.fields()) {
            const QByteArray name = QByteArray::fromStdString(field.name);
            QByteArray value = QByteArray::fromStdString(field.value);
            if (hasRawHeader(name)) value = rawHeader(name) + ", " + value;
            setRawHeader(name, value);
        }
    }

    void Succeed() {
        DropSocket();
        const int status = parser_.status();
        if (status >= 400) {
            Fail(ErrorOfStatus(status),
                 QStringLiteral("Error transferring %1 - server replied: %2")
                     .arg(url().toString(), QString::fromStdString(parser_.reason())));
            return;
        }
        setFinished(true);
        const QPointer<HttpReply> alive(this);
        emit readChannelFinished();
        if (alive) emit finished();
    }

    void Fail(NetworkError code, const QString& text) {
        if (isFinished()) return;
        DropSocket();
        setError(code, text);
        setFinished(true);
        const QPointer<HttpReply> alive(this);
        emit errorOccurred(code);
        if (alive) emit readChannelFinished();
        if (alive) emit finished();
    }

    void DropSocket() {
        if (!socket_) return;
        QAbstractSocket* socket = socket_;
        socket_ = nullptr;
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }

    QAbstractSocket* socket_ = nullptr;
    HttpResponseParser parser_;
    std::string buffer_;  // body bytes not yet read, from readPos_ on
    std::size_t readPos_ = 0;
    bool reading_ = false;    // inside ReadSocket, whose signals' receivers may yield
    bool readAgain_ = false;  // the socket had more while it was
    bool readScheduled_ = false;
    bool peerClosed_ = false;
};

}  // namespace

QNetworkReply* HttpAccessManager::createRequest(Operation op, const QNetworkRequest& request,
                                                QIODevice* outgoingData) {
    if (op == GetOperation) return new HttpReply(request, this);
    return QNetworkAccessManager::createRequest(op, request, outgoingData);
}

}  // namespace vel
