// The decoding of a body that its server sent compressed although the request asked for none:
// gzip (also named x-gzip), deflate (zlib-wrapped, or raw as some servers send it) and br
// (brotli), decoded as the bytes come, in pieces of bounded size, and whole only when every
// compressed stream ended whole (for gzip with its trailer's check). A body of no bytes at all is
// whole, whatever its coding. A body of any other coding is taken as it came.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

enum class ContentCoding { Gzip, Deflate, Brotli };

// The codings that a body's Content-Encoding lists (its fields joined by commas), in the order
// in which the server applied them; names are read without regard to case, and "identity" and
// empty items are no coding. `decodable` is false when one of them is none that BodyDecoder
// decodes ("zstd", "compress", "UTF-8", "binary", anything unknown): such a body is taken as it
// came.
struct ContentCodings {
    bool decodable = true;
    std::vector<ContentCoding> applied;
};
ContentCodings CodingsOfField(std::string_view contentEncoding);

class BodyDecoder {
public:
    // Where the decoded bytes go, in order; false refuses them and ends the decoding.
    using Sink = std::function<bool(const char* data, std::size_t size)>;
    // Codings of one body decoded at the most (each costs its window: 32 KB for zlib's, up to
    // 16 MB for a brotli stream's, as its head asks).
    static constexpr std::size_t kMaxCodings = 5;
    // The decoded bytes handed to the sink in one piece at the most.
    static constexpr std::size_t kPieceSize = 64 * 1024;

    // Decodes a body of the codings (as CodingsOfField lists them: 1 to kMaxCodings of them).
    BodyDecoder(const std::vector<ContentCoding>& applied, Sink sink);
    ~BodyDecoder();
    BodyDecoder(const BodyDecoder&) = delete;
    BodyDecoder& operator=(const BodyDecoder&) = delete;

    // The next bytes of the body. False when the decoding ends here: a stream is damaged, or
    // bytes follow a stream's end (Error() says which), or the sink refused decoded bytes (its
    // owner knows that). Nothing is fed after a false.
    bool Feed(const char* data, std::size_t size);
    // The body has come to its end: true when every stream ended whole, or when the body had
    // no bytes at all (its framing alone says whether it is whole, as for a body of no coding);
    // else Error() says why.
    bool Finish();
    const std::string& Error() const { return error_; }

private:
    struct Stage;
    // Hands decoded bytes to the stage after `from` (the sink after the last one).
    bool Pass(std::size_t from, const char* data, std::size_t size);
    bool FeedStage(std::size_t index, const char* data, std::size_t size);
    // FeedStage for a brotli stage.
    bool FeedBrotli(std::size_t index, const char* data, std::size_t size);
    // Sets the error "the <coding> stream <what>"; false.
    bool Fail(ContentCoding coding, std::string_view what);

    std::vector<std::unique_ptr<Stage>> stages_;  // in the order of decoding
    Sink sink_;
    std::string error_;
};

}  // namespace vel
