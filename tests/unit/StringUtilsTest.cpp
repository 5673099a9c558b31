#include <gtest/gtest.h>
#include <stdio.h>   // popen, pclose, fdopen
#include <stdlib.h>  // mkstemp

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "stringUtils.h"

namespace {

constexpr unsigned char kGuard = 0xA5;
constexpr std::size_t kGuardBytes = 8;

// A buffer of `size` usable bytes followed by guard bytes that nothing may touch.
template <std::size_t size>
struct GuardedBuffer {
    std::array<unsigned char, size + kGuardBytes> bytes;

    GuardedBuffer() { bytes.fill(kGuard); }

    static GuardedBuffer zeroTerminated(std::string_view text) {
        GuardedBuffer buffer;
        std::memcpy(buffer.bytes.data(), text.data(), text.size());
        buffer.bytes[text.size()] = 0;
        return buffer;
    }
    static GuardedBuffer prefixed(std::string_view text) {
        GuardedBuffer buffer;
        buffer.bytes[0] = static_cast<unsigned char>(text.size());
        std::memcpy(buffer.bytes.data() + 1, text.data(), text.size());
        return buffer;
    }

    unsigned char* data() { return bytes.data(); }
    char* chars() { return reinterpret_cast<char*>(bytes.data()); }
    std::string cText() const { return std::string(reinterpret_cast<const char*>(bytes.data())); }
    std::string pText() const {
        return std::string(reinterpret_cast<const char*>(bytes.data()) + 1, bytes[0]);
    }
    bool guardIntact() const {
        for (std::size_t at = size; at < bytes.size(); ++at) {
            if (bytes[at] != kGuard) {
                return false;
            }
        }
        return true;
    }
};

using FullSizeBuffer = GuardedBuffer<256>;

// A length-prefixed string in a vector of exactly length + 1 bytes.
std::vector<unsigned char> prefixed(std::string_view text) {
    std::vector<unsigned char> bytes(text.size() + 1);
    bytes[0] = static_cast<unsigned char>(text.size());
    std::memcpy(bytes.data() + 1, text.data(), text.size());
    return bytes;
}

// Output of SUpasToPostscriptStr read whichever form it was left in. A
// length byte of 40 is also '(', so only a terminator past 255 bytes tells
// the long form apart; the search stays inside the buffer.
std::string quotedText(const std::vector<unsigned char>& output) {
    const char* chars = reinterpret_cast<const char*>(output.data());
    const void* zero = std::memchr(chars, 0, output.size());
    if (output[0] == '(' && zero != nullptr && static_cast<const char*>(zero) - chars > 255) {
        return chars;
    }
    return std::string(chars + 1, output[0]);
}

std::string quote(std::string_view text) {
    std::vector<unsigned char> input = prefixed(text);
    std::vector<unsigned char> output(4 * text.size() + 3);
    SUpasToPostscriptStr(output.data(), input.data());
    return quotedText(output);
}

TEST(SUstrlenTest, CountsBytesBeforeTheFirstZero) {
    EXPECT_EQ(SUstrlen(""), 0u);
    EXPECT_EQ(SUstrlen("ab\0cd"), 2u);
    EXPECT_EQ(SUstrlen("\xFF\x80z"), 3u);
}

TEST(SUstrncatTest, AppendsAtMostCountCharacters) {
    auto destination = GuardedBuffer<8>::zeroTerminated("x");
    char source[] = "abc";
    EXPECT_EQ(SUstrncat(destination.chars(), source, 2), destination.chars());
    EXPECT_EQ(destination.cText(), "xab");
}

TEST(SUstrncatTest, StopsAtTheSourcesEndWithoutReadingPastIt) {
    auto destination = GuardedBuffer<8>::zeroTerminated("x");
    char source[] = {'a', 'b', '\0'};  // nothing after the terminator to read
    SUstrncat(destination.chars(), source, 100);
    EXPECT_EQ(destination.cText(), "xab");
}

TEST(SUmemmoveTest, MovesOverlappingBytesBothWays) {
    char up[] = "abcdef";
    SUmemmove(up + 2, up, 4);
    EXPECT_STREQ(up, "ababcd");
    char down[] = "abcdef";
    SUmemmove(down, down + 2, 4);
    EXPECT_STREQ(down, "cdefef");
}

TEST(SUmemmoveTest, CountsThatAreNotPositiveAsSigned32BitMoveNothing) {
    for (std::uint32_t count : {0u, 0x80000000u, 0xFFFFFFFFu}) {
        char bytes[] = "abcdef";
        SUmemmove(bytes + 1, bytes, count);
        EXPECT_STREQ(bytes, "abcdef") << "count " << count;
    }
}

TEST(SUsafestrncpyTest, CopiesAtMostSizeMinusOneAndTerminates) {
    auto destination = GuardedBuffer<4>();
    EXPECT_EQ(SUsafestrncpy(destination.chars(), "abcdef", 4), destination.chars());
    EXPECT_EQ(destination.cText(), "abc");
    EXPECT_TRUE(destination.guardIntact());

    auto roomy = GuardedBuffer<8>();
    SUsafestrncpy(roomy.chars(), "ab", 8);
    EXPECT_EQ(roomy.cText(), "ab");
}

TEST(SUsafestrncpyTest, SizeOneGivesAnEmptyString) {
    auto destination = GuardedBuffer<1>();
    SUsafestrncpy(destination.chars(), "abcdef", 1);
    EXPECT_EQ(destination.cText(), "");
    EXPECT_TRUE(destination.guardIntact());
}

TEST(SUsafestrncpyTest, SizeZeroWritesNothing) {
    auto destination = GuardedBuffer<0>();
    SUsafestrncpy(destination.chars(), "abcdef", 0);
    EXPECT_TRUE(destination.guardIntact());
}

TEST(SUsafestrncatTest, AppendsWhatFitsAndReturnsTheFirstAppendedByte) {
    auto destination = GuardedBuffer<8>::zeroTerminated("abc");
    char* appended = SUsafestrncat(destination.chars(), "defghij", 8);
    EXPECT_EQ(destination.cText(), "abcdefg");
    EXPECT_EQ(appended, destination.chars() + 3);
    EXPECT_TRUE(destination.guardIntact());
}

TEST(SUsafestrncatTest, FullDestinationGetsNothing) {
    auto destination = GuardedBuffer<4>::zeroTerminated("abc");
    EXPECT_EQ(SUsafestrncat(destination.chars(), "def", 4), destination.chars() + 3);
    EXPECT_EQ(destination.cText(), "abc");
    EXPECT_TRUE(destination.guardIntact());
}

TEST(SUsafestrncatTest, SizeSmallerThanTheDestinationsTextWritesNothing) {
    auto destination = GuardedBuffer<8>::zeroTerminated("abcdefg");
    const auto before = destination.bytes;
    EXPECT_EQ(SUsafestrncat(destination.chars(), "xyz", 3), destination.chars() + 7);
    EXPECT_EQ(destination.bytes, before);
}

TEST(SUctopstrTest, TurnsUpTo255CharactersIntoALengthPrefixedString) {
    auto empty = FullSizeBuffer::zeroTerminated("");
    EXPECT_EQ(SUctopstr(empty.chars()), empty.data());
    EXPECT_EQ(empty.bytes[0], 0);

    const std::string longest(255, 'q');
    auto full = FullSizeBuffer::zeroTerminated(longest);
    EXPECT_EQ(SUctopstr(full.chars()), full.data());
    EXPECT_EQ(full.pText(), longest);
    EXPECT_TRUE(full.guardIntact());
}

TEST(SUctopstrTest, RefusesAndLeavesAStringOf256Characters) {
    auto tooLong = GuardedBuffer<257>::zeroTerminated(std::string(256, 'q'));
    const auto before = tooLong.bytes;
    EXPECT_EQ(SUctopstr(tooLong.chars()), nullptr);
    EXPECT_EQ(tooLong.bytes, before);
}

TEST(SUptocstrTest, TurnsALengthPrefixedStringIntoAZeroTerminatedOne) {
    auto empty = FullSizeBuffer::prefixed("");
    EXPECT_EQ(SUptocstr(empty.data()), empty.chars());
    EXPECT_EQ(empty.cText(), "");

    // Lengths from 128 up must not be read as negative.
    const std::string text(200, '\xE9');
    auto long200 = FullSizeBuffer::prefixed(text);
    SUptocstr(long200.data());
    EXPECT_EQ(long200.cText(), text);
}

TEST(SUptocstrTest, RoundTripsWithSUctopstr) {
    std::string text;
    for (int byte = 1; byte <= 255; ++byte) {
        text += static_cast<char>(byte);
    }
    auto buffer = FullSizeBuffer::zeroTerminated(text);
    ASSERT_NE(SUctopstr(buffer.chars()), nullptr);
    SUptocstr(buffer.data());
    EXPECT_EQ(buffer.cText(), text);
    EXPECT_TRUE(buffer.guardIntact());
}

TEST(SUpstrcpyTest, CopiesTheLengthByteAndTheCharactersOnly) {
    auto destination = GuardedBuffer<4>();
    const auto source = prefixed("abc");
    EXPECT_EQ(SUpstrcpy(destination.data(), source.data()), destination.data());
    EXPECT_EQ(destination.pText(), "abc");
    EXPECT_TRUE(destination.guardIntact());
}

TEST(SUpstrcatTest, AppendsTheSourcesCharacters) {
    auto destination = FullSizeBuffer::prefixed("abc");
    SUpstrcat(destination.data(), prefixed("def").data());
    EXPECT_EQ(destination.pText(), "abcdef");
}

TEST(SUpstrcatTest, KeepsTheDestinationAndCutsTheSourceAt255Characters) {
    const std::string head(200, 'd');
    auto destination = FullSizeBuffer::prefixed(head);
    SUpstrcat(destination.data(), prefixed(std::string(100, 's')).data());
    EXPECT_EQ(destination.pText(), head + std::string(55, 's'));
    EXPECT_TRUE(destination.guardIntact());

    const std::string full(255, 'f');
    auto alreadyFull = FullSizeBuffer::prefixed(full);
    SUpstrcat(alreadyFull.data(), prefixed("more").data());
    EXPECT_EQ(alreadyFull.pText(), full);
    EXPECT_TRUE(alreadyFull.guardIntact());
}

TEST(SUpstrinsertTest, InsertsTheSourceInFront) {
    auto destination = FullSizeBuffer::prefixed("def");
    SUpstrinsert(destination.data(), prefixed("abc").data());
    EXPECT_EQ(destination.pText(), "abcdef");
}

TEST(SUpstrinsertTest, KeepsTheSourceAndCutsTheDestinationsEndAt255Characters) {
    std::string tail;
    for (int at = 0; at < 200; ++at) {
        tail += static_cast<char>('a' + at % 26);
    }
    const std::string inserted(100, 's');
    auto destination = FullSizeBuffer::prefixed(tail);
    SUpstrinsert(destination.data(), prefixed(inserted).data());
    EXPECT_EQ(destination.pText(), inserted + tail.substr(0, 155));
    EXPECT_TRUE(destination.guardIntact());
}

TEST(SUpasToPostscriptStrTest, QuotesParenthesesAndBackslashWithABackslash) {
    auto input = prefixed("a(b)");
    std::vector<unsigned char> output(4 * 4 + 3);
    SUpasToPostscriptStr(output.data(), input.data());
    EXPECT_EQ(output[0], 8);
    EXPECT_EQ(quotedText(output), "(a\\(b\\))");
    EXPECT_EQ(quote("\\"), "(\\\\)");
}

TEST(SUpasToPostscriptStrTest, WritesEveryByteOutsidePrintableAsciiInOctal) {
    EXPECT_EQ(quote("\n"), "(\\012)");
    EXPECT_EQ(quote("\xE9"), "(\\351)");
    EXPECT_EQ(quote("\x01\x1F\x7F\x80\xFF"), "(\\001\\037\\177\\200\\377)");
    EXPECT_EQ(quote(" ~%"), "( ~%)");
}

TEST(SUpasToPostscriptStrTest, EmptyInputGivesAnEmptyPairOfParentheses) {
    auto input = prefixed("");
    std::array<unsigned char, 3> output{};
    SUpasToPostscriptStr(output.data(), input.data());
    EXPECT_EQ(output[0], 2);
    EXPECT_EQ(quotedText({output.begin(), output.end()}), "()");
}

TEST(SUpasToPostscriptStrTest, GivesTheInputBackAsItWas) {
    const auto original = prefixed("\x01(x)\xFF");
    auto input = original;
    std::vector<unsigned char> output(4 * 6 + 3);
    SUpasToPostscriptStr(output.data(), input.data());
    EXPECT_EQ(input, original);
}

TEST(SUpasToPostscriptStrTest, LiteralOver255BytesStaysZeroTerminated) {
    // 253 characters quote to exactly 255 bytes, 254 to one more.
    auto fits = prefixed(std::string(253, 'a'));
    std::vector<unsigned char> fitsOutput(4 * 253 + 3);
    SUpasToPostscriptStr(fitsOutput.data(), fits.data());
    EXPECT_EQ(fitsOutput[0], 255);
    EXPECT_EQ(fitsOutput[1], '(');

    auto tooLong = prefixed(std::string(254, 'a'));
    std::vector<unsigned char> tooLongOutput(4 * 254 + 3);
    SUpasToPostscriptStr(tooLongOutput.data(), tooLong.data());
    EXPECT_EQ(tooLongOutput[0], '(');
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(tooLongOutput.data())), 256u);

    // The worst case fills the whole buffer the contract asks for.
    auto worst = prefixed(std::string(255, '\x01'));
    std::vector<unsigned char> worstOutput(4 * 255 + 3);
    SUpasToPostscriptStr(worstOutput.data(), worst.data());
    EXPECT_EQ(worstOutput.back(), 0);
    EXPECT_EQ(std::strlen(reinterpret_cast<const char*>(worstOutput.data())), 4u * 255 + 2);
}

