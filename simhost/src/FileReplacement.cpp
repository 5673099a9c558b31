#include "simhost/FileReplacement.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <random>

namespace simhost {

namespace {

namespace fs = std::filesystem;

constexpr const char* kTemporaryMark = ".shunt-tmp.";
// Room for the mark and its suffix within the 255 bytes a file name may have.
constexpr std::size_t kLongestNamePart = 160;
constexpr int kMostLinks = 40;  // as the system's own limit on following links

[[noreturn]] void systemFailure(const std::string& what, int error) {
    throw FileError(FileError::Kind::System, what + ": " + std::strerror(error), error);
}

// This machine's name as it may stand in a file name: letters, digits and '-'.
const std::string& hostTag() {
    static const std::string tag = [] {
        char name[256] = {};
        std::string out;
        if (::gethostname(name, sizeof name - 1) == 0) {
            for (const char* c = name; *c != '\0' && out.size() < 40; ++c) {
                if ((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9') ||
                    *c == '-') {
                    out += *c;
                }
            }
        }
        return out.empty() ? std::string("host") : out;
    }();
    return tag;
}

// The file a save replaces: `path`, or the file its links lead to.
fs::path followLinks(const fs::path& path) {
    fs::path current = path;
    for (int hop = 0; hop < kMostLinks; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return current;
        }
        std::error_code ec;
        const fs::path target = fs::read_symlink(current, ec);
        if (ec) {
            systemFailure("cannot follow its link", ec.value());
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    systemFailure("cannot follow its link", ELOOP);
}

// Whether the process that wrote a temporary file of ours is gone. Only a
// file from this host can tell; one from a live process, ours included, or
// from another machine sharing the folder is left alone.
bool writerIsGone(std::string_view suffix) {
    // suffix: HOST.PID.RANDOM
    const auto firstDot = suffix.find('.');
    const auto lastDot = suffix.rfind('.');
    if (firstDot == std::string_view::npos || firstDot == lastDot ||
        suffix.substr(0, firstDot) != hostTag()) {
        return false;
    }
    const std::string_view digits = suffix.substr(firstDot + 1, lastDot - firstDot - 1);
    pid_t pid = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
    if (ec != std::errc() || end != digits.data() + digits.size() || pid <= 0 || pid == ::getpid()) {
        return false;
    }
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Temporary files of `target` that a killed save left behind.
void removeStaleTemporaries(const fs::path& folder, const std::string& prefix) {
    std::error_code ec;
    std::error_code unreadable;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0 &&
            writerIsGone(std::string_view(name).substr(prefix.size())) &&
            it->symlink_status(unreadable).type() == fs::file_type::regular) {
            ::unlink(it->path().c_str());
        }
    }
}

std::string randomTag() {
    thread_local std::mt19937_64 generator{std::random_device{}()};
    char text[17] = {};
    const auto [end, ec] = std::to_chars(text, text + 16, generator() & 0xFFFFFFFFFFFFull, 16);
    return std::string(text, end);
}

// A new temporary file beside the target, made by us: O_EXCL makes creation
// fail on any name that exists, a planted link included.
int createTemporary(const fs::path& folder, const std::string& prefix, std::string& name) {
    const std::string stem = prefix + hostTag() + "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = (folder / (stem + randomTag())).string();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            if (fd < 0) {
                systemFailure("cannot create a file beside it", errno);
            }
            return fd;
        }
    }
    systemFailure("cannot create a file beside it", EEXIST);
}

// Refuses a target we may not replace; its details, when there is one.
bool checkTarget(const fs::path& target, struct stat& info) {
    if (::stat(target.c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return false;
        }
        systemFailure("cannot save", errno);
    }
    if (S_ISDIR(info.st_mode)) {
        throw FileError(FileError::Kind::NotRegular, "cannot save: it is a folder");
    }
    if (!S_ISREG(info.st_mode)) {
        throw FileError(FileError::Kind::NotRegular, "cannot save: it is not a regular file");
    }
    // By the owner's permission bit, not by whether we could: root may write
    // any file, yet a file made read-only is meant to stay as it is.
    if ((info.st_mode & S_IWUSR) == 0 || (::access(target.c_str(), W_OK) != 0 && errno != ENOENT)) {
        throw FileError(FileError::Kind::ReadOnly, "cannot save: it is read-only");
    }
    return true;
}

}  // namespace

std::string temporaryPrefixFor(const std::string& fileName) {
    return "." + fileName.substr(0, kLongestNamePart) + kTemporaryMark;
}

void replaceFile(const std::string& path, const std::function<void(std::FILE*)>& write) {
    const fs::path target = followLinks(path);
    struct stat existing {};
    const bool replacing = checkTarget(target, existing);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    const std::string prefix = temporaryPrefixFor(target.filename().string());
    removeStaleTemporaries(folder, prefix);

    std::string temporary;
    const int fd = createTemporary(folder, prefix, temporary);
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        systemFailure("cannot write", error);
    }
    try {
        write(file);
    } catch (...) {
        std::fclose(file);
        ::unlink(temporary.c_str());
        throw;
    }
    int error = 0;
    std::string what = "cannot write";
    if (std::ferror(file) != 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0 && std::fflush(file) != 0) {
        error = errno;
    }
    if (error == 0 && replacing) {
        // Owner first: a change of owner clears the set-id bits that the
        // mode then puts back. Another user's file stays as the system allows.
        [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
        if (::fchmod(fd, existing.st_mode & 07777) != 0) {
            error = errno;
        }
    }
    // The data must be on the disk before the rename makes it the file.
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        what = "cannot replace it";
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        systemFailure(what, error);
    }
}

}  // namespace simhost
