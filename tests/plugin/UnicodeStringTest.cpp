// ai::UnicodeString over the simulated host's string suite.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "KitFixture.h"

namespace shunt_test {
namespace {

using ai::UnicodeString;

class UnicodeStringTest : public KitFixture {
protected:
    long hostCallsTo(const std::string& suite) const {
        long n = 0;
        for (const auto& record : host->log().records()) {
            n += record.suite == suite;
        }
        return n;
    }
    static UnicodeString utf8(const char* text) { return UnicodeString::FromUTF8(text); }
    static std::string asUTF8(const UnicodeString& s) { return s.getInStdString(kAIUTF8CharacterEncoding); }
    static ASErr codeOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const ai::Error& error) {
            return error;
        }
        return kNoErr;
    }
};

TEST_F(UnicodeStringTest, EmptyStringsCostNoHostCall) {
    startRecording();
    {
        UnicodeString empty;
        UnicodeString fromNull(static_cast<const char*>(nullptr), kAIPlatformCharacterEncoding);
        UnicodeString utf8Null = UnicodeString::FromUTF8(static_cast<const char*>(nullptr));
        UnicodeString repeatedNone(0u, 'x');
        UnicodeString copyOfEmpty(empty);
    }
    EXPECT_EQ(hostCallsTo(kAIUnicodeStringSuite), 0);
}

TEST_F(UnicodeStringTest, PlatformTextRoundTrips) {
    const UnicodeString text("Shunt Palette", kAIPlatformCharacterEncoding);
    EXPECT_EQ(text.length(), 13u);
    EXPECT_EQ(text.getInStdString(kAIPlatformCharacterEncoding), "Shunt Palette");
    EXPECT_EQ(asUTF8(text), "Shunt Palette");
}

TEST_F(UnicodeStringTest, ThePlatformEncodingIsMacOSRoman) {
    if (!fullUnicode()) {
        GTEST_SKIP() << "this host converts 7-bit ASCII only (no ICU in this build)";
    }
    const UnicodeString text("caf\x8E \xBD", kAIPlatformCharacterEncoding);
    EXPECT_EQ(asUTF8(text), "caf\xC3\xA9 \xCE\xA9");  // café Ω
    EXPECT_EQ(utf8("caf\xC3\xA9").getInStdString(kAIRomanCharacterEncoding), "caf\x8E");
    EXPECT_EQ(utf8("\xE2\x84\xB5").getInStdString(kAIPlatformCharacterEncoding), "?") << "Roman has no aleph";
}

TEST_F(UnicodeStringTest, TextTheHostCannotConvertThrowsItsCode) {
    EXPECT_EQ(codeOf([] { UnicodeString bad("\xFF\xFE", kAIUTF8CharacterEncoding); }), kBadParameterErr);
}

TEST_F(UnicodeStringTest, AtThrowsWhereTheIndexOperatorAnswersFFFF) {
    const UnicodeString text = utf8("abc");
    EXPECT_EQ(text.at(1), static_cast<ASUInt32>('b'));
    EXPECT_EQ(text[1], static_cast<ASUInt32>('b'));
    EXPECT_EQ(text[3], 0xFFFFu);
    EXPECT_EQ(codeOf([&] { text.at(3); }), kBadParameterErr);
}

TEST_F(UnicodeStringTest, EditsChangeTheText) {
    UnicodeString text = utf8("pattern");
    text.append(utf8(" fill"));
    EXPECT_EQ(asUTF8(text), "pattern fill");
    text.append(utf8("--dash--"), 2, 4);
    EXPECT_EQ(asUTF8(text), "pattern filldash");
    text.erase(7, 5);
    EXPECT_EQ(asUTF8(text), "patterndash");
    text.resize(9, '!');
    EXPECT_EQ(asUTF8(text), "patternda");
    text.resize(11, '!');
    EXPECT_EQ(asUTF8(text), "patternda!!");
    UnicodeString other = utf8("other");
    text.swap(other);
    EXPECT_EQ(asUTF8(text), "other");
    EXPECT_EQ(asUTF8(other), "patternda!!");
    EXPECT_EQ(asUTF8(other.substr(2, 5)), "ttern");
    EXPECT_EQ(text.clear(), kNoErr);
    EXPECT_TRUE(text.empty());
}

