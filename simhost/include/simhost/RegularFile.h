// Reading a file a user names, which may be anything: only a regular file is
// read, through one descriptor, once, and never more than a limit. A pipe, a
// device or a folder is refused before a byte is read, so nothing waits for
// a writer that never comes or reads a device that never ends.
#ifndef SIMHOST_REGULARFILE_H
#define SIMHOST_REGULARFILE_H

#include <cstdint>
#include <string>

#include "simhost/FileError.h"

namespace simhost {

// The whole file. Throws FileError: the system's reason, a file that is not
// a regular one, or one larger than `limit` bytes (also when it grows past
// the limit while being read).
std::string readRegularFile(const std::string& path, std::uint64_t limit);

// "256 MiB", "4 KiB" or "1000 bytes": a size as people write it.
std::string describeSize(std::uint64_t bytes);

}  // namespace simhost

#endif
