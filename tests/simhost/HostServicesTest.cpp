// The host's user, menu and Unicode string suites as a plug-in calls them,
// and the checks each makes of what it is handed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "HostSuiteFixture.h"
#include "simhost/Menus.h"
#include "simhost/UnicodeStrings.h"

namespace shunt_test {
namespace {

class UserSuiteTest : public HostSuiteFixture {
protected:
    const AIUserSuite* user = nullptr;
    void SetUp() override {
        HostSuiteFixture::SetUp();
        user = acquire<AIUserSuite>(kAIUserSuite, kAIUserSuiteVersion);
    }
    std::string text(AIReal value, ASInt16 places) {
        unsigned char pstr[256] = {};
        EXPECT_EQ(user->realToString(value, places, pstr), kNoErr);
        EXPECT_LE(pstr[0], 15) << "more than 15 characters";
        return std::string(reinterpret_cast<char*>(pstr + 1), pstr[0]);
    }
    std::optional<AIReal> value(const std::string& text) {
        unsigned char pstr[256];
        pstr[0] = static_cast<unsigned char>(text.size());
        std::copy(text.begin(), text.end(), pstr + 1);
        AIReal result = -999;
        if (user->stringToReal(pstr, &result) != kNoErr) {
            EXPECT_EQ(result, -999) << "a failed read must leave the value";
            return std::nullopt;
        }
        return result;
    }
};

TEST_F(UserSuiteTest, NumbersGetTheShortestTextForTheirPlaces) {
    EXPECT_EQ(text(-108, 0), "-108");
    EXPECT_EQ(text(65535, 0), "65535");
    EXPECT_EQ(text(3.14159f, 2), "3.14");
    EXPECT_EQ(text(2.5f, 4), "2.5");
    EXPECT_EQ(text(0.015625f, 6), "0.015625");
    EXPECT_EQ(text(-0.4f, 0), "0");
    EXPECT_EQ(text(2.5f, 0), "2");
    EXPECT_EQ(text(1394689664.0f, 0), "1394689664");
}

TEST_F(UserSuiteTest, NumbersTooLongToWriteOutGetAnExponent) {
    const std::string big = text(1e20f, 0);
    EXPECT_NE(big.find('e'), std::string::npos) << big;
    EXPECT_FLOAT_EQ(std::stof(big), 1e20f);
}

TEST_F(UserSuiteTest, DecimalTextIsRead) {
    EXPECT_FLOAT_EQ(*value("3.9"), 3.9f);
    EXPECT_FLOAT_EQ(*value(" -3.9 "), -3.9f);
    EXPECT_FLOAT_EQ(*value("+5"), 5.0f);
    EXPECT_FLOAT_EQ(*value("65535"), 65535.0f);
    EXPECT_FLOAT_EQ(*value("1e3"), 1000.0f);
    EXPECT_FALSE(value("").has_value());
    EXPECT_FALSE(value("-").has_value());
    EXPECT_FALSE(value("12abc").has_value());
    EXPECT_FALSE(value("--1").has_value());
    EXPECT_FALSE(value("S!Fd").has_value());
}

TEST_F(UserSuiteTest, ANullTextBufferIsReported) {
    expectViolation("realToString: null text buffer");
    EXPECT_EQ(user->realToString(1, 0, nullptr), kBadParameterErr);
}

class MenuSuiteTest : public HostSuiteFixture {
protected:
    const AIMenuSuite* menu = nullptr;
    const AIMenuSuite8* menu8 = nullptr;
    void SetUp() override {
        HostSuiteFixture::SetUp();
        menu = acquire<AIMenuSuite>(kAIMenuSuite, kAIMenuSuiteVersion);
        menu8 = acquire<AIMenuSuite8>(kAIMenuSuite, kAIMenuSuiteVersion8);
    }
    AIMenuItemHandle add(const char* group, const char* text) {
        unsigned char pstr[64];
        pstr[0] = static_cast<unsigned char>(std::strlen(text));
        std::memcpy(pstr + 1, text, pstr[0]);
        const AIPlatformAddMenuItemData data{group, pstr};
        AIMenuItemHandle item = nullptr;
        EXPECT_EQ(menu->addMenuItem(plugin, "name", &data, 0, &item), kNoErr);
        return item;
    }
};

TEST_F(MenuSuiteTest, TheHostsOwnGroupsComeFirst) {
    ASInt32 count = 0;
    ASSERT_EQ(menu8->countMenuGroups(&count), kNoErr);
    ASSERT_GE(count, 2);
    std::vector<std::string> names;
    for (ASInt32 i = 0; i < count; ++i) {
        AIMenuGroup group = nullptr;
        const char* name = nullptr;
        ASSERT_EQ(menu8->getNthMenuGroup(i, &group), kNoErr);
        ASSERT_EQ(menu8->getMenuGroupName(group, &name), kNoErr);
        names.push_back(name);
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "About"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Tool Palettes"), names.end());
    AIMenuGroup group = nullptr;
    EXPECT_EQ(menu8->getNthMenuGroup(count, &group), kBadParameterErr);
}

TEST_F(MenuSuiteTest, ItemsGoToNamedGroupsOnly) {
    // Item texts arrive in Mac OS Roman; a host without ICU reads 7-bit ASCII only.
    const bool roman = simhost::unicode::fullSupport();
    const AIMenuItemHandle item = add("Tool Palettes", roman ? "Caf\x8E" : "Cafe");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(host->menus().item(item)->text, roman ? "Caf\xC3\xA9" : "Cafe");
    unsigned char pstr[] = {1, 'x'};
    const AIPlatformAddMenuItemData data{"No Such Group", pstr};
    AIMenuItemHandle none = nullptr;
    EXPECT_EQ(menu->addMenuItem(plugin, nullptr, &data, 0, &none), kNotFoundErr);
    EXPECT_EQ(none, nullptr);
}

TEST_F(MenuSuiteTest, AGroupNameIsTakenOnce) {
    const AIMenuItemHandle first = add("About", "First");
    const AIMenuItemHandle second = add("About", "Second");
    AIMenuGroup group = nullptr;
    EXPECT_EQ(menu8->addMenuGroupAsSubMenu("Maker's Group", 1, first, &group), kNoErr);
    EXPECT_EQ(host->menus().item(first)->submenu, group);
    AIMenuGroup again = nullptr;
    EXPECT_EQ(menu8->addMenuGroupAsSubMenu("Maker's Group", 1, second, &again), kBadParameterErr);
    EXPECT_EQ(menu8->addMenuGroupAsSubMenu("Another Group", 1, first, &again), kBadParameterErr)
        << "an item holds one submenu";
}

TEST_F(MenuSuiteTest, CheckMarksFollowTheCalls) {
    const AIMenuItemHandle item = add("Tool Palettes", "Palette");
    EXPECT_EQ(menu->checkItem(item, 1), kNoErr);
    EXPECT_TRUE(host->menus().item(item)->checked);
    EXPECT_EQ(menu8->checkItem(item, 0), kNoErr);
    EXPECT_FALSE(host->menus().item(item)->checked);
}

TEST_F(MenuSuiteTest, AHandleOfAnotherKindIsReported) {
    expectViolation("checkItem: wrong-kind handle");
    AIMenuGroup group = nullptr;
    menu8->getNthMenuGroup(0, &group);
    EXPECT_EQ(menu->checkItem(reinterpret_cast<AIMenuItemHandle>(group), 1), kBadHandleErr);
}

bool mentionsLiveStrings(const std::vector<std::string>& imbalances) {
    return std::any_of(imbalances.begin(), imbalances.end(),
                       [](const std::string& line) { return line.find("host string") != std::string::npos; });
}

class StringSuiteTest : public HostSuiteFixture {
protected:
    const AIUnicodeStringSuite* strings = nullptr;
    void SetUp() override {
        HostSuiteFixture::SetUp();
        strings = acquire<AIUnicodeStringSuite>(kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion);
    }
    AIUnicodeStringRef make(const char* text) {
        AIUnicodeStringRef ref = nullptr;
        EXPECT_EQ(strings->initialize(&ref, text, static_cast<ASUInt32>(std::strlen(text)),
                                      kAIUTF8CharacterEncoding),
                  kNoErr);
        return ref;
    }
};

TEST_F(StringSuiteTest, LiveStringsAreCounted) {
    AIUnicodeStringRef a = make("a");
    AIUnicodeStringRef b = make("b");
    EXPECT_EQ(host->counters().hostStringsAlive, 2);
    strings->destroy(&a);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(host->counters().hostStringsAlive, 1);
    EXPECT_TRUE(mentionsLiveStrings(host->imbalances())) << "a string still alive does not balance";
    strings->destroy(&b);
    EXPECT_FALSE(mentionsLiveStrings(host->imbalances()));
}

TEST_F(StringSuiteTest, AStringUsedAfterItsReleaseIsReported) {
    expectViolation("length: expired handle");
    AIUnicodeStringRef a = make("a");
    AIUnicodeStringRef stale = a;
    strings->destroy(&a);
    EXPECT_EQ(strings->length(&stale), 0u);
}

TEST_F(StringSuiteTest, AHandleOfAnotherKindIsReported) {
    expectViolation("destroy: wrong-kind handle");
    auto notAString = reinterpret_cast<AIUnicodeStringRef>(plugin);
    EXPECT_EQ(strings->destroy(&notAString), kBadHandleErr);
}

TEST_F(StringSuiteTest, ConversionsAreCountedAndTheirBlocksAreTheCallers) {
    AIUnicodeStringRef a = make("shunt");
    AIBufferRecord buffer{0, nullptr};
    ASUInt32 length = 0;
    const long before = host->strings().conversions();
    ASSERT_EQ(strings->getAs(&a, kAIPlatformCharacterEncoding, &buffer, &length), kNoErr);
    EXPECT_EQ(host->strings().conversions(), before + 1);
    EXPECT_EQ(length, 5u);
    EXPECT_EQ(std::string(static_cast<char*>(buffer.block)), "shunt");
    EXPECT_EQ(host->liveBlocks(), 1u) << "the block is the caller's to free";
    EXPECT_EQ(host->freeBlock(buffer.block, "test"), kNoErr);
    EXPECT_EQ(strings->getAs(&a, static_cast<AICharacterEncoding>(77), &buffer, &length), kBadParameterErr);
    strings->destroy(&a);
}

TEST_F(StringSuiteTest, ANullResultRecordIsReported) {
    expectViolation("getAs: null buffer record");
    AIUnicodeStringRef a = make("x");
    ASUInt32 length = 0;
    EXPECT_EQ(strings->getAs(&a, kAIPlatformCharacterEncoding, nullptr, &length), kBadParameterErr);
    strings->destroy(&a);
}

TEST_F(StringSuiteTest, TextOutsideASCIINeedsICU) {
    AIUnicodeStringRef a = nullptr;
    const ASErr result = strings->initialize(&a, "caf\x8E", 4, kAIPlatformCharacterEncoding);
    if (simhost::unicode::fullSupport()) {
        EXPECT_EQ(result, kNoErr);
        EXPECT_EQ(strings->length(&a), 4u);
    } else {
        EXPECT_EQ(result, kBadParameterErr) << "without ICU the host must refuse, not guess";
        EXPECT_EQ(a, nullptr);
    }
    strings->destroy(&a);
}

}  // namespace
}  // namespace shunt_test

namespace shunt_test {
namespace {

// Every null address the new suites are handed is reported, not followed.
class NullAddressTest : public HostSuiteFixture {};

TEST_F(NullAddressTest, TheStringSuiteReportsEach) {
    const auto* strings = acquire<AIUnicodeStringSuite>(kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion);
    for (const char* fragment : {"initialize: null text with a byte count", "length: null string address",
                                 "getUnit: null result address", "substr: null result address",
                                 "getUTF16: null result address", "initializeZString: null reference"}) {
        expectViolation(fragment);
    }
    AIUnicodeStringRef ref = nullptr;
    EXPECT_EQ(strings->initialize(&ref, nullptr, 3, kAIUTF8CharacterEncoding), kBadParameterErr);
    EXPECT_EQ(strings->length(nullptr), 0u);
    EXPECT_EQ(strings->getUnit(&ref, 0, nullptr), kBadParameterErr);
    EXPECT_EQ(strings->substr(&ref, nullptr, 0, 0), kBadParameterErr);
    EXPECT_EQ(strings->getUTF16(&ref, nullptr), 0u);
    EXPECT_EQ(strings->initializeZString(&ref, nullptr), kBadParameterErr);
    EXPECT_EQ(ref, nullptr);
}

TEST_F(NullAddressTest, TheMenuSuitesReportEach) {
    const auto* menu = acquire<AIMenuSuite>(kAIMenuSuite, kAIMenuSuiteVersion);
    const auto* menu8 = acquire<AIMenuSuite8>(kAIMenuSuite, kAIMenuSuiteVersion8);
    for (const char* fragment :
         {"addMenuItem: null item data", "addMenuItem: bad plug-in handle",
          "addMenuGroupAsSubMenu: null name", "getMenuGroupName: null result address",
          "countMenuGroups: null result address", "getNthMenuGroup: null result address"}) {
        expectViolation(fragment);
    }
    AIMenuItemHandle item = nullptr;
    EXPECT_EQ(menu->addMenuItem(plugin, nullptr, nullptr, 0, &item), kBadParameterErr);
    unsigned char text[] = {1, 'x'};
    const AIPlatformAddMenuItemData data{"About", text};
    EXPECT_EQ(menu->addMenuItem(nullptr, nullptr, &data, 0, &item), kBadHandleErr);
    EXPECT_EQ(menu8->addMenuGroupAsSubMenu(nullptr, 0, item, nullptr), kBadParameterErr);
    AIMenuGroup group = nullptr;
    EXPECT_EQ(menu8->getNthMenuGroup(0, &group), kNoErr);
    EXPECT_EQ(menu8->getMenuGroupName(group, nullptr), kBadParameterErr);
    EXPECT_EQ(menu8->countMenuGroups(nullptr), kBadParameterErr);
    EXPECT_EQ(menu8->getNthMenuGroup(0, nullptr), kBadParameterErr);
}

TEST_F(NullAddressTest, TheUserSuiteReportsANullResult) {
    const auto* user = acquire<AIUserSuite>(kAIUserSuite, kAIUserSuiteVersion);
    expectViolation("stringToReal: null text or result address");
    const unsigned char text[] = {1, '5'};
    EXPECT_EQ(user->stringToReal(text, nullptr), kBadParameterErr);
}

}  // namespace
}  // namespace shunt_test
