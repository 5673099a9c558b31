// ai::UnicodeString, a value type whose text lives in the host, and the
// "AI Unicode String Suite" it is built on. Positions and counts are in
// UTF-16 units.
#ifndef HOSTAPI_IAIUNICODESTRING_H
#define HOSTAPI_IAIUNICODESTRING_H

#include <exception>
#include <string>

#include "hostapi/ASTypes.h"
#include "hostapi/CoreFoundationStandIn.h"
#include "hostapi/IAIAutoBuffer.h"
#include "hostapi/SPBasic.h"

// The encoding of 8-bit text handed to or asked of the host.
enum AICharacterEncoding : ASInt32 {
    kAIPlatformCharacterEncoding = 0,  // Mac OS Roman here
    kAIUTF8CharacterEncoding = 1,
    kAIRomanCharacterEncoding = 16,
};

// A host string reference in a localisation table; the host reads it as a
// C string "$$$/Key=Text" and takes the text.
struct ZREFStruct;

namespace ai {

// An error code from the host, thrown by value.
class Error : public std::exception {
public:
    explicit Error(ASErr code) : code_(code) {}
    ~Error() override;
    operator ASErr() const { return code_; }

private:
    ASErr code_;
};

// Takes blocks from the "SP Blocks Suite".
struct SPAlloc {
    static void* AllocateBlock(ASUInt32 byteCount);
    static void DeleteBlock(void* block);
};

struct const_PStr {
    const unsigned char* fConstStr;
};
struct PStr {
    unsigned char* fPtr;
};

class UnicodeString {
public:
    using size_type = ASUInt32;
    using offset_type = ASInt32;
    using UTF32TextChar = ASUInt32;
    using UTF16Char = ASUnicode;
    static constexpr size_type npos = 0xFFFFFFFFu;

    enum NormalizedForm : ASInt32 { kForm_NFD = 0, kForm_NFC = 1, kForm_NFKD = 2, kForm_NFKC = 3 };

    UnicodeString() = default;
    ~UnicodeString();
    UnicodeString(const char* text, AICharacterEncoding encoding);
    UnicodeString(const char* text, offset_type byteCount, AICharacterEncoding encoding);
    UnicodeString(const std::string& text, AICharacterEncoding encoding);
    explicit UnicodeString(const ASUnicode* units);
    UnicodeString(const ASUnicode* units, size_type count);
    explicit UnicodeString(const std::basic_string<ASUnicode>& units);
    UnicodeString(size_type count, UTF32TextChar unit);
    UnicodeString(const UnicodeString& other);
    explicit UnicodeString(const ZREFStruct* zString);
    explicit UnicodeString(const CFStringRef& cfString);

    static UnicodeString FromUTF8(const char* text);
    static UnicodeString FromUTF8(const const_PStr& text);
    static UnicodeString FromUTF8(const std::string& text);
    static UnicodeString FromPlatform(const char* text);
    static UnicodeString FromPlatform(const char* text, size_type byteCount);
    static UnicodeString FromPlatform(const const_PStr& text);
    static UnicodeString FromPlatform(const std::string& text);
    static UnicodeString FromRoman(const char* text);
    static UnicodeString FromRoman(const char* text, size_type byteCount);
    static UnicodeString FromRoman(const const_PStr& text);
    static UnicodeString FromRoman(const std::string& text);

    UnicodeString& append(const UnicodeString& other);
    UnicodeString& append(const UnicodeString& other, size_type pos, size_type count);
    UnicodeString& assign(const UnicodeString& other);
    UnicodeString& operator=(const UnicodeString& other);
    UnicodeString& erase(size_type pos = 0, size_type count = npos);
    UnicodeString& resize(size_type count, UTF32TextChar unit = 0);
    UnicodeString& swap(UnicodeString& other);
    UnicodeString& normalize(NormalizedForm form);

    UTF32TextChar at(size_type pos) const;
    UTF32TextChar operator[](size_type pos) const;

