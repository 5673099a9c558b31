#include "SvgFileInput.h"

#include "SvgError.h"
#include "simhost/RegularFile.h"

namespace shunthost::svg {

std::string readArtworkFile(const std::string& path, std::uint64_t maxSize) {
    try {
        return simhost::readRegularFile(path, maxSize);
    } catch (const simhost::FileError& error) {
        std::string message = error.what();
        if (error.kind() == simhost::FileError::Kind::TooLarge) {
            message += " (--max-size sets it)";
        }
        throw SvgError(path, 0, message);
    }
}

}  // namespace shunthost::svg
