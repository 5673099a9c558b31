// Show matrix (popup entry 2): the captured matrix as text, with the scales,
// skew and rotation derived from it in 32-bit floats.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "PaletteFixture.h"

namespace shunt_test {
namespace {

constexpr int kCapture = 0;
constexpr int kShow = 2;

class ShowMatrixTest : public PaletteFixture {
protected:
    void TearDown() override {
        if (savedRealToString_ != nullptr) {
            userSuite()->realToString = savedRealToString_;
        }
        PaletteFixture::TearDown();
    }

    // The host's own table, whose entries a test may replace.
    AIUserSuite* userSuite() {
        return const_cast<AIUserSuite*>(
            static_cast<const AIUserSuite*>(host->findSuite(kAIUserSuite, kAIUserSuiteVersion)));
    }
    void replaceRealToString(AIErr (*writer)(AIReal, ASInt16, unsigned char*) noexcept) {
        savedRealToString_ = userSuite()->realToString;
        userSuite()->realToString = writer;
    }

    // The host's text for a number at the precision the palette asks for.
    std::string hostText(AIReal value) {
        unsigned char text[256] = {};
        const bool logging = host->log().enabled();
        host->log().setEnabled(false);
        userSuite()->realToString(value, 4, text);
        host->log().setEnabled(logging);
        return std::string(reinterpret_cast<const char*>(text + 1), text[0]);
    }

    // The text the palette must show for a matrix, worked out here on its own.
    std::string expectedText(const AIRealMatrix& m) {
        const float a = m.a, b = m.b, c = m.c, d = m.d;
        const float hScale = std::sqrt(a * a + b * b);
        const float vScale = std::sqrt(c * c + d * d);
        float skew = 0.0f;
        if (a != 0.0f) {
            skew = 0.0f - (b / a + (hScale / vScale) * (c / a));
        }
        if (b != 0.0f) {
            skew = 0.0f - ((hScale / vScale) * (d / b) - a / b);
        }
        float rotation = 0.0f;
        if (a != 0.0f) {
            rotation = 0.0f - std::atan2(b, a);
        }
        const float toDegrees = 180.0f / std::numbers::pi_v<float>;
        return "Matrix: TX=" + hostText(m.tx) + "; TY=" + hostText(m.ty) + "; A=" + hostText(a) +
               "; B=" + hostText(b) + "; C=" + hostText(c) + "; D=" + hostText(d) +
               "; H scale=" + hostText(100.0f * hScale) + "%; V scale=" + hostText(100.0f * vScale) +
               "%; Skew=" + hostText(skew * toDegrees) + "\xA1; Rotation=" + hostText(rotation * toDegrees) +
               "\xA1";
    }

