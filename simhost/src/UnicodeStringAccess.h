// What the entries of "AI Unicode String Suite" share: the suite's key and
// the reading, editing and folding of the texts behind references. A null
// reference is a valid empty string that owns nothing: reading it reads
// empty text, and the first edit creates the host string behind it.
#ifndef SIMHOST_UNICODESTRINGACCESS_H
#define SIMHOST_UNICODESTRINGACCESS_H

#include <algorithm>
#include <string>
#include <string_view>

#include "simhost/Host.h"
#include "simhost/UnicodeStrings.h"

namespace simhost::stringsuite {

inline SuiteKey kUnicodeKey{kAIUnicodeStringSuite,
                            kAIUnicodeStringSuiteVersion,
                            0,
                            {3, 10, 11, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 31, 32}};
constexpr ASUInt32 npos = ai::UnicodeString::npos;
inline const std::u16string kEmptyText;

inline UnicodeStrings& strings() {
    return Host::current().strings();
}

inline std::size_t wide(ASUInt32 value) {
    return value == npos ? std::u16string::npos : value;
}
inline ASUInt32 narrow(std::size_t value) {
    return value == std::u16string::npos ? npos : static_cast<ASUInt32>(value);
}
inline std::string num(ASUInt32 value) {
    return value == npos ? std::string("npos") : std::to_string(value);
}

// The text behind a string for reading; null (reported) for a bad reference.
inline const std::u16string* textOf(const AIUnicodeStringRef* self, const char* entry) {
    Host& host = Host::current();
    if (self == nullptr) {
        host.violation(std::string(entry) + ": null string address");
        return nullptr;
    }
    if (*self == nullptr) {
        return &kEmptyText;
    }
    HostString* string = host.checked(strings().table(), *self, entry);
    return string != nullptr ? &string->text : nullptr;
}

// The text behind a string for editing, created for an empty reference.
// Taken before any textOf of the same call: creating a string may move the
// others in the table.
inline std::u16string* editableText(AIUnicodeStringRef* self, const char* entry) {
    Host& host = Host::current();
    if (self == nullptr) {
        host.violation(std::string(entry) + ": null string address");
        return nullptr;
    }
    if (*self == nullptr) {
        *self = strings().create(std::u16string());
    }
    HostString* string = host.checked(strings().table(), *self, entry);
    return string != nullptr ? &string->text : nullptr;
}

// Makes *self hold the text: a new string for an empty reference, the same
// string with new text otherwise.
inline ASErr store(AIUnicodeStringRef* self, std::u16string text, const char* entry) {
    std::u16string* target = editableText(self, entry);
    if (target == nullptr) {
        return kBadHandleErr;
    }
    *target = std::move(text);
    return kNoErr;
}

inline std::u16string unitText(ASUInt32 unit) {
    if (unit <= 0xFFFF) {
        return std::u16string(1, static_cast<char16_t>(unit));
    }
    const ASUInt32 v = unit - 0x10000;
    return {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
}

inline bool validCodePoint(ASUInt32 unit) {
    return unit <= 0x10FFFF;
}

inline std::u16string folded(std::u16string_view text) {
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t unit = out[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 &&
            out[i + 1] <= 0xDFFF) {
            const char32_t cp =
                0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (out[i + 1] - 0xDC00);
            const std::u16string f = unitText(static_cast<ASUInt32>(unicode::foldCase(cp)));
            out[i] = f[0];
            out[i + 1] = f[1];
            ++i;
        } else {
            out[i] = static_cast<char16_t>(unicode::foldCase(unit));
        }
    }
    return out;
}

inline std::u16string_view part(const std::u16string& text, ASUInt32 pos, ASUInt32 count) {
    const std::size_t start = std::min<std::size_t>(wide(pos), text.size());
    return std::u16string_view(text).substr(start, wide(count));
}

inline ASInt32 sign(int value) {
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

// The entries that only read, defined in UnicodeStringQueries.cpp.
AIErr getUnit(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32* unit) noexcept;
ASInt32 compare(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count, const AIUnicodeStringRef* other,
                ASUInt32 otherPos, ASUInt32 otherCount) noexcept;
ASInt32 caseCompare(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count,
                    const AIUnicodeStringRef* other, ASUInt32 otherPos, ASUInt32 otherCount) noexcept;
AIErr canonicalCompare(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                       ASInt32* result) noexcept;
AIErr canonicalCaseCompare(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                           ASInt32* result) noexcept;
ASUInt32 length(const AIUnicodeStringRef* self) noexcept;
AIBoolean empty(const AIUnicodeStringRef* self) noexcept;
AIBoolean hasSurrogates(const AIUnicodeStringRef* self) noexcept;
ASUInt32 findUnit(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept;
ASUInt32 find(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept;
ASUInt32 findN(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
               ASUInt32 count) noexcept;
ASUInt32 caseFind(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                  ASUInt32 count) noexcept;
ASUInt32 rfindUnit(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept;
ASUInt32 rfind(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept;
ASUInt32 rfindN(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                ASUInt32 count) noexcept;
ASUInt32 findFirstOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                     ASUInt32 count) noexcept;
ASUInt32 findFirstNotOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                        ASUInt32 count) noexcept;
ASUInt32 findLastOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                    ASUInt32 count) noexcept;
ASUInt32 findLastNotOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                       ASUInt32 count) noexcept;

}  // namespace simhost::stringsuite

#endif
