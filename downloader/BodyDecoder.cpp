// The decoding of compressed bodies, over zlib and brotli's decoder.
#include "BodyDecoder.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>

#include "AsciiText.h"

namespace vel {

namespace {

const char* NameOf(ContentCoding coding) {
    if (coding == ContentCoding::Gzip) return "gzip";
    return coding == ContentCoding::Deflate ? "deflate" : "br";
}

// Whether two bytes open a zlib stream (RFC 1950: deflate, a window of at most 32 KB, and a
// check of the two together). A raw deflate stream from any compressor never opens so: such a
// first byte would be a stored block with its unused bits set.
bool OpensZlibStream(unsigned char cmf, unsigned char flg) {
    return (cmf & 0x0F) == 8 && (cmf >> 4) <= 7 && (cmf * 256u + flg) % 31 == 0;
}

}  // namespace

ContentCodings CodingsOfField(std::string_view contentEncoding) {
    ContentCodings codings;
    for (std::size_t at = 0; at <= contentEncoding.size();) {
        const std::size_t comma = std::min(contentEncoding.find(',', at), contentEncoding.size());
        const std::string_view name = TrimAsciiSpace(contentEncoding.substr(at, comma - at));
        at = comma + 1;
        if (name.empty() || EqualsNoCase(name, "identity")) continue;
        if (EqualsNoCase(name, "gzip") || EqualsNoCase(name, "x-gzip"))
            codings.applied.push_back(ContentCoding::Gzip);
        else if (EqualsNoCase(name, "deflate"))
            codings.applied.push_back(ContentCoding::Deflate);
        else if (EqualsNoCase(name, "br"))
            codings.applied.push_back(ContentCoding::Brotli);
        else
            codings.decodable = false;
    }
    return codings;
}

// One coding's decoding. What may follow the end of a gzip or deflate stream is what `gzip -d`
// takes without a complaint: another gzip member (gzip only; each must end whole), or zero bytes
// up to the end of the body (the padding that some writers add). Any other byte after the end is
// an error, as for `gzip -d`, which reports it ("trailing garbage"): it is no part of the stream
// and may be a member whose head is damaged, whose content would be missing from the file. A
// brotli stream is one stream and nothing follows it, as for `brotli -d`.
struct BodyDecoder::Stage {
    enum class Phase { Start, Inside, Ended, Padding };

    explicit Stage(ContentCoding c) : coding(c), out(std::make_unique<char[]>(kPieceSize)) {}
    ~Stage() {
        if (open) inflateEnd(&z);
        if (brotli) BrotliDecoderDestroyInstance(brotli);
    }

