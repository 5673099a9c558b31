// The artwork suites of the simulated host, called the way a plug-in calls
// them, and each of their checks tripped by a deliberately wrong call.
#include <gtest/gtest.h>

#include <cstring>

#include "DocumentBuilder.h"
#include "HostFixture.h"

namespace shunt_test {
namespace {

class ArtSuitesTest : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        doc = std::make_unique<DocumentBuilder>(host->document());
        art = acquire<AIArtSuite>(kAIArtSuite, kAIArtSuiteVersion);
        styles = acquire<AIPathStyleSuite>(kAIPathStyleSuite, kAIPathStyleSuiteVersion);
        placed = acquire<AIPlacedSuite>(kAIPlacedSuite, kAIPlacedSuiteVersion);
        raster = acquire<AIRasterSuite>(kAIRasterSuite, kAIRasterSuiteVersion);
        matching = acquire<AIMatchingArtSuite>(kAIMatchingArtSuite, kAIMatchingArtSuiteVersion);
    }

    template <class Suite>
    const Suite* acquire(const char* name, ASInt32 version) {
        const void* suite = nullptr;
        EXPECT_EQ(host->basicSuite()->acquireSuite(name, version, &suite), kNoErr);
        return static_cast<const Suite*>(suite);
    }

    std::unique_ptr<DocumentBuilder> doc;
    const AIArtSuite* art = nullptr;
    const AIPathStyleSuite* styles = nullptr;
    const AIPlacedSuite* placed = nullptr;
    const AIRasterSuite* raster = nullptr;
    const AIMatchingArtSuite* matching = nullptr;
};

TEST_F(ArtSuitesTest, ArtTypesAreReportedAsStored) {
    const AIArtType types[] = {kPathArt,          kPlacedArt, kMysteryPathArt, kRasterArt,
                               kForeignObjectArt, kGroupArt,  kTextFrameArt,   kCompoundPathArt};
    for (AIArtType type : types) {
        const simhost::ArtId id = doc->addArt(type);
        ASInt16 reported = -1;
        EXPECT_EQ(art->getArtType(simhost::artHandle(id), &reported), kNoErr);
        EXPECT_EQ(reported, type);
    }
}

TEST_F(ArtSuitesTest, AStyleWrittenBackKeepsEveryByte) {
    const simhost::ArtId id = doc->addPatternPath({2, 0, 0, 2, 3, 4});
    AIPathStyle style;
    ASSERT_EQ(styles->getPathStyle(simhost::artHandle(id), &style), kNoErr);
    std::memset(style.reserved135, 0x5C, sizeof style.reserved135);
    style.reserved33[1] = 7;
    style.strokeWidth = 3.5f;
    ASSERT_EQ(styles->setPathStyle(simhost::artHandle(id), &style), kNoErr);
    EXPECT_EQ(std::memcmp(&doc->style(id), &style, sizeof style), 0);
}

TEST_F(ArtSuitesTest, MatrixEntriesAnswerWrongArtTypeForOtherArt) {
    const simhost::ArtId image = doc->addPlaced({1, 0, 0, 1, 5, 6});
    const simhost::ArtId picture = doc->addRaster({2, 0, 0, 2, 0, 0});
    const simhost::ArtId path = doc->addFlatPath();
    AIRealMatrix m{9, 9, 9, 9, 9, 9};
    EXPECT_EQ(placed->getPlacedMatrix(simhost::artHandle(picture), &m), kWrongArtTypeErr);
    EXPECT_EQ(raster->getRasterMatrix(simhost::artHandle(image), &m), kWrongArtTypeErr);
    EXPECT_EQ(m.a, 9) << "a refused read wrote the matrix";
    EXPECT_EQ(raster->setRasterMatrix(simhost::artHandle(image), &m), kWrongArtTypeErr);
    EXPECT_EQ(placed->setPlacedMatrix(simhost::artHandle(path), &m), kWrongArtTypeErr);
    AIPathStyle style;
    EXPECT_EQ(styles->getPathStyle(simhost::artHandle(image), &style), kWrongArtTypeErr);
    EXPECT_EQ(doc->matrix(image).tx, 5);
    EXPECT_EQ(doc->matrix(picture).a, 2);
}

TEST_F(ArtSuitesTest, ThePlacedEntryAlsoWritesForeignObjectArt) {
    const simhost::ArtId foreign = doc->addForeignObject({1, 0, 0, 1, 0, 0});
    const AIRealMatrix m{0, 1, -1, 0, 7, 8};
    EXPECT_EQ(placed->setPlacedMatrix(simhost::artHandle(foreign), &m), kNoErr);
    EXPECT_EQ(doc->matrix(foreign).tx, 7);
    AIRealMatrix read{};
    EXPECT_EQ(placed->getPlacedMatrix(simhost::artHandle(foreign), &read), kWrongArtTypeErr);
}

