#include "SvgError.h"

namespace shunthost::svg {

namespace {

std::string located(const std::string& file, int line, const std::string& message) {
    std::string where = file.empty() ? std::string("<svg text>") : file;
    if (line > 0) {
        where += ":" + std::to_string(line);
    }
    return where + ": " + message;
}

}  // namespace

SvgError::SvgError(std::string file, int line, std::string message)
    : std::runtime_error(located(file, line, message)),
      file_(std::move(file)),
      line_(line),
      message_(std::move(message)) {}

}  // namespace shunthost::svg