    ContentCoding coding;
    Phase phase = Phase::Start;
    bool received = false;  // a byte of the stream has come
    z_stream z{};
    bool open = false;                     // inflateInit2 has succeeded
    BrotliDecoderState* brotli = nullptr;  // br: the decoder, once the stream has begun
    // Deflate: the first bytes, which tell whether the stream has zlib's wrapper.
    unsigned char head[2] = {};
    std::size_t headSize = 0;
    std::unique_ptr<char[]> out;
};

BodyDecoder::BodyDecoder(const std::vector<ContentCoding>& applied, Sink sink)
    : sink_(std::move(sink)) {
    // The coding applied last is decoded first.
    for (auto it = applied.rbegin(); it != applied.rend(); ++it)
        stages_.push_back(std::make_unique<Stage>(*it));
}

BodyDecoder::~BodyDecoder() = default;

bool BodyDecoder::Feed(const char* data, std::size_t size) {
    return stages_.empty() ? Pass(0, data, size) : FeedStage(0, data, size);
}

bool BodyDecoder::Pass(std::size_t from, const char* data, std::size_t size) {
    if (from + 1 < stages_.size()) return FeedStage(from + 1, data, size);
    return sink_(data, size);
}

bool BodyDecoder::FeedStage(std::size_t index, const char* data, std::size_t size) {
    Stage& s = *stages_[index];
    if (size > 0) s.received = true;
    if (s.coding == ContentCoding::Brotli) return FeedBrotli(index, data, size);
    while (size > 0) {
        switch (s.phase) {
            case Stage::Phase::Start: {
                int windowBits = 16 + MAX_WBITS;  // a gzip member, its head and trailer checked
                if (s.coding == ContentCoding::Deflate) {
                    s.head[s.headSize++] = static_cast<unsigned char>(*data);
                    ++data;
                    --size;
                    if (s.headSize < 2) break;
                    windowBits = OpensZlibStream(s.head[0], s.head[1]) ? MAX_WBITS : -MAX_WBITS;
                }
                if (inflateInit2(&s.z, windowBits) != Z_OK)
                    return Fail(s.coding, "could not be started (zlib)");
                s.open = true;
                s.phase = Stage::Phase::Inside;
                if (s.headSize > 0 &&
                    !FeedStage(index, reinterpret_cast<const char*>(s.head), s.headSize))
                    return false;
                break;
            }
            case Stage::Phase::Inside: {
                // zlib counts in 32 bits; the transport's pieces are far smaller.
                const uInt given = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
                s.z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
                s.z.avail_in = given;
                for (;;) {
                    s.z.next_out = reinterpret_cast<Bytef*>(s.out.get());
                    s.z.avail_out = static_cast<uInt>(kPieceSize);
                    const int rc = inflate(&s.z, Z_NO_FLUSH);
                    if (rc == Z_NEED_DICT) return Fail(s.coding, "needs a preset dictionary");
                    if (rc == Z_DATA_ERROR || rc == Z_MEM_ERROR || rc == Z_STREAM_ERROR)
                        return Fail(s.coding,
                                    std::string("is damaged (") +
                                        (s.z.msg ? s.z.msg : "zlib error " + std::to_string(rc)) +
                                        ")");
                    const std::size_t produced = kPieceSize - s.z.avail_out;
                    if (produced > 0 && !Pass(index, s.out.get(), produced)) return false;
                    if (rc == Z_STREAM_END) {
                        s.phase = Stage::Phase::Ended;
                        break;
                    }
                    // All input taken and all output handed on (or no progress possible).
                    if ((s.z.avail_in == 0 && s.z.avail_out > 0) || rc == Z_BUF_ERROR) break;
                }
                const std::size_t used = given - s.z.avail_in;
                if (used == 0 && s.phase == Stage::Phase::Inside)
                    return Fail(s.coding, "makes no progress");
                data += used;
                size -= used;
                break;
            }
            case Stage::Phase::Ended:
                if (s.coding == ContentCoding::Gzip && static_cast<unsigned char>(*data) == 0x1F) {
                    // The next member; zlib checks the rest of its head.
                    if (inflateReset(&s.z) != Z_OK)
                        return Fail(s.coding, "could not be started (zlib)");
                    s.phase = Stage::Phase::Inside;
                    break;
                }
                s.phase = Stage::Phase::Padding;
                [[fallthrough]];
            case Stage::Phase::Padding:
                if (std::any_of(data, data + size, [](char c) { return c != 0; }))
                    return Fail(s.coding, "is followed by bytes after its end");
                size = 0;
                break;
        }
    }
    return true;
}

bool BodyDecoder::FeedBrotli(std::size_t index, const char* data, std::size_t size) {
    Stage& s = *stages_[index];
    if (s.phase == Stage::Phase::Start && size > 0) {
        s.brotli = BrotliDecoderCreateInstance(nullptr, nullptr, nullptr);
        if (!s.brotli) return Fail(s.coding, "could not be started (brotli)");
        s.phase = Stage::Phase::Inside;
    }
    if (s.phase != Stage::Phase::Inside) {
        if (size > 0) return Fail(s.coding, "is followed by bytes after its end");
        return true;
    }
    const auto* in = reinterpret_cast<const std::uint8_t*>(data);
    std::size_t left = size;
    for (;;) {
        auto* next = reinterpret_cast<std::uint8_t*>(s.out.get());
        std::size_t room = kPieceSize;
        const BrotliDecoderResult rc =
            BrotliDecoderDecompressStream(s.brotli, &left, &in, &room, &next, nullptr);
        if (rc == BROTLI_DECODER_RESULT_ERROR)
            return Fail(s.coding,
                        std::string("is damaged (brotli error ") +
                            BrotliDecoderErrorString(BrotliDecoderGetErrorCode(s.brotli)) + ")");
        const std::size_t produced = kPieceSize - room;
        if (produced > 0 && !Pass(index, s.out.get(), produced)) return false;
        if (rc == BROTLI_DECODER_RESULT_SUCCESS) {
            s.phase = Stage::Phase::Ended;
            if (left > 0) return Fail(s.coding, "is followed by bytes after its end");
            return true;
        }
        // The decoder asks for more only once it has taken every byte given.
        if (rc == BROTLI_DECODER_RESULT_NEEDS_MORE_INPUT)
            return left == 0 || Fail(s.coding, "makes no progress");
    }
}

bool BodyDecoder::Fail(ContentCoding coding, std::string_view what) {
    error_ = "the ";
    error_ += NameOf(coding);
    error_ += " stream ";
    error_ += what;
    return false;
}

bool BodyDecoder::Finish() {
    // No compressor writes an empty stream, yet servers label empty bodies (a Content-Length of
    // 0) with a coding all the same, and curl saves such a body as an empty file: whether it is
    // whole is its framing's word alone.
    if (stages_.empty() || !stages_.front()->received) return true;
    for (const auto& s : stages_) {
        if (s->phase == Stage::Phase::Ended || s->phase == Stage::Phase::Padding) continue;
        // A later stage that got nothing: the stream before it decoded to no bytes.
        return Fail(s->coding, s->received ? "breaks off before its end" : "is missing");
    }
    return true;
}

}  // namespace vel
