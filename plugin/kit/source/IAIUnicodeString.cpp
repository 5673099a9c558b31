// ai::UnicodeString: every operation is one call of the host's string suite
// on the object's reference. An empty reference is a valid empty string and
// costs no host call to make, copy or destroy.
//
// With no string suite held, members that report failures throw
// kSPSuiteNotFoundError and the others answer as for an empty string.
#include "hostapi/IAIUnicodeString.h"

#include <cstring>

#include "shellMain.h"

namespace ai {

namespace {

const AIUnicodeStringSuite& suite() {
    if (sAIUnicodeString == nullptr) {
        throw Error(kSPSuiteNotFoundError);
    }
    return *sAIUnicodeString;
}

void check(ASErr error) {
    if (error != kNoErr) {
        throw Error(error);
    }
}

}  // namespace

UnicodeString::~UnicodeString() {
    if (ref_ != nullptr && sAIUnicodeString != nullptr) {
        sAIUnicodeString->destroy(&ref_);
    }
}

UnicodeString::UnicodeString(const char* text, AICharacterEncoding encoding) {
    if (text != nullptr) {
        check(suite().initialize(&ref_, text, static_cast<size_type>(std::strlen(text)), encoding));
    }
}

// A negative byte count means the text is zero-terminated.
UnicodeString::UnicodeString(const char* text, offset_type byteCount, AICharacterEncoding encoding) {
    if (text != nullptr) {
        const auto count = byteCount < 0 ? std::strlen(text) : static_cast<std::size_t>(byteCount);
        check(suite().initialize(&ref_, text, static_cast<size_type>(count), encoding));
    }
}

UnicodeString::UnicodeString(const std::string& text, AICharacterEncoding encoding) {
    check(suite().initialize(&ref_, text.data(), static_cast<size_type>(text.size()), encoding));
}

UnicodeString::UnicodeString(const ASUnicode* units) {
    if (units != nullptr) {
        check(suite().initializeUTF16(&ref_, units, npos));
    }
}

UnicodeString::UnicodeString(const ASUnicode* units, size_type count) {
    if (units != nullptr) {
        check(suite().initializeUTF16(&ref_, units, count));
    }
}

UnicodeString::UnicodeString(const std::basic_string<ASUnicode>& units) {
    check(suite().initializeUTF16(&ref_, units.data(), static_cast<size_type>(units.size())));
}

UnicodeString::UnicodeString(size_type count, UTF32TextChar unit) {
    if (count != 0) {
        check(suite().initializeUnit(&ref_, count, unit));
    }
}

UnicodeString::UnicodeString(const UnicodeString& other) {
    if (other.ref_ != nullptr) {
        check(suite().initializeCopy(&ref_, &other.ref_));
    }
}

UnicodeString::UnicodeString(const ZREFStruct* zString) {
    check(suite().initializeZString(&ref_, zString));
}

UnicodeString::UnicodeString(const CFStringRef& cfString) {
    const CFIndex length = cfString != nullptr ? CFStringGetLength(cfString) : 0;
    if (length <= 0) {
        return;  // an empty string needs no host string
    }
    const UniChar* direct = CFStringGetCharactersPtr(cfString);
    std::basic_string<ASUnicode> copy;
    if (direct == nullptr) {
        copy.resize(static_cast<std::size_t>(length));
        CFStringGetCharacters(cfString, CFRange{0, length}, copy.data());
        direct = copy.data();
    }
    UnicodeString temporary(direct, static_cast<size_type>(length));
    assign(temporary);
}

UnicodeString UnicodeString::FromUTF8(const char* text) {
    return UnicodeString(text, kAIUTF8CharacterEncoding);
}
UnicodeString UnicodeString::FromUTF8(const const_PStr& text) {
    return UnicodeString(reinterpret_cast<const char*>(text.fConstStr + 1), text.fConstStr[0],
                         kAIUTF8CharacterEncoding);
}
UnicodeString UnicodeString::FromUTF8(const std::string& text) {
    return UnicodeString(text, kAIUTF8CharacterEncoding);
}

UnicodeString UnicodeString::FromPlatform(const char* text) {
    return UnicodeString(text, kAIPlatformCharacterEncoding);
}
UnicodeString UnicodeString::FromPlatform(const char* text, size_type byteCount) {
    return UnicodeString(text, static_cast<offset_type>(byteCount), kAIPlatformCharacterEncoding);
}
UnicodeString UnicodeString::FromPlatform(const const_PStr& text) {
    return UnicodeString(reinterpret_cast<const char*>(text.fConstStr + 1), text.fConstStr[0],
                         kAIPlatformCharacterEncoding);
}
UnicodeString UnicodeString::FromPlatform(const std::string& text) {
    return UnicodeString(text, kAIPlatformCharacterEncoding);
}

UnicodeString UnicodeString::FromRoman(const char* text) {
    return UnicodeString(text, kAIRomanCharacterEncoding);
}
UnicodeString UnicodeString::FromRoman(const char* text, size_type byteCount) {
    return UnicodeString(text, static_cast<offset_type>(byteCount), kAIRomanCharacterEncoding);
}
UnicodeString UnicodeString::FromRoman(const const_PStr& text) {
    return UnicodeString(reinterpret_cast<const char*>(text.fConstStr + 1), text.fConstStr[0],
                         kAIRomanCharacterEncoding);
}
UnicodeString UnicodeString::FromRoman(const std::string& text) {
    return UnicodeString(text, kAIRomanCharacterEncoding);
}

// --- edits

UnicodeString& UnicodeString::append(const UnicodeString& other) {
    check(suite().append(&ref_, &other.ref_));
    return *this;
}

UnicodeString& UnicodeString::append(const UnicodeString& other, size_type pos, size_type count) {
    check(suite().appendSub(&ref_, &other.ref_, pos, count));
    return *this;
}

UnicodeString& UnicodeString::assign(const UnicodeString& other) {
    check(suite().assign(&ref_, &other.ref_));
    return *this;
}

UnicodeString& UnicodeString::operator=(const UnicodeString& other) {
    if (this != &other) {
        assign(other);
    }
    return *this;
}

UnicodeString& UnicodeString::erase(size_type pos, size_type count) {
    check(suite().erase(&ref_, pos, count));
    return *this;
}

UnicodeString& UnicodeString::resize(size_type count, UTF32TextChar unit) {
    check(suite().resize(&ref_, count, unit));
    return *this;
}

UnicodeString& UnicodeString::swap(UnicodeString& other) {
    check(suite().swap(&ref_, &other.ref_));
    return *this;
}

UnicodeString& UnicodeString::normalize(NormalizedForm form) {
    check(suite().normalize(&ref_, form));
    return *this;
}

// --- units

UnicodeString::UTF32TextChar UnicodeString::at(size_type pos) const {
    UTF32TextChar unit = 0;
    check(suite().getUnit(&ref_, pos, &unit));
    return unit;
}

UnicodeString::UTF32TextChar UnicodeString::operator[](size_type pos) const {
    UTF32TextChar unit = 0;
    if (sAIUnicodeString == nullptr || sAIUnicodeString->getUnit(&ref_, pos, &unit) != kNoErr) {
        return 0xFFFF;
    }
    return unit;
}

// --- forwards: the host's answer as it is

UnicodeString::size_type UnicodeString::length() const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->length(&ref_) : 0;
}

