// ai::UnicodeString to and from other forms of text: CoreFoundation strings,
// UTF-16 copies and 8-bit text in the host's encodings; and ai::SPAlloc, the
// host's block allocator the 8-bit buffers come from.
#include <algorithm>
#include <cstring>

#include "hostapi/IAIUnicodeString.h"
#include "shellMain.h"

namespace ai {

namespace {

constexpr ASUInt32 kLongestPStr = 255;

void check(ASErr error) {
    if (error != kNoErr) {
        throw Error(error);
    }
}

// Finds the longest beginning of `text` whose conversion fits: `fits` gets
// the converted bytes. Returns those bytes.
//
// The cut is searched by halving rather than by taking one unit off at a
// time: a long text into a short buffer then costs a few dozen conversions,
// not one per unit. A converted text never gets shorter when units are
// added, so the longest beginning that fits is the one the unit-by-unit
// search stops at.
template <class Fits>
std::string longestFittingPrefix(const UnicodeString& text, AICharacterEncoding encoding, Fits&& fits) {
    UnicodeString::size_type fitting = 0;              // known to fit (the empty text)
    UnicodeString::size_type tooLong = text.length();  // known not to fit (the whole text)
    std::string best;
    while (tooLong - fitting > 1) {
        const UnicodeString::size_type middle = fitting + (tooLong - fitting) / 2;
        std::string converted = text.substr(0, middle).getInStdString(encoding);
        if (fits(converted)) {
            fitting = middle;
            best = std::move(converted);
        } else {
            tooLong = middle;
        }
    }
    return best;
}

}  // namespace

// --- the host's blocks

void* SPAlloc::AllocateBlock(ASUInt32 byteCount) {
    if (sSPBlocks == nullptr) {
        throw Error(kSPSuiteNotFoundError);
    }
    void* block = nullptr;
    if (sSPBlocks->allocateBlock(byteCount, "ai::SPAlloc::AllocateBlock", &block) != kNoErr ||
        block == nullptr) {
        throw Error(kOutOfMemoryErr);
    }
    return block;
}

void SPAlloc::DeleteBlock(void* block) {
    if (block != nullptr && sSPBlocks != nullptr) {
        sSPBlocks->freeBlock(block);
    }
}

// --- UTF-16

CFStringRef UnicodeString::as_CFString(CFAllocatorRef allocator) const {
    const ASUnicode* units = nullptr;
    const size_type count = utf_16(units);
    return CFStringCreateWithCharacters(allocator, units, units != nullptr ? static_cast<CFIndex>(count) : 0);
}

std::basic_string<ASUnicode> UnicodeString::as_ASUnicode() const {
    const ASUnicode* units = nullptr;
    const size_type count = utf_16(units);
    if (units == nullptr || count == 0) {
        return {};
    }
    return std::basic_string<ASUnicode>(units, count);
}

// --- 8-bit text

UnicodeString::size_type UnicodeString::getAs(AICharacterEncoding encoding,
                                              AutoBuffer<char, size_type, SPAlloc>& buffer) const {
    if (sAIUnicodeString == nullptr) {
        throw Error(kSPSuiteNotFoundError);
    }
    size_type length = 0;
    check(sAIUnicodeString->getAs(&ref_, encoding, buffer.Record(), &length));
    return length;
}

std::string UnicodeString::getInStdString(AICharacterEncoding encoding) const {
    AutoBuffer<char, size_type, SPAlloc> buffer;
    const size_type length = getAs(encoding, buffer);
    if (length == 0 || buffer.GetBuffer() == nullptr) {
        return {};
    }
    return std::string(buffer.GetBuffer(), length);
}

// Writes the text and two zero bytes, shortened by whole units until it
// fits; returns the size the whole text needs (its length plus 2). A buffer
// of fewer than 2 bytes gets only what fits of the terminator.
UnicodeString::size_type UnicodeString::getToBuffer(char* buffer, size_type bufferSize,
                                                    AICharacterEncoding encoding) const {
    const std::string whole = getInStdString(encoding);
    const size_type needed = static_cast<size_type>(whole.size()) + 2;
    if (buffer == nullptr || bufferSize == 0) {
        return needed;
    }
    if (bufferSize < 2) {
        buffer[0] = '\0';
        return needed;
    }
    const std::string text =
        bufferSize >= needed ? whole : longestFittingPrefix(*this, encoding, [&](const std::string& t) {
            return t.size() + 2 <= bufferSize;
        });
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
    buffer[text.size() + 1] = '\0';
    return needed;
}

// The same into a length-prefixed buffer of bufferSize characters after the
// length byte (at most 255: the length byte holds no more); returns the
// whole text's length.
UnicodeString::size_type UnicodeString::getToBuffer(const PStr& buffer, size_type bufferSize,
                                                    AICharacterEncoding encoding) const {
    const std::string whole = getInStdString(encoding);
    const size_type room = std::min(bufferSize, kLongestPStr);
    if (buffer.fPtr == nullptr) {
        return static_cast<size_type>(whole.size());
    }
    const std::string text =
        whole.size() <= room
            ? whole
            : longestFittingPrefix(*this, encoding, [&](const std::string& t) { return t.size() <= room; });
    buffer.fPtr[0] = static_cast<unsigned char>(text.size());
    std::memcpy(buffer.fPtr + 1, text.data(), text.size());
    return static_cast<size_type>(whole.size());
}

}  // namespace ai