TEST_F(UnicodeStringTest, AppendingAStringToItselfDoublesIt) {
    UnicodeString text = utf8("ab");
    text.append(text);
    EXPECT_EQ(asUTF8(text), "abab");
}

TEST_F(UnicodeStringTest, AssignmentAndCopiesMakeTheirOwnHostStrings) {
    const UnicodeString original = utf8("one");
    UnicodeString copy(original);
    UnicodeString assigned;
    assigned = original;
    EXPECT_NE(copy.reference(), original.reference());
    EXPECT_NE(assigned.reference(), original.reference());
    copy.append(utf8("!"));
    EXPECT_EQ(asUTF8(original), "one");
    EXPECT_EQ(asUTF8(assigned), "one");
    EXPECT_EQ(host->counters().hostStringsAlive, 3);
}

TEST_F(UnicodeStringTest, SearchesAnswerPositionsOrNpos) {
    const UnicodeString text = utf8("shunt the shunt");
    EXPECT_EQ(text.find(utf8("shunt")), 0u);
    EXPECT_EQ(text.find(utf8("shunt"), 1), 10u);
    EXPECT_EQ(text.rfind(utf8("shunt")), 10u);
    EXPECT_EQ(text.find(static_cast<ASUInt32>('t')), 4u);
    EXPECT_EQ(text.rfind(static_cast<ASUInt32>('t')), 14u);
    EXPECT_EQ(text.find(utf8("theory"), 0, 3), 6u);
    EXPECT_EQ(text.caseFind(utf8("THE"), 0, 3), 6u);
    EXPECT_EQ(text.find_first_of(utf8("xyzt"), 0, UnicodeString::npos), 4u);
    EXPECT_EQ(text.find_first_not_of(utf8("shu"), 0, UnicodeString::npos), 3u);
    EXPECT_EQ(text.find_last_of(utf8("h"), UnicodeString::npos, 1), 11u);
    EXPECT_EQ(text.find_last_not_of(utf8("nt"), UnicodeString::npos, 2), 12u);
    EXPECT_EQ(text.find(utf8("palette")), UnicodeString::npos);
}

TEST_F(UnicodeStringTest, ComparesAnswerTheOrder) {
    EXPECT_LT(utf8("abc").compare(utf8("abd")), 0);
    EXPECT_EQ(utf8("abc").compare(utf8("abc")), 0);
    EXPECT_GT(utf8("abcd").compare(utf8("abc")), 0);
    EXPECT_EQ(utf8("xabc").compare(1, 3, utf8("abc")), 0);
    EXPECT_EQ(utf8("ABC").caseCompare(0, 3, utf8("abc"), 0, 3), 0);
    EXPECT_NE(utf8("ABC").compare(0, 3, utf8("abc"), 0, 3), 0);
}

TEST_F(UnicodeStringTest, CanonicalComparesSeeThroughComposition) {
    if (!fullUnicode()) {
        GTEST_SKIP() << "this host converts 7-bit ASCII only (no ICU in this build)";
    }
    const UnicodeString composed = utf8("caf\xC3\xA9");     // é as one character
    const UnicodeString decomposed = utf8("cafe\xCC\x81");  // e and a combining acute
    EXPECT_NE(composed.compare(decomposed), 0);
    EXPECT_EQ(composed.canonicalCompare(decomposed), 0);
    EXPECT_EQ(utf8("CAF\xC3\x89").canonicalCaseCompare(decomposed), 0);
    EXPECT_NE(utf8("CAF\xC3\x89").canonicalCompare(decomposed), 0);
    UnicodeString normalized = decomposed;
    normalized.normalize(UnicodeString::kForm_NFC);
    EXPECT_EQ(normalized.length(), 4u);
    EXPECT_EQ(normalized.compare(composed), 0);
}

