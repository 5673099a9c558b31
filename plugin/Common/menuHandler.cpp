#include "menuHandler.h"

#include "../kit/source/About.h"
#include "../kit/source/shellMain.h"
#include "../kit/source/stringUtils.h"
#include "pluginHandler.h"

namespace {

constexpr ASInt32 kPaletteMenuItemOptions = 1;

// Whether the palette exists and the dialog suite is there to ask about it.
bool paletteReachable() {
    return g != nullptr && g->paletteDialog != nullptr && sADMDialog != nullptr;
}

}  // namespace

ASErr addMenu(SPInterfaceMessage* message) {
    if (sAIMenu == nullptr) {
        return kSPSuiteNotFoundError;
    }
    char itemText[14] = "Shunt Palette";
    const AIPlatformAddMenuItemData data{kToolPalettesMenuGroup, SUctopstr(itemText)};
    const ASErr error = sAIMenu->addMenuItem(message->d.self, "Zerar Palette Menu Item", &data,
                                             kPaletteMenuItemOptions, &g->paletteMenuItem);
    if (error != kNoErr) {
        return error;
    }
    return addAboutPluginsEntry(message, &g->aboutMenuItem);
}

ASErr goMenuItem(AIMenuMessage* message) {
    if (g == nullptr || message->menuItem == nullptr) {
        return kNoErr;
    }
    if (message->menuItem == g->paletteMenuItem) {
        // Before the application has started there is no palette to show.
        if (paletteReachable()) {
            const bool visible = sADMDialog->isVisible(g->paletteDialog) != 0;
            sADMDialog->show(g->paletteDialog, visible ? 0 : 1);
        }
        return kNoErr;
    }
    if (message->menuItem == g->aboutMenuItem) {
        return goAbout(reinterpret_cast<SPInterfaceMessage*>(message));
    }
    return kNoErr;
}

ASErr updateMenuItem(AIMenuMessage* message) {
    if (paletteReachable() && sAIMenu != nullptr) {
        const bool visible = sADMDialog->isVisible(g->paletteDialog) != 0;
        sAIMenu->checkItem(message->menuItem, visible ? 1 : 0);
    }
    return kNoErr;
}