    size_type length() const;
    ASErr clear();
    size_type find(UTF32TextChar unit, size_type pos = 0) const;
    size_type find(const UnicodeString& other, size_type pos = 0) const;
    size_type find(const UnicodeString& other, size_type pos, size_type count) const;
    size_type caseFind(const UnicodeString& other, size_type pos, size_type count) const;
    size_type rfind(UTF32TextChar unit, size_type pos = npos) const;
    size_type rfind(const UnicodeString& other, size_type pos = npos) const;
    size_type rfind(const UnicodeString& other, size_type pos, size_type count) const;
    size_type find_first_of(const UnicodeString& other, size_type pos, size_type count) const;
    size_type find_first_not_of(const UnicodeString& other, size_type pos, size_type count) const;
    size_type find_last_of(const UnicodeString& other, size_type pos, size_type count) const;
    size_type find_last_not_of(const UnicodeString& other, size_type pos, size_type count) const;
    ASInt32 compare(size_type pos, size_type count, const UnicodeString& other, size_type otherPos,
                    size_type otherCount) const;
    ASInt32 caseCompare(size_type pos, size_type count, const UnicodeString& other, size_type otherPos,
                        size_type otherCount) const;
    size_type utf_16(const ASUnicode*& units) const;

    bool empty() const;
    bool hasSurrogates() const;

    ASInt32 compare(const UnicodeString& other) const;
    ASInt32 compare(size_type pos, size_type count, const UnicodeString& other) const;
    ASInt32 canonicalCompare(const UnicodeString& other) const;
    ASInt32 canonicalCaseCompare(const UnicodeString& other) const;

    UnicodeString substr(size_type pos = 0, size_type count = npos) const;

    CFStringRef as_CFString(CFAllocatorRef allocator) const;
    std::basic_string<ASUnicode> as_ASUnicode() const;
    size_type getAs(AICharacterEncoding encoding, AutoBuffer<char, size_type, SPAlloc>& buffer) const;
    std::string getInStdString(AICharacterEncoding encoding) const;
    size_type getToBuffer(char* buffer, size_type bufferSize, AICharacterEncoding encoding) const;
    size_type getToBuffer(const PStr& buffer, size_type bufferSize, AICharacterEncoding encoding) const;

    // The host's reference; null for an empty string that owns nothing.
    AIUnicodeStringRef reference() const { return ref_; }

private:
    AIUnicodeStringRef ref_ = nullptr;
};

}  // namespace ai

static_assert(sizeof(ai::UnicodeString) == sizeof(void*), "a string is one reference wide");

inline constexpr const char* kAIUnicodeStringSuite = "AI Unicode String Suite";
inline constexpr ASInt32 kAIUnicodeStringSuiteVersion = 1006;

