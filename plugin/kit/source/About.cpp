#include "About.h"

#include "SDKAboutPluginsHelper.h"
#include "shellMain.h"

namespace {

constexpr ADMInt32 kAboutDialogID = 16050;
constexpr ADMInt32 kAboutOKButton = 1;

}  // namespace

ASErr addAboutPluginsEntry(SPInterfaceMessage* message, AIMenuItemHandle* menuItem) {
    SDKAboutPluginsHelper helper;
    const ai::UnicodeString sharedItemText("About Korvane Plug-ins", kAIPlatformCharacterEncoding);
    char groupName[] = "KorvaneAboutPluginsGroupName";
    char pluginItemText[] = "Shunt Palette...";
    return helper.AddAboutPluginsMenuItem(message, groupName, sharedItemText, pluginItemText, menuItem);
}

ASErr goAbout(SPInterfaceMessage* message) {
    if (sADMDialog == nullptr) {
        return kSPSuiteNotFoundError;
    }
    return sADMDialog->modal(message->d.self, "About Dialog", kAboutDialogID, 0, AboutPluginInitProc, nullptr,
                             0);
}

ADMErr AboutPluginInitProc(ADMDialogRef dialog) noexcept {
    if (sADMDialog != nullptr && sADMItem != nullptr) {
        if (ADMItemRef ok = sADMDialog->getItem(dialog, kAboutOKButton)) {
            sADMItem->setNotifyProc(ok, AboutDlgOKButtonProc);
        }
    }
    return kNoErr;
}

void AboutDlgOKButtonProc(ADMItemRef item, ADMNotifierRef notifier) noexcept {
    if (sADMItem != nullptr) {
        sADMItem->defaultNotify(item, notifier);
    }
}
