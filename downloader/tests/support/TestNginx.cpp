// The real nginx of the downloader's tests.
#include "TestNginx.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QStandardPaths>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "TestHttpServer.h"

namespace vel::testing {

namespace {

namespace fs = std::filesystem;

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    return address;
}

// A loopback port that was free a moment ago (nginx takes it next; a start that finds it taken
// again tries other ports).
int FreePort() {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return 0;
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    ::close(s);
    return port;
}

bool Accepts(int port) {
    const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s < 0) return false;
    const sockaddr_in address = Loopback(port);
    const bool ok = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(s);
    return ok;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

std::string TestNginx::Program() {
    QString found = QStandardPaths::findExecutable("nginx");
    if (found.isEmpty())
        found = QStandardPaths::findExecutable("nginx", {"/usr/sbin", "/usr/local/sbin", "/sbin"});
    return found.toStdString();
}

TestNginx::~TestNginx() {
    Stop();
}

void TestNginx::Stop() {
    if (!process_) return;
    if (process_->state() != QProcess::NotRunning) {
        process_->terminate();  // nginx's fast shutdown
        if (!process_->waitForFinished(5000)) {
            process_->kill();
            process_->waitForFinished(5000);
        }
    }
    process_.reset();
}

bool TestNginx::Start(const std::string& folder, const std::string& root,
                      const std::string& serverLines, const std::string& httpLines) {
    Stop();
    folder_ = folder;
    std::error_code ec;
    fs::create_directories(fs::path(folder) / "tmp", ec);
    const std::string certificate = TestHttpServer::TrustedCertificateFile();
    const std::string key = std::string(TEST_TLS_FOLDER) + "test-key.pem";
    for (int tries = 0; tries < 5; ++tries) {
        httpPort_ = FreePort();
        httpsPort_ = FreePort();
        // Paths without a leading slash are the folder's (nginx's prefix, -p).
        std::ofstream(fs::path(folder) / "nginx.conf", std::ios::trunc)
            << "daemon off;\nmaster_process off;\nworker_processes 1;\npid nginx.pid;\n"
               "error_log error.log;\nevents { worker_connections 256; }\nhttp {\n"
               "  default_type application/octet-stream;\n"
               "  log_format tests '$server_protocol $request_uri $status $body_bytes_sent';\n"
               "  access_log access.log tests;\n"
               "  client_body_temp_path tmp/body;\n  proxy_temp_path tmp/proxy;\n"
               "  fastcgi_temp_path tmp/fastcgi;\n  uwsgi_temp_path tmp/uwsgi;\n"
               "  scgi_temp_path tmp/scgi;\n  "
            << httpLines << "\n  server {\n    listen 127.0.0.1:" << httpPort_ << ";\n    root "
            << root << ";\n    " << serverLines << "\n  }\n"
            << "  server {\n    listen 127.0.0.1:" << httpsPort_ << " ssl http2;\n"
            << "    ssl_certificate " << certificate << ";\n    ssl_certificate_key " << key
            << ";\n    root " << root << ";\n    " << serverLines << "\n  }\n}\n";
        if (Launch()) return true;
        if (!process_) return false;  // it could not be started at all
        Stop();
    }
    return false;
}

bool TestNginx::Restart() {
    Stop();
    if (Launch()) return true;
    Stop();
    return false;
}

bool TestNginx::Launch() {
    std::error_code ec;
    fs::remove(fs::path(folder_) / "error.log", ec);
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    // nginx ends with its owner's process, however that ends.
    process_->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    process_->start(QString::fromStdString(Program()), {"-p", QString::fromStdString(folder_ + "/"),
                                                        "-c", "nginx.conf", "-e", "error.log"});
    if (!process_->waitForStarted(5000)) {
        error_ = "nginx did not start: " + process_->errorString().toStdString();
        process_.reset();
        return false;
    }
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && !process_->waitForFinished(10)) {
        if (!Accepts(httpPort_) || !Accepts(httpsPort_)) continue;
        // Another program that took a port after FreePort answers as well: nginx, which keeps
        // trying to bind, has then logged its failure within the grace.
        if (process_->waitForFinished(100) ||
            ReadText(folder_ + "/error.log").find("bind()") != std::string::npos)
            break;
        return true;
    }
    error_ = "nginx did not come up: " + process_->readAll().toStdString() +
             ReadText(folder_ + "/error.log");
    return false;
}

std::string TestNginx::HttpUrl(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(httpPort_) + path;
}

std::string TestNginx::HttpsUrl(const std::string& path) const {
    return "https://127.0.0.1:" + std::to_string(httpsPort_) + path;
}

std::string TestNginx::AccessLog() const {
    return ReadText(folder_ + "/access.log");
}

}  // namespace vel::testing
