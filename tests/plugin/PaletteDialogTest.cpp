// The palette dialog: its items, its place and dock group across runs, and
// what it holds while it lives.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "HostFixture.h"
#include "simhost/PreferenceStore.h"

// Found by argument lookup, so beside the host's rectangle.
static bool operator==(const ADMRect& a, const ADMRect& b) {
    return a.top == b.top && a.left == b.left && a.bottom == b.bottom && a.right == b.right;
}
[[maybe_unused]] static void PrintTo(const ADMRect& r, std::ostream* os) {
    *os << r.top << "," << r.left << "," << r.bottom << "," << r.right;
}

namespace shunt_test {
namespace {

constexpr ADMRect kPaletteArea{0, 0, 768, 1024};

class PaletteDialogTest : public HostFixture {
protected:
    simhost::HostOptions hostOptions() const override {
        simhost::HostOptions options;
        options.paletteArea = kPaletteArea;
        options.preferencesFile = prefsFile_.string();
        return options;
    }
    void TearDown() override {
        HostFixture::TearDown();
        std::filesystem::remove(prefsFile_);
    }

    // Ends this run and starts the host afresh with the same preference file,
    // as the next launch of the application would.
    void restartHost() {
        stopHost();
        ASSERT_TRUE(host->violations().empty()) << ::testing::PrintToString(host->violations());
        host.reset();
        host = std::make_unique<simhost::Host>(hostOptions());
        plugin = host->loadBundle(bundleDir());
        startHost();
    }
    simhost::Dialog& dialog() { return *host->dialogs().dialog(palette()); }
    simhost::DialogItem& item(int id) {
        return *host->dialogs().item(host->dialogs().findItem(palette(), id));
    }
    void storeGroup(const std::string& name) {
        host->preferences().put("Shunt", "kADM_DPDockGroupStr", name);
    }

private:
    std::filesystem::path prefsFile_ = std::filesystem::temp_directory_path() /
                                       ("shunt-palette-prefs-" + std::to_string(::getpid()) + ".txt");
};

TEST_F(PaletteDialogTest, TheFirstRunPlacesThePaletteAtTheFarCornerOfThePaletteArea) {
    startHost();
    ASSERT_NE(palette(), nullptr);
    EXPECT_EQ(dialog().bounds, (ADMRect{768 - 76, 1024 - 210, 768, 1024}));
    EXPECT_EQ(dialog().groupName, "KorvaneDialogs");
    EXPECT_EQ(dialog().dockCode, 7168);
    EXPECT_EQ(dialog().style, 3);
    stopHost();
}

TEST_F(PaletteDialogTest, EveryItemIsWiredWithItsPictureAndFlag) {
    startHost();
    for (int arrow = 1; arrow <= 8; ++arrow) {
        EXPECT_EQ(item(arrow).pictureID, arrow);
        EXPECT_EQ(item(arrow).pictureName, "bitmap");
        EXPECT_TRUE(item(arrow).highlightOnPress);
        EXPECT_NE(item(arrow).notifyProc, nullptr);
    }
    EXPECT_EQ(item(9).pictureID, 5);
    EXPECT_EQ(item(9).pictureName, "LeftButton");
    EXPECT_EQ(item(10).pictureID, 1);
    EXPECT_EQ(item(10).pictureName, "RightButton");
    EXPECT_FALSE(item(9).highlightOnPress || item(10).highlightOnPress || item(11).highlightOnPress);
    EXPECT_EQ(item(11).pictureName, "");
    EXPECT_EQ(item(1).notifyProc, item(10).notifyProc) << "arrows and dash buttons share one procedure";
    EXPECT_NE(item(11).notifyProc, item(1).notifyProc);
    EXPECT_NE(item(-5).notifyProc, nullptr);
    EXPECT_NE(item(-5).trackProc, nullptr);
    const simhost::DialogList* list = host->dialogs().lists().find(item(-5).list);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->menuID, 700);
    EXPECT_EQ(list->entries.size(), 3u);
    // Every picture the palette names is in the bundle.
    const simhost::PluginResources* resources = host->dialogs().resources(plugin);
    for (int id = 1; id <= 10; ++id) {
        const auto& it = item(id);
        const auto picture = resources->pictures.find({it.pictureID, it.pictureName});
        ASSERT_NE(picture, resources->pictures.end()) << "item " << id;
        EXPECT_TRUE(std::filesystem::exists(resources->folder + "/" + picture->second.file));
    }
    stopHost();
}

TEST_F(PaletteDialogTest, PlaceAndGroupComeBackAfterARestart) {
    startHost();
    host->dialogs().drag(palette(), 100, 200);
    host->dialogs().dock(palette(), "Side Panels", 5);
    restartHost();
    EXPECT_EQ(dialog().bounds, (ADMRect{100, 200, 176, 410}));
    EXPECT_EQ(dialog().groupName, "Side Panels");
    EXPECT_EQ(dialog().dockCode, 5);
    stopHost();
}

TEST_F(PaletteDialogTest, TheStoredPlaceKeepsTheFixedSize) {
    startHost();
    host->dialogs().dialog(palette())->bounds = ADMRect{10, 20, 300, 400};  // stretched by the user
    restartHost();
    EXPECT_EQ(dialog().bounds, (ADMRect{10, 20, 86, 230}));
    stopHost();
}

TEST_F(PaletteDialogTest, DestroyingThePaletteStoresItsState) {
    startHost();
    host->dialogs().dialog(palette())->visible = false;
    stopHost();
    const auto* visible = host->preferences().find("Shunt", "kADM_DPVisibleStr");
    ASSERT_NE(visible, nullptr);
    EXPECT_EQ(std::get<bool>(*visible), false);
    const auto* place = host->preferences().find("Shunt", "kADM_DPLocationStr");
    ASSERT_NE(place, nullptr);
    EXPECT_EQ(std::get<ADMPoint>(*place).v, 768 - 76);
    EXPECT_EQ(std::get<ADMPoint>(*place).h, 1024 - 210);
    EXPECT_EQ(std::get<ASInt32>(*host->preferences().find("Shunt", "kADM_DPDockCodeStr")), 7168);
    EXPECT_EQ(palette(), nullptr);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(PaletteDialogTest, A63CharacterGroupNameComesBackWhole) {
    const std::string name(63, 'g');
    storeGroup(name);
    startHost();
    EXPECT_EQ(dialog().groupName, name);
    stopHost();
}

TEST_F(PaletteDialogTest, AGroupNameTooLongForItsBufferFallsBackToTheDefault) {
    for (const std::size_t length : {64u, 200u, 255u}) {
        storeGroup(std::string(length, 'x'));
        startHost();
        EXPECT_EQ(dialog().groupName, "KorvaneDialogs") << length << " characters";
        stopHost();
    }
}

TEST_F(PaletteDialogTest, ALongGroupNameDockedByTheUserIsNotRestored) {
    startHost();
    host->dialogs().dock(palette(), std::string(70, 'L'), 9);
    restartHost();
    EXPECT_EQ(dialog().groupName, "KorvaneDialogs");
    EXPECT_EQ(dialog().dockCode, 9);
    stopHost();
}

TEST_F(PaletteDialogTest, APlaceAtTheEdgeOfTheCoordinatesKeepsAWholePalette) {
    host->preferences().put("Shunt", "kADM_DPLocationStr", ADMPoint{32760, 32700});
    startHost();
    EXPECT_LT(dialog().bounds.top, dialog().bounds.bottom);
    EXPECT_LT(dialog().bounds.left, dialog().bounds.right);
    EXPECT_EQ(dialog().bounds.bottom - dialog().bounds.top, 76);
    EXPECT_EQ(dialog().bounds.right - dialog().bounds.left, 210);
    stopHost();
}

TEST_F(PaletteDialogTest, ThePaletteHoldsThePluginAndTheSuitesWhileItLives) {
    startHost();
    EXPECT_EQ(host->counters().accessRefsHeld, 1);
    EXPECT_TRUE(host->unload(plugin).has_value()) << "the host must refuse to unload";
    // The palette's acquisition level is open, so a call only counts.
    startRecording();
    EXPECT_EQ(send("Some Caller", "Some Selector"), kNoErr);
    for (const auto& call : recordedCalls()) {
        EXPECT_NE(call, "SP Basic Suite:0");
        EXPECT_NE(call, "SP Basic Suite:1");
    }
    stopHost();
    EXPECT_EQ(host->counters().accessRefsHeld, 0);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(PaletteDialogTest, AReloadStartsTheAcquisitionCountAfresh) {
    startHost();
    ASSERT_EQ(send(kSPAccessCaller, kSPAccessUnloadSelector), kNoErr);
    ASSERT_EQ(send(kSPAccessCaller, kSPAccessReloadSelector), kNoErr);
    startRecording();
    EXPECT_EQ(send("Some Caller", "Some Selector"), kNoErr);
    const auto calls = recordedCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SP Basic Suite:0"), 33);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "SP Basic Suite:1"), 33);
    stopHost();
    EXPECT_EQ(palette(), nullptr);
}

}  // namespace
}  // namespace shunt_test
