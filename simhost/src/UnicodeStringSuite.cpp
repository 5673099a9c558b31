// "AI Unicode String Suite" over the host's string table: the entries that
// make, change, convert and release strings, and the suite's table. The
// entries that only read are in UnicodeStringQueries.cpp.
#include <cstring>

#include "UnicodeStringAccess.h"

namespace simhost {

namespace stringsuite {

namespace {

// --- creation and release

AIErr initialize(AIUnicodeStringRef* self, const char* text, ASUInt32 byteCount,
                 AICharacterEncoding encoding) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 0, [&] {
            return std::to_string(byteCount) + " bytes, encoding " + std::to_string(encoding);
        })) {
        return *fault;
    }
    if (text == nullptr && byteCount != 0) {
        host.violation("initialize: null text with a byte count");
        return kBadParameterErr;
    }
    const auto decoded = unicode::decode(std::string_view(text != nullptr ? text : "", byteCount), encoding);
    if (!decoded) {
        return kBadParameterErr;
    }
    return store(self, *decoded, "initialize");
}

AIErr initializeUTF16(AIUnicodeStringRef* self, const ASUnicode* units, ASUInt32 count) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 1, [&] { return num(count) + " units"; })) {
        return *fault;
    }
    if (units == nullptr && count != 0) {
        host.violation("initializeUTF16: null units with a count");
        return kBadParameterErr;
    }
    std::u16string text;
    if (count == npos) {
        for (const ASUnicode* p = units; *p != 0; ++p) {
            text += static_cast<char16_t>(*p);
        }
    } else {
        text.assign(units, units + count);
    }
    return store(self, std::move(text), "initializeUTF16");
}

AIErr initializeUnit(AIUnicodeStringRef* self, ASUInt32 count, ASUInt32 unit) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 2,
                                [&] { return std::to_string(count) + " x " + std::to_string(unit); })) {
        return *fault;
    }
    if (!validCodePoint(unit)) {
        return kBadParameterErr;
    }
    const std::u16string one = unitText(unit);
    std::u16string text;
    text.reserve(one.size() * count);
    for (ASUInt32 i = 0; i < count; ++i) {
        text += one;
    }
    return store(self, std::move(text), "initializeUnit");
}

AIErr destroy(AIUnicodeStringRef* self) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(
            kUnicodeKey, 3, [] { return std::string(); }, false)) {
        return *fault;
    }
    if (self == nullptr) {
        host.violation("destroy: null string address");
        return kBadParameterErr;
    }
    if (*self == nullptr) {
        return kNoErr;
    }
    if (host.checked(strings().table(), *self, "destroy") == nullptr) {
        return kBadHandleErr;
    }
    strings().destroy(*self);
    *self = nullptr;
    return kNoErr;
}

AIErr initializeZString(AIUnicodeStringRef* self, const ZREFStruct* zString) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 34, [] { return std::string(); })) {
        return *fault;
    }
    if (zString == nullptr) {
        host.violation("initializeZString: null reference");
        return kBadParameterErr;
    }
    // "$$$/Key=Text": the text after the first '='; a plain string is its own text.
    std::string_view source(reinterpret_cast<const char*>(zString));
    if (source.substr(0, 4) == "$$$/") {
        const auto eq = source.find('=');
        source = eq == std::string_view::npos ? std::string_view() : source.substr(eq + 1);
    }
    const auto decoded = unicode::decode(source, kAIUTF8CharacterEncoding);
    if (!decoded) {
        return kBadParameterErr;
    }
    return store(self, *decoded, "initializeZString");
}

// --- edits

AIErr append(AIUnicodeStringRef* self, const AIUnicodeStringRef* other) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 4, [] { return std::string(); })) {
        return *fault;
    }
    std::u16string* target = editableText(self, "append");
    const std::u16string* source = textOf(other, "append");
    if (target == nullptr || source == nullptr) {
        return kBadHandleErr;
    }
    const std::u16string copy = *source;  // the string may be appended to itself
    target->append(copy);
    return kNoErr;
}

