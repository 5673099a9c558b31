#include "SvgAtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "SvgError.h"

namespace shunthost::svg {

namespace {

[[noreturn]] void failWith(const std::string& path, const std::string& what, int error) {
    throw SvgError(path, 0, what + ": " + std::strerror(error));
}

mode_t permissionsFor(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

void writeFileAtomically(const std::string& path, const std::function<void(std::FILE*)>& write) {
    const std::filesystem::path target(path);
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string temporary = (folder / ("." + target.filename().string() + ".tmp-XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        failWith(path, "cannot write beside it", errno);
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        const int error = errno;
        ::close(fd);
        ::unlink(temporary.c_str());
        failWith(path, "cannot write", error);
    }
    int error = 0;
    try {
        write(file);
    } catch (...) {
        std::fclose(file);
        ::unlink(temporary.c_str());
        throw;
    }
    if (std::ferror(file) != 0) {
        error = errno != 0 ? errno : EIO;
    }
    if (error == 0 && std::fflush(file) != 0) {
        error = errno;
    }
    if (error == 0 && ::fchmod(fd, permissionsFor(path)) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd) != 0) {
        error = errno;
    }
    if (std::fclose(file) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        failWith(path, "cannot write", error);
    }
}

}  // namespace shunthost::svg
