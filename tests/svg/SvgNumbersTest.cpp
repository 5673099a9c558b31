// The pure pieces: numbers, transforms, colours and style declarations.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "svg/SvgColor.h"
#include "svg/SvgNumbers.h"
#include "svg/SvgStyleAttribute.h"
#include "svg/SvgTransform.h"

using namespace shunthost::svg;

namespace {

std::uint32_t bits(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

}  // namespace

TEST(FormatFloat, WritesTheShortestTextThatReadsBack) {
    EXPECT_EQ(formatFloat(0.015625f), "0.015625");
    EXPECT_EQ(formatFloat(-116.0f), "-116");
    EXPECT_EQ(formatFloat(-0.0f), "-0");
    EXPECT_EQ(formatFloat(0.0f), "0");
    EXPECT_EQ(formatFloat(0.1f), "0.1");
    EXPECT_EQ(formatFloat(100.0f), "100");
    EXPECT_EQ(formatFloat(1e-7f), "1e-07");
    EXPECT_EQ(formatFloat(123456789.0f), "123456792");  // as short as 123456790, and exact
}

TEST(FormatFloat, EveryFiniteFloatReadsBackBitForBit) {
    std::vector<float> values = {0.0f,
                                 -0.0f,
                                 1e-7f,
                                 -1e-7f,
                                 0.015625f,
                                 3.4028235e38f,
                                 -3.4028235e38f,
                                 std::numeric_limits<float>::denorm_min(),
                                 std::numeric_limits<float>::min(),
                                 16777217.0f,
                                 0.3333333f};
    std::mt19937 random(12345);
    for (int i = 0; i < 20000; ++i) {
        const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
        if (std::isfinite(value)) {
            values.push_back(value);
        }
    }
    for (const float value : values) {
        const auto back = parseNumber(formatFloat(value));
        ASSERT_TRUE(back.has_value()) << formatFloat(value);
        EXPECT_EQ(bits(*back), bits(value)) << formatFloat(value);
    }
}

TEST(FormatFloat, WholeNumbersReadAsTheGeneralShortestTextDoes) {
    // Whole numbers take a quicker way; it must give the very same text,
    // up to where "1e+05" becomes shorter than the digits.
    for (int i = -100001; i <= 100001; ++i) {
        const float value = static_cast<float>(i);
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        ASSERT_EQ(formatFloat(value), std::string(buffer, end)) << i;
    }
    EXPECT_EQ(formatFloat(100000.0f), "1e+05");
    EXPECT_EQ(formatFloat(-0.0f), "-0");
}

TEST(FormatFloat, ListsAreCommaSeparatedWithoutSpaces) {
    const float values[] = {1, 0, 0, 1, 0, -1};
    EXPECT_EQ(formatFloatList(values), "1,0,0,1,0,-1");
}

TEST(ParseNumber, TakesWhatSvgWrites) {
    EXPECT_EQ(parseNumber("+5"), 5.0f);
    EXPECT_EQ(parseNumber(" 5 "), 5.0f);
    EXPECT_EQ(parseNumber(".5"), 0.5f);
    EXPECT_EQ(parseNumber("-.5"), -0.5f);
    EXPECT_EQ(parseNumber("5."), 5.0f);
    EXPECT_EQ(parseNumber("1e3"), 1000.0f);
    EXPECT_EQ(parseNumber("1E-2"), 0.01f);
}

TEST(ParseNumber, RefusesWhatSvgDoesNotAllow) {
    for (const char* text :
         {"", " ", "inf", "-inf", "nan", "1e", "--1", "+-1", "0x10", "1e39", "1,5", "5px", "e5"}) {
        EXPECT_FALSE(parseNumber(text).has_value()) << text;
    }
}

TEST(ParseNumber, ListsTakeCommasAndSpaces) {
    EXPECT_EQ(parseNumberList("4, 2"), (std::vector<float>{4, 2}));
    EXPECT_EQ(parseNumberList("4 2\n3"), (std::vector<float>{4, 2, 3}));
    EXPECT_EQ(parseNumberList("1.5.5-2"), (std::vector<float>{1.5f, 0.5f, -2}));
    EXPECT_EQ(parseNumberList(""), std::vector<float>{});
    EXPECT_FALSE(parseNumberList("4,,2").has_value());
    EXPECT_FALSE(parseNumberList("4,").has_value());
    EXPECT_FALSE(parseNumberList("4 x").has_value());
}

TEST(ParseNumber, LengthsTakeAbsoluteUnitsOnly) {
    EXPECT_EQ(parseLength("2"), 2.0f);
    EXPECT_EQ(parseLength("2px"), 2.0f);
    EXPECT_EQ(parseLength("1in"), 96.0f);
    EXPECT_EQ(parseLength("3pt"), 4.0f);
    EXPECT_FALSE(parseLength("5%").has_value());
    EXPECT_FALSE(parseLength("1em").has_value());
    EXPECT_FALSE(parseLength("px").has_value());
}

TEST(ParseNumber, IntegersAreWholeNumbersOnly) {
    EXPECT_EQ(parseInteger("-3"), -3);
    EXPECT_EQ(parseInteger("+7"), 7);
    EXPECT_FALSE(parseInteger("1.5").has_value());
    EXPECT_FALSE(parseInteger("").has_value());
}

namespace {

void expectMatrix(const std::optional<AIRealMatrix>& m, AIRealMatrix expected) {
    ASSERT_TRUE(m.has_value());
    EXPECT_FLOAT_EQ(m->a, expected.a);
    EXPECT_FLOAT_EQ(m->b, expected.b);
    EXPECT_FLOAT_EQ(m->c, expected.c);
    EXPECT_FLOAT_EQ(m->d, expected.d);
    EXPECT_FLOAT_EQ(m->tx, expected.tx);
    EXPECT_FLOAT_EQ(m->ty, expected.ty);
}

}  // namespace

TEST(ParseTransform, EmptyTextIsTheIdentity) {
    expectMatrix(parseTransform(""), {1, 0, 0, 1, 0, 0});
}

TEST(ParseTransform, OneMatrixKeepsItsNumbersBitForBit) {
    const auto m = parseTransform("matrix(0.1 -0 1e-07,3.4028235e+38 -116 0.015625)");
    ASSERT_TRUE(m.has_value());
    EXPECT_EQ(bits(m->a), bits(0.1f));
    EXPECT_EQ(bits(m->b), bits(-0.0f));
    EXPECT_EQ(bits(m->c), bits(1e-7f));
    EXPECT_EQ(bits(m->d), bits(3.4028235e38f));
    EXPECT_EQ(bits(m->tx), bits(-116.0f));
    EXPECT_EQ(bits(m->ty), bits(0.015625f));
}

TEST(ParseTransform, ListsApplyRightToLeft) {
    expectMatrix(parseTransform("translate(0,8)"), {1, 0, 0, 1, 0, 8});
    expectMatrix(parseTransform("translate(5)"), {1, 0, 0, 1, 5, 0});
    expectMatrix(parseTransform("scale(2) translate(1,1)"), {2, 0, 0, 2, 2, 2});
    expectMatrix(parseTransform("translate(1,1) scale(2)"), {2, 0, 0, 2, 1, 1});
    expectMatrix(parseTransform("rotate(90)"), {0, 1, -1, 0, 0, 0});
    expectMatrix(parseTransform("rotate(90 10 10)"), {0, 1, -1, 0, 20, 0});
    expectMatrix(parseTransform("skewX(45)"), {1, 0, 1, 1, 0, 0});
}

TEST(ParseTransform, RefusesMalformedLists) {
    for (const char* text :
         {"matrix(1,2)", "translate(", "translate 1 2", "foo(1)", "scale()", "rotate(1,2)"}) {
        EXPECT_FALSE(parseTransform(text).has_value()) << text;
    }
}

TEST(FlipVertical, TurnsAHostMoveDownIntoAnSvgMoveDown) {
    const AIRealMatrix down{1, 0, 0, 1, 0, -8};
    const AIRealMatrix svg = flipVertical(down);
    EXPECT_EQ(formatTransform(svg), "matrix(1,0,0,1,0,8)");
    EXPECT_EQ(formatTransform(flipVertical({1, 0, 0, 1, 0, 0})), "matrix(1,0,0,1,0,0)") << "no -0 appears";
    EXPECT_EQ(formatTransform(flipVertical({1, -0.0f, -0.0f, 1, 0, -0.0f})), "matrix(1,-0,-0,1,0,-0)");
    const AIRealMatrix odd{0.5f, 0.25f, -3, 2, 7, 9};
    EXPECT_TRUE(sameBits(flipVertical(flipVertical(odd)), odd));
    EXPECT_EQ(formatTransform(flipVertical(odd)), "matrix(0.5,-0.25,3,2,7,-9)");
}

TEST(SvgColor, ReadsTheColourForms) {
    EXPECT_EQ(parseColor("#f00"), (Rgb{1, 0, 0}));
    EXPECT_EQ(parseColor("#336699"), (Rgb{0x33 / 255.0f, 0x66 / 255.0f, 0x99 / 255.0f}));
    EXPECT_EQ(parseColor("rgb(255, 0, 0)"), (Rgb{1, 0, 0}));
    EXPECT_EQ(parseColor("rgb(100%,0%,50%)"), (Rgb{1, 0, 128 / 255.0f}));
    EXPECT_EQ(parseColor("RED"), (Rgb{1, 0, 0}));
    EXPECT_EQ(parseColor("grey"), parseColor("#808080"));
    EXPECT_EQ(parseColor("rebeccapurple"), parseColor("#663399"));
    EXPECT_EQ(parseColor("yellowgreen"), parseColor("#9acd32"));
    for (const char* text : {"#12", "#12345g", "blurple", "rgb(1,2)", "url(#p)", "none"}) {
        EXPECT_FALSE(parseColor(text).has_value()) << text;
    }
}

TEST(SvgColor, ShowsEachKindAsTheNearestRgb) {
    const AIReal gray[4] = {0.5f, 0, 0, 0};
    const AIReal cmyk[4] = {1, 0, 0, 0};
    const AIReal rgb[4] = {0.2f, 0.4f, 0.6f, 0};
    EXPECT_EQ(formatColor(screenColor(kGrayColor, gray)), "#808080");
    EXPECT_EQ(formatColor(screenColor(kFourColor, cmyk)), "#00ffff");
    EXPECT_EQ(formatColor(screenColor(kThreeColor, rgb)), "#336699");
    EXPECT_EQ(formatColor({-1, 2, std::nanf("")}), "#00ff00");
}

TEST(StyleAttribute, VisitsDeclarationsTrimmed) {
    std::vector<std::pair<std::string, std::string>> seen;
    forEachDeclaration(
        " fill : url(#a;b) ; stroke:red !important;;bad; opacity:0.5",
        [&](std::string_view name, std::string_view value) { seen.emplace_back(name, value); });
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"fill", "url(#a;b)"}, {"stroke", "red"}, {"opacity", "0.5"}};
    EXPECT_EQ(seen, expected);
}

TEST(StyleAttribute, ReplacesOneValueAndKeepsTheRest) {
    EXPECT_EQ(replaceDeclaration("fill: red;stroke-width:2 ; opacity:1", "stroke-width", "3"),
              "fill: red;stroke-width:3 ; opacity:1");
    EXPECT_EQ(replaceDeclaration("fill:red;fill:blue", "fill", "none"), "fill:red;fill:none");
    EXPECT_FALSE(replaceDeclaration("fill:red", "stroke", "none").has_value());
}
