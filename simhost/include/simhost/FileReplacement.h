// Saving a file whole or not at all, without harming what is not ours.
//
// The new text goes into a temporary file beside the target, created
// exclusively (never through a link that someone put there), flushed to the
// disk and renamed over the target: a crash or a full disk leaves the old
// file or the new one, never half of one. What the target is, is kept:
//  - a symbolic link is followed, and the file it leads to is replaced (in
//    its own folder), so the link stays a link;
//  - a target that is not a regular file (a folder, a device) is refused;
//  - a target without its owner's write permission is refused as read-only,
//    even for a user (root) whom the system would let write it;
//  - a replaced file keeps its permissions and, where the system allows,
//    its owner and group; a new one gets those the umask gives.
// Temporary files are named `.NAME.shunt-tmp.HOST.PID.RANDOM`. One left by a
// save that was killed (its process on this host is gone) is removed by the
// next save of the same target.
#ifndef SIMHOST_FILEREPLACEMENT_H
#define SIMHOST_FILEREPLACEMENT_H

#include <cstdio>
#include <functional>
#include <string>

#include "simhost/FileError.h"

namespace simhost {

// Writes through `write` and replaces `path` as above. Throws FileError
// (the target is then as it was and no temporary file is left); an
// exception from `write` passes through after the temporary file is removed.
void replaceFile(const std::string& path, const std::function<void(std::FILE*)>& write);

// The name the temporary files of `path` start with (".NAME.shunt-tmp.").
std::string temporaryPrefixFor(const std::string& fileName);

}  // namespace simhost

#endif
