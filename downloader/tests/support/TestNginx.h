// A real nginx on loopback for the downloader's tests: started as a child process in the
// foreground, from a configuration, certificate paths and ports that it writes into a folder of
// its own, serving one folder over HTTP and over HTTPS with HTTP/2 (the TLS test server's
// certificate), and stopped with its owner (and ended with its owner's process). The downloader's
// benchmark against curl starts it too. tools/ensure-deps.sh installs nginx; a test that
// needs it fails under CI when it is missing and is skipped elsewhere (VEL_REQUIRE_NGINX).
#pragma once

#include <QProcess>
#include <cstdlib>
#include <memory>
#include <string>

namespace vel::testing {

class TestNginx {
public:
    // The nginx program, "" when none is installed.
    static std::string Program();

    TestNginx() = default;
    ~TestNginx();
    TestNginx(const TestNginx&) = delete;
    TestNginx& operator=(const TestNginx&) = delete;

    // Starts nginx with its files in `folder` (made if missing), serving the files of `root`;
    // `serverLines` go into both server blocks (such as "gzip_static always;"), `httpLines` into
    // the http block (such as a limit_req_zone). Returns once both ports accept connections;
    // false (with Error() saying why) when nginx did not come up.
    bool Start(const std::string& folder, const std::string& root,
               const std::string& serverLines = "", const std::string& httpLines = "");
    const std::string& Error() const { return error_; }
    // Ends nginx (its fast shutdown: connections are closed at once); nothing when it is not
    // running.
    void Stop();
    // Starts nginx again as Start left it, on the same ports: a server back after an outage.
    // False (with Error()) when it did not come up.
    bool Restart();

    // "http://127.0.0.1:<port>" & path and "https://127.0.0.1:<port>" & path.
    std::string HttpUrl(const std::string& path) const;
    std::string HttpsUrl(const std::string& path) const;
    // The access log: one line per request, "<protocol> <uri> <status> <bytes sent>".
    std::string AccessLog() const;

private:
    // Starts nginx from the configuration in folder_ and waits until both ports accept.
    bool Launch();

    std::unique_ptr<QProcess> process_;
    std::string folder_;
    int httpPort_ = 0;
    int httpsPort_ = 0;
    std::string error_;
};

}  // namespace vel::testing

// In a test body: ends the test when nginx is not installed, as skipped with a message, or under
// CI as failed.
#define VEL_REQUIRE_NGINX()                                                                     \
    do {                                                                                        \
        if (::vel::testing::TestNginx::Program().empty()) {                                     \
            if (std::getenv("CI") != nullptr)                                                   \
                FAIL() << "nginx is not installed; tools/ensure-deps.sh installs it as root";   \
            GTEST_SKIP() << "nginx is not installed; tools/ensure-deps.sh installs it as root"; \
        }                                                                                       \
    } while (false)
