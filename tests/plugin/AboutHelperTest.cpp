// SDKAboutPluginsHelper called directly: the operations addMenu does not use.
#include <gtest/gtest.h>

#include <cstdio>

#include "KitFixture.h"
#include "SDKAboutPluginsHelper.h"
#include "simhost/Menus.h"

namespace shunt_test {
namespace {

class AboutHelperTest : public KitFixture {
protected:
    AIMenuMessage message() {
        AIMenuMessage m{};
        m.d.self = plugin;
        m.d.basic = host->basicSuite();
        return m;
    }
    ASErr addItem(SDKAboutPluginsHelper& helper, const char* text, AIMenuItemHandle* item) {
        AIMenuMessage m = message();
        char group[] = "Maker Group";
        char pluginText[64];
        std::snprintf(pluginText, sizeof pluginText, "%s", text);
        const ai::UnicodeString shared("About the Maker", kAIPlatformCharacterEncoding);
        return helper.AddAboutPluginsMenuItem(reinterpret_cast<SPInterfaceMessage*>(&m), group, shared,
                                              pluginText, item);
    }
};

TEST_F(AboutHelperTest, PopAboutBoxShowsTheHostsAboutBox) {
    SDKAboutPluginsHelper helper;
    AIMenuMessage m = message();
    EXPECT_EQ(helper.PopAboutBox(&m, "Shunt Palette", "Slides pattern fills."), kNoErr);
    ASSERT_EQ(host->events().size(), 1u);
    const auto& shown = std::get<simhost::DialogShown>(host->events()[0]);
    EXPECT_EQ(shown.name, "About Box");
    EXPECT_EQ(shown.itemTexts[0].second, "Shunt Palette");
}

TEST_F(AboutHelperTest, PopAboutBoxWithoutTheBasicSuiteShowsNothing) {
    host->faults().refuse(kADMBasicSuite, kADMBasicSuiteVersion10, kNotFoundErr);
    SDKAboutPluginsHelper helper;
    AIMenuMessage m = message();
    EXPECT_EQ(helper.PopAboutBox(&m, "Shunt Palette", "Slides pattern fills."), kNotFoundErr);
    EXPECT_TRUE(host->events().empty());
}

TEST_F(AboutHelperTest, GroupExistsNeedsTheMenuSuiteHeld) {
    SDKAboutPluginsHelper helper;
    bool made = true;
    EXPECT_EQ(helper.GroupExists("About", made), kSPSuiteNotFoundError);
    EXPECT_FALSE(made);
}

TEST_F(AboutHelperTest, OneObjectAddsTheSharedEntryOnceThenOnlyItems) {
    SDKAboutPluginsHelper helper;
    AIMenuItemHandle first = nullptr;
    AIMenuItemHandle second = nullptr;
    EXPECT_EQ(addItem(helper, "First...", &first), kNoErr);
    EXPECT_EQ(addItem(helper, "Second...", &second), kNoErr);
    EXPECT_EQ(host->menus().itemsOf("About").size(), 1u);
    ASSERT_EQ(host->menus().itemsOf("Maker Group").size(), 2u);
    EXPECT_EQ(host->menus().item(second)->text, "Second...");
}

TEST_F(AboutHelperTest, AFailedGroupLeavesNoPluginItem) {
    host->faults().failEntry(kAIMenuSuite, 19, kBadParameterErr);
    SDKAboutPluginsHelper helper;
    AIMenuItemHandle item = nullptr;
    EXPECT_EQ(addItem(helper, "Mine...", &item), kBadParameterErr);
    EXPECT_EQ(item, nullptr);
    EXPECT_EQ(host->menus().findGroup("Maker Group"), nullptr);
}

}  // namespace
}  // namespace shunt_test