    // Captures the matrix from a placed image and shows it; the alert shown.
    std::string shown(const AIRealMatrix& m) {
        doc->select({doc->addPlaced(m)});
        choose(kCapture);
        host->clearEvents();
        choose(kShow);
        const auto shownAlerts = alerts();
        return shownAlerts.size() == 1 ? shownAlerts[0]
                                       : "(" + std::to_string(shownAlerts.size()) + " alerts)";
    }

private:
    AIErr (*savedRealToString_)(AIReal, ASInt16, unsigned char*) noexcept = nullptr;
};

TEST_F(ShowMatrixTest, RightAfterStartUpItShowsTheIdentity) {
    choose(kShow);
    EXPECT_EQ(alerts(), (std::vector<std::string>{"Matrix: TX=0; TY=0; A=1; B=0; C=0; D=1; H scale=100%; "
                                                  "V scale=100%; Skew=0\xA1; Rotation=0\xA1"}));
}

TEST_F(ShowMatrixTest, TheDegreeSignReachesTheAlertAsMacRomanA1) {
    choose(kShow);
    ASSERT_EQ(alerts().size(), 1u);
    const std::string text = alerts()[0];
    EXPECT_EQ(static_cast<unsigned char>(text.back()), 0xA1);
    EXPECT_EQ(text.find("\xC2\xB0"), std::string::npos) << "the degree sign went out as UTF-8";
}

TEST_F(ShowMatrixTest, AScaledTurnedMatrixShowsItsScalesSkewAndRotation) {
    const AIRealMatrix m{2, 2, -1, 3, 5.25f, -6.5f};
    EXPECT_EQ(shown(m), expectedText(m));
}

TEST_F(ShowMatrixTest, WithAAndBZeroSkewAndRotationAreZero) {
    const AIRealMatrix m{0, 0, 1, 1, 0, 0};
    const std::string text = shown(m);
    EXPECT_EQ(text, expectedText(m));
    EXPECT_NE(text.find("Skew=0\xA1; Rotation=0\xA1"), std::string::npos) << text;
}

TEST_F(ShowMatrixTest, WithBNotZeroTheSecondSkewFormulaHoldsAndAZeroGivesNoRotation) {
    const AIRealMatrix m{0, 2, -3, 1, 0, 0};
    const std::string text = shown(m);
    EXPECT_EQ(text, expectedText(m));
    EXPECT_NE(text.find("; Rotation=0\xA1"), std::string::npos) << text;
}

TEST_F(ShowMatrixTest, WithBZeroTheFirstSkewFormulaHolds) {
    const AIRealMatrix m{2, 0, 1, 4, 0, 0};
    EXPECT_EQ(shown(m), expectedText(m));
}

TEST_F(ShowMatrixTest, WithCAndDZeroTheDivisionByZeroIsShownWithoutAMessage) {
    const AIRealMatrix m{2, 0, 0, 0, 1, 1};
    const std::string text = shown(m);
    EXPECT_EQ(text, expectedText(m));
    EXPECT_NE(text.find("V scale=0%"), std::string::npos) << text;
}

// Matrices whose scales or skew show differently when a product is fused into
// the sum after it or kept in 80-bit registers, found by tests/floatcode's
// float_search; the texts are those of each operation rounded on its own.
TEST_F(ShowMatrixTest, EveryProcessorShowsTheTextOfSeparatelyRoundedOperations) {
    const struct {
        AIRealMatrix m;
        const char* part;
    } cases[] = {
        {{3.44834495f, 5.3057518f, 0, 1, 0, 0}, "; H scale=632.7881%;"},
        {{6.20771885f, 5.06382179f, 0, 1, 0, 0}, "; H scale=801.1122%;"},
        {{3.34961414f, 0.801015854f, -7.00715637f, -6.30880547f, 0, 0}, "; V scale=942.8746%;"},
        {{3.10454369f, 0.212346077f, 0, 1, 0, 0}, "; Skew=-1.9571\xA1;"},
        {{7.38442993f, -1.8975606f, -7.96471834f, 2.20275974f, 0, 0}, "; Skew=-161.6036\xA1;"},
    };
    for (const auto& c : cases) {
        const std::string text = shown(c.m);
        EXPECT_NE(text.find(c.part), std::string::npos) << text << "\nshould hold " << c.part;
    }
}

TEST_F(ShowMatrixTest, ItMakesTheHostCallsItNeedsInOrder) {
    startRecording();
    choose(kShow);
    const std::vector<std::string> expected = {
        "ADM Notifier Suite:2", "ADM Item Suite:25",     "ADM List Suite:27",     "ADM Entry Suite:6",
        "AI User Suite:4",      "AI User Suite:4",       "AI User Suite:4",       "AI User Suite:4",
        "AI User Suite:4",      "AI User Suite:4",       "AI Real Math Suite:12", "AI Real Math Suite:12",
        "AI Real Math Suite:9", "AI User Suite:4",       "AI User Suite:4",       "AI Real Math Suite:11",
        "AI User Suite:4",      "AI Real Math Suite:11", "AI User Suite:4",       "ADM Basic Suite:3",
    };
    EXPECT_EQ(recordedCalls(), expected);
}

// A host that writes far longer number texts than it promises: the matrix
// text fills its buffer and stops there.
AIErr writeLongNumber(AIReal, ASInt16, unsigned char* text) noexcept {
    text[0] = 255;
    for (int i = 1; i <= 255; ++i) {
        text[i] = '7';
    }
    return kNoErr;
}

TEST_F(ShowMatrixTest, LongNumberTextsCannotOverflowTheMatrixText) {
    replaceRealToString(writeLongNumber);
    choose(kShow);
    ASSERT_EQ(alerts().size(), 1u);
    EXPECT_EQ(alerts()[0], "Matrix: TX=" + std::string(254 - 11, '7'));
}

TEST_F(ShowMatrixTest, ANumberTheHostCannotWriteCancelsTheText) {
    host->faults().failEntry(kAIUserSuite, 4, kCanceledErr, 8);
    choose(kShow);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
}

class ShowMatrixWithoutNumbersTest : public PaletteFixture {
protected:
    void beforeStart() override { host->faults().refuse(kAIUserSuite, std::nullopt); }
};

TEST_F(ShowMatrixWithoutNumbersTest, ShowEndsWithTheCancelAlertWhileTheOtherEntriesStillWork) {
    choose(kShow);
    EXPECT_EQ(alerts(), (std::vector<std::string>{kCancelledAlert}));
    const auto image = doc->addPlaced({2, 0, 0, 2, 1, 1});
    doc->select({image});
    choose(1);
    EXPECT_EQ(doc->matrix(image), kIdentity);
}

}  // namespace
}  // namespace shunt_test