ASErr UnicodeString::clear() {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->clear(&ref_) : kSPSuiteNotFoundError;
}

UnicodeString::size_type UnicodeString::find(UTF32TextChar unit, size_type pos) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->findUnit(&ref_, unit, pos) : npos;
}

UnicodeString::size_type UnicodeString::find(const UnicodeString& other, size_type pos) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->find(&ref_, &other.ref_, pos) : npos;
}

UnicodeString::size_type UnicodeString::find(const UnicodeString& other, size_type pos,
                                             size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->findN(&ref_, &other.ref_, pos, count) : npos;
}

UnicodeString::size_type UnicodeString::caseFind(const UnicodeString& other, size_type pos,
                                                 size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->caseFind(&ref_, &other.ref_, pos, count) : npos;
}

UnicodeString::size_type UnicodeString::rfind(UTF32TextChar unit, size_type pos) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->rfindUnit(&ref_, unit, pos) : npos;
}

UnicodeString::size_type UnicodeString::rfind(const UnicodeString& other, size_type pos) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->rfind(&ref_, &other.ref_, pos) : npos;
}

UnicodeString::size_type UnicodeString::rfind(const UnicodeString& other, size_type pos,
                                              size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->rfindN(&ref_, &other.ref_, pos, count) : npos;
}