// Every entry takes the address of the string's reference first, so the host
// can create, replace or clear it in place. A reference the host creates is
// the caller's until destroy. `other` strings are borrowed.
struct AIUnicodeStringSuite {
    // self, bytes, byte count, encoding. Makes *self a new string of that text.
    AIErr (*initialize)(AIUnicodeStringRef* self, const char* text, ASUInt32 byteCount,
                        AICharacterEncoding encoding) noexcept;
    // self, units, count (npos: up to the first zero unit).
    AIErr (*initializeUTF16)(AIUnicodeStringRef* self, const ASUnicode* units, ASUInt32 count) noexcept;
    // self, count, unit. The unit repeated count times (a code point above
    // 0xFFFF is stored as a surrogate pair each time).
    AIErr (*initializeUnit)(AIUnicodeStringRef* self, ASUInt32 count, ASUInt32 unit) noexcept;
    // self. Releases the string; *self becomes null.
    AIErr (*destroy)(AIUnicodeStringRef* self) noexcept;
    // self, other.
    AIErr (*append)(AIUnicodeStringRef* self, const AIUnicodeStringRef* other) noexcept;
    // self, other, position, count.
    AIErr (*appendSub)(AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                       ASUInt32 count) noexcept;
    // self, other. *self takes a copy of other's text (created when null).
    AIErr (*assign)(AIUnicodeStringRef* self, const AIUnicodeStringRef* other) noexcept;
    // self (empty), other. *self becomes a new copy of other.
    AIErr (*initializeCopy)(AIUnicodeStringRef* self, const AIUnicodeStringRef* other) noexcept;
    // self, position, out: unit. kBadParameterErr past the end.
    AIErr (*getUnit)(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32* unit) noexcept;
    // self. Empties the text.
    AIErr (*clear)(AIUnicodeStringRef* self) noexcept;
    // self, position, count, other, other's position, other's count: <0, 0, >0.
    ASInt32 (*compare)(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count,
                       const AIUnicodeStringRef* other, ASUInt32 otherPos, ASUInt32 otherCount) noexcept;
    // as compare, ignoring case.
    ASInt32 (*caseCompare)(const AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count,
                           const AIUnicodeStringRef* other, ASUInt32 otherPos, ASUInt32 otherCount) noexcept;
    // self, other, out: result. Compares the canonical decompositions.
    AIErr (*canonicalCompare)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                              ASInt32* result) noexcept;
    // as canonicalCompare, ignoring case.
    AIErr (*canonicalCaseCompare)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other,
                                  ASInt32* result) noexcept;
    // self. Its length in units.
    ASUInt32 (*length)(const AIUnicodeStringRef* self) noexcept;
    // self. Non-zero when empty.
    AIBoolean (*empty)(const AIUnicodeStringRef* self) noexcept;
    // self, position, count. Removes those units.
    AIErr (*erase)(AIUnicodeStringRef* self, ASUInt32 pos, ASUInt32 count) noexcept;
    // self, unit, position: position found or npos.
    ASUInt32 (*findUnit)(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept;
    // self, other, position.
    ASUInt32 (*find)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept;
    // self, other, position, count of other's units to look for.
    ASUInt32 (*findN)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                      ASUInt32 count) noexcept;
    // as findN, ignoring case.
    ASUInt32 (*caseFind)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                         ASUInt32 count) noexcept;
    // self, unit, position: the last occurrence at or before position.
    ASUInt32 (*rfindUnit)(const AIUnicodeStringRef* self, ASUInt32 unit, ASUInt32 pos) noexcept;
    // self, other, position.
    ASUInt32 (*rfind)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos) noexcept;
    // self, other, position, count.
    ASUInt32 (*rfindN)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                       ASUInt32 count) noexcept;
    // self, other, position, count: first unit at or after position among other's first count units.
    ASUInt32 (*findFirstOf)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                            ASUInt32 count) noexcept;
    // ... not among them.
    ASUInt32 (*findFirstNotOf)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                               ASUInt32 count) noexcept;
    // last unit at or before position among them.
    ASUInt32 (*findLastOf)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                           ASUInt32 count) noexcept;
    // ... not among them.
    ASUInt32 (*findLastNotOf)(const AIUnicodeStringRef* self, const AIUnicodeStringRef* other, ASUInt32 pos,
                              ASUInt32 count) noexcept;
    // self, count, unit. Cuts or pads with the unit to count units.
    AIErr (*resize)(AIUnicodeStringRef* self, ASUInt32 count, ASUInt32 unit) noexcept;
    // self, out: new string (the caller's), position, count.
    AIErr (*substr)(const AIUnicodeStringRef* self, AIUnicodeStringRef* result, ASUInt32 pos,
                    ASUInt32 count) noexcept;
    // self, other. Exchanges the two texts.
    AIErr (*swap)(AIUnicodeStringRef* self, AIUnicodeStringRef* other) noexcept;
    // self. Non-zero when the text holds a surrogate pair.
    AIBoolean (*hasSurrogates)(const AIUnicodeStringRef* self) noexcept;
    // self, out: the host's units (valid until the string changes). Their count.
    ASUInt32 (*getUTF16)(const AIUnicodeStringRef* self, const ASUnicode** units) noexcept;
    // self, encoding, buffer record, out: length in bytes. Fills the record with
    // a block of the "SP Blocks Suite" holding the text and a zero byte;
    // characters the encoding lacks become '?'.
    AIErr (*getAs)(const AIUnicodeStringRef* self, AICharacterEncoding encoding, AIBufferRecord* buffer,
                   ASUInt32* length) noexcept;
    // self, localisation reference.
    AIErr (*initializeZString)(AIUnicodeStringRef* self, const ZREFStruct* zString) noexcept;
    // self, form (ai::UnicodeString::NormalizedForm).
    AIErr (*normalize)(AIUnicodeStringRef* self, ASInt32 form) noexcept;
};
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, initialize, 0);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, initializeUTF16, 1);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, initializeUnit, 2);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, destroy, 3);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, append, 4);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, appendSub, 5);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, assign, 6);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, initializeCopy, 7);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, getUnit, 8);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, clear, 9);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, compare, 10);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, caseCompare, 11);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, canonicalCompare, 12);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, canonicalCaseCompare, 13);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, length, 14);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, empty, 15);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, erase, 16);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, findUnit, 17);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, find, 18);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, findN, 19);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, caseFind, 20);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, rfindUnit, 21);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, rfind, 22);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, rfindN, 23);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, findFirstOf, 24);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, findFirstNotOf, 25);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, findLastOf, 26);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, findLastNotOf, 27);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, resize, 28);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, substr, 29);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, swap, 30);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, hasSurrogates, 31);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, getUTF16, 32);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, getAs, 33);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, initializeZString, 34);
HOSTAPI_ENTRY_AT(AIUnicodeStringSuite, normalize, 35);

#endif
