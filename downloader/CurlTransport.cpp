// The transfers of Tarquel over libcurl.
#define CURL_STRICTER  // CURL, CURLM and CURLSH as the struct types the header declares
#include "CurlTransport.h"

#include <curl/curl.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>
#if VELLICOR_CURL_OPENSSL
#include <openssl/ssl.h>
#endif

#include <QMetaObject>
#include <QSocketNotifier>
#include <algorithm>
#include <mutex>
#include <string_view>

#include "AsciiText.h"
#include "BodyDecoder.h"

namespace vel {

namespace {

// What curl reads from a socket in one go: large enough for a fast local transfer, small enough
// that five of them cost no memory worth speaking of.
constexpr long kReceiveBufferSize = 256 * 1024;

// Whether the TLS close can be watched: curl's TLS in use is OpenSSL's (a backend that is built in
// but not in use is named in brackets), and the transport was built with its hook.
bool CanWatchTlsClose() {
#if VELLICOR_CURL_OPENSSL
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !info->ssl_version) return false;
    // The backends are named one a word, as "(GnuTLS/3.7.9) OpenSSL/3.0.11".
    std::string_view names(info->ssl_version);
    for (std::size_t at = 0; at < names.size();) {
        const std::size_t end = std::min(names.find(' ', at), names.size());
        if (StartsWithNoCase(names.substr(at, end - at), "OpenSSL")) return true;
        at = end + 1;
    }
    return false;
#else
    return false;
#endif
}

// The certificate authorities that the user names in the environment, read as curl's own tool
// reads them: CURL_CA_BUNDLE alone when it is set, else SSL_CERT_FILE and SSL_CERT_DIR (a
// folder in OpenSSL's hashed form). An empty value counts as none.
struct UserCertificates {
    std::string file;
    std::string folder;
};

UserCertificates UserCertificatesOfEnvironment() {
    const auto value = [](const char* name) {
        const char* v = ::getenv(name);
        return std::string(v ? v : "");
    };
    UserCertificates c;
    c.file = value("CURL_CA_BUNDLE");
    if (!c.file.empty()) return c;
    c.file = value("SSL_CERT_FILE");
    c.folder = value("SSL_CERT_DIR");
    return c;
}

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// The length that a Content-Length field gives: one decimal number, or a list of equal ones
// ("5, 5"). Returns why the field is refused, or nullptr with the length set.
const char* LengthOfField(std::string_view value, std::uint64_t& length) {
    bool first = true;
    for (;;) {
        const std::size_t comma = value.find(',');
        const std::string_view part = TrimAsciiSpace(value.substr(0, comma));
        // 18 digits stay below 2^63, where curl's own reading of the number ends.
        if (part.empty() || part.size() > 18) return "an invalid Content-Length";
        std::uint64_t n = 0;
        for (const char c : part) {
            if (!IsAsciiDigit(c)) return "an invalid Content-Length";
            n = n * 10 + static_cast<std::uint64_t>(c - '0');
        }
        if (!first && n != length) return "two different Content-Length values";
        length = n;
        first = false;
        if (comma == std::string_view::npos) return nullptr;
        value.remove_prefix(comma + 1);
    }
}

bool IsRedirectStatus(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The status of a status line ("HTTP/1.1 200 OK", "HTTP/2 404"), or -1 when it is none.
int StatusOfLine(std::string_view line) {
    if (!StartsWithNoCase(line, "HTTP/")) return -1;
    const std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return -1;
    int status = 0;
    int digits = 0;
    for (std::size_t i = blank + 1; i < line.size() && IsAsciiDigit(line[i]); ++i) {
        status = status * 10 + (line[i] - '0');
        if (++digits > 3) return -1;
    }
    return digits == 3 ? status : -1;
}

// The body length of the final answer as curl frames it, -1 when it runs up to the end of the
// connection (or is chunked).
curl_off_t AnnouncedLength(CURL* easy) {
    curl_off_t length = -1;
    curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    return length;
}

}  // namespace

// One socket that curl asked to watch.
struct CurlTransport::Watch {
    std::unique_ptr<QSocketNotifier> read;
    std::unique_ptr<QSocketNotifier> write;
    // Curl has let go of the socket (a kept connection between two transfers).
    bool released = false;
    // The socket is a connection that curl opened and closes through the transport (OnOpen,
    // OnClose); curl's other descriptors (its resolver's) it closes itself.
    bool connection = false;
};

struct CurlTransport::Transfer {
    Id id = 0;
    CurlTransport* owner = nullptr;
    TransferClient* client = nullptr;
    CURL* easy = nullptr;  // null once curl has finished with it
    char errorText[CURL_ERROR_SIZE] = {};
    // The response being read: the status of the head in hand, and of its fields those that
    // matter here.
    int status = 0;
    int interim = 0;
    bool finalHead = false;  // the blank line after a final head has come
    bool redirect = false;
    std::string location;
    std::uint64_t contentLength = 0;
    bool lengthSeen = false;
    bool chunked = false;
    bool http1 = false;  // the head came over HTTP/1.x
    // The head's Content-Encoding fields, joined by commas, and the decoder of the final
    // answer's body when it is compressed in a coding that is decoded here.
    std::string contentEncoding;
    std::unique_ptr<BodyDecoder> decoder;
    // Over TLS: the connection's TLS object once a head has come, when the transport's hook
    // watches it (TlsHooks), and whether its TLS close came (a body that runs up to the end of
    // the connection is whole only then).
    bool tls = false;
    void* tlsObject = nullptr;
    bool tlsClosed = false;
    std::string refusal;  // why the header callback ended the transfer
    bool clientRefused = false;
    TransferOutcome outcome;
};

#if VELLICOR_CURL_OPENSSL
namespace {

int TransportIndex() {
    static const int index = SSL_CTX_get_ex_new_index(0, nullptr, nullptr, nullptr, nullptr);
    return index;
}

}  // namespace

struct TlsHooks {
    static CURLcode OnContext(CURL*, void* context, void* self) {
        auto* ssl = static_cast<SSL_CTX*>(context);
        SSL_CTX_set_ex_data(ssl, TransportIndex(), self);
        SSL_CTX_set_info_callback(ssl, &TlsHooks::OnInfo);
        return CURLE_OK;
    }
    // A close alert read from the peer: the end of the stream that follows it is a clean one.
    static void OnInfo(const SSL* ssl, int where, int value) {
        if ((where & SSL_CB_READ_ALERT) != SSL_CB_READ_ALERT ||
            (value & 0xFF) != SSL_AD_CLOSE_NOTIFY)
            return;
        auto* self = static_cast<CurlTransport*>(
            SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), TransportIndex()));
        if (!self) return;
        for (auto& [id, t] : self->transfers_)
            if (t->tlsObject == ssl) t->tlsClosed = true;
    }
    // The TLS object of the transfer's connection when the hook watches it, else null.
    static void* Watched(CurlTransport& self, CURL* easy) {
        curl_tlssessioninfo* session = nullptr;
        if (curl_easy_getinfo(easy, CURLINFO_TLS_SSL_PTR, &session) != CURLE_OK || !session ||
            session->backend != CURLSSLBACKEND_OPENSSL || !session->internals)
            return nullptr;
        auto* ssl = static_cast<SSL*>(session->internals);
        return SSL_CTX_get_ex_data(SSL_get_SSL_CTX(ssl), TransportIndex()) == &self ? ssl : nullptr;
    }
};
#else
// Without OpenSSL no hook sees a TLS close.
struct TlsHooks {
    static void* Watched(CurlTransport&, CURL*) { return nullptr; }
};
#endif

