// Byte-string routines for the two 8-bit string forms the host interface mixes.
//
// - A zero-terminated string is its characters followed by a zero byte.
// - A length-prefixed string is one unsigned length byte (0 to 255) followed
//   by that many characters and no terminator; a full-size buffer is 256 bytes.
//
// A string of n characters takes n + 1 bytes in either form, so the two
// conversions work in place. Nothing here allocates, calls the host or checks
// for null pointers. Counts and sizes are unsigned 32-bit on every target.
#ifndef SHUNT_KIT_STRINGUTILS_H
#define SHUNT_KIT_STRINGUTILS_H

#include <cstdint>

// Appends at most `count` characters of `source`, stopping at its end, after
// the text of `destination` and terminates it. Returns `destination`.
char* SUstrncat(char* destination, char* source, std::uint32_t count);

// Moves `count` bytes, overlapping areas allowed. A count that reads as a
// signed 32-bit number of 0 or less (0, or 0x80000000 and above) moves nothing.
void SUmemmove(void* destination, void* source, std::uint32_t count);

extern "C" {

// Number of bytes before the first zero byte.
std::uint32_t SUstrlen(const char* text);

// Copies at most size - 1 characters and always terminates; returns
// `destination`. A size of 0 leaves no room even for the terminator, so
// nothing is written.
char* SUsafestrncpy(char* destination, const char* source, std::uint32_t size);

// Appends at most size - (former length) - 1 characters and terminates.
// Returns destination + former length, where the first appended byte goes.
// A destination already holding size - 1 characters or more is left alone.
char* SUsafestrncat(char* destination, const char* source, std::uint32_t size);

// Turns a zero-terminated string of at most 255 characters into a
// length-prefixed one in the same buffer and returns it. A longer string is
// left untouched and null is returned.
unsigned char* SUctopstr(char* text);

// Turns a length-prefixed string into a zero-terminated one in the same
// buffer and returns it.
const char* SUptocstr(unsigned char* text);

// Copies the length byte and the characters; returns `destination`, which
// needs source length + 1 bytes.
unsigned char* SUpstrcpy(unsigned char* destination, const unsigned char* source);

// Appends the characters of `source` to `destination` (a 256-byte buffer).
// The result is cut at 255 characters: the destination's text is kept whole
// and only as much of the source as fits is appended.
void SUpstrcat(unsigned char* destination, const unsigned char* source);

// Inserts the characters of `source` in front of those of `destination` (a
// 256-byte buffer). The result is cut at 255 characters: the inserted text is
// kept whole and the end of the destination's former text is dropped.
void SUpstrinsert(unsigned char* destination, const unsigned char* source);

// Writes `input` as a PostScript literal string, parentheses included, into
// `output`, which must hold 4 * length + 3 bytes. The output is
// length-prefixed when the literal is at most 255 bytes long and stays
// zero-terminated otherwise. `input` is borrowed in place and given back
// length-prefixed; characters from a zero byte on are neither quoted nor kept.
void SUpasToPostscriptStr(unsigned char* output, unsigned char* input);

}  // extern "C"

#endif  // SHUNT_KIT_STRINGUTILS_H
