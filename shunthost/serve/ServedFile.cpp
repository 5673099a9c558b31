#include "ServedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shunthost::serve {

namespace fs = std::filesystem;

namespace {

// Opens `relative` beneath `folder` name by name, refusing a symbolic link
// at every step and anything that leaves the folder. Non-blocking, so that a
// pipe put in the file's place cannot hold the thread.
int openBeneath(int folder, const fs::path& relative) {
    if (relative.empty() || relative.is_absolute()) {
        return -1;
    }
    int at = folder;
    int opened = -1;
    for (auto part = relative.begin(); part != relative.end(); ++part) {
        const std::string name = part->string();
        const bool last = std::next(part) == relative.end();
        if (name.empty() || name == "." || name == "..") {
            opened = -1;
        } else {
            const int flags = O_NOFOLLOW | O_CLOEXEC | (last ? O_RDONLY | O_NONBLOCK : O_PATH | O_DIRECTORY);
            opened = openat(at, name.c_str(), flags);
        }
        if (at != folder) {
            close(at);
        }
        if (opened < 0 || last) {
            return opened;
        }
        at = opened;
    }
    return -1;
}

}  // namespace

std::shared_ptr<const ServedFolder> ServedFolder::open(const fs::path& folder) {
    const int fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return nullptr;
    }
    return std::shared_ptr<const ServedFolder>(new ServedFolder(fd));
}

ServedFolder::~ServedFolder() {
    close(fd_);
}

std::optional<ServedFile> ServedFile::pin(std::shared_ptr<const ServedFolder> folder,
                                          const fs::path& relative) {
    if (!folder) {
        return std::nullopt;
    }
    const int fd = openBeneath(folder->descriptor(), relative);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    close(fd);
    if (!regular) {
        return std::nullopt;
    }
    return ServedFile(std::move(folder), relative, status.st_dev, status.st_ino);
}

std::optional<OpenedFile> ServedFile::open() const {
    const int fd = openBeneath(folder_->descriptor(), relative_);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_dev != device_ ||
        status.st_ino != inode_) {
        close(fd);
        return std::nullopt;
    }
    return OpenedFile{fd, static_cast<std::uint64_t>(status.st_size)};
}

}  // namespace shunthost::serve