UnicodeString::size_type UnicodeString::find_first_of(const UnicodeString& other, size_type pos,
                                                      size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->findFirstOf(&ref_, &other.ref_, pos, count) : npos;
}

UnicodeString::size_type UnicodeString::find_first_not_of(const UnicodeString& other, size_type pos,
                                                          size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->findFirstNotOf(&ref_, &other.ref_, pos, count)
                                       : npos;
}

UnicodeString::size_type UnicodeString::find_last_of(const UnicodeString& other, size_type pos,
                                                     size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->findLastOf(&ref_, &other.ref_, pos, count) : npos;
}

UnicodeString::size_type UnicodeString::find_last_not_of(const UnicodeString& other, size_type pos,
                                                         size_type count) const {
    return sAIUnicodeString != nullptr ? sAIUnicodeString->findLastNotOf(&ref_, &other.ref_, pos, count)
                                       : npos;
}

ASInt32 UnicodeString::compare(size_type pos, size_type count, const UnicodeString& other, size_type otherPos,
                               size_type otherCount) const {
    return sAIUnicodeString != nullptr
               ? sAIUnicodeString->compare(&ref_, pos, count, &other.ref_, otherPos, otherCount)
               : 0;
}

ASInt32 UnicodeString::caseCompare(size_type pos, size_type count, const UnicodeString& other,
                                   size_type otherPos, size_type otherCount) const {
    return sAIUnicodeString != nullptr
               ? sAIUnicodeString->caseCompare(&ref_, pos, count, &other.ref_, otherPos, otherCount)
               : 0;
}

UnicodeString::size_type UnicodeString::utf_16(const ASUnicode*& units) const {
    units = nullptr;
    return sAIUnicodeString != nullptr ? sAIUnicodeString->getUTF16(&ref_, &units) : 0;
}

bool UnicodeString::empty() const {
    return sAIUnicodeString == nullptr || sAIUnicodeString->empty(&ref_) != 0;
}

bool UnicodeString::hasSurrogates() const {
    return sAIUnicodeString != nullptr && sAIUnicodeString->hasSurrogates(&ref_) != 0;
}

ASInt32 UnicodeString::compare(const UnicodeString& other) const {
    return compare(0, length(), other, 0, other.length());
}

ASInt32 UnicodeString::compare(size_type pos, size_type count, const UnicodeString& other) const {
    return compare(pos, count, other, 0, other.length());
}

ASInt32 UnicodeString::canonicalCompare(const UnicodeString& other) const {
    ASInt32 result = 0;
    check(suite().canonicalCompare(&ref_, &other.ref_, &result));
    return result;
}

ASInt32 UnicodeString::canonicalCaseCompare(const UnicodeString& other) const {
    ASInt32 result = 0;
    check(suite().canonicalCaseCompare(&ref_, &other.ref_, &result));
    return result;
}

UnicodeString UnicodeString::substr(size_type pos, size_type count) const {
    UnicodeString part;
    // On failure `part` is released as the exception leaves.
    check(suite().substr(&ref_, &part.ref_, pos, count));
    return part;
}

}  // namespace ai
