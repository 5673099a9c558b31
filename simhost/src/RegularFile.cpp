#include "simhost/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

namespace simhost {

namespace {

[[noreturn]] void systemFailure(const std::string& what, int error) {
    throw FileError(FileError::Kind::System, what + ": " + std::strerror(error), error);
}

void refuseIfNotRegular(const struct stat& info) {
    if (S_ISREG(info.st_mode)) {
        return;
    }
    const char* what = S_ISDIR(info.st_mode)                            ? "it is a folder"
                       : S_ISFIFO(info.st_mode)                         ? "it is a pipe, not a regular file"
                       : S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode) ? "it is a device, not a regular file"
                       : S_ISSOCK(info.st_mode)                         ? "it is a socket, not a regular file"
                                                                        : "it is not a regular file";
    throw FileError(FileError::Kind::NotRegular, std::string("cannot read: ") + what);
}

[[noreturn]] void tooLarge(std::uint64_t limit) {
    throw FileError(FileError::Kind::TooLarge,
                    "cannot read: it is larger than the limit of " + describeSize(limit));
}

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { ::close(fd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

std::string describeSize(std::uint64_t bytes) {
    constexpr std::uint64_t kKiB = 1024;
    constexpr std::uint64_t kMiB = kKiB * 1024;
    constexpr std::uint64_t kGiB = kMiB * 1024;
    if (bytes != 0 && bytes % kGiB == 0) {
        return std::to_string(bytes / kGiB) + " GiB";
    }
    if (bytes != 0 && bytes % kMiB == 0) {
        return std::to_string(bytes / kMiB) + " MiB";
    }
    if (bytes != 0 && bytes % kKiB == 0) {
        return std::to_string(bytes / kKiB) + " KiB";
    }
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

std::string readRegularFile(const std::string& path, std::uint64_t limit) {
    // Looked at before opening, as opening some devices already does something.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        systemFailure("cannot open", errno);
    }
    refuseIfNotRegular(info);
    // Without O_NONBLOCK, opening a pipe that took the file's place since
    // would wait for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        systemFailure("cannot open", errno);
    }
    const Descriptor file(fd);
    // What was opened decides, whatever the name showed a moment before.
    if (::fstat(file.get(), &info) != 0) {
        systemFailure("cannot read", errno);
    }
    refuseIfNotRegular(info);
    if (static_cast<std::uint64_t>(info.st_size) > limit) {
        tooLarge(limit);
    }
    // One byte more than the limit tells a file that grew past it; the size
    // the system gave is only where to start (some files report none).
    const std::uint64_t most =
        std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max() - 1) + 1;
    std::string bytes;
    bytes.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(static_cast<std::uint64_t>(info.st_size) + 1, most)));
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (bytes.size() >= most) {
                tooLarge(limit);
            }
            bytes.resize(static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size() * 2 + 4096, most)));
        }
        const ssize_t n = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            systemFailure("cannot read", errno);
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace simhost