TEST(SUpasToPostscriptStrTest, StopsAtAZeroByteAndGivesTheInputBackShortened) {
    auto input = prefixed(std::string_view("a\0b", 3));
    std::vector<unsigned char> output(4 * 3 + 3);
    SUpasToPostscriptStr(output.data(), input.data());
    EXPECT_EQ(quotedText(output), "(a)");
    EXPECT_EQ(input[0], 1);
    EXPECT_EQ(input[1], 'a');
}

// Runs a PostScript program through Ghostscript and returns what it wrote to
// standard output; `status` receives the exit status.
std::string runGhostscript(const std::string& program, int& status) {
    std::string path = (std::filesystem::temp_directory_path() / "shunt_quote_XXXXXX").string();
    const int descriptor = mkstemp(path.data());
    if (descriptor < 0) {
        status = -1;
        return "cannot create a temporary file";
    }
    FILE* file = fdopen(descriptor, "wb");
    std::fwrite(program.data(), 1, program.size(), file);
    std::fclose(file);

    const std::string command = "gs -q -dNODISPLAY -dSAFER -dBATCH -dNOPAUSE '" + path + "'";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        std::array<char, 4096> chunk;
        std::size_t got = 0;
        while ((got = std::fread(chunk.data(), 1, chunk.size(), pipe)) > 0) {
            output.append(chunk.data(), got);
        }
        status = pclose(pipe);
    } else {
        status = -1;
    }
    std::filesystem::remove(path);
    return output;
}

