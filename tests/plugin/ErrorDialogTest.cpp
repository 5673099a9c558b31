// The error dialog as a failing call shows it: the message the error string
// list gives the code, and the code as text.
#include <gtest/gtest.h>

#include "HostFixture.h"

namespace shunt_test {
namespace {

class ErrorDialogTest : public HostFixture {
protected:
    // Start-up fails with `code`: the host turns down the palette's menu item.
    ASErr failStartupWith(ASErr code) {
        host->faults().failEntry(kAIMenuSuite, 0, code);
        return host->sendInterface(plugin, kSPInterfaceStartupSelector);
    }
    // The error dialogs shown so far, as item number to text.
    std::vector<std::map<int, std::string>> errorDialogs() const {
        std::vector<std::map<int, std::string>> shown;
        for (const auto& event : host->events()) {
            const auto* dialog = std::get_if<simhost::DialogShown>(&event);
            if (dialog != nullptr && dialog->name == "Error Dialog") {
                shown.emplace_back(dialog->itemTexts.begin(), dialog->itemTexts.end());
            }
        }
        return shown;
    }
    std::string codeTextFor(ASErr code) {
        failStartupWith(code);
        const auto shown = errorDialogs();
        return shown.size() == 1 ? shown[0].at(3) : "(" + std::to_string(shown.size()) + " dialogs)";
    }
    std::string messageFor(ASErr code) {
        failStartupWith(code);
        const auto shown = errorDialogs();
        return shown.size() == 1 ? shown[0].at(2) : "(" + std::to_string(shown.size()) + " dialogs)";
    }
    // Replaces the bundle's error string list.
    void useErrorList(std::vector<std::string> strings) {
        simhost::PluginResources resources = *host->dialogs().resources(plugin);
        resources.stringLists[16050] = std::move(strings);
        host->dialogs().setResources(plugin, resources);
    }
    void TearDown() override {
        host->sendInterface(plugin, kSPInterfaceShutdownSelector);
        EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
        HostFixture::TearDown();
    }
};

TEST_F(ErrorDialogTest, ANumericCodeShowsAsDecimalText) {
    EXPECT_EQ(codeTextFor(kMacMemFullErr), "-108");
}

TEST_F(ErrorDialogTest, ASmallPositiveCodeShowsAsItsNumber) {
    EXPECT_EQ(codeTextFor(5), "5");
}

TEST_F(ErrorDialogTest, AFourCharacterCodeShowsItsCharacters) {
    EXPECT_EQ(codeTextFor(kBadHandleErr), "HDL?");
}

TEST_F(ErrorDialogTest, ACodeAboveSixteenBitsWithAZeroFirstByteShowsNoText) {
    EXPECT_EQ(codeTextFor(0x00012345), "");
}

TEST_F(ErrorDialogTest, TheBundleNamesTheHostsCommonFailures) {
    EXPECT_EQ(messageFor(kMacMemFullErr), "There is not enough memory to do that.");
}

TEST_F(ErrorDialogTest, AnUnknownCodeGetsTheCatchAllMessage) {
    EXPECT_EQ(messageFor(fourCharCode("ZZZZ")), "The operation could not be completed.");
}

TEST_F(ErrorDialogTest, StopShowsNothing) {
    EXPECT_EQ(failStartupWith(kCanceledErr), kCanceledErr);
    EXPECT_TRUE(errorDialogs().empty());
}

TEST_F(ErrorDialogTest, TheOKButtonClosesTheDialog) {
    failStartupWith(kMacMemFullErr);
    ASSERT_EQ(errorDialogs().size(), 1u);
    EXPECT_TRUE(host->violations().empty()) << "a modal dialog its button does not end is a violation";
    EXPECT_EQ(host->dialogs().dialogs().liveCount(), 0u);
}

TEST_F(ErrorDialogTest, A16BitNumberAboveTheSignedRangeMatchesItsNegative) {
    useErrorList({"65535", "minus one", "?", "other"});
    EXPECT_EQ(messageFor(-1), "minus one");
}

TEST_F(ErrorDialogTest, ANegativeNumberMatchesItself) {
    useErrorList({"5", "five", "-1", "minus one", "?", "other"});
    EXPECT_EQ(messageFor(-1), "minus one");
}

TEST_F(ErrorDialogTest, FractionsTruncateTowardZero) {
    useErrorList({"3.9", "three", "?", "other"});
    EXPECT_EQ(messageFor(3), "three");
}

TEST_F(ErrorDialogTest, NegativeFractionsTruncateTowardZero) {
    useErrorList({"-3.9", "minus three", "?", "other"});
    EXPECT_EQ(messageFor(-3), "minus three");
}

TEST_F(ErrorDialogTest, AFourCharacterCodeStringMatchesOnItsFirstFourCharacters) {
    useErrorList({"ABCDEFG", "abcd", "AB", "short", "?", "other"});
    EXPECT_EQ(messageFor(fourCharCode("ABCD")), "abcd");
}

TEST_F(ErrorDialogTest, AShortFourCharacterCodeStringNamesNoCode) {
    useErrorList({"AB", "short", "?", "other"});
    EXPECT_EQ(messageFor(fourCharCode('A', 'B', 0, 0)), "other");
}

TEST_F(ErrorDialogTest, AListWithNoEndStopsBeingSearched) {
    // A list that never yields an empty code string: the search ends where
    // its 16-bit string count would overflow, with the last pair read.
    std::vector<std::string> strings;
    for (int n = 1; n <= 40000; ++n) {
        strings.push_back(n % 2 == 1 ? "NONE" : "message " + std::to_string(n));
    }
    useErrorList(strings);
    host->log().setEnabled(false);
    EXPECT_EQ(messageFor(kMacMemFullErr), "message 32766");
}

}  // namespace
}  // namespace shunt_test
