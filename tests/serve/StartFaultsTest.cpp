// The fault flags of `serve`: suite names with spaces, numeric and
// four-character codes.
#include <gtest/gtest.h>

#include <stdexcept>

#include "StartFaults.h"

namespace shunthost::serve {
namespace {

TEST(StartFaults, ARefusalAnswersSuiteNotFoundUnlessGivenACode) {
    const StartFault plain = parseRefusal("AI Art Suite");
    EXPECT_EQ(plain.suite, "AI Art Suite");
    EXPECT_FALSE(plain.entry);
    EXPECT_EQ(plain.code, kSPSuiteNotFoundError);
    EXPECT_EQ(parseRefusal("AI Art Suite:-108").code, -108);
    EXPECT_EQ(parseRefusal("AI Art Suite:'!MEM'").code, fourCharCode("!MEM"));
}

TEST(StartFaults, AFailureTakesTheLastTwoWordsAsEntryAndCode) {
    const StartFault fault = parseFailure("AI Menu Suite 0 -108");
    EXPECT_EQ(fault.suite, "AI Menu Suite");
    EXPECT_EQ(fault.entry, 0);
    EXPECT_EQ(fault.code, -108);
    EXPECT_EQ(parseFailure("ADM Basic Suite 3 'PARM'").code, fourCharCode("PARM"));
}

TEST(StartFaults, MalformedFlagsAreRefused) {
    EXPECT_THROW(parseRefusal(":-108"), std::invalid_argument);
    EXPECT_THROW(parseRefusal("AI Art Suite:lots"), std::invalid_argument);
    EXPECT_THROW(parseFailure("AI Menu Suite"), std::invalid_argument);
    EXPECT_THROW(parseFailure("AI Menu Suite x -108"), std::invalid_argument);
    EXPECT_THROW(parseFailure("AI Menu Suite -1 -108"), std::invalid_argument);
    EXPECT_THROW(parseFailure("AI Menu Suite 0 MEM"), std::invalid_argument);
}

}  // namespace
}  // namespace shunthost::serve