TEST(SUpasToPostscriptStrTest, GhostscriptReadsEveryNonZeroByteBackUnchanged) {
    if (std::system("command -v gs >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "Ghostscript (gs) is not installed; cannot check the literals against PostScript";
    }
    std::string everyByte;
    for (int byte = 1; byte <= 255; ++byte) {
        everyByte += static_cast<char>(byte);
    }
    // All 255 bytes at once quote past 255 bytes and stay zero-terminated;
    // 63 bytes quote to at most 254 and come back length-prefixed.
    std::vector<std::string> chunks{everyByte};
    for (std::size_t at = 0; at < everyByte.size(); at += 63) {
        chunks.push_back(everyByte.substr(at, 63));
    }

    std::string program = "/out (%stdout) (w) file def\n";
    std::string expected;
    for (const std::string& chunk : chunks) {
        auto input = prefixed(chunk);
        std::vector<unsigned char> output(4 * chunk.size() + 3);
        SUpasToPostscriptStr(output.data(), input.data());
        const bool longLiteral = chunk.size() == 255;
        EXPECT_EQ(output[0] == '(', longLiteral) << "form of the literal for " << chunk.size() << " bytes";
        program += "out " + quotedText(output) + " writestring\n";
        expected += chunk;
    }
    program += "out flushfile\n";

    int status = 0;
    const std::string printed = runGhostscript(program, status);
    EXPECT_EQ(status, 0) << printed;
    ASSERT_EQ(printed.size(), expected.size()) << printed;
    std::size_t offset = 0;
    for (const std::string& chunk : chunks) {
        EXPECT_EQ(printed.substr(offset, chunk.size()), chunk) << "chunk at " << offset;
        offset += chunk.size();
    }
}

}  // namespace
