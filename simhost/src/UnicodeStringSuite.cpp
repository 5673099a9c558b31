// "AI Unicode String Suite" over the host's string table. A null reference is
// a valid empty string that owns nothing: reading it reads empty text, and
// the first edit creates the host string behind it.
#include <cstring>

#include "simhost/Host.h"
#include "simhost/UnicodeStrings.h"

namespace simhost {

namespace {

SuiteKey kUnicodeKey{kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion};
constexpr ASUInt32 npos = ai::UnicodeString::npos;
const std::u16string kEmptyText;

UnicodeStrings& strings() { return Host::current().strings(); }

std::size_t wide(ASUInt32 value) { return value == npos ? std::u16string::npos : value; }
ASUInt32 narrow(std::size_t value) { return value == std::u16string::npos ? npos : static_cast<ASUInt32>(value); }
std::string num(ASUInt32 value) { return value == npos ? std::string("npos") : std::to_string(value); }

// The text behind a string for reading; null (reported) for a bad reference.
const std::u16string* textOf(const AIUnicodeStringRef* self, const char* entry) {
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
std::u16string* editableText(AIUnicodeStringRef* self, const char* entry) {
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
ASErr store(AIUnicodeStringRef* self, std::u16string text, const char* entry) {
    std::u16string* target = editableText(self, entry);
    if (target == nullptr) {
        return kBadHandleErr;
    }
    *target = std::move(text);
    return kNoErr;
}

std::u16string unitText(ASUInt32 unit) {
    if (unit <= 0xFFFF) {
        return std::u16string(1, static_cast<char16_t>(unit));
    }
    const ASUInt32 v = unit - 0x10000;
    return {static_cast<char16_t>(0xD800 + (v >> 10)), static_cast<char16_t>(0xDC00 + (v & 0x3FF))};
}

bool validCodePoint(ASUInt32 unit) { return unit <= 0x10FFFF; }

std::u16string folded(std::u16string_view text) {
    std::u16string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const char16_t unit = out[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < out.size() && out[i + 1] >= 0xDC00 && out[i + 1] <= 0xDFFF) {
            const char32_t cp = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (out[i + 1] - 0xDC00);
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

std::u16string_view part(const std::u16string& text, ASUInt32 pos, ASUInt32 count) {
    const std::size_t start = std::min<std::size_t>(wide(pos), text.size());
    return std::u16string_view(text).substr(start, wide(count));
}

ASInt32 sign(int value) { return value < 0 ? -1 : value > 0 ? 1 : 0; }

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
    if (auto fault = host.enter(kUnicodeKey, 2, [&] { return std::to_string(count) + " x " + std::to_string(unit); })) {
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
    if (auto fault = host.enter(kUnicodeKey, 3, [] { return std::string(); }, false)) {
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

AIErr appendSub(AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos, ASUInt32 count) noexcept {
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

AIErr substr(const AIUnicodeStringRef* self, AIUnicodeStringRef* result, ASUInt32 pos, ASUInt32 count) noexcept {
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

// --- queries

AIErr getUnit(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32* unit) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, 8, [&] { return num(pos); })) {
        return *fault;
    }
    const std::u16string* text = textOf(self, "getUnit");
    if (text == nullptr) {
        return kBadHandleErr;
    }
    if (unit == nullptr) {
        host.violation("getUnit: null result address");
        return kBadParameterErr;
    }
    if (pos >= text->size()) {
        return kBadParameterErr;
    }
    *unit = (*text)[pos];
    return kNoErr;
}

ASInt32 compareAt(const char* entry, int number, bool ignoreCase, const AIUnicodeStringRef* self, ASUInt32 pos,
                  ASUInt32 count, const AIUnicodeStringRef* other, ASUInt32 otherPos, ASUInt32 otherCount) {
    Host::current().enter(kUnicodeKey, number, [&] { return num(pos) + " " + num(count); }, false);
    const std::u16string* a = textOf(self, entry);
    const std::u16string* b = textOf(other, entry);
    if (a == nullptr || b == nullptr) {
        return 0;
    }
    std::u16string left(part(*a, pos, count));
    std::u16string right(part(*b, otherPos, otherCount));
    if (ignoreCase) {
        left = folded(left);
        right = folded(right);
    }
    return sign(left.compare(right));
}

ASInt32 compare(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count, const AIUnicodeStringRef* other,
                ASUInt32 otherPos, ASUInt32 otherCount) noexcept {
    return compareAt("compare", 10, false, self, pos, count, other, otherPos, otherCount);
}

ASInt32 caseCompare(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count, const AIUnicodeStringRef* other,
                    ASUInt32 otherPos, ASUInt32 otherCount) noexcept {
    return compareAt("caseCompare", 11, true, self, pos, count, other, otherPos, otherCount);
}

AIErr canonicalCompareAt(const char* entry, int number, bool ignoreCase, const AIUnicodeStringRef* self,
                         const AIUnicodeStringRef* other, ASInt32* result) {
    Host& host = Host::current();
    if (auto fault = host.enter(kUnicodeKey, number, [] { return std::string(); })) {
        return *fault;
    }
    const std::u16string* a = textOf(self, entry);
    const std::u16string* b = textOf(other, entry);
    if (a == nullptr || b == nullptr) {
        return kBadHandleErr;
    }
    if (result == nullptr) {
        host.violation(std::string(entry) + ": null result address");
        return kBadParameterErr;
    }
    // Decomposed, folded when asked, and decomposed again: folding can undo a decomposition.
    auto canonical = [&](const std::u16string& text) -> std::optional<std::u16string> {
        auto d = unicode::normalize(text, ai::UnicodeString::kForm_NFD);
        if (!d || !ignoreCase) {
            return d;
        }
        return unicode::normalize(folded(*d), ai::UnicodeString::kForm_NFD);
    };
    const auto left = canonical(*a);
    const auto right = canonical(*b);
    if (!left || !right) {
        return kBadParameterErr;
    }
    *result = sign(left->compare(*right));
    return kNoErr;
}

AIErr canonicalCompare(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASInt32* result) noexcept {
    return canonicalCompareAt("canonicalCompare", 12, false, self, other, result);
}

AIErr canonicalCaseCompare(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASInt32* result) noexcept {
    return canonicalCompareAt("canonicalCaseCompare", 13, true, self, other, result);
}

ASUInt32 length(const AIUnicodeStringRef* self) noexcept {
    Host::current().enter(kUnicodeKey, 14, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, "length");
    return text != nullptr ? static_cast<ASUInt32>(text->size()) : 0;
}

AIBoolean empty(const AIUnicodeStringRef* self) noexcept {
    Host::current().enter(kUnicodeKey, 15, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, "empty");
    return text == nullptr || text->empty() ? 1 : 0;
}

AIBoolean hasSurrogates(const AIUnicodeStringRef* self) noexcept {
    Host::current().enter(kUnicodeKey, 31, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, "hasSurrogates");
    if (text == nullptr) {
        return 0;
    }
    for (char16_t unit : *text) {
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            return 1;
        }
    }
    return 0;
}

// --- searches: positions in units, npos when nothing is found

template <class Search>
ASUInt32 search(const char* entry, int number, const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                Search&& how) {
    Host::current().enter(kUnicodeKey, number, [] { return std::string(); }, false);
    const std::u16string* text = textOf(self, entry);
    const std::u16string* pattern = other != nullptr ? textOf(other, entry) : &kEmptyText;
    if (text == nullptr || pattern == nullptr) {
        return npos;
    }
    return narrow(how(*text, *pattern));
}

ASUInt32 findUnit(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept {
    return search("findUnit", 17, self, nullptr,
                  [&](const std::u16string& t, const std::u16string&) { return t.find(unitText(unit), wide(pos)); });
}

ASUInt32 find(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept {
    return search("find", 18, self, other,
                  [&](const std::u16string& t, const std::u16string& p) { return t.find(p, wide(pos)); });
}

ASUInt32 findN(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos, ASUInt32 count) noexcept {
    return search("findN", 19, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 caseFind(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                  ASUInt32 count) noexcept {
    return search("caseFind", 20, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return folded(t).find(folded(p.substr(0, wide(count))), wide(pos));
    });
}

ASUInt32 rfindUnit(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept {
    return search("rfindUnit", 21, self, nullptr,
                  [&](const std::u16string& t, const std::u16string&) { return t.rfind(unitText(unit), wide(pos)); });
}

ASUInt32 rfind(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept {
    return search("rfind", 22, self, other,
                  [&](const std::u16string& t, const std::u16string& p) { return t.rfind(p, wide(pos)); });
}

ASUInt32 rfindN(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                ASUInt32 count) noexcept {
    return search("rfindN", 23, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.rfind(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findFirstOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                     ASUInt32 count) noexcept {
    return search("findFirstOf", 24, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_first_of(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findFirstNotOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                        ASUInt32 count) noexcept {
    return search("findFirstNotOf", 25, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_first_not_of(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findLastOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                    ASUInt32 count) noexcept {
    return search("findLastOf", 26, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_last_of(p.substr(0, wide(count)), wide(pos));
    });
}

ASUInt32 findLastNotOf(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                       ASUInt32 count) noexcept {
    return search("findLastNotOf", 27, self, other, [&](const std::u16string& t, const std::u16string& p) {
        return t.find_last_not_of(p.substr(0, wide(count)), wide(pos));
    });
}

// --- conversions

ASUInt32 getUTF16(const AIUnicodeStringRef* self, const ASUnicode** units) noexcept {
    Host& host = Host::current();
    host.enter(kUnicodeKey, 32, [] { return std::string(); }, false);
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

void registerUnicodeStringSuite(Host& host) { registerSuite<kUnicodeKey>(host, gUnicodeSuite); }

}  // namespace simhost