// Opens curl's connections, so that the transport knows which sockets curl closes through it.
struct SocketHooks {
    static curl_socket_t OnOpen(void* self, curlsocktype, curl_sockaddr* address) {
        const curl_socket_t socket =
            ::socket(address->family, address->socktype | SOCK_CLOEXEC, address->protocol);
        if (socket != CURL_SOCKET_BAD) static_cast<CurlTransport*>(self)->NoteConnection(socket);
        return socket;
    }
};

CurlTransport::CurlTransport(QObject* parent) : QObject(parent) {
    InitialiseCurlOnce();
    multi_ = curl_multi_init();
    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlTransport::OnSocket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlTransport::OnTimer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_MAX_HOST_CONNECTIONS, kMaxHostConnections);
    // The idle connections kept for the next transfers; curl's own limit follows the number of
    // transfers running, and closed connections whenever fewer than five ran.
    curl_multi_setopt(multi_, CURLMOPT_MAXCONNECTS, kKeptConnections);
    curl_multi_setopt(multi_, CURLMOPT_PIPELINING, CURLPIPE_MULTIPLEX);
    // The transfers share cookies, TLS sessions and resolved names; connections are shared by
    // the multi handle itself.
    share_ = curl_share_init();
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    const UserCertificates user = UserCertificatesOfEnvironment();
    userCertificateFile_ = user.file;
    userCertificateFolder_ = user.folder;
    watchTlsClose_ = CanWatchTlsClose();
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { Act(CURL_SOCKET_TIMEOUT, 0); });
}

