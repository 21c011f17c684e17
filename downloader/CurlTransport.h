// The transfers of Tarquel: HTTP and HTTPS GETs over libcurl, on one multi handle driven by the
// Qt event loop (its sockets on QSocketNotifiers, its timer on a single-shot QTimer), so that
// connections and TLS sessions are reused across a list, HTTP/2 is taken where a server offers
// it over TLS, proxies come from the environment as curl reads them (http_proxy, https_proxy,
// no_proxy), cookies live in memory for the run, and TLS verifies the peer and the host name
// with the system's certificates, or with the authorities that the environment names as curl's
// own tool reads them (CURL_CA_BUNDLE; else SSL_CERT_FILE and SSL_CERT_DIR). A body that the
// server compresses in gzip, deflate or br although the request asks for none is decoded, and is
// whole only when its compressed stream ended whole or it has no bytes at all (BodyDecoder); a
// body of another coding is handed on as it came.
//
// A transfer reports to its client: the body bytes of the final response as they come, decoded
// (inside libcurl's write callback, so the client only stores them), then, from the event loop and
// never inside libcurl, the head of the final response and the end. A body counts as whole only
// when curl reports it so and a final status came; two different Content-Length values and more
// than kMaxInterim interim answers end the transfer as errors too. Redirects are not followed
// here: the end reports the target, and the caller decides whether to go there. Over HTTPS and
// HTTP/1.x, a body that runs up to the end of the connection is whole only with the peer's TLS
// close, where the transport can see it (curl's TLS is OpenSSL's); elsewhere curl's word holds.
#pragma once

#include <QObject>
#include <QTimer>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct Curl_easy;
struct Curl_multi;
struct Curl_share;
class QSocketNotifier;

namespace vel {

struct TransferRequest {
    std::string url;
    // Sent as Basic credentials (at once, not after a refusal) when withCredentials is set.
    bool withCredentials = false;
    std::string userName;
    std::string password;
};

struct TransferOutcome {
    // A final status and a body that curl reports whole. For a redirect (see redirectTo) the
    // redirect's own page is not the content and was not handed to the client.
    bool whole = false;
    // The final HTTP status, 0 when none came.
    int status = 0;
    // For an answer 301, 302, 303, 307 or 308 with a Location: where it leads, resolved against
    // the request's address (as the server wrote it where curl could not resolve it).
    std::string redirectTo;
    // The client refused body bytes (its file could not take them).
    bool clientRefused = false;
    // Why the transfer is not whole: curl's error text, or the framing that was refused.
    std::string error;
};

// The receiver of one transfer's events.
class TransferClient {
public:
    // Body bytes of the final response, in order. Called inside libcurl's write callback: the
    // client stores them and returns, never yields, starts or aborts a transfer. False ends the
    // transfer (the end reports clientRefused).
    virtual bool TakeTransferBody(const char* data, std::size_t size) = 0;
    // The head of the final response has come (not for a redirect). From the event loop.
    virtual void TransferHeadArrived(int status) = 0;
    // The transfer has ended; nothing more comes of it. From the event loop.
    virtual void TransferEnded(const TransferOutcome& outcome) = 0;

protected:
    ~TransferClient() = default;
};

class CurlTransport : public QObject {
    Q_OBJECT

public:
    using Id = std::uint64_t;

    // Connections to one host at the most (the download run has five controls); a transfer
    // beyond them waits for one to come free.
    static constexpr long kMaxHostConnections = 5;
    // Connections kept open for later transfers at the most (of all hosts together).
    static constexpr long kKeptConnections = 20;
    // Interim (1xx) answers before the final one at the most; one more is an error.
    static constexpr int kMaxInterim = 20;
    // Rounds of curl's work in one action of the transport at the most (see Act).
    static constexpr int kActionRounds = 4;

    explicit CurlTransport(QObject* parent = nullptr);
    ~CurlTransport() override;
    CurlTransport(const CurlTransport&) = delete;
    CurlTransport& operator=(const CurlTransport&) = delete;

    // Starts a GET of the address; its events go to the client until it ends or is aborted.
    // Only http and https are fetched; another scheme ends the transfer in error. Returns the
    // transfer's id (never 0).
    Id Start(const TransferRequest& request, TransferClient& client);
    // Stops the transfer and drops its events still to come; an ended or unknown id is ignored.
    // Not from inside TakeTransferBody.
    void Abort(Id id);

    // The certificates that TLS trusts in place of the system's and the environment's (tests
    // trust their own server's certificate so); empty: those.
    void SetTrustedCertificates(const std::string& pemFile) { trustedCertificates_ = pemFile; }
    // Whether transfers started from now on watch for the TLS close, as they do where curl's TLS
    // is OpenSSL's; off, a close-delimited HTTPS body is taken as curl reports it, as on another
    // TLS backend. Turning it on where it cannot be watched changes nothing.
    void SetTlsCloseWatch(bool on);
    // Called around every action of the transport (curl's handling of a socket's readiness or of
    // its timer, with the delivery of the events it raised), on the event loop's thread: what
    // another thread hands back to the loop meanwhile can be taken up at `ended` instead of
    // waking the loop. Null: none.
    void SetActionHooks(void (*begins)(), void (*ended)());

private:
    struct Transfer;
    struct Watch;
    struct Event {
        Id id;
        bool end;  // false: the head
    };

    static int OnSocket(Curl_easy* easy, int socket, int what, void* self, void* socketData);
    static int OnTimer(Curl_multi* multi, long timeoutMs, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* transfer);
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* transfer);
    // At the end of the final head: sets up the decoding of a compressed body. False (with the
    // refusal set) ends the transfer.
    static bool StartDecoding(Transfer& transfer);
    // The TLS layer's callbacks (in the source), which note a peer's TLS close.
    friend struct TlsHooks;

    void WatchSocket(int socket, int what);
    void UnwatchSocket(int socket);
    // Switches the watch's notifiers off.
    static void SwitchOff(Watch& watch);
    // A notifier of the socket, which `watch` watches, has fired.
    void OnReady(Watch& watch, int socket, int events);
    // Curl has opened a socket for a connection (SocketHooks, in the source), and closes one.
    friend struct SocketHooks;
    void NoteConnection(int socket);
    static int OnClose(void* self, int socket);
    // Tells curl what happened on the socket (or that its timer ran out), takes the transfers
    // that have ended and delivers the events; a time-out of 0 that curl asks for meanwhile runs
    // in the same action.
    void Act(int socket, int events);
    void TakeEnded();
    void Post(Id id, bool end);
    void Deliver();
    void Drop(Transfer& transfer);

    Curl_multi* multi_ = nullptr;
    Curl_share* share_ = nullptr;
    QTimer timer_;
    std::map<int, std::unique_ptr<Watch>> watches_;
    std::map<Id, std::unique_ptr<Transfer>> transfers_;
    std::deque<Event> events_;
    bool deliveryPosted_ = false;
    bool acting_ = false;      // curl_multi_socket_action runs (its callbacks post events)
    bool timeoutDue_ = false;  // curl's last timer asks for an action at once
    void (*actionBegins_)() = nullptr;
    void (*actionEnded_)() = nullptr;
    // Clients whose handler of an event runs (a few; a list, so that an event costs no node).
    std::vector<TransferClient*> handling_;
    Id lastId_ = 0;
    std::string trustedCertificates_;
    // The authorities that the environment named when the transport was made.
    std::string userCertificateFile_;
    std::string userCertificateFolder_;
    bool watchTlsClose_ = false;
};

}  // namespace vel
