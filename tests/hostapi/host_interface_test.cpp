// The host interface's promises that hold on every processor: four-character
// codes by value not by memory layout, signed 32-bit results, distinct handle
// kinds, and offset checks that are live where the record layout is fixed.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <string>
#include <type_traits>

#include "hostapi/HostInterface.h"

namespace {

static_assert(std::is_same_v<ASErr, std::int32_t>, "results are signed 32-bit");
static_assert(!std::is_convertible_v<ADMDialogRef, ADMItemRef>, "a dialog is not an item");
static_assert(!std::is_convertible_v<AIArtHandle, AIPatternHandle>, "art is not a pattern");
static_assert(!std::is_convertible_v<AIMenuItemHandle, AINotifierHandle>, "a menu item is not a notifier");
static_assert(fourCharCode("S!Fd") == 0x53214664, "usable in constant expressions");

// The byte order as the running program sees it, not as the compiler says.
bool runsBigEndian() {
    const std::uint32_t probe = 0x01020304;
    std::array<unsigned char, 4> bytes{};
    std::memcpy(bytes.data(), &probe, bytes.size());
    return bytes[0] == 0x01;
}

std::string bytesInMemory(ASErr code) {
    std::array<char, 4> bytes{};
    std::memcpy(bytes.data(), &code, bytes.size());
    return std::string(bytes.data(), bytes.size());
}

std::string describeTarget() {
    return std::string("target: ") + SHUNT_TARGET_NAME + ", " +
           (runsBigEndian() ? "big-endian" : "little-endian") + ", " + std::to_string(sizeof(void*) * 8) +
           "-bit pointers";
}

TEST(HostInterfaceTest, FourCharCodesPutTheFirstCharacterInTheMostSignificantByte) {
    EXPECT_EQ(fourCharCode("S!Fd"), 0x53214664);
    EXPECT_EQ(fourCharCode("STOP"), 0x53544F50);
    EXPECT_EQ(fourCharCode('S', '!', 'F', 'd'), fourCharCode("S!Fd"));
    EXPECT_EQ(kSPSuiteNotFoundError, 0x53214664);
    EXPECT_EQ(kCanceledErr, 0x53544F50);
}

// A code copied byte for byte from its text would read "S!Fd" back on one
// byte order only; built by shifting, the value is the same everywhere and
// only its layout in memory follows the processor.
TEST(HostInterfaceTest, FourCharCodeLayoutInMemoryFollowsTheByteOrder) {
    EXPECT_EQ(bytesInMemory(kSPSuiteNotFoundError), runsBigEndian() ? "S!Fd" : "dF!S");
}

// Characters above 0x7F must not spread their sign into the other bytes where
// plain char is signed (Intel) and stay put where it is not (PowerPC).
TEST(HostInterfaceTest, FourCharCodesKeepHighCharactersInTheirOwnByte) {
    EXPECT_EQ(static_cast<std::uint32_t>(fourCharCode('\xFF', 'A', 'B', 'C')), 0xFF414243u);
    EXPECT_EQ(static_cast<std::uint32_t>(fourCharCode('A', '\xFF', 'B', 'C')), 0x41FF4243u);
    EXPECT_EQ(static_cast<std::uint32_t>(fourCharCode('A', 'B', 'C', '\xA5')), 0x414243A5u);
    EXPECT_LT(fourCharCode('\x80', 0, 0, 0), 0) << "the first character is the sign byte";
}

TEST(HostInterfaceTest, RecordOffsetChecksAreLiveOnThirtyTwoBitTargets) {
    EXPECT_EQ(HOSTAPI_32BIT == 1, sizeof(void*) == 4);
}

TEST(HostInterfaceTest, TargetMatchesWhatTheBuildWasConfiguredFor) {
    const std::string description = describeTarget();
    std::cout << description << '\n';
    RecordProperty("target", SHUNT_TARGET_NAME);
    RecordProperty("byte_order", runsBigEndian() ? "big-endian" : "little-endian");
    RecordProperty("pointer_bits", static_cast<int>(sizeof(void*) * 8));
    EXPECT_EQ(runsBigEndian(), SHUNT_CONFIGURED_BIG_ENDIAN == 1) << description;
    EXPECT_EQ(sizeof(void*) * 8, static_cast<std::size_t>(SHUNT_CONFIGURED_POINTER_BITS)) << description;
}

}  // namespace
