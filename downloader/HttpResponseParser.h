// The reader of one HTTP/1.x response as it comes off a connection, in pieces of any size:
// the status line and header fields of the final response (interim 1xx responses skipped, a
// few at most), then the body by its framing (chunked, a Content-Length, or up to the close of
// the connection). Whatever framing it cannot be sure of is an error, so that a body counts as
// complete only where its framing says it ends. Bytes in, state and body bytes out; no network.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vel {

class HttpResponseParser {
public:
    enum class State {
        Head,      // reading a status line and its header fields
        Body,      // reading the body of the final response
        Complete,  // the body has ended where its framing says
        Failed,    // see failure()
    };
    enum class Failure {
        None,
        Malformed,   // bytes that are no valid response or framing, or too many interim answers
        ClosedEarly  // the connection closed before the response was complete
    };
    struct Field {
        std::string name;   // as sent
        std::string value;  // without the white space around it
    };

    // The most bytes of one head (status line and fields) or of a chunk's size line and of the
    // trailer fields; longer is an error.
    static constexpr std::size_t kMaxHeadSize = 64 * 1024;
    // The most interim (1xx) responses before the final one; one more is an error.
    static constexpr int kMaxInterim = 20;

    // Reads the next bytes of the connection and appends the body bytes among them to `body`.
    // Bytes after the end of the response, or after an error, are ignored. Returns state().
    State Feed(std::string_view bytes, std::string& body);
    // The connection has closed: a body that runs up to the close is complete; a response not
    // yet complete fails as ClosedEarly. Returns state().
    State Close();

    State state() const { return state_; }
    Failure failure() const { return failure_; }
    // What was wrong, for the error text; empty while nothing is.
    const std::string& failureText() const { return failureText_; }
    // The final response's head: set from state Body on.
    int status() const { return status_; }
    const std::string& reason() const { return reason_; }
    const std::vector<Field>& fields() const { return fields_; }

private:
    enum class Framing { None, Length, Chunked, UntilClose };
    enum class Chunk { Size, Data, DataEnd, Trailer };

    // Takes bytes of a line into line_; true with the whole line there (its end taken off).
    bool TakeLine(std::string_view& bytes);
    void HeadLine();
    void EndOfHead();
    void ChunkLine();
    void Fail(Failure failure, const char* text);

    State state_ = State::Head;
    Failure failure_ = Failure::None;
    std::string failureText_;
    std::string line_;
    std::size_t lineBudget_ = kMaxHeadSize;  // bytes the head or trailers may still take
    bool statusLineRead_ = false;
    bool http10_ = false;
    int interim_ = 0;
    int status_ = 0;
    std::string reason_;
    std::vector<Field> fields_;
    Framing framing_ = Framing::None;
    Chunk chunk_ = Chunk::Size;
    bool trailerSeen_ = false;     // a trailer field came, which a folded line may continue
    std::uint64_t remaining_ = 0;  // body or chunk bytes still to come
};

}  // namespace vel
