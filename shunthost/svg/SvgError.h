// The one exception the SVG reader and writer throw: where (file and line,
// when known) and what went wrong, ready to be shown as `FILE:LINE: message`.
#ifndef SHUNTHOST_SVG_SVGERROR_H
#define SHUNTHOST_SVG_SVGERROR_H

#include <stdexcept>
#include <string>

namespace shunthost::svg {

class SvgError : public std::runtime_error {
public:
    // line 0: the problem is not tied to a line (a missing file, a failed write).
    SvgError(std::string file, int line, std::string message);

    const std::string& file() const { return file_; }
    int line() const { return line_; }
    const std::string& message() const { return message_; }

private:
    std::string file_;
    int line_;
    std::string message_;
};

}  // namespace shunthost::svg

#endif
