// The loopback HTTP server of the downloader's tests.
#include "TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>

#include "AsciiText.h"

namespace vel::testing {

namespace {

constexpr std::int64_t kPiece = 64 * 1024;
constexpr std::int64_t kMaxQueued = 256 * 1024;

QByteArray ReadWhole(const std::string& path) {
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 401:
            return "Unauthorized";
        case 404:
            return "Not Found";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

}  // namespace

HttpBehaviour Page(const std::string& body, int status, int delayMs) {
    HttpBehaviour b;
    b.status = status;
    b.body = body;
    b.delayMs = delayMs;
    return b;
}

HttpBehaviour Stalled() {
    HttpBehaviour b;
    b.stall = true;
    return b;
}

HttpBehaviour Raw(const std::string& bytes, bool repeat) {
    HttpBehaviour b;
    b.raw = bytes;
    b.rawForever = repeat;
    return b;
}

std::string GeneratedBody(std::int64_t size) {
    std::string s(static_cast<size_t>(size), '\0');
    for (std::int64_t i = 0; i < size; ++i) s[static_cast<size_t>(i)] = GeneratedByte(i);
    return s;
}

// One client connection: the bytes of the request being read, and the transfer in flight.
struct TestHttpServer::Connection {
    QByteArray pending;
    bool inFlight = false;
    bool answering = false;
    bool keepAlive = true;
    // A generated body being sent: the next offset, where it stops, its announced size.
    std::int64_t next = 0;
    std::int64_t stop = -1;
    bool closeAfter = false;
    bool stallAtStop = false;
    // Raw bytes sent again and again until the client drops the connection.
    std::string rawForever;
    // End the stream without a TLS close once every byte is out.
    bool cutWhenSent = false;
    // The tunnel's connection to its target, once a CONNECT opened it.
    QTcpSocket* tunnel = nullptr;
};

std::string TestHttpServer::TrustedCertificateFile() {
    return std::string(TEST_TLS_FOLDER) + "test-cert.pem";
}

TestHttpServer::TestHttpServer(Security security, const std::string& listenAddress)
    : security_(security), address_(listenAddress) {
    if (security == Security::Tls) {
        auto tls = std::make_unique<QSslServer>();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(
            QSslCertificate(ReadWhole(TrustedCertificateFile()), QSsl::Pem));
        configuration.setPrivateKey(QSslKey(
            ReadWhole(std::string(TEST_TLS_FOLDER) + "test-key.pem"), QSsl::Rsa, QSsl::Pem));
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        tls->setSslConfiguration(configuration);
        server_ = std::move(tls);
    } else {
        server_ = std::make_unique<QTcpServer>();
    }
    // A TLS connection is pending once its handshake is done.
    connect(server_.get(), &QTcpServer::pendingConnectionAvailable, this,
            &TestHttpServer::OnNewConnection);
    server_->setMaxPendingConnections(1000);
    server_->listen(QHostAddress(QString::fromStdString(listenAddress)), 0);
    refusingSocket_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (refusingSocket_ >= 0 &&
        ::bind(refusingSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(refusingSocket_, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        refusingPort_ = ntohs(address.sin_port);
}

TestHttpServer::~TestHttpServer() {
    if (refusingSocket_ >= 0) ::close(refusingSocket_);
    for (auto& [socket, connection] : connections_) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
        delete connection;
    }
}

void TestHttpServer::Route(const std::string& path, const HttpBehaviour& behaviour) {
    routes_[path] = behaviour;
}

void TestHttpServer::AnswerAsRoutedOnly(int routed, const HttpBehaviour& otherwise) {
    routedLeft_ = routed;
    otherwise_ = otherwise;
}

void TestHttpServer::RoutePrefix(const std::string& prefix, const HttpBehaviour& behaviour) {
    prefixes_.emplace_back(prefix, behaviour);
}

std::string TestHttpServer::Url(const std::string& path) const {
    return (security_ == Security::Tls ? "https://" : "http://") + address_ + ":" +
           std::to_string(port()) + path;
}

int TestHttpServer::RequestsFor(const std::string& path) const {
    const auto it = requestsFor_.find(path);
    return it == requestsFor_.end() ? 0 : it->second;
}

std::vector<std::string> TestHttpServer::AuthorizationsFor(const std::string& path) const {
    const auto it = authorizations_.find(path);
    return it == authorizations_.end() ? std::vector<std::string>() : it->second;
}

void TestHttpServer::ResetCounts() {
    requests_ = 0;
    maxInFlight_ = inFlight_;
    requestsFor_.clear();
    authorizations_.clear();
}

const HttpBehaviour* TestHttpServer::Find(const std::string& path) const {
    const auto it = routes_.find(path);
    if (it != routes_.end()) return &it->second;
    for (const auto& [prefix, behaviour] : prefixes_)
        if (path.rfind(prefix, 0) == 0) return &behaviour;
    return nullptr;
}

void TestHttpServer::OnNewConnection() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        ++connectionsAccepted_;
        // As real servers do: a piece written after a pause goes out at once instead of waiting
        // for the client's delayed acknowledgement of the one before.
        socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        connections_[socket] = new Connection;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnReadyRead(socket); });
        connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { SendGenerated(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            const auto it = connections_.find(socket);
            if (it == connections_.end()) return;
            if (it->second->inFlight) --inFlight_;
            delete it->second;
            connections_.erase(it);
            socket->deleteLater();
        });
    }
}