CurlTransport::~CurlTransport() {
    for (auto& [id, transfer] : transfers_) Drop(*transfer);
    transfers_.clear();
    curl_multi_cleanup(multi_);
    curl_share_cleanup(share_);
    watches_.clear();
}

void CurlTransport::SetTlsCloseWatch(bool on) {
    watchTlsClose_ = on && CanWatchTlsClose();
}

CurlTransport::Id CurlTransport::Start(const TransferRequest& request, TransferClient& client) {
    auto transfer = std::make_unique<Transfer>();
    Transfer& t = *transfer;
    t.id = ++lastId_;
    t.owner = this;
    t.client = &client;
    t.tls = StartsWithNoCase(request.url, "https:");
    t.easy = curl_easy_init();
    CURL* e = t.easy;
    curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(e, CURLOPT_PRIVATE, &t);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t.errorText);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_SHARE, share_);
    // Only http and https, also for whatever a redirect names (the redirects are followed by
    // the caller, step by step).
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    // The cookie engine, in memory only: nothing is read from or written to a file.
    curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_2TLS));
    // Over TLS a transfer that could share a connection being set up waits for its handshake
    // (which tells whether it multiplexes) instead of opening one more. Plain HTTP is never
    // multiplexed, and there the wait would last until the first answer.
    if (t.tls) curl_easy_setopt(e, CURLOPT_PIPEWAIT, 1L);
    curl_easy_setopt(e, CURLOPT_USERAGENT, "Mozilla/5.0");
    // The file receives the bytes exactly as the server has them: the request asks for them
    // unencoded, and a body that the server compresses all the same (a gzip_static file) is
    // decoded here (BodyDecoder), not by curl, which cannot tell a compressed stream cut short
    // and refuses a coding it does not know.
    curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "identity");
    curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    // Its connections are opened and closed here, so that their notifiers go off first.
    curl_easy_setopt(e, CURLOPT_OPENSOCKETFUNCTION, &SocketHooks::OnOpen);
    curl_easy_setopt(e, CURLOPT_OPENSOCKETDATA, this);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETFUNCTION, &CurlTransport::OnClose);
    curl_easy_setopt(e, CURLOPT_CLOSESOCKETDATA, this);
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CurlTransport::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CurlTransport::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    // Curl takes the end of a TLS connection without the TLS close for a clean end; the
    // transport watches for the close itself where it can (TlsHooks).
#if VELLICOR_CURL_OPENSSL
    if (watchTlsClose_) {
        curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, &TlsHooks::OnContext);
        curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, this);
    }
#endif
    // A proxy's own TLS (an https:// proxy) trusts the same authorities.
    const auto trust = [e](CURLoption option, CURLoption proxyOption, const std::string& path) {
        if (path.empty()) return;
        curl_easy_setopt(e, option, path.c_str());
        curl_easy_setopt(e, proxyOption, path.c_str());
    };
    if (!trustedCertificates_.empty()) {
        trust(CURLOPT_CAINFO, CURLOPT_PROXY_CAINFO, trustedCertificates_);
    } else {
        trust(CURLOPT_CAINFO, CURLOPT_PROXY_CAINFO, userCertificateFile_);
        trust(CURLOPT_CAPATH, CURLOPT_PROXY_CAPATH, userCertificateFolder_);
    }
    if (request.withCredentials) {
        curl_easy_setopt(e, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC));
        curl_easy_setopt(e, CURLOPT_USERNAME, request.userName.c_str());
        curl_easy_setopt(e, CURLOPT_PASSWORD, request.password.c_str());
    }
    const Id id = t.id;
    transfers_.emplace(id, std::move(transfer));
    const CURLMcode added = curl_multi_add_handle(multi_, e);
    if (added != CURLM_OK) {
        t.outcome.error = curl_multi_strerror(added);
        curl_easy_cleanup(e);
        t.easy = nullptr;
        Post(id, true);
    }
    return id;
}