AIErr appendSub(AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                ASUInt32 count) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 5, [&] { return num(pos) + " " + num(count); })) {
        return *fault;
    }
    std::u16string* target = editableText(self, "appendSub");
    const std::u16string* source = textOf(other, "appendSub");
    if (target == nullptr || source == nullptr) {
        return kBadHandleErr;
    }
    if (pos > source->size()) {
        return kBadParameterErr;
    }
    const std::u16string copy = source->substr(pos, wide(count));
    target->append(copy);
    return kNoErr;
}

AIErr assignTo(AIUnicodeStringRef* self, const AIUnicodeStringRef* other, const char* entry) {
    Host& host = Host::current();
    if (self == nullptr) {
        host.violation(std::string(entry) + ": null string address");
        return kBadParameterErr;
    }
    const std::u16string* source = textOf(other, entry);
    if (source == nullptr) {
        return kBadHandleErr;
    }
    if (*self == nullptr && *other == nullptr) {
        return kNoErr;  // empty to empty needs no string
    }
    std::u16string copy = *source;
    return store(self, std::move(copy), entry);
}

AIErr assign(AIUnicodeStringRef* self, const AIUnicodeStringRef* other) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 6, [] { return std::string(); })) {
        return *fault;
    }
    return assignTo(self, other, "assign");
}

AIErr initializeCopy(AIUnicodeStringRef* self, const AIUnicodeStringRef* other) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 7, [] { return std::string(); })) {
        return *fault;
    }
    return assignTo(self, other, "initializeCopy");
}

AIErr clear(AIUnicodeStringRef* self) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 9, [] { return std::string(); })) {
        return *fault;
    }
    if (self != nullptr && *self == nullptr) {
        return kNoErr;
    }
    std::u16string* target = editableText(self, "clear");
    if (target == nullptr) {
        return kBadHandleErr;
    }
    target->clear();
    return kNoErr;
}

AIErr erase(AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 16, [&] { return num(pos) + " " + num(count); })) {
        return *fault;
    }
    const std::u16string* current = textOf(self, "erase");
    if (current == nullptr) {
        return kBadHandleErr;
    }
    if (pos > current->size()) {
        return kBadParameterErr;
    }
    if (*self == nullptr) {
        return kNoErr;  // nothing to erase from empty text
    }
    editableText(self, "erase")->erase(pos, wide(count));
    return kNoErr;
}

AIErr resize(AIUnicodeStringRef* self, ASUInt32 count, ASUInt32 unit) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 28, [&] { return std::to_string(count); })) {
        return *fault;
    }
    if (unit > 0xFFFF) {
        return kBadParameterErr;  // padding with pairs could not hit every count
    }
    std::u16string* target = editableText(self, "resize");
    if (target == nullptr) {
        return kBadHandleErr;
    }
    target->resize(count, static_cast<char16_t>(unit));
    return kNoErr;
}

AIErr substr(const AIUnicodeStringRef* self, AIUnicodeStringRef* result, ASUInt32 pos,
             ASUInt32 count) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 29, [&] { return num(pos) + " " + num(count); })) {
        return *fault;
    }
    if (result == nullptr) {
        Host::current().violation("substr: null result address");
        return kBadParameterErr;
    }
    const std::u16string* source = textOf(self, "substr");
    if (source == nullptr) {
        return kBadHandleErr;
    }
    if (pos > source->size()) {
        return kBadParameterErr;
    }
    std::u16string copy = source->substr(pos, wide(count));
    return store(result, std::move(copy), "substr");
}

AIErr swap(AIUnicodeStringRef* self, AIUnicodeStringRef* other) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 30, [] { return std::string(); })) {
        return *fault;
    }
    if (textOf(self, "swap") == nullptr || textOf(other, "swap") == nullptr) {
        return kBadHandleErr;
    }
    std::swap(*self, *other);
    return kNoErr;
}

