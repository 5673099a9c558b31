#include "simhost/UnicodeStrings.h"

#include "simhost/Host.h"

namespace simhost {

UnicodeStrings::~UnicodeStrings() = default;

AIUnicodeStringRef UnicodeStrings::create(std::u16string text) {
    ++host_.counters().hostStringsAlive;
    return table_.add(HostString{std::move(text), {}});
}

void UnicodeStrings::destroy(AIUnicodeStringRef ref) {
    if (table_.check(ref) == HandleProblem::None) {
        table_.remove(ref);
        --host_.counters().hostStringsAlive;
    }
}

std::optional<std::string> UnicodeStrings::utf8(AIUnicodeStringRef ref) {
    if (ref == nullptr) {
        return std::string();
    }
    const HostString* string = table_.find(ref);
    if (string == nullptr) {
        return std::nullopt;
    }
    return unicode::encode(string->text, kAIUTF8CharacterEncoding);
}

}  // namespace simhost