void CurlTransport::Abort(Id id) {
    const auto it = transfers_.find(id);
    if (it == transfers_.end()) return;
    Drop(*it->second);
    transfers_.erase(it);
}

void CurlTransport::Drop(Transfer& t) {
    if (!t.easy) return;
    curl_multi_remove_handle(multi_, t.easy);
    curl_easy_cleanup(t.easy);
    t.easy = nullptr;
}

int CurlTransport::OnSocket(CURL*, int socket, int what, void* self, void*) {
    auto& transport = *static_cast<CurlTransport*>(self);
    if (what == CURL_POLL_REMOVE)
        transport.UnwatchSocket(socket);
    else
        transport.WatchSocket(socket, what);
    return 0;
}

void CurlTransport::WatchSocket(int socket, int what) {
    std::unique_ptr<Watch>& watch = watches_[socket];
    if (!watch) watch = std::make_unique<Watch>();
    watch->released = false;
    // The notifiers belong to the watch, which stays as long as the transport: their handlers
    // may keep it.
    Watch* const w = watch.get();
    const auto want = [this, socket, w](std::unique_ptr<QSocketNotifier>& notifier,
                                        QSocketNotifier::Type type, bool on) {
        if (on && !notifier) {
            notifier = std::make_unique<QSocketNotifier>(socket, type);
            const int events = type == QSocketNotifier::Read ? CURL_CSELECT_IN : CURL_CSELECT_OUT;
            connect(notifier.get(), &QSocketNotifier::activated, this,
                    [this, socket, events, w] { OnReady(*w, socket, events); });
        }
        if (notifier && notifier->isEnabled() != on) notifier->setEnabled(on);
    };
    want(watch->read, QSocketNotifier::Read, (what & CURL_POLL_IN) != 0);
    want(watch->write, QSocketNotifier::Write, (what & CURL_POLL_OUT) != 0);
}

void CurlTransport::UnwatchSocket(int socket) {
    const auto it = watches_.find(socket);
    if (it == watches_.end()) return;
    // Curl lets go of a kept connection's socket between two transfers and takes it up again
    // for the next: its notifiers serve it again instead of being made anew and deleted later.
    // The one for reading stays on meanwhile (switching it off and on again costs the event
    // loop twice over) and goes off when the idle socket turns readable (the server closed it)
    // or is closed; one for writing would fire at once, so it goes off now. Another descriptor
    // (the resolver's, which curl closes itself, perhaps already) goes off at once: no notifier
    // may watch a closed descriptor. A disabled notifier watches nothing, whatever the number
    // then names. The notifier may be the one whose signal is being handled, so it is not
    // deleted here.
    Watch& watch = *it->second;
    if (!watch.connection) {
        SwitchOff(watch);
        return;
    }
    watch.released = true;
    if (watch.write && watch.write->isEnabled()) watch.write->setEnabled(false);
}

void CurlTransport::SwitchOff(Watch& watch) {
    for (std::unique_ptr<QSocketNotifier>* n : {&watch.read, &watch.write})
        if (*n && (*n)->isEnabled()) (*n)->setEnabled(false);
}

void CurlTransport::OnReady(Watch& watch, int socket, int events) {
    if (watch.released) {
        // Nothing for curl, which looks at the connection when it takes it up again.
        SwitchOff(watch);
        return;
    }
    Act(socket, events);
}

void CurlTransport::NoteConnection(int socket) {
    std::unique_ptr<Watch>& watch = watches_[socket];
    if (!watch) watch = std::make_unique<Watch>();
    watch->connection = true;
}

int CurlTransport::OnClose(void* self, curl_socket_t socket) {
    // No notifier watches a closed descriptor.
    auto& transport = *static_cast<CurlTransport*>(self);
    const auto it = transport.watches_.find(socket);
    if (it != transport.watches_.end()) {
        transport.SwitchOff(*it->second);
        it->second->connection = false;
    }
    return ::close(socket);
}

