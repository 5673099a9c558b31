// Basic types of the host interface: result codes, handles and the records
// that several suites share.
//
// Global rules of the interface, said once here:
// - Every host function is called on the host's one user-interface thread.
// - Strings handed to the host are borrowed for the length of the call; the
//   host copies what it keeps. Strings the host hands out (names, texts) are
//   owned by the host and stay valid until the next call into the same suite.
// - A suite fetched through SPBasicSuite::acquireSuite stays valid until the
//   matching releaseSuite; every acquisition is released exactly once.
// - Handles are opaque: the plug-in only stores them and compares them for
//   equality. The host checks every handle it receives and answers
//   kBadHandleErr for a null, unknown, expired or wrong-kind handle.
// - Host functions never throw; callbacks the plug-in installs must not either.
#ifndef HOSTAPI_ASTYPES_H
#define HOSTAPI_ASTYPES_H

#include <cstddef>
#include <cstdint>

// Pins suite entry `member` of `Suite` at zero-based position `index`.
#define HOSTAPI_ENTRY_AT(Suite, member, index)                        \
    static_assert(offsetof(Suite, member) == (index) * sizeof(void*), \
                  #Suite "::" #member " must be entry " #index)

#if UINTPTR_MAX == 0xFFFFFFFFu
#define HOSTAPI_32BIT 1
// Pins a record field at the byte offset the interface fixes for 32-bit targets.
#define HOSTAPI_OFFSET_32(Record, field, offset) \
    static_assert(offsetof(Record, field) == (offset), #Record "::" #field " must be at " #offset)
#else
#define HOSTAPI_32BIT 0
#define HOSTAPI_OFFSET_32(Record, field, offset) static_assert(true, "")
#endif

using ASInt16 = std::int16_t;
using ASInt32 = std::int32_t;
using ASUInt16 = std::uint16_t;
using ASUInt32 = std::uint32_t;
using ASBoolean = unsigned char;  // 8-bit boolean: 0 false, anything else true
using ASUnicode = std::uint16_t;  // one UTF-16 code unit
using AIReal = float;             // every artwork number is a 32-bit float
using AIBoolean = ASBoolean;
using SPBoolean = ASBoolean;
using ADMBoolean = ASBoolean;
using ADMInt32 = ASInt32;

// A host result: signed 32-bit, 0 for success.
using ASErr = ASInt32;
using AIErr = ASErr;
using SPErr = ASErr;
using ADMErr = ASErr;

// A four-character code: four 8-bit characters, the first in the most
// significant byte. Built by shifting so it is the same on every byte order.
constexpr ASErr fourCharCode(char c0, char c1, char c2, char c3) {
    return static_cast<ASErr>((static_cast<std::uint32_t>(static_cast<unsigned char>(c0)) << 24) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(c1)) << 16) |
                              (static_cast<std::uint32_t>(static_cast<unsigned char>(c2)) << 8) |
                              static_cast<std::uint32_t>(static_cast<unsigned char>(c3)));
}
constexpr ASErr fourCharCode(const char (&code)[5]) {
    return fourCharCode(code[0], code[1], code[2], code[3]);
}

constexpr ASErr kNoErr = 0;
constexpr ASErr kSPSuiteNotFoundError = fourCharCode("S!Fd");   // suite refused or unknown
constexpr ASErr kCanceledErr = fourCharCode("STOP");            // operation cancelled
constexpr ASErr kOutOfMemoryErr = fourCharCode("!MEM");         // allocation failed
constexpr ASErr kBadParameterErr = fourCharCode("PARM");        // argument out of range
constexpr ASErr kBadHandleErr = fourCharCode("HDL?");           // null, unknown, expired or wrong-kind handle
constexpr ASErr kWrongArtTypeErr = fourCharCode("ART?");        // entry called on art of another kind
constexpr ASErr kUnimplementedEntryErr = fourCharCode("NIMP");  // placeholder entry called
constexpr ASErr kNotFoundErr = fourCharCode("!FND");            // named thing does not exist
constexpr ASErr kMacMemFullErr = -108;                          // classic out-of-memory code

// Distinct handle types: one opaque struct per kind, so that one kind can
// never be passed where another is expected.
struct _t_SPPluginOpaque;
struct _t_SPAccessOpaque;
struct _t_AIArtOpaque;
struct _t_AIPatternOpaque;
struct _t_AIMenuItemOpaque;
struct _t_AIMenuGroupOpaque;
struct _t_AINotifierOpaque;
struct _t_AIAppContextOpaque;
struct _t_AIUnicodeStringOpaque;
struct _Opaque_ADMDialog;
struct _Opaque_ADMItem;
struct _Opaque_ADMList;
struct _Opaque_ADMEntry;
struct _Opaque_ADMNotifier;
struct _Opaque_ADMTracker;

using SPPluginRef = _t_SPPluginOpaque*;
using SPAccessRef = _t_SPAccessOpaque*;
using AIArtHandle = _t_AIArtOpaque*;
using AIPatternHandle = _t_AIPatternOpaque*;
using AIMenuItemHandle = _t_AIMenuItemOpaque*;
using AIMenuGroup = _t_AIMenuGroupOpaque*;
using AINotifierHandle = _t_AINotifierOpaque*;
using AIAppContextHandle = _t_AIAppContextOpaque*;
using AIUnicodeStringRef = _t_AIUnicodeStringOpaque*;
using ADMDialogRef = _Opaque_ADMDialog*;
using ADMItemRef = _Opaque_ADMItem*;
using ADMListRef = _Opaque_ADMList*;
using ADMEntryRef = _Opaque_ADMEntry*;
using ADMNotifierRef = _Opaque_ADMNotifier*;
using ADMTrackerRef = _Opaque_ADMTracker*;
using ADMUserData = void*;

// A matrix: a, b, c, d, tx, ty. A point (x, y) maps to
// (a*x + c*y + tx, b*x + d*y + ty). The identity is 1, 0, 0, 1, 0, 0.
struct AIRealMatrix {
    AIReal a, b, c, d, tx, ty;
};
static_assert(sizeof(AIRealMatrix) == 24, "a matrix is six 32-bit floats");

// The host's rectangle and point: 16-bit values, vertical before horizontal.
// `top`/`bottom` are r0/r2 and `left`/`right` r1/r3; `v`/`h` match r0/r1.
struct ADMRect {
    ASInt16 top, left, bottom, right;
};
struct ADMPoint {
    ASInt16 v, h;
};
static_assert(sizeof(ADMRect) == 8 && sizeof(ADMPoint) == 4, "rectangles and points are packed");

#endif
