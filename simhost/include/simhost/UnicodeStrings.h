// The host's Unicode strings, which plug-ins hold by reference, and the
// conversions between UTF-16 and the 8-bit encodings the host speaks.
//
// A string's text is kept as UTF-16 units. The conversions come from a
// backend chosen when the host is built: ICU where it is available, else a
// small one that handles 7-bit ASCII text in every encoding and answers an
// error for anything else.
#ifndef SIMHOST_UNICODESTRINGS_H
#define SIMHOST_UNICODESTRINGS_H

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "hostapi/IAIUnicodeString.h"
#include "simhost/Handles.h"

namespace simhost {

class Host;

namespace unicode {

// True when the backend converts every character (ICU); false when it
// handles 7-bit ASCII only.
bool fullSupport();
// Bytes in the encoding to UTF-16; nullopt for an encoding the host does not
// know or bytes that are not valid in it.
std::optional<std::u16string> decode(std::string_view bytes, AICharacterEncoding encoding);
// UTF-16 to bytes in the encoding, characters it lacks becoming '?';
// nullopt for an encoding the host does not know (or text the backend cannot
// convert).
std::optional<std::string> encode(std::u16string_view text, AICharacterEncoding encoding);
// One of the four normalization forms (ai::UnicodeString::NormalizedForm);
// nullopt for an unknown form or text the backend cannot normalize.
std::optional<std::u16string> normalize(std::u16string_view text, ASInt32 form);
// Simple case folding of one code point: the result has the same length in
// UTF-16 units, so positions found in folded text hold in the original.
char32_t foldCase(char32_t codePoint);

}  // namespace unicode

struct HostString {
    std::u16string text;
    // The units as the interface types them, refreshed for each request.
    std::vector<ASUnicode> units;
};

class UnicodeStrings {
public:
    explicit UnicodeStrings(Host& host) : host_(host) {}
    ~UnicodeStrings();
    UnicodeStrings(const UnicodeStrings&) = delete;
    UnicodeStrings& operator=(const UnicodeStrings&) = delete;

    AIUnicodeStringRef create(std::u16string text);
    void destroy(AIUnicodeStringRef ref);
    HandleTable<HostString, HandleKind::UnicodeString, AIUnicodeStringRef>& table() { return table_; }

    // The text of a reference as UTF-8, for the host's own use (menu texts);
    // an empty reference is empty text, a bad one nullopt.
    std::optional<std::string> utf8(AIUnicodeStringRef ref);

    // Conversions to an 8-bit encoding ("AI Unicode String Suite" entry 33)
    // since the host started; what getToBuffer's cost is measured in.
    long conversions() const { return conversions_; }
    void countConversion() { ++conversions_; }

private:
    Host& host_;
    HandleTable<HostString, HandleKind::UnicodeString, AIUnicodeStringRef> table_;
    long conversions_ = 0;
};

}  // namespace simhost

#endif