int CurlTransport::OnTimer(CURLM*, long timeoutMs, void* self) {
    auto& transport = *static_cast<CurlTransport*>(self);
    // Curl is never called from inside its own callback: a time-out of 0 runs from the loop, or
    // at the end of the action under way.
    transport.timeoutDue_ = timeoutMs == 0;
    if (timeoutMs < 0)
        transport.timer_.stop();
    else
        transport.timer_.start(static_cast<int>(std::min<long>(timeoutMs, 1L << 30)));
    return 0;
}

void CurlTransport::SetActionHooks(void (*begins)(), void (*ended)()) {
    actionBegins_ = begins;
    actionEnded_ = ended;
}

void CurlTransport::Act(int socket, int events) {
    // A transfer started while the events were handled has curl ask for its timer at once: it
    // is sent in a further round of this action, not in a pass of the event loop of its own. The
    // rounds are few, so that the loop's other events never wait long; after the last one the
    // timer that curl asked for runs from the loop.
    for (int round = 1;; ++round) {
        if (actionBegins_) actionBegins_();
        int running = 0;
        acting_ = true;
        curl_multi_socket_action(multi_, socket, events, &running);
        TakeEnded();
        acting_ = false;
        // The events go to their clients now that curl has returned: a posted delivery would
        // cost the event loop one more wake-up for every transfer.
        if (!events_.empty()) Deliver();
        if (actionEnded_) actionEnded_();
        if (!timeoutDue_ || round == kActionRounds) return;
        timeoutDue_ = false;
        timer_.stop();
        socket = CURL_SOCKET_TIMEOUT;
        events = 0;
    }
}

void CurlTransport::TakeEnded() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg != CURLMSG_DONE) continue;
        CURL* easy = message->easy_handle;
        const CURLcode code = message->data.result;
        Transfer* t = nullptr;
        curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char**>(&t));
        if (!t) continue;
        TransferOutcome& o = t->outcome;
        o.status = t->finalHead ? t->status : 0;
        o.clientRefused = t->clientRefused;
        if (!t->refusal.empty()) {
            o.error = t->refusal;
        } else if (t->clientRefused) {
            o.error = "the file did not take the body";
        } else if (code != CURLE_OK) {
            o.error = t->errorText[0] != '\0' ? t->errorText : curl_easy_strerror(code);
        } else if (!t->finalHead) {
            o.error = "no final answer came";
        } else if (t->tlsObject && t->http1 && !t->chunked && t->status != 204 &&
                   t->status != 304 && AnnouncedLength(easy) < 0 && !t->tlsClosed) {
            // A body framed by the end of the connection, which came without the TLS close
            // (known only where the hook watched the connection).
            o.error = "the connection ended without the TLS close";
        } else if (t->decoder && !t->decoder->Finish()) {
            o.error = t->decoder->Error();
        } else if (t->redirect) {
            char* target = nullptr;
            curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &target);
            o.redirectTo = target ? target : t->location;
            o.whole = true;
        } else {
            o.whole = true;
        }
        Drop(*t);
        Post(t->id, true);
    }
}

