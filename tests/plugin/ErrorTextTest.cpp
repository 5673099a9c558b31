// The error dialog's texts and the conversions between codes and decimal
// text, called directly with the host's suites held.
#include <gtest/gtest.h>

#include <cstring>

#include "KitFixture.h"
#include "reportError.h"

namespace shunt_test {
namespace {

class ErrorTextTest : public KitFixture {
protected:
    void report(ASErr code) {
        SPInterfaceMessage message{};
        message.d.self = plugin;
        message.d.basic = host->basicSuite();
        report_error(&message, code);
    }
    std::vector<simhost::DialogShown> dialogs() const {
        std::vector<simhost::DialogShown> shown;
        for (const auto& event : host->events()) {
            if (const auto* dialog = std::get_if<simhost::DialogShown>(&event)) {
                shown.push_back(*dialog);
            }
        }
        return shown;
    }
    static std::string codeText(ASErr code) {
        char buffer[16];
        return AIErrToCString(code, buffer);
    }
};

TEST_F(ErrorTextTest, SuiteNotFoundShowsItsFourCharacters) {
    report(kSPSuiteNotFoundError);
    const auto shown = dialogs();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].name, "Error Dialog");
    EXPECT_EQ(shown[0].itemTexts,
              (std::vector<std::pair<int, std::string>>{
                  {2, "A part of the host that the palette needs is not available."}, {3, "S!Fd"}}));
}

TEST_F(ErrorTextTest, NoErrorAndCancelShowNothing) {
    report(kNoErr);
    report(kCanceledErr);
    EXPECT_TRUE(dialogs().empty());
}

TEST_F(ErrorTextTest, WithoutTheDialogSuiteNothingIsShown) {
    const auto* held = sADMDialog;
    sADMDialog = nullptr;
    report(kMacMemFullErr);
    sADMDialog = held;
    EXPECT_TRUE(dialogs().empty());
}

TEST_F(ErrorTextTest, CodesBecomeDecimalText) {
    EXPECT_EQ(codeText(-108), "-108");
    EXPECT_EQ(codeText(5), "5");
    EXPECT_EQ(codeText(65535), "65535");
    EXPECT_EQ(codeText(-65536), "-65536");
    // Through a 32-bit float: beyond 2 to the 24th the low digits go.
    EXPECT_EQ(codeText(16777217), "16777216");
    EXPECT_EQ(codeText(0x7FFFFFFF), "2147483648");
}

TEST_F(ErrorTextTest, DecimalTextBecomesASigned16BitCode) {
    auto read = [](const char* text) {
        char buffer[256];
        std::strcpy(buffer, text);
        ASInt32 code = 12345;
        CStringToAIErr(buffer, &code);
        return code;
    };
    EXPECT_EQ(read("-108"), -108);
    EXPECT_EQ(read("65535"), -1);
    EXPECT_EQ(read("3.9"), 3);
    EXPECT_EQ(read("-3.9"), -3);
    EXPECT_EQ(read("70000"), 70000 - 65536);
    EXPECT_EQ(read("not a number"), 12345) << "the code is left alone";
}

TEST_F(ErrorTextTest, TheTextIsLeftLengthPrefixed) {
    char buffer[16] = "-108";
    ASInt32 code = 0;
    CStringToAIErr(buffer, &code);
    EXPECT_EQ(buffer[0], 4);
    EXPECT_EQ(std::string(buffer + 1, 4), "-108");
}

}  // namespace
}  // namespace shunt_test
