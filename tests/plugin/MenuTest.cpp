// The palette's menu item, the shared about entry and the application-started
// notifier, driven through PluginMain as the host sends its messages.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "HostFixture.h"
#include "simhost/Menus.h"
#include "simhost/Notifiers.h"

namespace shunt_test {
namespace {

constexpr const char* kPaletteItemText = "Shunt Palette";
constexpr const char* kAboutItemText = "Shunt Palette...";
constexpr const char* kSharedEntryText = "About Korvane Plug-ins";
constexpr const char* kSharedGroup = "KorvaneAboutPluginsGroupName";

class MenuTest : public HostFixture {
protected:
    std::filesystem::path bundleCopy_;

    AIMenuItemHandle paletteItem() const { return host->menus().findItem(kPaletteItemText); }
    AIMenuItemHandle aboutItem() const { return host->menus().findItem(kAboutItemText); }
    bool checked(AIMenuItemHandle item) const { return host->menus().item(item)->checked; }
    bool paletteVisible() { return host->dialogs().dialog(palette())->visible; }
    ASErr menu(const char* selector, AIMenuItemHandle item) { return host->sendMenu(plugin, selector, item); }
    std::vector<std::string> itemTexts(const std::string& group) const {
        std::vector<std::string> texts;
        for (AIMenuItemHandle item : host->menus().itemsOf(group)) {
            texts.push_back(host->menus().item(item)->text);
        }
        return texts;
    }
    int dialogsShown(const std::string& name) const {
        int n = 0;
        for (const auto& event : host->events()) {
            const auto* shown = std::get_if<simhost::DialogShown>(&event);
            n += shown != nullptr && shown->name == name;
        }
        return n;
    }
    // A second copy of the bundle, as a second plug-in of the same maker.
    SPPluginRef loadSecondCopy() {
        namespace fs = std::filesystem;
        bundleCopy_ = fs::temp_directory_path() / ("shunt-second-bundle-" + std::to_string(::getpid()));
        fs::remove_all(bundleCopy_);
        fs::copy(bundleDir(), bundleCopy_, fs::copy_options::recursive);
        return host->loadBundle(bundleCopy_.string());
    }
    void TearDown() override {
        HostFixture::TearDown();  // closes the libraries before their files go
        if (!bundleCopy_.empty()) {
            std::filesystem::remove_all(bundleCopy_);
        }
    }
    void expectBalancedAfterShutdown() {
        stopHost();
        EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
    }
};

TEST_F(MenuTest, ThePaletteItemStandsInToolPalettes) {
    startHost();
    ASSERT_NE(paletteItem(), nullptr);
    const simhost::MenuItem* item = host->menus().item(paletteItem());
    EXPECT_EQ(item->name, "Zerar Palette Menu Item");
    EXPECT_EQ(item->options, 1);
    EXPECT_EQ(itemTexts("Tool Palettes"), std::vector<std::string>{kPaletteItemText});
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, ThePaletteItemTogglesThePaletteAndTheCheckMarkFollows) {
    startHost();
    ASSERT_NE(palette(), nullptr);
    ASSERT_TRUE(paletteVisible());
    EXPECT_EQ(menu(kSelectorAIUpdateMenuItem, paletteItem()), kNoErr);
    EXPECT_TRUE(checked(paletteItem()));

    EXPECT_EQ(menu(kSelectorAIGoMenuItem, paletteItem()), kNoErr);
    EXPECT_FALSE(paletteVisible());
    menu(kSelectorAIUpdateMenuItem, paletteItem());
    EXPECT_FALSE(checked(paletteItem()));

    EXPECT_EQ(menu(kSelectorAIGoMenuItem, paletteItem()), kNoErr);
    EXPECT_TRUE(paletteVisible());
    menu(kSelectorAIUpdateMenuItem, paletteItem());
    EXPECT_TRUE(checked(paletteItem()));
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, TheCheckMarkFollowsThePaletteHoweverItWasHidden) {
    startHost();
    host->dialogs().dialog(palette())->visible = false;  // closed by the user
    menu(kSelectorAIUpdateMenuItem, paletteItem());
    EXPECT_FALSE(checked(paletteItem()));
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, MenuMessagesBeforeThePaletteExistsDoNothing) {
    ASSERT_EQ(host->sendInterface(plugin, kSPInterfaceStartupSelector), kNoErr);
    ASSERT_EQ(palette(), nullptr);
    startRecording();
    EXPECT_EQ(menu(kSelectorAIGoMenuItem, paletteItem()), kNoErr);
    EXPECT_EQ(menu(kSelectorAIUpdateMenuItem, paletteItem()), kNoErr);
    EXPECT_FALSE(checked(paletteItem()));
    for (const auto& call : recordedCalls()) {
        EXPECT_EQ(call.rfind("ADM Dialog Suite", 0), std::string::npos) << call;
        EXPECT_NE(call, "AI Menu Suite:14");
    }
    EXPECT_TRUE(host->events().empty());
    EXPECT_EQ(host->sendInterface(plugin, kSPInterfaceShutdownSelector), kNoErr);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(MenuTest, AMessageForAnotherItemChangesNothing) {
    startHost();
    const AIMenuItemHandle shared = host->menus().findItem(kSharedEntryText);
    ASSERT_NE(shared, nullptr);
    EXPECT_EQ(menu(kSelectorAIGoMenuItem, shared), kNoErr);
    EXPECT_TRUE(paletteVisible());
    EXPECT_EQ(dialogsShown("About Dialog"), 0);
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, AnotherNotifierCreatesNoPalette) {
    ASSERT_EQ(host->sendInterface(plugin, kSPInterfaceStartupSelector), kNoErr);
    const AINotifierHandle other = host->notifiers().add({plugin, "other", "Some Other Notifier"});
    EXPECT_EQ(host->sendNotify(plugin, other, "Some Other Notifier"), kNoErr);
    EXPECT_EQ(palette(), nullptr);
    host->sendInterface(plugin, kSPInterfaceShutdownSelector);
}

TEST_F(MenuTest, ASecondApplicationStartedNotificationMakesNoSecondPalette) {
    startHost();
    host->notifiers().fire(kAIApplicationStartedNotifier);
    EXPECT_EQ(host->dialogs().dialogs().liveCount(), 1u);
    EXPECT_EQ(host->counters().accessRefsHeld, 1);
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, TheAboutEntryHangsUnderTheSharedGroup) {
    startHost();
    EXPECT_EQ(itemTexts("About"), std::vector<std::string>{kSharedEntryText});
    EXPECT_EQ(itemTexts(kSharedGroup), std::vector<std::string>{kAboutItemText});
    const simhost::MenuItem* shared = host->menus().item(host->menus().findItem(kSharedEntryText));
    EXPECT_EQ(shared->submenu, host->menus().findGroup(kSharedGroup));
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, ASecondPluginOfTheMakerFindsTheSharedGroup) {
    const SPPluginRef second = loadSecondCopy();
    startHost();
    EXPECT_EQ(itemTexts("About"), std::vector<std::string>{kSharedEntryText}) << "one shared entry for both";
    EXPECT_EQ(itemTexts(kSharedGroup), (std::vector<std::string>{kAboutItemText, kAboutItemText}));
    const auto items = host->menus().itemsOf(kSharedGroup);
    EXPECT_EQ(host->menus().item(items[1])->plugin, second);
    int groupsNamed = 0;
    for (const auto& name : host->menus().groupNames()) {
        groupsNamed += name == kSharedGroup;
    }
    EXPECT_EQ(groupsNamed, 1);
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, SharedGroupNamesAreComparedExactly) {
    host->menus().addGroup("korvaneaboutpluginsgroupname", nullptr, 0);
    startHost();
    EXPECT_EQ(itemTexts("About"), std::vector<std::string>{kSharedEntryText});
    EXPECT_EQ(itemTexts(kSharedGroup), std::vector<std::string>{kAboutItemText});
    EXPECT_TRUE(itemTexts("korvaneaboutpluginsgroupname").empty());
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, AFailingSharedEntryLeavesNoGroupAndNoItem) {
    // The palette item is the first item added, the shared entry the second.
    host->faults().failEntry("AI Menu Suite", 0, kBadParameterErr, /*at=*/2);
    startHost();
    EXPECT_TRUE(host->menus().itemsOf("About").empty());
    EXPECT_EQ(host->menus().findGroup(kSharedGroup), nullptr);
    EXPECT_EQ(aboutItem(), nullptr);
    EXPECT_NE(paletteItem(), nullptr) << "the palette item stays";
    EXPECT_EQ(palette(), nullptr) << "no notifier was registered, so no palette";
    EXPECT_EQ(dialogsShown("Error Dialog"), 1);
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, TheAboutEntryRunsTheAboutDialog) {
    startHost();
    // The dialog's answer, the item that closed it, goes back unshown.
    EXPECT_EQ(menu(kSelectorAIGoMenuItem, aboutItem()), 1);
    EXPECT_EQ(dialogsShown("About Dialog"), 1);
    EXPECT_EQ(dialogsShown("Error Dialog"), 0);
    EXPECT_EQ(send(kSPInterfaceCaller, kSPInterfaceAboutSelector), kNoErr);
    EXPECT_EQ(dialogsShown("About Dialog"), 2);
    expectBalancedAfterShutdown();
}

TEST_F(MenuTest, ARefusedMenuSuiteMakesStartupFailCleanly) {
    host->faults().refuse(kAIMenuSuite, std::nullopt);
    EXPECT_EQ(host->sendInterface(plugin, kSPInterfaceStartupSelector), kSPSuiteNotFoundError);
    host->notifiers().fire(kAIApplicationStartedNotifier);
    EXPECT_EQ(palette(), nullptr);
    EXPECT_EQ(dialogsShown("Error Dialog"), 0) << "'S!Fd' goes back without the error dialog";
    EXPECT_EQ(host->sendInterface(plugin, kSPInterfaceShutdownSelector), kNoErr);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(MenuTest, AStringFailureAtStartupIsReportedWithItsCode) {
    host->faults().failEntry(kAIUnicodeStringSuite, 0, kBadParameterErr);
    EXPECT_EQ(host->sendInterface(plugin, kSPInterfaceStartupSelector), kBadParameterErr);
    ASSERT_EQ(dialogsShown("Error Dialog"), 1);
    for (const auto& event : host->events()) {
        if (const auto* shown = std::get_if<simhost::DialogShown>(&event)) {
            EXPECT_EQ(shown->itemTexts.back(), (std::pair<int, std::string>{3, "PARM"}));
        }
    }
    EXPECT_EQ(aboutItem(), nullptr);
    EXPECT_EQ(host->sendInterface(plugin, kSPInterfaceShutdownSelector), kNoErr);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

TEST_F(MenuTest, EveryHostStringAndBlockIsGivenBack) {
    startHost();
    menu(kSelectorAIGoMenuItem, aboutItem());
    stopHost();
    const auto calls = host->log().entries();
    EXPECT_GT(std::count(calls.begin(), calls.end(), "AI Unicode String Suite:0"), 0) << "strings were made";
    EXPECT_GT(host->counters().blocksAllocated, 0);
    EXPECT_EQ(host->counters().hostStringsAlive, 0);
    EXPECT_EQ(host->counters().blocksAllocated, host->counters().blocksFreed);
    EXPECT_TRUE(host->imbalances().empty()) << ::testing::PrintToString(host->imbalances());
}

}  // namespace
}  // namespace shunt_test
