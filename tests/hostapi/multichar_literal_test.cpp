// The plug-in's sources write codes in single quotes, as its host's headers
// do. gcc and clang give such a literal the first character in the most
// significant byte, the same value as the helper. This file alone is built
// with the multi-character warning off (gcc 12 cannot silence a lexer warning
// with a pragma).
#include <gtest/gtest.h>

#include "hostapi/ASTypes.h"

namespace {

TEST(HostInterfaceTest, FourCharCodesEqualMultiCharacterLiterals) {
    EXPECT_EQ(fourCharCode("STOP"), 'STOP');
    EXPECT_EQ(fourCharCode("S!Fd"), 'S!Fd');
    EXPECT_EQ(kOutOfMemoryErr, '!MEM');
}

}  // namespace
