// Why a file could not be read or saved. The message leaves out the file's
// name, which the caller knows and places as its messages do.
#ifndef SIMHOST_FILEERROR_H
#define SIMHOST_FILEERROR_H

#include <stdexcept>
#include <string>

namespace simhost {

class FileError : public std::runtime_error {
public:
    enum class Kind {
        System,      // the system refused; systemError() says how
        NotRegular,  // a folder, a pipe, a device or a socket
        TooLarge,    // more bytes than the reader's limit
        ReadOnly,    // a save would replace a file its owner may not write
    };

    FileError(Kind kind, const std::string& message, int systemError = 0)
        : std::runtime_error(message), kind_(kind), systemError_(systemError) {}

    Kind kind() const { return kind_; }
    int systemError() const { return systemError_; }

private:
    Kind kind_;
    int systemError_;
};

}  // namespace simhost

#endif
