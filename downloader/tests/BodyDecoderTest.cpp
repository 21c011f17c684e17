// The decoding of compressed bodies: deflate with and without zlib's wrapper, codings in the
// order listed, bodies that arrive a byte at a time, and what may follow a stream's end.
#include <gtest/gtest.h>
#include <zlib.h>

#include "BodyDecoder.h"
#include "DownloaderFixture.h"
#include "TestHttpServer.h"

namespace vel {
namespace {

using BodyDecoderTest = testing::DownloaderFixture;

// The text compressed by zlib: windowBits 15+16 gives a gzip member, 15 a zlib stream, -15 raw
// deflate.
std::string Compressed(const std::string& text, int windowBits) {
    z_stream z{};
    EXPECT_EQ(deflateInit2(&z, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY), Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}
constexpr int kGzipBits = 16 + 15;

struct Decoded {
    bool whole = false;
    std::string text;
    std::string error;
};

// The body of the Content-Encoding fed in pieces of `piece` bytes.
Decoded Decode(const std::string& contentEncoding, const std::string& body,
               std::size_t piece = 4096) {
    Decoded d;
    const ContentCodings codings = CodingsOfField(contentEncoding);
    EXPECT_TRUE(codings.decodable);
    BodyDecoder decoder(codings.applied, [&d](const char* data, std::size_t size) {
        d.text.append(data, size);
        return true;
    });
    bool fed = true;
    for (std::size_t at = 0; fed && at < body.size(); at += piece)
        fed = decoder.Feed(body.data() + at, std::min(piece, body.size() - at));
    d.whole = fed && decoder.Finish();
    d.error = decoder.Error();
    return d;
}

TEST_F(BodyDecoderTest, DeflateWithOrWithoutItsWrapperAndCodingsInTheirOrderAreDecoded) {
    const std::string text = testing::GeneratedBody(300000);
    for (const int bits : {15, -15}) {
        const Decoded d = Decode("Deflate", Compressed(text, bits), 1);
        EXPECT_TRUE(d.whole) << bits << ": " << d.error;
        EXPECT_TRUE(d.text == text) << bits;
    }
    // Deflate applied first, then gzip: gzip is taken off first. "identity" is no coding.
    const Decoded both =
        Decode("deflate, identity,x-gzip", Compressed(Compressed(text, 15), kGzipBits), 7);
    EXPECT_TRUE(both.whole) << both.error;
    EXPECT_TRUE(both.text == text);
    EXPECT_FALSE(CodingsOfField("gzip, br").decodable);
    EXPECT_TRUE(CodingsOfField(" identity ").applied.empty());
}

// After a stream's end only what `gzip -d` takes without a complaint may follow: another gzip
// member, or zero bytes up to the end. Any other byte is an error (`gzip -d` warns of "trailing
// garbage"), and a member begun must end whole.
TEST_F(BodyDecoderTest, AfterAStreamsEndOnlyAnotherMemberOrZeroPaddingMayFollow) {
    const std::string one = Compressed("one\n", kGzipBits);
    const std::string two = Compressed("two\n", kGzipBits);
    const std::string zeros(3, '\0');
    EXPECT_EQ(Decode("gzip", one + two + zeros, 5).text, "one\ntwo\n");
    EXPECT_TRUE(Decode("gzip", one + two + zeros, 5).whole);
    EXPECT_TRUE(Decode("deflate", Compressed("z", 15) + zeros).whole);
    EXPECT_EQ(Decode("gzip", one + "junk").error,
              "the gzip stream is followed by bytes after its end");
    EXPECT_FALSE(Decode("gzip", one + zeros + two).whole);
    EXPECT_FALSE(Decode("deflate", Compressed("z", 15) + Compressed("z", 15)).whole);
    EXPECT_EQ(Decode("gzip", one + "\x1f").error, "the gzip stream breaks off before its end");
    EXPECT_EQ(Decode("gzip", one + two.substr(0, two.size() - 1)).error,
              "the gzip stream breaks off before its end");
    EXPECT_EQ(Decode("gzip", "").error, "the gzip stream is missing (the body is empty)");
}

}  // namespace
}  // namespace vel
