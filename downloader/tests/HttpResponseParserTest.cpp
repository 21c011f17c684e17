// The HTTP response reader on good and broken framings, fed whole, byte by byte and in random
// pieces: a body is complete only where its framing says it ends.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "HttpResponseParser.h"

namespace vel {
namespace {

using State = HttpResponseParser::State;
using Failure = HttpResponseParser::Failure;

struct Outcome {
    State state;
    Failure failure;
    int status;
    std::string body;
};

// Feeds the bytes in pieces of the given sizes (the rest in one), then closes the connection.
Outcome Read(const std::string& bytes, const std::vector<std::size_t>& pieces) {
    HttpResponseParser parser;
    std::string body;
    std::size_t at = 0;
    for (const std::size_t n : pieces) {
        if (at >= bytes.size()) break;
        parser.Feed(std::string_view(bytes).substr(at, n), body);
        at += n;
    }
    if (at < bytes.size()) parser.Feed(std::string_view(bytes).substr(at), body);
    parser.Close();
    return {parser.state(), parser.failure(), parser.status(), body};
}

std::string Interim(int count) {
    std::string s;
    for (int i = 0; i < count; ++i) s += "HTTP/1.1 100 Continue\r\n\r\n";
    return s;
}

TEST(HttpResponseParserTest, ABodyIsCompleteOnlyWhereItsFramingSaysItEnds) {
    const std::string ok = "HTTP/1.1 200 OK\r\n";
    const std::string chunked = ok + "Transfer-Encoding: chunked\r\n\r\n";
    struct Good {
        std::string name;
        std::string bytes;
        int status;
        std::string body;
    };
    const std::vector<Good> good = {
        {"length, bytes after it ignored", ok + "Content-Length: 5\r\n\r\nhelloEXTRA", 200,
         "hello"},
        {"equal lengths", ok + "Content-Length: 3, 3\r\ncontent-length: 3\r\n\r\nabc", 200, "abc"},
        {"chunks, extension, padding, trailer",
         chunked + "5;name=v\r\nhello\r\nA \r\n0123456789\r\n0\r\nX-Sum: 1\r\n\r\nEXTRA", 200,
         "hello0123456789"},
        {"until close", "HTTP/1.0 200 OK\nServer: x\n folded\n\nall of it", 200, "all of it"},
        {"interim answers, then an error page",
         Interim(19) + "HTTP/1.1 103 Early Hints\r\nLink: </s>\r\n\r\nHTTP/1.1 404 Not Found\r\n" +
             "Content-Length: 2\r\n\r\nno",
         404, "no"},
        {"no content", "HTTP/1.1 204 No Content\r\nContent-Length: 0\r\n\r\n", 204, ""},
    };
    const std::vector<std::pair<std::string, Failure>> bad = {
        {chunked + "ZZ\r\nhello\r\n0\r\n\r\n", Failure::Malformed},
        {chunked + "ffffffffffffffff\r\nhello\r\n0\r\n\r\n", Failure::Malformed},
        {chunked + "+5\r\nhello\r\n0\r\n\r\n", Failure::Malformed},
        {chunked + "5\r\nhelloX\r\n0\r\n\r\n", Failure::Malformed},  // a chunk without its CRLF
        {chunked + "\r\n\r\n", Failure::Malformed},                  // a size line without digits
        {chunked + "0\r\nnot a field\r\n\r\n", Failure::Malformed},
        {ok + "Content-Length: 5\r\nContent-Length: 10\r\n\r\n0123456789", Failure::Malformed},
        {ok + "Content-Length: ten\r\n\r\n0123456789", Failure::Malformed},
        {ok + "Content-Length: +5\r\n\r\nhello", Failure::Malformed},
        {ok + "Transfer-Encoding: gzip, chunked\r\n\r\n0\r\n\r\n", Failure::Malformed},
        {Interim(25) + ok + "Content-Length: 2\r\n\r\nok", Failure::Malformed},
        {"HTTP/2 200 OK\r\nContent-Length: 2\r\n\r\nok", Failure::Malformed},
        {ok + "Broken\r\nContent-Length: 2\r\n\r\nok", Failure::Malformed},
        {ok + "X: " + std::string(70000, 'x') + "\r\n\r\n", Failure::Malformed},
        {ok + "Content-Length: 10\r\n\r\n01234", Failure::ClosedEarly},
        {chunked + "a\r\n01234", Failure::ClosedEarly},
        {chunked + "5\r\nhello\r\n", Failure::ClosedEarly},  // no last chunk
        {ok + "Content-Len", Failure::ClosedEarly},
        {"", Failure::ClosedEarly},
    };
    // Whole, byte by byte, and in random pieces: the same outcome.
    std::mt19937 random(20240611);
    const auto feeds = [&](const std::string& bytes) {
        std::vector<std::vector<std::size_t>> all = {{}, std::vector<std::size_t>(bytes.size(), 1)};
        for (int round = 0; round < 5; ++round) {
            std::vector<std::size_t> pieces;
            for (std::size_t at = 0; at < bytes.size(); at += pieces.back())
                pieces.push_back(1 + random() % 40);
            all.push_back(pieces);
        }
        return all;
    };
    for (const Good& c : good)
        for (const auto& pieces : feeds(c.bytes)) {
            const Outcome got = Read(c.bytes, pieces);
            EXPECT_EQ(got.state, State::Complete) << c.name << ", " << pieces.size() << " pieces";
            EXPECT_EQ(got.status, c.status) << c.name;
            EXPECT_EQ(got.body, c.body) << c.name;
        }
    for (const auto& [bytes, failure] : bad)
        for (const auto& pieces : feeds(bytes)) {
            const Outcome got = Read(bytes, pieces);
            EXPECT_EQ(got.state, State::Failed) << bytes.substr(0, 200);
            EXPECT_EQ(got.failure, failure) << bytes.substr(0, 200);
        }
}

}  // namespace
}  // namespace vel