void TestHttpServer::OnReadyRead(QTcpSocket* socket) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    c.pending += socket->readAll();
    if (c.tunnel) {
        c.tunnel->write(c.pending);
        c.pending.clear();
        return;
    }
    if (c.answering) return;
    const qsizetype end = c.pending.indexOf("\r\n\r\n");
    if (end < 0) return;
    const std::string head = c.pending.left(end).toStdString();
    c.pending.remove(0, end + 4);

    Request request;
    size_t lineStart = 0;
    for (int lineNo = 0; lineStart <= head.size(); ++lineNo) {
        size_t lineEnd = head.find("\r\n", lineStart);
        if (lineEnd == std::string::npos) lineEnd = head.size();
        const std::string line = head.substr(lineStart, lineEnd - lineStart);
        if (lineNo == 0) {
            const size_t a = line.find(' ');
            const size_t b = line.find(' ', a + 1);
            request.connect = line.substr(0, a) == "CONNECT";
            request.path = line.substr(a + 1, b - a - 1);
            request.path = request.path.substr(0, request.path.find('?'));
        } else {
            const size_t colon = line.find(':');
            if (colon != std::string::npos) {
                const std::string name = ToLowerAscii(line.substr(0, colon));
                std::string value = line.substr(colon + 1);
                value.erase(0, value.find_first_not_of(' '));
                if (name == "authorization") request.auth = value;
                if (name == "cookie") request.cookie = value;
                if (name == "accept-encoding") lastAcceptEncoding_ = value;
                if (name == "connection" && ToLowerAscii(value) == "close")
                    request.keepAlive = false;
            }
        }
        lineStart = lineEnd + 2;
    }
    if (request.connect) {
        ++requests_;
        ++requestsFor_[request.path];
        OpenTunnel(socket, request.path);
        return;
    }
    HandleRequest(socket, request);
}

void TestHttpServer::OpenTunnel(QTcpSocket* socket, const std::string& target) {
    Connection& c = *connections_[socket];
    const size_t colon = target.rfind(':');
    auto* tunnel = new QTcpSocket(socket);
    c.tunnel = tunnel;
    connect(tunnel, &QTcpSocket::connected, socket, [socket, tunnel, this] {
        socket->write("HTTP/1.1 200 Connection established\r\n\r\n");
        const auto it = connections_.find(socket);
        if (it != connections_.end() && !it->second->pending.isEmpty()) {
            tunnel->write(it->second->pending);
            it->second->pending.clear();
        }
    });
    connect(tunnel, &QTcpSocket::readyRead, socket,
            [socket, tunnel] { socket->write(tunnel->readAll()); });
    connect(tunnel, &QTcpSocket::disconnected, socket, [socket] { socket->disconnectFromHost(); });
    connect(tunnel, &QTcpSocket::errorOccurred, socket, [socket] { socket->disconnectFromHost(); });
    tunnel->connectToHost(QString::fromStdString(target.substr(0, colon)),
                          static_cast<quint16>(std::stoi(target.substr(colon + 1))));
}

void TestHttpServer::HandleRequest(QTcpSocket* socket, const Request& request) {
    const std::string& path = request.path;
    Connection& c = *connections_[socket];
    ++requests_;
    ++requestsFor_[path];
    authorizations_[path].push_back(request.auth);
    c.inFlight = true;
    c.answering = true;
    maxInFlight_ = std::max(maxInFlight_, ++inFlight_);

    static const HttpBehaviour kNotFound = Page("Not found", 404);
    const HttpBehaviour* found = Find(path);
    HttpBehaviour b = found ? *found : kNotFound;
    if (routedLeft_ == 0)
        b = otherwise_;
    else if (routedLeft_ > 0)
        --routedLeft_;
    if (b.truncateTimes >= 0 && requestsFor_[path] > b.truncateTimes) b.truncateAt = -1;
    if (b.closeWithoutAnswer) {
        socket->disconnectFromHost();
        return;
    }
    if (b.stall) return;
    if (!b.requiredCookie.empty() && request.cookie.find(b.requiredCookie) == std::string::npos) {
        HttpBehaviour redirect;
        redirect.location = b.cookieMissingLocation;
        b = redirect;
    }
    if (b.delayMs > 0)
        QTimer::singleShot(b.delayMs, socket,
                           [this, socket, b, request] { Answer(socket, b, request); });
    else
        Answer(socket, b, request);
}