std::size_t CurlTransport::OnHeader(char* data, std::size_t size, std::size_t count,
                                    void* transfer) {
    auto& t = *static_cast<Transfer*>(transfer);
    const std::size_t length = size * count;
    // Trailer fields after the body are no part of the head.
    if (t.finalHead) return length;
    const std::string_view line = TrimAsciiSpace(std::string_view(data, length));
    const int status = StatusOfLine(line);
    if (status >= 0) {
        t.status = status;
        t.http1 = StartsWithNoCase(line, "HTTP/1.");
        t.location.clear();
        t.contentLength = 0;
        t.lengthSeen = false;
        t.chunked = false;
        t.contentEncoding.clear();
        if (t.tls && !t.tlsObject) t.tlsObject = TlsHooks::Watched(*t.owner, t.easy);
        if (status < 200 && ++t.interim > kMaxInterim) {
            t.refusal = "more than " + std::to_string(kMaxInterim) + " interim answers";
            return 0;
        }
        return length;
    }
    if (line.empty()) {
        if (t.status >= 200) {
            t.finalHead = true;
            t.redirect = IsRedirectStatus(t.status) && !t.location.empty();
            if (!t.redirect && !StartDecoding(t)) return 0;
            if (!t.redirect) t.owner->Post(t.id, false);
        }
        return length;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return length;
    const std::string_view name = TrimAsciiSpace(line.substr(0, colon));
    const std::string_view value = TrimAsciiSpace(line.substr(colon + 1));
    if (EqualsNoCase(name, "content-length")) {
        // Curl reads a length it cannot take as none and the body up to the end of the
        // connection, and takes the first of two; a framing that is not sure is refused.
        std::uint64_t length = 0;
        const char* refused = LengthOfField(value, length);
        if (!refused && t.lengthSeen && length != t.contentLength)
            refused = "two different Content-Length values";
        if (refused) {
            t.refusal = refused;
            return 0;
        }
        t.lengthSeen = true;
        t.contentLength = length;
    } else if (EqualsNoCase(name, "location")) {
        t.location = std::string(value);
    } else if (EqualsNoCase(name, "content-encoding")) {
        if (!t.contentEncoding.empty()) t.contentEncoding += ',';
        t.contentEncoding += value;
    } else if (EqualsNoCase(name, "transfer-encoding")) {
        t.chunked = FindNoCase(value, "chunked") != std::string_view::npos;
    }
    return length;
}

bool CurlTransport::StartDecoding(Transfer& t) {
    // 204 and 304 have no body to decode.
    if (t.contentEncoding.empty() || t.status == 204 || t.status == 304) return true;
    const ContentCodings codings = CodingsOfField(t.contentEncoding);
    if (!codings.decodable || codings.applied.empty()) return true;
    if (codings.applied.size() > BodyDecoder::kMaxCodings) {
        t.refusal = "more than " + std::to_string(BodyDecoder::kMaxCodings) + " content codings";
        return false;
    }
    t.decoder = std::make_unique<BodyDecoder>(codings.applied, [&t](const char* d, std::size_t n) {
        if (t.client->TakeTransferBody(d, n)) return true;
        t.clientRefused = true;
        return false;
    });
    return true;
}

std::size_t CurlTransport::OnBody(char* data, std::size_t size, std::size_t count, void* transfer) {
    auto& t = *static_cast<Transfer*>(transfer);
    const std::size_t length = size * count;
    if (!t.finalHead || t.redirect) return length;
    if (t.decoder) {
        if (t.decoder->Feed(data, length)) return length;
        if (!t.clientRefused) t.refusal = t.decoder->Error();
        return 0;
    }
    if (!t.client->TakeTransferBody(data, length)) {
        t.clientRefused = true;
        return 0;
    }
    return length;
}

void CurlTransport::Post(Id id, bool end) {
    events_.push_back({id, end});
    // An action delivers its events itself once curl has returned.
    if (deliveryPosted_ || acting_) return;
    deliveryPosted_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            deliveryPosted_ = false;
            Deliver();
        },
        Qt::QueuedConnection);
}

void CurlTransport::Deliver() {
    // A client may yield, or run an event loop, while it handles an event. The events of the
    // other clients go on meanwhile (from a pass inside its handler); those of that client wait
    // until its handler has returned, so that each client takes its events in order, one at a
    // time.
    for (;;) {
        const auto next = std::find_if(events_.begin(), events_.end(), [this](const Event& e) {
            const auto it = transfers_.find(e.id);
            return it == transfers_.end() || std::find(handling_.begin(), handling_.end(),
                                                       it->second->client) == handling_.end();
        });
        if (next == events_.end()) return;
        const Event event = *next;
        events_.erase(next);
        const auto it = transfers_.find(event.id);
        if (it == transfers_.end()) continue;
        TransferClient* client = it->second->client;
        handling_.push_back(client);
        struct Handled {
            std::vector<TransferClient*>& handling;
            TransferClient* client;
            ~Handled() { handling.erase(std::find(handling.begin(), handling.end(), client)); }
        } handled{handling_, client};
        if (event.end) {
            const TransferOutcome outcome = std::move(it->second->outcome);
            transfers_.erase(it);
            client->TransferEnded(outcome);
        } else {
            client->TransferHeadArrived(it->second->status);
        }
    }
}

}  // namespace vel
