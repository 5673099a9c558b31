#include "Text.h"

#include <unicode/ucnv.h>

#include <memory>
#include <vector>

namespace shunthost {

std::string macRomanToUtf8(const std::string& bytes) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, decltype(&ucnv_close)> roman(ucnv_open("macintosh", &status), &ucnv_close);
    if (U_FAILURE(status)) {
        return bytes;
    }
    std::vector<UChar> units(bytes.size() + 1);
    const int32_t unitCount = ucnv_toUChars(roman.get(), units.data(), static_cast<int32_t>(units.size()),
                                            bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) {
        return bytes;
    }
    std::unique_ptr<UConverter, decltype(&ucnv_close)> utf8(ucnv_open("UTF-8", &status), &ucnv_close);
    std::string out(static_cast<std::size_t>(unitCount) * 3 + 1, '\0');
    const int32_t length = ucnv_fromUChars(utf8.get(), out.data(), static_cast<int32_t>(out.size()),
                                           units.data(), unitCount, &status);
    if (U_FAILURE(status)) {
        return bytes;
    }
    out.resize(static_cast<std::size_t>(length));
    return out;
}

}  // namespace shunthost
