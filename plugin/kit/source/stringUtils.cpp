#include "stringUtils.h"

#include <cstring>

namespace {

// The most characters a length byte can count.
constexpr std::uint32_t kMaxPrefixedLength = 255;

// Bytes of a PostScript literal that cannot stand as themselves.
bool needsBackslash(unsigned char byte) {
    return byte == '\\' || byte == '(' || byte == ')';
}
bool needsOctal(unsigned char byte) {
    return byte < 0x20 || byte > 0x7E;
}

unsigned char octalDigit(unsigned int value) {
    return static_cast<unsigned char>('0' + (value & 7u));
}

}  // namespace

char* SUstrncat(char* destination, char* source, std::uint32_t count) {
    char* end = destination + SUstrlen(destination);
    // The source's end is tested before each copy, so nothing past its
    // terminator is ever read.
    while (count > 0 && *source != '\0') {
        *end++ = *source++;
        --count;
    }
    *end = '\0';
    return destination;
}

void SUmemmove(void* destination, void* source, std::uint32_t count) {
    // Callers pass counts computed as differences; one that went negative
    // arrives here as a huge unsigned number and must not move anything.
    if (static_cast<std::int32_t>(count) > 0) {
        std::memmove(destination, source, count);
    }
}

std::uint32_t SUstrlen(const char* text) {
    std::uint32_t length = 0;
    while (text[length] != '\0') {
        ++length;
    }
    return length;
}

char* SUsafestrncpy(char* destination, const char* source, std::uint32_t size) {
    if (size == 0) {
        return destination;
    }
    std::uint32_t copied = 0;
    while (copied < size - 1 && source[copied] != '\0') {
        destination[copied] = source[copied];
        ++copied;
    }
    destination[copied] = '\0';
    return destination;
}

char* SUsafestrncat(char* destination, const char* source, std::uint32_t size) {
    const std::uint32_t formerLength = SUstrlen(destination);
    char* appended = destination + formerLength;
    // A text that does not leave room for one more character plus the
    // terminator gets nothing; testing here also keeps size - length - 1
    // from wrapping around when a caller passes too small a size.
    if (formerLength + 1 >= size) {
        return appended;
    }
    const std::uint32_t room = size - formerLength - 1;
    std::uint32_t copied = 0;
    while (copied < room && source[copied] != '\0') {
        appended[copied] = source[copied];
        ++copied;
    }
    appended[copied] = '\0';
    return appended;
}

unsigned char* SUctopstr(char* text) {
    // Counting stops one past the limit: a longer string is refused whatever
    // its length, so there is no need to walk all of it.
    std::uint32_t length = 0;
    while (length <= kMaxPrefixedLength && text[length] != '\0') {
        ++length;
    }
    if (length > kMaxPrefixedLength) {
        return nullptr;
    }
    auto* prefixed = reinterpret_cast<unsigned char*>(text);
    std::memmove(prefixed + 1, prefixed, length);
    prefixed[0] = static_cast<unsigned char>(length);
    return prefixed;
}

const char* SUptocstr(unsigned char* text) {
    const std::uint32_t length = text[0];
    std::memmove(text, text + 1, length);
    text[length] = '\0';
    return reinterpret_cast<const char*>(text);
}

unsigned char* SUpstrcpy(unsigned char* destination, const unsigned char* source) {
    std::memmove(destination, source, std::uint32_t{source[0]} + 1);
    return destination;
}

// Both joins below keep the first 255 characters of the joined text and drop
// the rest: the destination buffer is 256 bytes, and cutting at the end keeps
// the beginning of the text, which is what a reader sees first.

void SUpstrcat(unsigned char* destination, const unsigned char* source) {
    const std::uint32_t destinationLength = destination[0];
    std::uint32_t sourceLength = source[0];
    if (destinationLength + sourceLength > kMaxPrefixedLength) {
        sourceLength = kMaxPrefixedLength - destinationLength;
    }
    std::memmove(destination + 1 + destinationLength, source + 1, sourceLength);
    destination[0] = static_cast<unsigned char>(destinationLength + sourceLength);
}

void SUpstrinsert(unsigned char* destination, const unsigned char* source) {
    const std::uint32_t sourceLength = source[0];
    std::uint32_t keptLength = destination[0];
    if (sourceLength + keptLength > kMaxPrefixedLength) {
        keptLength = kMaxPrefixedLength - sourceLength;
    }
    std::memmove(destination + 1 + sourceLength, destination + 1, keptLength);
    std::memmove(destination + 1, source + 1, sourceLength);
    destination[0] = static_cast<unsigned char>(sourceLength + keptLength);
}

void SUpasToPostscriptStr(unsigned char* output, unsigned char* input) {
    SUptocstr(input);

    std::uint32_t written = 0;
    output[written++] = '(';
    for (const unsigned char* at = input; *at != '\0'; ++at) {
        const unsigned char byte = *at;
        if (needsBackslash(byte)) {
            output[written++] = '\\';
            output[written++] = byte;
        } else if (needsOctal(byte)) {
            output[written++] = '\\';
            output[written++] = octalDigit(byte >> 6);
            output[written++] = octalDigit(byte >> 3);
            output[written++] = octalDigit(byte);
        } else {
            output[written++] = byte;
        }
    }
    output[written++] = ')';
    output[written] = '\0';

    // A literal too long for a length byte stays zero-terminated: cutting it
    // would drop the closing parenthesis and corrupt the PostScript.
    if (written <= kMaxPrefixedLength) {
        SUctopstr(reinterpret_cast<char*>(output));
    }
    SUctopstr(reinterpret_cast<char*>(input));
}