TEST_F(UnicodeStringTest, UnitsOutsideTheFirstPlaneAreSurrogatePairs) {
    const UnicodeString twice(2u, 0x1F600u);
    EXPECT_EQ(twice.length(), 4u);
    EXPECT_TRUE(twice.hasSurrogates());
    EXPECT_FALSE(utf8("plain").hasSurrogates());
}

TEST_F(UnicodeStringTest, UTF16AndCoreFoundationCopiesCarryTheUnits) {
    const ASUnicode units[] = {'s', 'h', 0x00E9, 0xD83D, 0xDE00, 0};
    const UnicodeString text(units);
    EXPECT_EQ(text.length(), 5u);
    EXPECT_EQ(text.as_ASUnicode(), std::basic_string<ASUnicode>(units, 5));
    const CFStringRef cf = text.as_CFString(nullptr);
    EXPECT_EQ(CFStringGetLength(cf), 5);
    const UnicodeString back(cf);
    EXPECT_EQ(back.compare(text), 0);
    CFRelease(cf);
    EXPECT_TRUE(UnicodeString().as_ASUnicode().empty());
}

TEST_F(UnicodeStringTest, ALocalisationReferenceGivesItsText) {
    const UnicodeString text(reinterpret_cast<const ZREFStruct*>("$$$/Shunt/Title=Shunt Palette"));
    EXPECT_EQ(asUTF8(text), "Shunt Palette");
}

TEST_F(UnicodeStringTest, LengthPrefixedSourcesPassTheirCharacters) {
    const unsigned char pstr[] = {5, 'S', 'h', 'u', 'n', 't', 'X'};
    EXPECT_EQ(asUTF8(UnicodeString::FromPlatform(ai::const_PStr{pstr})), "Shunt");
    EXPECT_EQ(asUTF8(UnicodeString::FromRoman("Shunted", 5)), "Shunt");
}

TEST_F(UnicodeStringTest, AHostFailureThrowsTheHostsCode) {
    UnicodeString text = utf8("abc");
    host->faults().failEntry(kAIUnicodeStringSuite, 4, kOutOfMemoryErr);
    EXPECT_EQ(codeOf([&] { text.append(utf8("d")); }), kOutOfMemoryErr);
    EXPECT_EQ(asUTF8(text), "abc");
}

TEST_F(UnicodeStringTest, AFailedSubstringLeavesNoString) {
    const UnicodeString text = utf8("abc");
    const long alive = host->counters().hostStringsAlive;
    host->faults().failEntry(kAIUnicodeStringSuite, 29, kBadParameterErr);
    EXPECT_EQ(codeOf([&] { text.substr(1, 1); }), kBadParameterErr);
    EXPECT_EQ(host->counters().hostStringsAlive, alive);
}

TEST_F(UnicodeStringTest, WithoutTheStringSuiteNothingCallsTheHost) {
    const auto* held = sAIUnicodeString;
    sAIUnicodeString = nullptr;
    EXPECT_EQ(codeOf([] { UnicodeString text("x", kAIPlatformCharacterEncoding); }), kSPSuiteNotFoundError);
    const UnicodeString empty;
    EXPECT_EQ(empty.length(), 0u);
    EXPECT_EQ(empty[0], 0xFFFFu);
    sAIUnicodeString = held;
}

TEST_F(UnicodeStringTest, TheBlockAllocatorReportsFailureAsOutOfMemory) {
    void* block = ai::SPAlloc::AllocateBlock(32);
    EXPECT_NE(block, nullptr);
    ai::SPAlloc::DeleteBlock(block);
    ai::SPAlloc::DeleteBlock(nullptr);
    host->faults().failAllocations();
    EXPECT_EQ(codeOf([] { ai::SPAlloc::AllocateBlock(32); }), kOutOfMemoryErr);
}

}  // namespace
}  // namespace shunt_test