AIErr normalize(AIUnicodeStringRef* self, ASInt32 form) noexcept {
    if (auto fault = Host::current().enter(kUnicodeKey, 35, [&] { return std::to_string(form); })) {
        return *fault;
    }
    const std::u16string* current = textOf(self, "normalize");
    if (current == nullptr) {
        return kBadHandleErr;
    }
    auto normalized = unicode::normalize(*current, form);
    if (!normalized) {
        return kBadParameterErr;
    }
    if (*self == nullptr) {
        return kNoErr;
    }
    *editableText(self, "normalize") = std::move(*normalized);
    return kNoErr;
}

// --- conversions

ASUInt32 getUTF16(const AIUnicodeStringRef* self, const ASUnicode** units) noexcept {
    Host& host = Host::current();
    host.enter(
        kUnicodeKey, 32, [] { return std::string(); }, false);
    if (units == nullptr) {
        host.violation("getUTF16: null result address");
        return 0;
    }
    *units = nullptr;
    if (textOf(self, "getUTF16") == nullptr || *self == nullptr) {
        return 0;
    }
    HostString* string = strings().table().find(*self);
    string->units.assign(string->text.begin(), string->text.end());
    *units = string->units.data();
    return static_cast<ASUInt32>(string->units.size());
}

AIErr getAs(const AIUnicodeStringRef* self, AICharacterEncoding encoding, AIBufferRecord* buffer,
            ASUInt32* length) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 33, [&] { return "encoding " + std::to_string(encoding); })) {
        return *fault;
    }
    strings().countConversion();
    const std::u16string* text = textOf(self, "getAs");
    if (text == nullptr) {
        return kBadHandleErr;
    }
    if (buffer == nullptr || length == nullptr) {
        host.violation("getAs: null buffer record or length address");
        return kBadParameterErr;
    }
    const auto bytes = unicode::encode(*text, encoding);
    if (!bytes) {
        return kBadParameterErr;
    }
    void* block = nullptr;
    if (const ASErr error = host.allocateBlock(bytes->size() + 1, "AI Unicode String Suite getAs", &block)) {
        return error;
    }
    std::memcpy(block, bytes->data(), bytes->size());
    static_cast<char*>(block)[bytes->size()] = '\0';
    if (buffer->block != nullptr) {
        host.freeBlock(buffer->block, "getAs");
    }
    buffer->block = block;
    buffer->count = static_cast<ASUInt32>(bytes->size() + 1);
    *length = static_cast<ASUInt32>(bytes->size());
    return kNoErr;
}

AIUnicodeStringSuite gUnicodeSuite{
    .initialize = initialize,
    .initializeUTF16 = initializeUTF16,
    .initializeUnit = initializeUnit,
    .destroy = destroy,
    .append = append,
    .appendSub = appendSub,
    .assign = assign,
    .initializeCopy = initializeCopy,
    .getUnit = getUnit,
    .clear = clear,
    .compare = compare,
    .caseCompare = caseCompare,
    .canonicalCompare = canonicalCompare,
    .canonicalCaseCompare = canonicalCaseCompare,
    .length = length,
    .empty = empty,
    .erase = erase,
    .findUnit = findUnit,
    .find = find,
    .findN = findN,
    .caseFind = caseFind,
    .rfindUnit = rfindUnit,
    .rfind = rfind,
    .rfindN = rfindN,
    .findFirstOf = findFirstOf,
    .findFirstNotOf = findFirstNotOf,
    .findLastOf = findLastOf,
    .findLastNotOf = findLastNotOf,
    .resize = resize,
    .substr = substr,
    .swap = swap,
    .hasSurrogates = hasSurrogates,
    .getUTF16 = getUTF16,
    .getAs = getAs,
    .initializeZString = initializeZString,
    .normalize = normalize,
};

}  // namespace

}  // namespace stringsuite

void registerUnicodeStringSuite(Host& host) {
    registerSuite<stringsuite::kUnicodeKey>(host, stringsuite::gUnicodeSuite);
}

}  // namespace simhost