TEST_F(ArtSuitesTest, TheSelectionComesOnceEachInDocumentOrderThroughAHandle) {
    const simhost::ArtId a = doc->addFlatPath();
    const simhost::ArtId b = doc->addPlaced(kIdentity);
    const simhost::ArtId c = doc->addRaster(kIdentity);
    doc->select({c, a, b, a, c, c});
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    ASSERT_EQ(matching->getSelectedArt(&matches, &count), kNoErr);
    ASSERT_EQ(count, 3);
    EXPECT_EQ((*matches)[0], simhost::artHandle(a));
    EXPECT_EQ((*matches)[1], simhost::artHandle(b));
    EXPECT_EQ((*matches)[2], simhost::artHandle(c));

    // The array may move when the selection changes; the handle follows it.
    std::vector<simhost::ArtId> many;
    for (int i = 0; i < 1000; ++i) {
        many.push_back(doc->addFlatPath());
    }
    doc->select(many);
    EXPECT_EQ((*matches)[999], simhost::artHandle(many.back())) << "the handle was left on the old array";
    AIArtHandle** again = nullptr;
    ASSERT_EQ(matching->getSelectedArt(&again, &count), kNoErr);
    EXPECT_EQ(again, matches);
}

TEST_F(ArtSuitesTest, AnEmptySelectionGivesANullHandleAndNoCount) {
    doc->addFlatPath();
    AIArtHandle** matches = reinterpret_cast<AIArtHandle**>(&matches);
    ASInt32 count = -1;
    ASSERT_EQ(matching->getSelectedArt(&matches, &count), kNoErr);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(matches, nullptr);
}

TEST_F(ArtSuitesTest, ARemovedObjectLeavesTheSelection) {
    const simhost::ArtId a = doc->addFlatPath();
    const simhost::ArtId b = doc->addFlatPath();
    doc->select({a, b});
    host->document().remove(a);
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    ASSERT_EQ(matching->getSelectedArt(&matches, &count), kNoErr);
    ASSERT_EQ(count, 1);
    EXPECT_EQ((*matches)[0], simhost::artHandle(b));
}

TEST_F(ArtSuitesTest, AnInjectedFaultAnswersBeforeTheDocumentIsTouched) {
    const simhost::ArtId id = doc->addPatternPath();
    host->faults().failEntry(kAIPathStyleSuite, 1, kCanceledErr);
    AIPathStyle style = doc->style(id);
    style.transform.tx = 50;
    EXPECT_EQ(styles->setPathStyle(simhost::artHandle(id), &style), kCanceledErr);
    EXPECT_EQ(doc->patternMatrix(id).tx, 0);
    EXPECT_EQ(styles->setPathStyle(simhost::artHandle(id), &style), kNoErr) << "the fault was to fire once";
    EXPECT_EQ(doc->patternMatrix(id).tx, 50);
}

// --- the checks

TEST_F(ArtSuitesTest, ANullArtHandleIsReported) {
    expectViolation("getArtType: null art handle");
    ASInt16 type = 0;
    EXPECT_EQ(art->getArtType(nullptr, &type), kBadHandleErr);
}

TEST_F(ArtSuitesTest, AHandleOfAnotherKindIsReported) {
    expectViolation("getPathStyle: wrong-kind art handle");
    doc->addPatternPath();
    AIPathStyle style;
    auto* notArt = reinterpret_cast<AIArtHandle>(simhost::patternHandle(0));
    EXPECT_EQ(styles->getPathStyle(notArt, &style), kBadHandleErr);
}

TEST_F(ArtSuitesTest, AHandleToNoObjectIsReported) {
    expectViolation("getPlacedMatrix: unknown art handle");
    AIRealMatrix m{};
    EXPECT_EQ(placed->getPlacedMatrix(simhost::artHandle(12345), &m), kBadHandleErr);
}

TEST_F(ArtSuitesTest, AHandleToARemovedObjectIsReportedExpired) {
    expectViolation("setRasterMatrix: expired art handle");
    const simhost::ArtId id = doc->addRaster(kIdentity);
    host->document().remove(id);
    EXPECT_EQ(raster->setRasterMatrix(simhost::artHandle(id), &kIdentity), kBadHandleErr);
}

TEST_F(ArtSuitesTest, NullResultAddressesAreReported) {
    expectViolation("getArtType with a null result address");
    expectViolation("getSelectedArt with a null result address");
    expectViolation("setPathStyle with a null style");
    const simhost::ArtId id = doc->addFlatPath();
    EXPECT_EQ(art->getArtType(simhost::artHandle(id), nullptr), kBadParameterErr);
    ASInt32 count = 0;
    EXPECT_EQ(matching->getSelectedArt(nullptr, &count), kBadParameterErr);
    EXPECT_EQ(styles->setPathStyle(simhost::artHandle(id), nullptr), kBadParameterErr);
}

TEST_F(ArtSuitesTest, AStyleWithMoreDashComponentsThanTheRecordHoldsIsRefused) {
    expectViolation("11 dash components");
    const simhost::ArtId id = doc->addDashedPath({4, 2}, 0);
    AIPathStyle style = doc->style(id);
    style.dashCount = kMaxDashComponents + 1;
    EXPECT_EQ(styles->setPathStyle(simhost::artHandle(id), &style), kBadParameterErr);
    EXPECT_EQ(doc->style(id).dashCount, 2);
}

TEST_F(ArtSuitesTest, APatternFillNamingNoPatternIsRefused) {
    expectViolation("names no pattern");
    const simhost::ArtId id = doc->addPatternPath();
    AIPathStyle style = doc->style(id);
    style.pattern = simhost::patternHandle(99);
    EXPECT_EQ(styles->setPathStyle(simhost::artHandle(id), &style), kBadHandleErr);
    EXPECT_EQ(doc->style(id).pattern, simhost::patternHandle(0));
}

}  // namespace
}  // namespace shunt_test
