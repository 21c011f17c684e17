// The decoding of compressed bodies: deflate with and without zlib's wrapper, br, codings in the
// order listed, bodies that arrive a byte at a time, what may follow a stream's end, empty bodies,
// and a bomb that reaches the sink in bounded pieces.
#include <brotli/encode.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

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

// The text compressed by brotli's encoder (quality 5, a window of 4 MB).
std::string Brotli(const std::string& text) {
    std::string out(BrotliEncoderMaxCompressedSize(text.size()) + 16, '\0');
    std::size_t size = out.size();
    EXPECT_TRUE(BrotliEncoderCompress(5, 22, BROTLI_MODE_GENERIC, text.size(),
                                      reinterpret_cast<const std::uint8_t*>(text.data()), &size,
                                      reinterpret_cast<std::uint8_t*>(out.data())));
    out.resize(size);
    return out;
}

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
    EXPECT_FALSE(CodingsOfField("gzip, zstd").decodable);
    EXPECT_TRUE(CodingsOfField(" identity ").applied.empty());
}

// br alone, a byte at a time and in pieces, and in a chain with the others: "gzip, br" is gzip
// applied first, so br is taken off first.
TEST_F(BodyDecoderTest, BrAloneAndInAChainWithTheOtherCodingsIsDecoded) {
    const std::string text = testing::GeneratedBody(300000);
    for (const std::size_t piece : {std::size_t{1}, std::size_t{4096}}) {
        const Decoded d = Decode("BR", Brotli(text), piece);
        EXPECT_TRUE(d.whole) << piece << ": " << d.error;
        EXPECT_TRUE(d.text == text) << piece;
    }
    const Decoded gzipThenBr = Decode("gzip, br", Brotli(Compressed(text, kGzipBits)), 3);
    EXPECT_TRUE(gzipThenBr.whole) << gzipThenBr.error;
    EXPECT_TRUE(gzipThenBr.text == text);
    const Decoded brThenDeflate = Decode("br,deflate", Compressed(Brotli(text), -15), 5);
    EXPECT_TRUE(brThenDeflate.whole) << brThenDeflate.error;
    EXPECT_TRUE(brThenDeflate.text == text);
}

// A br stream counts only when it reached its end, and nothing may follow it, not even the zero
// padding that gzip's allows (`brotli -d` reports "corrupt input" for either).
TEST_F(BodyDecoderTest, ABrStreamCountsOnlyWhenItEndedWholeWithNothingAfterIt) {
    const std::string br = Brotli(testing::GeneratedBody(100000));
    for (const std::size_t cut : {std::size_t{1}, br.size() / 2, br.size() - 1})
        EXPECT_EQ(Decode("br", br.substr(0, cut)).error, "the br stream breaks off before its end")
            << cut;
    EXPECT_EQ(Decode("br", br + '\0').error, "the br stream is followed by bytes after its end");
    EXPECT_EQ(Decode("br", br + "junk", 1).error,
              "the br stream is followed by bytes after its end");
    std::string damaged = br;
    damaged[damaged.size() / 2] ^= 0x55;
    const Decoded d = Decode("br", damaged);
    EXPECT_FALSE(d.whole);
    EXPECT_EQ(d.error.rfind("the br stream is damaged (brotli error ", 0), 0u) << d.error;
    // The gzip stream inside ends short.
    const std::string gzip = Compressed("text", kGzipBits);
    EXPECT_EQ(Decode("gzip, br", Brotli(gzip.substr(0, gzip.size() - 2))).error,
              "the gzip stream breaks off before its end");
}

// A body of no bytes, whatever its coding, is an empty file (as curl saves it); a body that has
// bytes must hold each stream whole, even an empty inner one.
TEST_F(BodyDecoderTest, AnEmptyBodyOfAnyCodingIsWholeAndEmpty) {
    for (const std::string coding : {"gzip", "x-gzip", "deflate", "br", "deflate, gzip, br"}) {
        const Decoded d = Decode(coding, "");
        EXPECT_TRUE(d.whole) << coding << ": " << d.error;
        EXPECT_EQ(d.text, "") << coding;
    }
    EXPECT_TRUE(Decode("gzip", Compressed("", kGzipBits)).whole);
    EXPECT_TRUE(Decode("br", Brotli("")).whole);
    EXPECT_EQ(Decode("deflate, gzip", Compressed("", kGzipBits)).error,
              "the deflate stream is missing");
    EXPECT_EQ(Decode("deflate", "x").error, "the deflate stream breaks off before its end");
}

// A small body that decodes to a great deal reaches the sink in pieces of at most kPieceSize, as
// it comes, and is never held whole.
TEST_F(BodyDecoderTest, ABombReachesTheSinkInBoundedPieces) {
    constexpr std::size_t kDecodedSize = 64 * 1024 * 1024 + 3;
    BrotliEncoderState* encoder = BrotliEncoderCreateInstance(nullptr, nullptr, nullptr);
    ASSERT_NE(encoder, nullptr);
    BrotliEncoderSetParameter(encoder, BROTLI_PARAM_QUALITY, 1);
    const std::string zeros(1024 * 1024, '\0');
    std::string bomb;
    for (std::size_t given = 0; !BrotliEncoderIsFinished(encoder);) {
        const std::size_t size = std::min(zeros.size(), kDecodedSize - given);
        const auto* in = reinterpret_cast<const std::uint8_t*>(zeros.data());
        std::size_t left = size;
        char buffer[4096];
        auto* out = reinterpret_cast<std::uint8_t*>(buffer);
        std::size_t room = sizeof buffer;
        ASSERT_TRUE(BrotliEncoderCompressStream(
            encoder, size == 0 ? BROTLI_OPERATION_FINISH : BROTLI_OPERATION_PROCESS, &left, &in,
            &room, &out, nullptr));
        given += size - left;
        bomb.append(buffer, sizeof buffer - room);
    }
    BrotliEncoderDestroyInstance(encoder);
    ASSERT_LT(bomb.size(), 64u * 1024);
    std::size_t decoded = 0;
    std::size_t largest = 0;
    bool allZero = true;
    BodyDecoder decoder(CodingsOfField("br").applied, [&](const char* data, std::size_t size) {
        decoded += size;
        largest = std::max(largest, size);
        allZero = allZero && std::all_of(data, data + size, [](char c) { return c == 0; });
        return true;
    });
    EXPECT_TRUE(decoder.Feed(bomb.data(), bomb.size()));
    EXPECT_TRUE(decoder.Finish()) << decoder.Error();
    EXPECT_EQ(decoded, kDecodedSize);
    EXPECT_EQ(largest, BodyDecoder::kPieceSize);
    EXPECT_TRUE(allZero);
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
}

}  // namespace
}  // namespace vel
