// ai::UnicodeString::getToBuffer: the text in an 8-bit encoding, shortened by
// whole units until it fits the caller's buffer.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "KitFixture.h"

namespace shunt_test {
namespace {

using ai::UnicodeString;

class GetToBufferTest : public KitFixture {
protected:
    // Text whose converted length grows unevenly: with ICU a mix of one-,
    // two-, three- and four-byte characters in UTF-8, else plain ASCII.
    static std::basic_string<ASUnicode> sampleUnits(std::size_t count) {
        const std::vector<std::basic_string<ASUnicode>> pieces =
            fullUnicode() ? std::vector<std::basic_string<ASUnicode>>{{'a'},
                                                                      {0x00E9},
                                                                      {0x2192},
                                                                      {0xD83D, 0xDE00},
                                                                      {'z'}}
                          : std::vector<std::basic_string<ASUnicode>>{{'a'}, {'b'}, {'c'}};
        std::basic_string<ASUnicode> units;
        for (std::size_t i = 0; units.size() < count; ++i) {
            units += pieces[i % pieces.size()];
        }
        units.resize(count);
        return units;
    }
    static AICharacterEncoding encoding() {
        return fullUnicode() ? kAIUTF8CharacterEncoding : kAIPlatformCharacterEncoding;
    }

    // What taking one unit off the end at a time gives.
    static std::string unitByUnit(const UnicodeString& text, std::size_t room) {
        UnicodeString copy(text);
        std::string converted = copy.getInStdString(encoding());
        while (converted.size() > room) {
            copy.erase(copy.length() - 1, UnicodeString::npos);
            converted = copy.getInStdString(encoding());
        }
        return converted;
    }
    long conversions() const { return host->strings().conversions(); }
};

TEST_F(GetToBufferTest, ABufferOfLengthPlusTwoTakesTheWholeText) {
    const UnicodeString text("Shunt", kAIPlatformCharacterEncoding);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(text.getToBuffer(buffer, 7, kAIPlatformCharacterEncoding), 7u);
    EXPECT_EQ(std::string(buffer, 8), std::string("Shunt\0\0x", 8));
}

TEST_F(GetToBufferTest, OneByteLessShortensAndStillAnswersTheWholeSize) {
    const UnicodeString text("Shunt", kAIPlatformCharacterEncoding);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(text.getToBuffer(buffer, 6, kAIPlatformCharacterEncoding), 7u);
    EXPECT_EQ(std::string(buffer, 7), std::string("Shun\0\0x", 7));
}

TEST_F(GetToBufferTest, BuffersBelowTwoBytesGetNoMoreThanFits) {
    const UnicodeString text("Shunt", kAIPlatformCharacterEncoding);
    char buffer[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(text.getToBuffer(buffer, 0, kAIPlatformCharacterEncoding), 7u);
    EXPECT_EQ(std::string(buffer, 4), "xxxx");
    EXPECT_EQ(text.getToBuffer(buffer, 1, kAIPlatformCharacterEncoding), 7u);
    EXPECT_EQ(std::string(buffer, 4), std::string("\0xxx", 4));
    EXPECT_EQ(text.getToBuffer(buffer, 2, kAIPlatformCharacterEncoding), 7u);
    EXPECT_EQ(std::string(buffer, 4), std::string("\0\0xx", 4));
}

TEST_F(GetToBufferTest, AnEmptyStringIsTwoZeroBytes) {
    char buffer[3] = {'x', 'x', 'x'};
    EXPECT_EQ(UnicodeString().getToBuffer(buffer, 3, kAIPlatformCharacterEncoding), 2u);
    EXPECT_EQ(std::string(buffer, 3), std::string("\0\0x", 3));
}

TEST_F(GetToBufferTest, ALengthPrefixedTargetGetsTheLengthByte) {
    const UnicodeString text("Shunt", kAIPlatformCharacterEncoding);
    unsigned char pstr[8];
    std::memset(pstr, 'x', sizeof pstr);
    EXPECT_EQ(text.getToBuffer(ai::PStr{pstr}, 5, kAIPlatformCharacterEncoding), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pstr), 7), "\x05Shuntx");
    EXPECT_EQ(text.getToBuffer(ai::PStr{pstr}, 3, kAIPlatformCharacterEncoding), 5u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(pstr), 5),
              "\x03Shu"
              "n");
}

TEST_F(GetToBufferTest, ALengthPrefixedTargetNeverTakesMoreThan255) {
    const UnicodeString text(std::string(300, 'p'), kAIPlatformCharacterEncoding);
    std::vector<unsigned char> pstr(400, 'x');
    EXPECT_EQ(text.getToBuffer(ai::PStr{pstr.data()}, 400, kAIPlatformCharacterEncoding), 300u);
    EXPECT_EQ(pstr[0], 255);
    EXPECT_EQ(pstr[255], 'p');
    EXPECT_EQ(pstr[256], 'x') << "written past the 255 characters a length byte can count";
}

TEST_F(GetToBufferTest, ShortenedTextIsWhatShorteningUnitByUnitGives) {
    const UnicodeString text(sampleUnits(300));
    const std::string whole = text.getInStdString(encoding());
    for (std::size_t size : {std::size_t{2}, std::size_t{3}, std::size_t{7}, std::size_t{50},
                             std::size_t{101}, whole.size(), whole.size() + 1}) {
        std::vector<char> buffer(size + 1, 'x');
        EXPECT_EQ(text.getToBuffer(buffer.data(), static_cast<ASUInt32>(size), encoding()), whole.size() + 2);
        const std::string expected = unitByUnit(text, size - 2);
        EXPECT_EQ(std::string(buffer.data()), expected) << "buffer of " << size;
        EXPECT_EQ(buffer[expected.size() + 1], '\0');
        EXPECT_EQ(buffer[size], 'x') << "written past a buffer of " << size;

        std::vector<unsigned char> pstr(size + 2, 'x');
        text.getToBuffer(ai::PStr{pstr.data()}, static_cast<ASUInt32>(size), encoding());
        EXPECT_EQ(std::string(reinterpret_cast<char*>(pstr.data()) + 1, pstr[0]),
                  unitByUnit(text, std::min<std::size_t>(size, 255)));
    }
}

TEST_F(GetToBufferTest, ALongTextIsShortenedWithFewConversions) {
    const UnicodeString text(sampleUnits(100000));
    std::vector<char> buffer(256 + 1, 'x');
    const long before = conversions();
    const ASUInt32 needed = text.getToBuffer(buffer.data(), 256, encoding());
    const long used = conversions() - before;
    EXPECT_LE(used, 40) << "conversions for 100,000 units into 256 bytes";
    RecordProperty("conversions", static_cast<int>(used));

    const std::string whole = text.getInStdString(encoding());
    EXPECT_EQ(needed, whole.size() + 2);
    const std::string got(buffer.data());
    EXPECT_EQ(buffer[256], 'x');
    EXPECT_LE(got.size() + 2, 256u);
    // The unit-by-unit answer: the longest beginning of whole units that fits.
    // The result is a beginning of the text, and one unit more would not fit.
    ASSERT_EQ(whole.compare(0, got.size(), got), 0) << "not a beginning of the text";
    for (ASUInt32 units = 1; units <= text.length(); ++units) {
        const std::string prefix = text.substr(0, units).getInStdString(encoding());
        if (prefix.size() > got.size()) {
            EXPECT_GT(prefix.size() + 2, 256u) << "a longer beginning would have fitted";
            break;
        }
    }
}

}  // namespace
}  // namespace shunt_test
