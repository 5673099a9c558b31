// Text as the host shows it: the plug-in hands over 8-bit Mac OS Roman, the
// terminal and files take UTF-8.
#ifndef SHUNTHOST_APP_TEXT_H
#define SHUNTHOST_APP_TEXT_H

#include <string>

namespace shunthost {

std::string macRomanToUtf8(const std::string& bytes);

}  // namespace shunthost

#endif
