#include "SvgAtomicFile.h"

#include "SvgError.h"
#include "simhost/FileReplacement.h"

namespace shunthost::svg {

void writeFileAtomically(const std::string& path, const std::function<void(std::FILE*)>& write) {
    try {
        simhost::replaceFile(path, write);
    } catch (const simhost::FileError& error) {
        throw SvgError(path, 0, error.what());
    }
}

}  // namespace shunthost::svg
