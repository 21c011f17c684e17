// A stream socket of a test's own that listens and takes every connection without ever
// answering: an X server or a Wayland compositor that hangs.
#pragma once

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <utility>

namespace vel::testing {

class SilentListener {
public:
    // At an X display ":<n>" of the first free n from 300 (the abstract socket that an X server
    // of that number binds, and that libxcb tries first).
    static SilentListener AtXDisplay() {
        SilentListener listener;
        for (int n = 300; n < 400 && listener.name_.empty(); ++n) {
            const std::string number = std::to_string(n);
            std::string file = "/tmp/.X11-unix/X";
            file += number;
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            std::memcpy(address.sun_path + 1, file.data(), file.size());
            std::string display = ":";
            display += number;
            if (listener.Listen(address, offsetof(sockaddr_un, sun_path) + 1 + file.size()))
                listener.name_ = display;
        }
        return listener;
    }
    // At a socket file of this path.
    static SilentListener AtPath(const std::string& path) {
        SilentListener listener;
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::memcpy(address.sun_path, path.data(),
                    std::min(path.size(), sizeof address.sun_path - 1));
        if (listener.Listen(address, sizeof address)) listener.name_ = path;
        return listener;
    }
    SilentListener(SilentListener&& other) noexcept
        : fd_(std::exchange(other.fd_, -1)), name_(std::move(other.name_)) {}
    ~SilentListener() {
        if (fd_ >= 0) ::close(fd_);
    }
    // The display name or path, "" when no socket could be bound.
    const std::string& Name() const { return name_; }

private:
    SilentListener() = default;
    bool Listen(const sockaddr_un& address, size_t length) {
        if (fd_ < 0) fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        return fd_ >= 0 &&
               ::bind(fd_, reinterpret_cast<const sockaddr*>(&address),
                      static_cast<socklen_t>(length)) == 0 &&
               ::listen(fd_, 8) == 0;
    }
    int fd_ = -1;
    std::string name_;
};

}  // namespace vel::testing