void TestHttpServer::Answer(QTcpSocket* socket, const HttpBehaviour& behaviour,
                            const Request& request) {
    const std::string& auth = request.auth;
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it->second;

    HttpBehaviour b = behaviour;
    if (!b.raw.empty()) {
        if (b.rawForever) {
            c.rawForever = b.raw;
            SendGenerated(socket);
            return;
        }
        socket->write(b.raw.data(), static_cast<qint64>(b.raw.size()));
        EndTransfer(socket, true);
        return;
    }
    if (!b.basicUser.empty() || !b.basicPassword.empty()) {
        const std::string expected =
            "Basic " +
            QByteArray::fromStdString(b.basicUser + ":" + b.basicPassword).toBase64().toStdString();
        if (auth != expected) b = Page("Unauthorized", 401);
    }
    const std::int64_t size =
        b.generatedSize >= 0 ? b.generatedSize : static_cast<std::int64_t>(b.body.size());
    int status = b.status;
    if (!b.location.empty() && status == 200) status = 302;
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    if (!b.location.empty()) head += "Location: " + b.location + "\r\n";
    if (!b.setCookie.empty()) head += "Set-Cookie: " + b.setCookie + "\r\n";
    if (!b.contentEncoding.empty()) head += "Content-Encoding: " + b.contentEncoding + "\r\n";
    if (status == 401) head += "WWW-Authenticate: Basic realm=\"tests\"\r\n";
    if (!b.closeDelimited) head += "Content-Length: " + std::to_string(size) + "\r\n";
    const bool close = !request.keepAlive || b.closeDelimited || b.truncateAt >= 0;
    head += close ? "Connection: close\r\n" : "Connection: keep-alive\r\n";
    head += "Content-Type: application/octet-stream\r\n\r\n";
    socket->write(head.data(), static_cast<qint64>(head.size()));

    std::int64_t stop = b.truncateAt >= 0 ? std::min(b.truncateAt, size) : size;
    if (b.stallAt >= 0) stop = std::min(b.stallAt, stop);
    c.cutWhenSent = close && b.dropWithoutTlsClose;
    if (b.bodyDelayMs >= 0) {
        socket->flush();
        QTimer::singleShot(b.bodyDelayMs, socket, [this, socket, b, stop, close] {
            if (connections_.count(socket)) SendBody(socket, b, stop, close);
        });
        return;
    }
    SendBody(socket, b, stop, close);
}

void TestHttpServer::SendBody(QTcpSocket* socket, const HttpBehaviour& b, std::int64_t stop,
                              bool close) {
    Connection& c = *connections_[socket];
    if (b.generatedSize >= 0) {
        c.next = 0;
        c.stop = stop;
        c.closeAfter = close;
        c.stallAtStop = b.stallAt >= 0;
        SendGenerated(socket);
        return;
    }
    socket->write(b.body.data(), stop);
    if (b.stallAt < 0) EndTransfer(socket, close);
}

void TestHttpServer::SendGenerated(QTcpSocket* socket) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    if (!c.rawForever.empty()) {
        while (socket->bytesToWrite() < kMaxQueued)
            socket->write(c.rawForever.data(), static_cast<qint64>(c.rawForever.size()));
        return;
    }
    if (c.stop < 0) return;
    // The generated bytes repeat every kGeneratedPeriod bytes: a piece is a slice of one table,
    // so that the server keeps up with a client reading gigabytes a second.
    static const std::string table = GeneratedBody(kGeneratedPeriod + kPiece);
    while (c.next < c.stop && socket->bytesToWrite() < kMaxQueued) {
        const std::int64_t n = std::min(kPiece, c.stop - c.next);
        socket->write(table.data() + c.next % kGeneratedPeriod, n);
        c.next += n;
    }
    if (c.next >= c.stop) {
        c.stop = -1;
        if (!c.stallAtStop) EndTransfer(socket, c.closeAfter);
    }
}

void TestHttpServer::EndTransfer(QTcpSocket* socket, bool close) {
    const auto it = connections_.find(socket);
    if (it == connections_.end()) return;
    Connection& c = *it->second;
    if (c.inFlight) {
        c.inFlight = false;
        --inFlight_;
    }
    c.answering = false;
    if (close) {
        if (c.cutWhenSent)
            CutWhenSent(socket);
        else
            socket->disconnectFromHost();
        return;
    }
    // The next request of a kept-alive connection may already wait in the buffer.
    if (!c.pending.isEmpty())
        QTimer::singleShot(0, socket, [this, socket] { OnReadyRead(socket); });
}

void TestHttpServer::CutWhenSent(QTcpSocket* socket) {
    // From the event loop, never inside the socket's own signal; once Qt holds nothing more to
    // send, the sending side is shut down under the socket, so that the bytes are followed by
    // the end of the stream and no TLS close goes out before it.
    QTimer::singleShot(5, socket, [this, socket] {
        if (!connections_.count(socket)) return;
        socket->flush();
        auto* tls = qobject_cast<QSslSocket*>(socket);
        if (socket->bytesToWrite() > 0 || (tls && tls->encryptedBytesToWrite() > 0))
            CutWhenSent(socket);
        else
            ::shutdown(static_cast<int>(socket->socketDescriptor()), SHUT_WR);
    });
}

}  // namespace vel::testing
