// Files the page may read besides its own (linked images, the bundles'
// pictures), pinned when the document is opened. Their folder stays open,
// and each read opens the file again beneath that folder's descriptor, one
// name at a time and following no symbolic link, and serves it only if it is
// still the regular file (device and inode) that was checked then: a file
// swapped for a link or for another file afterwards is not served.
#ifndef SHUNTHOST_SERVE_SERVEDFILE_H
#define SHUNTHOST_SERVE_SERVEDFILE_H

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace shunthost::serve {

class ServedFolder {
public:
    // Nothing when the folder cannot be opened.
    static std::shared_ptr<const ServedFolder> open(const std::filesystem::path& folder);
    ~ServedFolder();
    ServedFolder(const ServedFolder&) = delete;
    ServedFolder& operator=(const ServedFolder&) = delete;
    int descriptor() const { return fd_; }

private:
    explicit ServedFolder(int fd) : fd_(fd) {}
    int fd_;
};

// An open file the caller now owns, and its size.
struct OpenedFile {
    int fd = -1;
    std::uint64_t size = 0;
};

class ServedFile {
public:
    // Nothing unless `relative` names a regular file beneath `folder`,
    // reached without a symbolic link.
    static std::optional<ServedFile> pin(std::shared_ptr<const ServedFolder> folder,
                                         const std::filesystem::path& relative);
    // Nothing when the file is gone or is no longer the one pinned.
    std::optional<OpenedFile> open() const;
    const std::filesystem::path& relative() const { return relative_; }

private:
    ServedFile(std::shared_ptr<const ServedFolder> folder, std::filesystem::path relative, dev_t device,
               ino_t inode)
        : folder_(std::move(folder)), relative_(std::move(relative)), device_(device), inode_(inode) {}

    std::shared_ptr<const ServedFolder> folder_;
    std::filesystem::path relative_;
    dev_t device_;
    ino_t inode_;
};

}  // namespace shunthost::serve

#endif
