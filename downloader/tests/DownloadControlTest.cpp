// The download control against the loopback server: byte-exact files, error pages, broken
// bodies, refused and stalled transfers, credentials, redirects, restarts and cancels, HTTPS,
// a proxy and cookies.
#include <brotli/encode.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractEventDispatcher>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "CurlTransport.h"
#include "DownloaderFixture.h"
#include "TestHttpServer.h"
#include "UnfinishedFiles.h"
#include "WholeFile.h"
#include "ctlURLDownload.h"
#if VELLICOR_CURL_OPENSSL
#include <openssl/pem.h>
#include <openssl/x509.h>
#endif

namespace vel {
namespace {

using testing::GeneratedBody;
using testing::HttpBehaviour;
using testing::Page;
using testing::TestHttpServer;

class DownloadControlTest : public testing::DownloaderFixture {
protected:
    void SetUp() override {
        DownloaderFixture::SetUp();
        transport.SetTrustedCertificates(TestHttpServer::TrustedCertificateFile());
        control = std::make_unique<ctlURLDownload>(transport);
    }
    void TearDown() override {
        control.reset();
        DownloaderFixture::TearDown();
    }
    // Starts one attempt of the URL part into the file of the temporary folder and waits
    // until it has ended; the result.
    int Download(const std::string& urlPart, const std::string& name) {
        control->DownloadURL = urlPart;
        control->SaveFilePath = TempPath(name);
        control->StartDownload();
        EXPECT_TRUE(RunUntil([&] { return control->ProcessResult != 1; }));
        return control->ProcessResult;
    }
    // The entries of the temporary folder other than the log.
    std::vector<std::string> SavedNames() const {
        std::vector<std::string> names;
        for (const auto& n : ListDirectoryNames())
            if (n != "Tarquel.log") names.push_back(n);
        return names;
    }

    TestHttpServer server;
    CurlTransport transport;
    std::unique_ptr<ctlURLDownload> control;
};

TEST_F(DownloadControlTest, SavesTheBodyByteForByteAndLogsTheAttempt) {
    std::string body;
    for (int i = 0; i < 3; ++i)
        for (int c = 0; c < 256; ++c) body += static_cast<char>(c);
    body += "\r\nlast line without end";
    server.Route("/a.csv", Page(body));
    control->DownloadIndex = 7;
    control->DownloadIndexMax = 120;
    control->PassCountMax = 5;
    EXPECT_EQ(Download(server.Url("/a.csv"), "A.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("A.csv")), body);
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"A.csv"});
    EXPECT_EQ(control->labUrlNum, "7 of\r\n     120");
    EXPECT_EQ(control->labAttempt, " 1/5");
    EXPECT_EQ(control->labAction, "Buffer saved!");
    EXPECT_EQ(control->URLText, "URL=" + server.Url("/a.csv"));
    EXPECT_EQ(control->SavePathText, "SavePath=" + TempPath("A.csv"));
    EXPECT_EQ(control->ProcessStatus, ctlURLDownload::kComplete);
    EXPECT_EQ(control->TransferError, 0);
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL=" + server.Url("/a.csv")), 1);
}

// A gzip member (as nginx's "gzip_static" serves a .gz file) and the text it holds.
const std::string kGzip(
    "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03\x73\x49\x2c\x49\xd5\xf1\x2f\x48\xcd\xd3"
    "\xf1\xc8\x4c\xcf\xd0\xf1\xc9\x2f\xd7\x71\xce\xc9\x2f\x4e\xd5\x09\xcb\xcf\x29\xcd"
    "\x4d\xe5\xe5\x32\x32\x30\x30\x32\x34\x32\x36\xd4\x31\x34\xd0\x33\xd5\x31\x04\xd3"
    "\x46\xa6\x20\xd2\x1c\x48\x02\x65\x0d\x78\xb9\x00\xbb\x26\xb7\x5e\x45\x00\x00\x00",
    80);
const std::string kGzipText =
    "Date,Open,High,Low,Close,Volume\r\n20021231,10.5,11,10.25,10.75,12000\r\n";

HttpBehaviour Encoded(const std::string& body, const std::string& contentEncoding) {
    HttpBehaviour b = Page(body);
    b.contentEncoding = contentEncoding;
    return b;
}

// A server that compresses a file although the request asked for none (nginx's "gzip_static
// always"): the file holds what the server's file holds.
TEST_F(DownloadControlTest, ABodyCompressedThoughIdentityWasAskedIsSavedDecoded) {
    server.Route("/t.csv", Encoded(kGzip, "gzip"));
    EXPECT_EQ(Download(server.Url("/t.csv"), "T.csv"), 2);
    EXPECT_EQ(server.LastAcceptEncoding(), "identity");
    EXPECT_EQ(ReadFile(TempPath("T.csv")), kGzipText);
}

// A truncated .gz served whole (its Content-Length is the truncated size): the decoded part is
// not the file, so the attempt fails with the reason and the old file stays.
TEST_F(DownloadControlTest, AGzipStreamCutShortThoughFramedWholeIsNeverSaved) {
    server.Route("/t.csv", Encoded(kGzip.substr(0, kGzip.size() / 2), "gzip"));
    WriteFile(TempPath("T.csv"), "old");
    control->PassCountMax = 5;
    EXPECT_EQ(Download(server.Url("/t.csv"), "T.csv"), 3);
    EXPECT_EQ(ReadFile(TempPath("T.csv")), "old");
    EXPECT_EQ(SavedNames(), std::vector<std::string>{"T.csv"});
    EXPECT_EQ(LogCount("Failed attempt 1 (HTTP 200, the gzip stream breaks off before its end) "
                       "URL=" +
                       server.Url("/t.csv")),
              1);
}

// Two gzip members one after the other are one file, as `gzip -d` reads them.
TEST_F(DownloadControlTest, ConcatenatedGzipMembersAreSavedWhole) {
    server.Route("/t.csv", Encoded(kGzip + kGzip, "x-gzip"));
    EXPECT_EQ(Download(server.Url("/t.csv"), "T.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("T.csv")), kGzipText + kGzipText);
}

// The text compressed by brotli's encoder.
std::string Brotli(const std::string& text) {
    std::string out(BrotliEncoderMaxCompressedSize(text.size()) + 16, '\0');
    std::size_t size = out.size();
    EXPECT_TRUE(BrotliEncoderCompress(BROTLI_DEFAULT_QUALITY, BROTLI_DEFAULT_WINDOW,
                                      BROTLI_MODE_GENERIC, text.size(),
                                      reinterpret_cast<const std::uint8_t*>(text.data()), &size,
                                      reinterpret_cast<std::uint8_t*>(out.data())));
    out.resize(size);
    return out;
}

// A proxy that forces br on every answer: the file holds what the server's file holds, also
// through "gzip, br", and a br stream cut short though framed whole fails the attempt with the
// reason and leaves the old file.
TEST_F(DownloadControlTest, ABrBodyIsSavedDecodedAndOneCutShortIsNeverSaved) {
    const std::string text = GeneratedBody(200000);
    const std::string br = Brotli(text);
    server.Route("/b.csv", Encoded(br, "br"));
    server.Route("/g.csv", Encoded(Brotli(kGzip), "gzip, br"));
    server.Route("/cut.csv", Encoded(br.substr(0, br.size() - 1), "br"));
    EXPECT_EQ(Download(server.Url("/b.csv"), "B.csv"), 2);
    EXPECT_TRUE(ReadFile(TempPath("B.csv")) == text);
    EXPECT_EQ(Download(server.Url("/g.csv"), "G.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("G.csv")), kGzipText);
    WriteFile(TempPath("C.csv"), "old");
    control->PassCount = 0;
    control->PassCountMax = 5;
    EXPECT_EQ(Download(server.Url("/cut.csv"), "C.csv"), 3);
    EXPECT_EQ(ReadFile(TempPath("C.csv")), "old");
    EXPECT_EQ(SavedNames(), (std::vector<std::string>{"B.csv", "C.csv", "G.csv"}));
    EXPECT_EQ(LogCount("Failed attempt 1 (HTTP 200, the br stream breaks off before its end) "
                       "URL=" +
                       server.Url("/cut.csv")),
              1);
}

// An empty body labelled with a coding (Content-Length 0, or no bytes before the end of the
// connection) is an empty file, as curl saves it, where a body with bytes must hold its stream.
TEST_F(DownloadControlTest, AnEmptyBodyOfAnyCodingIsAnEmptyFile) {
    HttpBehaviour closing = Encoded("", "gzip");
    closing.closeDelimited = true;
    server.Route("/closing", closing);
    server.Route("/gzip", Encoded("", "gzip"));
    server.Route("/deflate", Encoded("", "deflate"));
    server.Route("/br", Encoded("", "br"));
    server.Route("/chain", Encoded("", "gzip, br"));
    control->PassCountMax = 1;
    for (const std::string path : {"/gzip", "/deflate", "/br", "/chain", "/closing"}) {
        WriteFile(TempPath("E.csv"), "old");
        control->PassCount = 0;
        EXPECT_EQ(Download(server.Url(path), "E.csv"), 2) << path;
        EXPECT_EQ(ReadFile(TempPath("E.csv")), "") << path;
    }
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL="), 5);
    server.Route("/one", Encoded("\x1f", "gzip"));
    control->PassCount = 0;
    EXPECT_EQ(Download(server.Url("/one"), "E.csv"), 3);
    EXPECT_EQ(LogCount("Given up after attempt 1 URL=" + server.Url("/one")), 1);
}

// A coding that the program does not decode, alone or in a list, leaves the body as it came.
TEST_F(DownloadControlTest, ABodyOfACodingNotDecodedIsSavedAsItCame) {
    server.Route("/u.csv", Encoded(kGzipText, "UTF-8"));
    server.Route("/b.csv", Encoded(kGzip, "gzip, zstd"));
    EXPECT_EQ(Download(server.Url("/u.csv"), "U.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("U.csv")), kGzipText);
    EXPECT_EQ(Download(server.Url("/b.csv"), "B.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("B.csv")), kGzip);
}

TEST_F(DownloadControlTest, AnEmptyResponseSavesAnEmptyFile) {
    server.Route("/empty", Page(""));
    EXPECT_EQ(Download(server.Url("/empty"), "E.csv"), 2);
    EXPECT_TRUE(Exists(TempPath("E.csv")));
    EXPECT_EQ(ReadFile(TempPath("E.csv")), "");
}

TEST_F(DownloadControlTest, ErrorPagesAreSavedLikeAnyContent) {
    server.Route("/gone", Page("<html>no such symbol</html>", 404));
    server.Route("/broken", Page("server trouble", 500));
    EXPECT_EQ(Download(server.Url("/gone"), "G.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("G.csv")), "<html>no such symbol</html>");
    EXPECT_EQ(Download(server.Url("/broken"), "B.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("B.csv")), "server trouble");
}

TEST_F(DownloadControlTest, ABrokenOffBodyIsAnErrorAndLeavesNoFile) {
    HttpBehaviour b = Page(GeneratedBody(100000));
    b.truncateAt = 40000;
    server.Route("/cut", b);
    HttpBehaviour big;
    big.generatedSize = 3000000;
    big.truncateAt = 2000000;
    server.Route("/bigcut", big);
    control->SaveOnError = true;  // not even an EOD list keeps half a file
    EXPECT_EQ(Download(server.Url("/cut"), "C.csv"), 3);
    EXPECT_EQ(Download(server.Url("/bigcut"), "D.csv"), 3);
    EXPECT_EQ(control->labAction, "Comm. error");
    EXPECT_TRUE(SavedNames().empty());
    EXPECT_EQ(LogCount("Attempt="), 0);
}

// Responses without a final status or with a body whose end is not known. Each is a communication
// error: the old file stays as it was, and the last attempt allowed says in the log that the URL
// was given up.
TEST_F(DownloadControlTest, AResponseWithoutAFinalStatusOrAWholeBodyIsNeverSaved) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::vector<std::pair<std::string, HttpBehaviour>> cases = {
        {"/hints", testing::Raw("HTTP/1.1 103 Early Hints\r\nLink: </s.css>\r\n\r\n")},
        {"/processing", testing::Raw("HTTP/1.1 102 Processing\r\n\r\n", true)},
        {"/short", testing::Raw(ok + "Content-Length: 5\r\nContent-Length: 10\r\n\r\n0123456789")},
        {"/long", testing::Raw(ok + "Content-Length: 10\r\nContent-Length: 5\r\n\r\n0123456789")},
        {"/nonumber", testing::Raw(ok + "Content-Length: ten\r\n\r\n0123456789")},
        {"/list", testing::Raw(ok + "Content-Length: 5, 10\r\n\r\n0123456789")},
        {"/huge", testing::Raw(ok + "Content-Length: 99999999999999999999999\r\n\r\n0123456789")},
    };
    control->PassCountMax = 1;
    for (const auto& [path, behaviour] : cases) {
        server.Route(path, behaviour);
        WriteFile(TempPath("Old.csv"), "old");
        control->PassCount = 0;
        control->DownloadURL = server.Url(path);
        control->SaveFilePath = TempPath("Old.csv");
        control->StartDownload();
        ASSERT_TRUE(RunUntil([&] { return control->ProcessResult != 1; })) << path;
        EXPECT_EQ(control->ProcessResult, 3) << path;
        EXPECT_EQ(control->labAction, "Comm. error") << path;
        EXPECT_EQ(ReadFile(TempPath("Old.csv")), "old") << path;
        EXPECT_EQ(SavedNames(), std::vector<std::string>{"Old.csv"}) << path;
        EXPECT_EQ(LogCount("Given up after attempt 1 URL=" + server.Url(path)), 1) << path;
    }
    EXPECT_EQ(LogCount("Attempt="), 0);
}

// A chunk size that is no number, or one too large for any body, and an endless run of
// "100 Continue": every attempt is a communication error that leaves the old file as it was,
// and the next request is answered.
TEST_F(DownloadControlTest, BrokenChunkSizesAndEndlessInterimAnswersAreRetriedAndNeverSaved) {
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    server.Route("/zz", testing::Raw(chunked + "ZZ\r\nhello\r\n0\r\n\r\n"));
    server.Route("/huge", testing::Raw(chunked + "ffffffffffffffff\r\nhello\r\n0\r\n\r\n"));
    server.Route("/continue", testing::Raw("HTTP/1.1 100 Continue\r\n\r\n", true));
    server.Route("/next", Page("next"));
    for (const std::string path : {"/zz", "/huge", "/continue"}) {
        WriteFile(TempPath("Old.csv"), "old");
        control->PassCount = 0;
        control->PassCountMax = 2;
        for (int attempt = 1; attempt <= 2; ++attempt)
            EXPECT_EQ(Download(server.Url(path), "Old.csv"), 3) << path << " " << attempt;
        EXPECT_EQ(server.RequestsFor(path), 2) << path;
        EXPECT_EQ(ReadFile(TempPath("Old.csv")), "old") << path;
        EXPECT_EQ(SavedNames(), std::vector<std::string>{"Old.csv"}) << path;
        EXPECT_EQ(LogCount("Given up after attempt 2 URL=" + server.Url(path)), 1) << path;
        EXPECT_EQ(Download(server.Url("/next"), "Next.csv"), 2) << path;
        EXPECT_EQ(ReadFile(TempPath("Next.csv")), "next") << path;
        std::filesystem::remove(TempPath("Next.csv"));
    }
    EXPECT_EQ(LogCount("Attempt="), 3);
}

TEST_F(DownloadControlTest, RefusedAndDroppedConnectionsAreErrors) {
    HttpBehaviour drop;
    drop.closeWithoutAnswer = true;
    server.Route("/drop", drop);
    EXPECT_EQ(Download("http://127.0.0.1:" + std::to_string(server.RefusingPort()) + "/x", "R.csv"),
              3);
    EXPECT_EQ(Download(server.Url("/drop"), "D.csv"), 3);
    EXPECT_EQ(control->ProcessStatus, ctlURLDownload::kCommError);
    EXPECT_TRUE(SavedNames().empty());
}

// The deadline runs on the door's monotonic clock, which the test moves: the transfers are
// real, the time that passes for them is the test's.
TEST_F(DownloadControlTest, AStalledTransferEndsAtItsDeadline) {
    server.Route("/stall", testing::Stalled());
    control->ProcessTimeOut = 60;
    control->DownloadURL = server.Url("/stall");
    control->SaveFilePath = TempPath("S.csv");
    control->StartDownload();
    ASSERT_TRUE(RunUntil([&] { return server.InFlight() == 1; }));
    door_.AdvanceMs(59999);
    EXPECT_EQ(control->ProcessResult, 1);
    door_.AdvanceMs(1);
    EXPECT_EQ(control->ProcessResult, 3);
    EXPECT_EQ(control->labAction, "Comm. error");
    EXPECT_FALSE(control->IsExecuting());
    EXPECT_TRUE(RunUntil([&] { return server.InFlight() == 0; }));
    EXPECT_TRUE(SavedNames().empty());
}

TEST_F(DownloadControlTest, TheDeadlineIsForTheWholeAttemptAcrossRedirectsAndArrivingBytes) {
    // The deadline counts from the start of the attempt, whatever the redirects and the bytes
    // that keep coming (an inactivity time-out would not end this attempt).
    HttpBehaviour moved;
    moved.location = "/part";
    server.Route("/hop", moved);
    HttpBehaviour part = Page(GeneratedBody(5000));
    part.stallAt = 2000;
    server.Route("/part", part);
    control->ProcessTimeOut = 10;
    control->DownloadURL = server.Url("/hop");
    control->SaveFilePath = TempPath("P.csv");
    control->StartDownload();
    door_.AdvanceMs(6000);
    // The final answer's head has come, and its body has begun to arrive.
    ASSERT_TRUE(RunUntil([&] { return control->ProcessStatus == ctlURLDownload::kReceiving; }));
    door_.AdvanceMs(3999);
    EXPECT_EQ(control->ProcessResult, 1);
    door_.AdvanceMs(1);
    EXPECT_EQ(control->ProcessResult, 3);
    EXPECT_TRUE(SavedNames().empty());
    EXPECT_EQ(LogCount("Attempt="), 0);
}

TEST_F(DownloadControlTest, EveryAttemptHasOneDeadlineAndAnEndedAttemptNone) {
    server.Route("/a", Page("data"));
    EXPECT_EQ(Download(server.Url("/a"), "A.csv"), 2);
    EXPECT_EQ(door_.PendingTimers(), 0u);
    WriteFile(TempPath("local.txt"), "x");
    EXPECT_EQ(Download("file://" + TempPath("local.txt"), "F.csv"), 3);
    EXPECT_EQ(door_.PendingTimers(), 0u);

    server.Route("/stall", testing::Stalled());
    control->DownloadURL = server.Url("/stall");
    control->StartDownload();
    control->StartDownload();
    EXPECT_EQ(door_.PendingTimers(), 1u);
    control->CancelDownload();
    EXPECT_EQ(door_.PendingTimers(), 0u);
    // No deadline at all: the attempt waits as long as the transfer does.
    control->ProcessTimeOut = 0;
    control->StartDownload();
    EXPECT_EQ(door_.PendingTimers(), 0u);
    door_.AdvanceMs(24 * 3600 * 1000);
    EXPECT_EQ(control->ProcessResult, 1);
    control->CancelDownload();
}

// A restart after a failed attempt waits on one timer, which a cancel stops: nothing is requested
// once the pause would have ended.
TEST_F(DownloadControlTest, ACancelStopsThePauseBeforeARestart) {
    ctlURLDownload::SetFirstRetryPauseMs(ctlURLDownload::kFirstRetryPauseMs);
    HttpBehaviour drop;
    drop.closeWithoutAnswer = true;
    server.Route("/drop", drop);
    control->PassCountMax = 5;
    EXPECT_EQ(Download(server.Url("/drop"), "D.csv"), 3);
    const int requests = server.RequestsFor("/drop");
    control->StartDownload();
    EXPECT_EQ(control->ProcessResult, 1);
    EXPECT_EQ(door_.PendingTimers(), 1u);
    control->CancelDownload();
    EXPECT_EQ(door_.PendingTimers(), 0u);
    door_.AdvanceMs(ctlURLDownload::kFirstRetryPauseMs);
    RunFor(50);
    EXPECT_EQ(server.RequestsFor("/drop"), requests);
    EXPECT_EQ(control->ProcessResult, 0);
}

TEST_F(DownloadControlTest, CredentialsAreSentAndTheAddressAfterThemIsRequested) {
    HttpBehaviour secret = Page("private data");
    secret.basicUser = "bob";
    secret.basicPassword = "s3cret";
    server.Route("/secret", secret);
    const std::string urlPart = "UserName(bob):Password(s3cret):" + server.Url("/secret");
    EXPECT_EQ(Download(urlPart, "P.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("P.csv")), "private data");
    EXPECT_EQ(server.AuthorizationsFor("/secret").back(), "Basic Ym9iOnMzY3JldA==");
    EXPECT_EQ(control->URLText, "URL=" + server.Url("/secret"));
    // The log shows the whole URL part with the user name, never the password.
    EXPECT_EQ(LogCount("Attempt= 1 Saved URL=UserName(bob):Password(***):" + server.Url("/secret")),
              1);
    for (const auto& line : LogTexts()) EXPECT_EQ(line.find("s3cret"), std::string::npos);
}

TEST_F(DownloadControlTest, APasswordAloneIsSentWithAnEmptyUserName) {
    HttpBehaviour secret = Page("ok");
    secret.basicPassword = "pw";
    server.Route("/pw", secret);
    EXPECT_EQ(Download("Password(pw):" + server.Url("/pw"), "P.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("P.csv")), "ok");
}

TEST_F(DownloadControlTest, WrongCredentialsAreOfferedOnceAndTheRefusalIsTheContent) {
    HttpBehaviour secret = Page("private data");
    secret.basicUser = "bob";
    secret.basicPassword = "right";
    server.Route("/secret", secret);
    EXPECT_EQ(Download("UserName(bob):Password(wrong):" + server.Url("/secret"), "W.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("W.csv")), "Unauthorized");
    EXPECT_LE(server.RequestsFor("/secret"), 2);
}

TEST_F(DownloadControlTest, RedirectsOnHttpAreFollowed) {
    HttpBehaviour moved;
    moved.location = "/new";
    server.Route("/old", moved);
    server.Route("/new", Page("new place"));
    EXPECT_EQ(Download(server.Url("/old"), "N.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("N.csv")), "new place");
    EXPECT_EQ(server.RequestsFor("/new"), 1);
}

TEST_F(DownloadControlTest, ARedirectToAnotherSchemeIsRefused) {
    HttpBehaviour moved;
    moved.location = "file:///etc/passwd";
    server.Route("/evil", moved);
    EXPECT_EQ(Download(server.Url("/evil"), "X.csv"), 3);
    EXPECT_FALSE(Exists(TempPath("X.csv")));
    EXPECT_EQ(LogCount("Refused redirect to: file:///etc/passwd"), 1);
}

TEST_F(DownloadControlTest, CredentialsDoNotFollowARedirectToAnotherHost) {
    HttpBehaviour moved;
    moved.location = "http://localhost:" + std::to_string(server.port()) + "/secret";
    server.Route("/hop", moved);
    HttpBehaviour secret = Page("private");
    secret.basicUser = "bob";
    secret.basicPassword = "s3cret";
    server.Route("/secret", secret);
    Download("UserName(bob):Password(s3cret):" + server.Url("/hop"), "H.csv");
    EXPECT_EQ(server.AuthorizationsFor("/secret"), std::vector<std::string>{""});
    EXPECT_EQ(ReadFile(TempPath("H.csv")), "Unauthorized");

    // A redirect on the same host keeps them.
    HttpBehaviour near;
    near.location = "/secret";
    server.Route("/near", near);
    EXPECT_EQ(Download("UserName(bob):Password(s3cret):" + server.Url("/near"), "N.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("N.csv")), "private");
}

TEST_F(DownloadControlTest, ARedirectLoopEndsInError) {
    HttpBehaviour loop;
    loop.location = "/loop";
    server.Route("/loop", loop);
    EXPECT_EQ(Download(server.Url("/loop"), "L.csv"), 3);
    EXPECT_EQ(server.RequestsFor("/loop"), ctlURLDownload::kMaxRedirects + 1);
    EXPECT_TRUE(SavedNames().empty());
}

TEST_F(DownloadControlTest, OnlyHttpAndHttpsAddressesAreRequested) {
    WriteFile(TempPath("local.txt"), "local secret");
    EXPECT_EQ(Download("file://" + TempPath("local.txt"), "F.csv"), 3);
    EXPECT_EQ(Download("ftp://127.0.0.1/x", "G.csv"), 3);
    EXPECT_FALSE(Exists(TempPath("F.csv")));
    EXPECT_FALSE(Exists(TempPath("G.csv")));
    EXPECT_EQ(LogCount("Refused URL (only http and https are fetched): "), 2);
    EXPECT_EQ(server.Requests(), 0);
}

TEST_F(DownloadControlTest, StartingARunningControlCancelsItAndCountsTheAttempt) {
    server.Route("/stall", testing::Stalled());
    control->DownloadURL = server.Url("/stall");
    control->SaveFilePath = TempPath("S.csv");
    control->StartDownload();
    ASSERT_TRUE(RunUntil([&] { return server.InFlight() == 1; }));
    control->StartDownload();
    EXPECT_EQ(control->PassCount, 2);
    EXPECT_EQ(control->ProcessResult, 1);
    ASSERT_TRUE(RunUntil([&] { return server.RequestsFor("/stall") == 2; }));
    // The first transfer was dropped: one transfer in flight.
    EXPECT_TRUE(RunUntil([&] { return server.InFlight() == 1; }));
    control->CancelDownload();
    EXPECT_EQ(control->ProcessResult, 0);
    EXPECT_EQ(control->ProcessStatus, 0);
    EXPECT_EQ(control->labAction, "");
    EXPECT_EQ(control->URLText, "");
    EXPECT_FALSE(control->IsExecuting());
    EXPECT_TRUE(RunUntil([&] { return server.InFlight() == 0; }));
}

// The control cancelled by the window's events at the yield of StartDownload (a break at
// that moment) stays cancelled: no request goes out.
ctlURLDownload* g_cancelTarget = nullptr;
int g_yieldsUntilCancel = 0;

TEST_F(DownloadControlTest, ACancelDuringTheStartsYieldStands) {
    server.Route("/a", Page("data"));
    control->DownloadURL = server.Url("/a");
    control->SaveFilePath = TempPath("A.csv");
    g_cancelTarget = control.get();
    g_yieldsUntilCancel = 1;
    SetYieldHook([] {
        if (g_yieldsUntilCancel > 0 && --g_yieldsUntilCancel == 0) g_cancelTarget->CancelDownload();
    });
    control->StartDownload();
    EXPECT_EQ(control->ProcessResult, 0);
    EXPECT_FALSE(control->IsExecuting());
    RunFor(50);
    EXPECT_EQ(server.Requests(), 0);
}

TEST_F(DownloadControlTest, ACancelWhileSavingLeavesNoFile) {
    server.Route("/a", Page("data"));
    control->DownloadURL = server.Url("/a");
    control->SaveFilePath = TempPath("A.csv");
    g_cancelTarget = control.get();
    SetYieldHook([] {
        if (g_cancelTarget && g_cancelTarget->labAction == "Saving buffer") {
            ctlURLDownload* c = g_cancelTarget;
            g_cancelTarget = nullptr;
            c->CancelDownload();
        }
    });
    control->StartDownload();
    ASSERT_TRUE(RunUntil([&] { return control->ProcessResult != 1; }));
    EXPECT_EQ(control->ProcessResult, 0);
    EXPECT_TRUE(SavedNames().empty());
    EXPECT_EQ(LogCount("Attempt="), 0);
}

TEST_F(DownloadControlTest, AnUndefinedStateEndsTheAttemptInError) {
    control->Inet1_StateChanged(13);
    EXPECT_EQ(control->labAction, "13 ???");
    EXPECT_EQ(control->ProcessResult, 3);
    EXPECT_EQ(control->ProcessStatus, 13);
    EXPECT_EQ(TransferStateCaption(3), "Conecting");
    EXPECT_EQ(TransferStateCaption(9), "Disconecting");
    EXPECT_EQ(TransferStateCaption(-1), "-1 ???");
}

TEST_F(DownloadControlTest, AFileThatCannotBeSavedEndsTheAttemptWithALogLine) {
    server.Route("/a", Page("data"));
    control->PassCountMax = 2;
    EXPECT_EQ(Download(server.Url("/a"), "NoSuchFolder/A.csv"), 3);
    EXPECT_EQ(control->TransferError, 1);
    EXPECT_NE(control->labAction, "Buffer saved!");
    EXPECT_EQ(LogCount("File cannot be saved: " + TempPath("NoSuchFolder/A.csv") + " ("), 1);
    // A full disk: the old file stays.
    WriteFile(TempPath("A.csv"), "old");
    InjectFileFailure(1);
    EXPECT_EQ(Download(server.Url("/a"), "A.csv"), 3);
    EXPECT_EQ(ReadFile(TempPath("A.csv")), "old");
    EXPECT_EQ(LogTexts().end()[-2],
              "File cannot be saved: " + TempPath("A.csv") + " (No space left on device)");
    EXPECT_EQ(LogTexts().back(), "Given up after attempt 2 URL=" + server.Url("/a"));
    EXPECT_EQ(LogCount("Attempt="), 0);
}

// Written on the writer thread, as the program does: a small, an empty and a large body (one
// that is written out as it comes) arrive whole, the attempt ends as saved only once the file
// stands under its name, and a file that cannot be saved ends the attempt with its line.
TEST_F(DownloadControlTest, FilesWrittenOnTheWriterThreadArriveWholeAndFailAsBefore) {
    HttpBehaviour big;
    big.generatedSize = 3 * ctlURLDownload::kHeldBodyLimit + 7;
    server.Route("/big", big);
    server.Route("/a", Page("data"));
    server.Route("/empty", Page(""));
    control->PassCountMax = 1;
    EXPECT_EQ(Download(server.Url("/a"), "A.csv"), 2);
    EXPECT_EQ(ReadFile(TempPath("A.csv")), "data");
    EXPECT_EQ(control->labAction, "Buffer saved!");
    EXPECT_EQ(Download(server.Url("/empty"), "E.csv"), 2);
    EXPECT_TRUE(std::filesystem::is_regular_file(TempPath("E.csv")));
    EXPECT_EQ(ReadFile(TempPath("E.csv")), "");
    EXPECT_EQ(Download(server.Url("/big"), "Big.bin"), 2);
    EXPECT_EQ(ReadFile(TempPath("Big.bin")), GeneratedBody(big.generatedSize));
    EXPECT_EQ(LogCount("Attempt="), 3);
    EXPECT_EQ(Download(server.Url("/a"), "NoSuchFolder/A.csv"), 3);
    EXPECT_EQ(control->TransferError, 1);
    EXPECT_EQ(LogCount("File cannot be saved: " + TempPath("NoSuchFolder/A.csv") + " ("), 1);
    EXPECT_EQ(SavedNames(), (std::vector<std::string>{"A.csv", "Big.bin", "E.csv"}));
}

// The end of the program while the writer thread writes a file (made slow here) and the next
// file waits behind it: the end waits for the file being written, which stands whole, and
// afterwards the writer writes nothing, so that whenever the process then goes, no temporary file
// is left behind and each file stands whole or not at all.
TEST_F(DownloadControlTest, TheEndOfTheProgramWaitsForTheFileBeingWrittenAndNothingIsWrittenAfter) {
    const std::string first = GeneratedBody(5000);
    server.Route("/f", Page(first));
    server.Route("/g", Page("second"));
    struct Gate {
        std::mutex mutex;
        std::condition_variable changed;
        bool writing = false;
        bool ending = false;
    };
    const auto gate = std::make_shared<Gate>();
    InjectWriteHook([gate, slow = TempPath("F.csv")](const std::string& target) {
        if (target != slow) return;
        std::unique_lock<std::mutex> lock(gate->mutex);
        gate->writing = true;
        gate->changed.notify_all();
        gate->changed.wait_for(lock, std::chrono::seconds(30), [&] { return gate->ending; });
        lock.unlock();
        // The end has begun: the write goes on a while yet.
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    });
    control->DownloadURL = server.Url("/f");
    control->SaveFilePath = TempPath("F.csv");
    control->StartDownload();
    ASSERT_TRUE(RunUntil([&] {
        const std::lock_guard<std::mutex> lock(gate->mutex);
        return gate->writing;
    }));
    ctlURLDownload next(transport);
    next.DownloadURL = server.Url("/g");
    next.SaveFilePath = TempPath("G.csv");
    next.StartDownload();
    // The next body is whole and waits for the writer.
    ASSERT_TRUE(RunUntil([&] { return next.labAction == "Saving buffer"; }));
    {
        const std::lock_guard<std::mutex> lock(gate->mutex);
        gate->ending = true;
    }
    gate->changed.notify_all();
    EXPECT_THROW(door_.EndProcess(0), testing::ProcessEnded);
    const std::vector<std::string> atTheEnd = SavedNames();
    // What the writer would do from now on, the process ended by then would never do.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(SavedNames(), atTheEnd);
    for (const std::string& name : atTheEnd)
        EXPECT_TRUE(name == "F.csv" || name == "G.csv") << name;
    EXPECT_TRUE(ReadFile(TempPath("F.csv")) == first);
    if (Exists(TempPath("G.csv"))) {
        EXPECT_EQ(ReadFile(TempPath("G.csv")), "second");
    }
    ResumeFileWriting();
    ASSERT_TRUE(RunUntil([&] { return next.ProcessResult != 1; }));
    InjectWriteHook(nullptr);
}

// A connection that curl keeps for the next transfer and that its server closes meanwhile: the
// event loop hears of it once, and is not woken again and again by the socket.
TEST_F(DownloadControlTest, AKeptConnectionThatItsServerClosesCostsTheEventLoopNothing) {
    {
        TestHttpServer closing;
        closing.Route("/a", Page("data"));
        EXPECT_EQ(Download(closing.Url("/a"), "A.csv"), 2);
    }
    int wakeUps = 0;
    const QMetaObject::Connection counting =
        QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::awake,
                         [&wakeUps] { ++wakeUps; });
    QEventLoop idle;
    QTimer::singleShot(300, &idle, &QEventLoop::quit);
    idle.exec();
    QObject::disconnect(counting);
    EXPECT_LT(wakeUps, 20);
}

// Qt's warnings of a notifier on a descriptor that is no longer open.
std::vector<std::string> g_invalidSocketWarnings;
void RecordInvalidSocketWarning(QtMsgType, const QMessageLogContext&, const QString& message) {
    if (message.contains(QStringLiteral("QSocketNotifier: Invalid socket")))
        g_invalidSocketWarnings.push_back(message.toStdString());
}

// A name that is not found: curl's threaded resolver hands the descriptor that wakes it up to the
// transport, lets go of it and closes it itself. No notifier is left on it, which the event loop
// would find closed at its next wait and warn of ("QSocketNotifier: Invalid socket ...
// disabling..."). The name is longer than a DNS name may be (253 bytes) and under ".invalid",
// so the resolver fails without sending a query anywhere.
TEST_F(DownloadControlTest, AHostThatIsNotFoundLeavesNoNotifierOnAClosedDescriptor) {
    std::string host;
    for (int label = 0; label < 5; ++label) host += std::string(60, 'q') + '.';
    const std::string url = "http://" + host + "invalid/ibm.csv";
    g_invalidSocketWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(&RecordInvalidSocketWarning);
    control->PassCountMax = 1;
    for (int attempt = 1; attempt <= 3; ++attempt) {
        control->PassCount = 0;
        EXPECT_EQ(Download(url, "X.csv"), 3) << attempt;
        RunFor(50);  // the waits in which the event loop would find the closed descriptor
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(g_invalidSocketWarnings, std::vector<std::string>{});
    EXPECT_EQ(LogCount("Failed attempt 1 (Could not resolve host: "), 3);
    EXPECT_TRUE(SavedNames().empty());
}

TEST_F(DownloadControlTest, ALargeBodyArrivesWhole) {
    HttpBehaviour big;
    big.generatedSize = 8 * 1024 * 1024 + 13;
    server.Route("/big", big);
    EXPECT_EQ(Download(server.Url("/big"), "Big.bin"), 2);
    EXPECT_EQ(ReadFile(TempPath("Big.bin")), GeneratedBody(big.generatedSize));
}

// Over TLS a body is whole only where the TLS stream says it ends: a close-delimited body that
// ends with the TLS close, and a 16 KB body, arrive byte for byte; one cut off at the socket
// without the TLS close is an error and leaves the old file as it was (where the transport is
// built with OpenSSL's hook, which sees the TLS close).
TEST_F(DownloadControlTest, HttpsBodiesArriveWholeOrNotAtAll) {
    TestHttpServer tls(TestHttpServer::Security::Tls);
    HttpBehaviour closing = Page(GeneratedBody(20000));
    closing.closeDelimited = true;
    tls.Route("/closing", closing);
    tls.Route("/16k", Page(GeneratedBody(16 * 1024)));
    HttpBehaviour cut = closing;
    cut.dropWithoutTlsClose = true;
    tls.Route("/cut", cut);
    for (int run = 0; run < 5; ++run) {
        EXPECT_EQ(Download(tls.Url("/closing"), "C.bin"), 2) << run;
        EXPECT_TRUE(ReadFile(TempPath("C.bin")) == GeneratedBody(20000)) << run;
        EXPECT_EQ(Download(tls.Url("/16k"), "S.bin"), 2) << run;
        EXPECT_TRUE(ReadFile(TempPath("S.bin")) == GeneratedBody(16 * 1024)) << run;
#if VELLICOR_CURL_OPENSSL
        WriteFile(TempPath("Old.bin"), "old");
        EXPECT_EQ(Download(tls.Url("/cut"), "Old.bin"), 3) << run;
        EXPECT_TRUE(ReadFile(TempPath("Old.bin")) == "old") << run;
#endif
    }
#if VELLICOR_CURL_OPENSSL
    int cuts = 0;
    for (const auto& line : LogTexts())
        cuts += line.find("(HTTP 200, the connection ended without the TLS close)") !=
                std::string::npos;
    EXPECT_EQ(cuts, 5);
#endif
    // An address that the certificate does not name, and a certificate that is not trusted,
    // are refused.
    TestHttpServer other(TestHttpServer::Security::Tls, "127.0.0.2");
    other.Route("/16k", Page(GeneratedBody(16 * 1024)));
    EXPECT_EQ(Download(other.Url("/16k"), "X.bin"), 3);
    EXPECT_EQ(LogTexts().end()[-2].find("Failed attempt"), 0u);
    EXPECT_NE(LogTexts().end()[-2].find("127.0.0.2"), std::string::npos);  // the host name
    CurlTransport system;  // the system's certificates only
    ctlURLDownload strict(system);
    strict.DownloadURL = tls.Url("/16k");
    strict.SaveFilePath = TempPath("Y.bin");
    strict.StartDownload();
    ASSERT_TRUE(RunUntil([&] { return strict.ProcessResult != 1; }));
    EXPECT_EQ(strict.ProcessResult, 3);
    EXPECT_NE(LogTexts().end()[-2].find("certificate"), std::string::npos);
    EXPECT_FALSE(Exists(TempPath("X.bin")));
    EXPECT_FALSE(Exists(TempPath("Y.bin")));
}

// The certificate authorities that the environment names are trusted as curl's own tool takes
// them: CURL_CA_BUNDLE, SSL_CERT_FILE, SSL_CERT_DIR (a folder in OpenSSL's hashed form), the
// first before the others.
TEST_F(DownloadControlTest, TheCertificateAuthoritiesOfTheEnvironmentAreTrusted) {
    TestHttpServer tls(TestHttpServer::Security::Tls);
    tls.Route("/a", Page("trusted"));
    const std::string pem = TestHttpServer::TrustedCertificateFile();
    std::vector<std::pair<std::string, std::string>> cases = {{"CURL_CA_BUNDLE", pem},
                                                              {"SSL_CERT_FILE", pem}};
#if VELLICOR_CURL_OPENSSL
    if (FILE* in = std::fopen(pem.c_str(), "r")) {
        X509* certificate = PEM_read_X509(in, nullptr, nullptr, nullptr);
        std::fclose(in);
        ASSERT_NE(certificate, nullptr);
        char name[16];
        std::snprintf(name, sizeof name, "%08lx.0", X509_subject_name_hash(certificate));
        X509_free(certificate);
        std::filesystem::create_directory(TempPath("certs"));
        std::filesystem::copy_file(pem, TempPath("certs/") + name);
        cases.push_back({"SSL_CERT_DIR", TempPath("certs")});
    }
#endif
    WriteFile(TempPath("empty.pem"), "");
    const auto fetch = [&](const std::vector<std::pair<std::string, std::string>>& environment) {
        for (const auto& [name, value] : environment) ::setenv(name.c_str(), value.c_str(), 1);
        CurlTransport user;  // reads the environment when it is made
        for (const auto& [name, value] : environment) ::unsetenv(name.c_str());
        ctlURLDownload c(user);
        c.DownloadURL = tls.Url("/a");
        c.SaveFilePath = TempPath("A.csv");
        c.StartDownload();
        EXPECT_TRUE(RunUntil([&] { return c.ProcessResult != 1; }));
        return c.ProcessResult;
    };
    for (const auto& variable : cases) {
        std::filesystem::remove(TempPath("A.csv"));
        EXPECT_EQ(fetch({variable}), 2) << variable.first;
        EXPECT_EQ(ReadFile(TempPath("A.csv")), "trusted") << variable.first;
    }
    EXPECT_EQ(fetch({{"CURL_CA_BUNDLE", TempPath("empty.pem")}, {"SSL_CERT_FILE", pem}}), 3);
}

// Where the transport cannot see a TLS close (curl on another TLS backend), a body that runs up
// to the end of the connection is taken as curl reports it.
TEST_F(DownloadControlTest, WithoutTheTlsHookACloseDelimitedBodyIsTakenAsCurlReportsIt) {
    TestHttpServer tls(TestHttpServer::Security::Tls);
    HttpBehaviour closing = Page(GeneratedBody(20000));
    closing.closeDelimited = true;
    tls.Route("/closing", closing);
    transport.SetTlsCloseWatch(false);
    EXPECT_EQ(Download(tls.Url("/closing"), "C.bin"), 2);
    EXPECT_TRUE(ReadFile(TempPath("C.bin")) == GeneratedBody(20000));
}

// Through a CONNECT proxy (https_proxy), the proxy's answer to the CONNECT is no part of the
// site's response: the site's redirect is followed and its page saved.
TEST_F(DownloadControlTest, AnHttpsRequestThroughAConnectProxyTakesTheSitesAnswer) {
    TestHttpServer tls(TestHttpServer::Security::Tls);
    HttpBehaviour moved;
    moved.location = "/page";
    tls.Route("/hop", moved);
    tls.Route("/page", Page("the page"));
    TestHttpServer proxy;
    ::setenv("https_proxy", proxy.Url("").c_str(), 1);
    const int result = Download(tls.Url("/hop"), "P.html");
    ::unsetenv("https_proxy");
    EXPECT_EQ(result, 2);
    EXPECT_EQ(ReadFile(TempPath("P.html")), "the page");
    EXPECT_EQ(tls.RequestsFor("/page"), 1);
    EXPECT_GE(proxy.RequestsFor("127.0.0.1:" + std::to_string(tls.port())), 1);
}

// The proxy that the environment names carries the request (the host behind it need not
// resolve), as curl reads the variables.
TEST_F(DownloadControlTest, TheProxyOfTheEnvironmentCarriesTheRequest) {
    TestHttpServer proxy;
    proxy.Route("http://quotes.invalid/ibm.csv", Page("via the proxy"));
    ::setenv("http_proxy", proxy.Url("").c_str(), 1);
    EXPECT_EQ(Download("http://quotes.invalid/ibm.csv", "P.csv"), 2);
    ::unsetenv("http_proxy");
    EXPECT_EQ(ReadFile(TempPath("P.csv")), "via the proxy");
    EXPECT_EQ(proxy.RequestsFor("http://quotes.invalid/ibm.csv"), 1);
}

// A site that sets its session cookie on a redirect and asks for it on the page: the cookie is
// kept for the run and sent, instead of looping to the redirect limit.
TEST_F(DownloadControlTest, ACookieSetOnARedirectIsSentWithTheNextRequest) {
    HttpBehaviour login;
    login.location = "/page";
    login.setCookie = "session=42; Path=/";
    server.Route("/login", login);
    HttpBehaviour page = Page("the page");
    page.requiredCookie = "session=42";
    page.cookieMissingLocation = "/login";
    server.Route("/page", page);
    EXPECT_EQ(Download(server.Url("/page"), "Page.html"), 2);
    EXPECT_EQ(ReadFile(TempPath("Page.html")), "the page");
    EXPECT_EQ(server.RequestsFor("/page"), 2);
    EXPECT_EQ(server.RequestsFor("/login"), 1);
}

// A control whose handler of its transport's event runs an event loop (a window opened from
// its yield) holds no other control's transfer back: that one ends and is saved meanwhile.
TEST_F(DownloadControlTest, AnEventLoopInOneControlsHandlerHoldsNoOtherControlBack) {
    server.Route("/a", Page("first"));
    server.Route("/b", Page("second", 200, 20));
    ctlURLDownload other(transport);
    other.DownloadURL = server.Url("/b");
    other.SaveFilePath = TempPath("B.csv");
    static ctlURLDownload* s_first;
    static ctlURLDownload* s_other;
    static bool s_inLoop;
    static bool s_otherSavedInLoop;
    s_first = control.get();
    s_other = &other;
    s_inLoop = false;
    s_otherSavedInLoop = false;
    // The loop runs at the yield of the first control's head event ("Response <-").
    SetYieldHook([] {
        if (s_inLoop || !s_other || s_first->labAction != "Response <-") return;
        s_inLoop = true;
        ctlURLDownload* b = s_other;
        s_other = nullptr;
        b->StartDownload();
        QElapsedTimer clock;
        clock.start();
        while (b->ProcessResult == 1 && clock.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
        s_otherSavedInLoop = b->ProcessResult == 2;
        s_inLoop = false;
    });
    control->ProcessTimeOut = 0;
    other.ProcessTimeOut = 0;
    EXPECT_EQ(Download(server.Url("/a"), "A.csv"), 2);
    SetYieldHook(nullptr);
    EXPECT_TRUE(s_otherSavedInLoop);
    EXPECT_EQ(ReadFile(TempPath("B.csv")), "second");
}

}  // namespace
}  // namespace vel
