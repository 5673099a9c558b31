// The palette dialog: made when the application has started, brought back
// to its last dock group and place, and holding the host's suites and the
// plug-in itself for as long as it lives.
#include "admHandler.h"

#include <cstring>

#include "../kit/source/shellMain.h"
#include "pluginHandler.h"

namespace {

constexpr ADMInt32 kPaletteDialogID = 16200;
constexpr ADMInt32 kPaletteStyle = 3;
constexpr ADMInt32 kPopupItem = -5;
constexpr ADMInt32 kPopupMenuID = 700;
constexpr ADMInt32 kLeftDashItem = 9;
constexpr ADMInt32 kRightDashItem = 10;
constexpr ADMInt32 kResetItem = 11;

// The palette's fixed size along the host's first and second axes.
constexpr ASInt16 kPaletteExtent0 = 76;
constexpr ASInt16 kPaletteExtent1 = 210;

constexpr const char* kPrefsSection = "Shunt";
constexpr const char* kDockGroupKey = "kADM_DPDockGroupStr";
constexpr const char* kDockCodeKey = "kADM_DPDockCodeStr";
constexpr const char* kLocationKey = "kADM_DPLocationStr";
constexpr const char* kVisibleKey = "kADM_DPVisibleStr";

constexpr const char* kDefaultDockGroup = "KorvaneDialogs";
constexpr ADMInt32 kDefaultDockCode = 7168;
// A dock group name and its terminator must fit this.
constexpr std::size_t kDockGroupSize = 64;

ADMItemRef paletteItem(ADMDialogRef dialog, ADMInt32 itemID) {
    return sADMDialog->getItem(dialog, itemID);
}

void wireButton(ADMDialogRef dialog, ADMInt32 itemID, ADMBoolean flag, ADMInt32 pictureID,
                const char* pictureName, ADMItemNotifyProc notifyProc) {
    ADMItemRef item = paletteItem(dialog, itemID);
    if (item == nullptr || sADMItem == nullptr) {
        return;
    }
    sADMItem->setHighlightOnPress(item, flag);
    if (pictureName != nullptr) {
        sADMItem->setPictureID(item, pictureID, pictureName);
    }
    sADMItem->setNotifyProc(item, notifyProc);
}

void wireItems(ADMDialogRef dialog) {
    if (ADMItemRef popup = paletteItem(dialog, kPopupItem); popup != nullptr && sADMItem != nullptr) {
        sADMItem->setNotifyProc(popup, dialogPopupMenuProc);
        if (ADMListRef list = sADMItem->getList(popup); list != nullptr && sADMList != nullptr) {
            sADMList->setMenuID(list, kPopupMenuID);
        }
        sADMItem->setTrackProc(popup, dialogPopupMenuTrackProc);
    }
    for (ADMInt32 arrow = 1; arrow <= 8; ++arrow) {
        wireButton(dialog, arrow, 1, arrow, "bitmap", GetShuntArrowProc);
    }
    wireButton(dialog, kLeftDashItem, 0, 5, "LeftButton", GetShuntArrowProc);
    wireButton(dialog, kRightDashItem, 0, 1, "RightButton", GetShuntArrowProc);
    wireButton(dialog, kResetItem, 0, 0, nullptr, GetUnxformProc);
}

// The stored dock group, read into a buffer as large as any stored string
// can be. A name that does not fit the dock group buffer is not the palette's
// group: the default stands.
void readDockGroup(char (&group)[kDockGroupSize]) {
    std::strcpy(group, kDefaultDockGroup);
    if (sAIPreference == nullptr) {
        return;
    }
    char stored[kMaxPreferenceStringSize];
    std::strcpy(stored, kDefaultDockGroup);
    sAIPreference->getStringPreference(kPrefsSection, kDockGroupKey, stored);
    stored[kMaxPreferenceStringSize - 1] = '\0';
    if (std::strlen(stored) < kDockGroupSize) {
        std::strcpy(group, stored);
    }
}

// Far corner of the palette area less the palette's extent, unless a place
// was stored. Kept where the palette's far edges still fit 16 bits.
ADMPoint readPlace(ADMDialogRef dialog) {
    ADMRect bounds{};
    ADMRect area{};
    sADMDialog->getBoundsRect(dialog, &bounds);
    if (sADMBasic != nullptr) {
        sADMBasic->getPaletteLayoutBounds(&area);
    }
    ADMPoint place{static_cast<ASInt16>(area.bottom - (bounds.bottom - bounds.top)),
                   static_cast<ASInt16>(area.right - (bounds.right - bounds.left))};
    if (sAIPreference != nullptr) {
        sAIPreference->getPointPreference(kPrefsSection, kLocationKey, &place);
    }
    if (place.v > 32767 - kPaletteExtent0) {
        place.v = static_cast<ASInt16>(32767 - kPaletteExtent0);
    }
    if (place.h > 32767 - kPaletteExtent1) {
        place.h = static_cast<ASInt16>(32767 - kPaletteExtent1);
    }
    return place;
}

}  // namespace

ASErr createADMDialog(AINotifierMessage* message) {
    // One palette: a second notification must not make another, which would
    // hold the plug-in and the suites a second time.
    if (g == nullptr || g->paletteDialog != nullptr || sADMDialog == nullptr) {
        return kNoErr;
    }
    g->paletteDialog = sADMDialog->create(message->d.self, "ShuntDialog", kPaletteDialogID, kPaletteStyle,
                                          DlgInit, nullptr, 0);
    return kNoErr;
}

ADMErr DlgInit(ADMDialogRef dialog) noexcept {
    if (g == nullptr || g->basicSuite == nullptr) {
        return kNoErr;
    }
    // This level stays open until DlgDestroyProc. It is opened first, so the
    // suites are there also when the host runs this outside PluginMain;
    // inside it the level only counts up and calls the host for nothing.
    acquireSuites(g->basicSuite);
    if (sADMDialog == nullptr) {
        return kNoErr;
    }
    const SPPluginRef plugin = sADMDialog->getPluginRef(dialog);
    AIAppContextHandle context = nullptr;
    const bool inContext =
        sAIAppContext != nullptr && sAIAppContext->pushAppContext(plugin, &context) == kNoErr;
    g->pluginAccess = nullptr;
    if (sSPAccess != nullptr) {
        sSPAccess->acquirePlugin(plugin, &g->pluginAccess);
    }
    sADMDialog->setDestroyProc(dialog, DlgDestroyProc);
    wireItems(dialog);

    char group[kDockGroupSize];
    readDockGroup(group);
    ADMInt32 dockCode = kDefaultDockCode;
    if (sAIPreference != nullptr) {
        sAIPreference->getIntegerPreference(kPrefsSection, kDockCodeKey, &dockCode);
    }
    const ADMPoint place = readPlace(dialog);
    const ADMRect bounds{place.v, place.h, static_cast<ASInt16>(place.v + kPaletteExtent0),
                         static_cast<ASInt16>(place.h + kPaletteExtent1)};
    sADMDialog->setBoundsRect(dialog, &bounds);
    if (sADMDialogGroup != nullptr) {
        sADMDialogGroup->setDialogGroupInfo(dialog, group, dockCode);
    }
    if (inContext) {
        sAIAppContext->popAppContext(context);
    }
    return kNoErr;
}

void DlgDestroyProc(ADMDialogRef dialog) noexcept {
    if (g == nullptr) {
        return;
    }
    if (sADMDialog != nullptr) {
        const char* group = nullptr;
        ADMInt32 dockCode = kDefaultDockCode;
        if (sADMDialogGroup != nullptr) {
            sADMDialogGroup->getDialogGroupInfo(dialog, &group, &dockCode);
        }
        ADMRect bounds{};
        sADMDialog->getBoundsRect(dialog, &bounds);
        const bool visible = sADMDialog->isVisible(dialog) != 0;
        if (sAIPreference != nullptr) {
            const ADMPoint place{bounds.top, bounds.left};
            sAIPreference->putIntegerPreference(kPrefsSection, kDockCodeKey, dockCode);
            if (group != nullptr) {
                sAIPreference->putStringPreference(kPrefsSection, kDockGroupKey, group);
            }
            sAIPreference->putPointPreference(kPrefsSection, kLocationKey, &place);
            sAIPreference->putBooleanPreference(kPrefsSection, kVisibleKey, visible ? 1 : 0);
        }
    }
    g->paletteDialog = nullptr;
    if (g->pluginAccess != nullptr && sSPAccess != nullptr) {
        sSPAccess->releasePlugin(g->pluginAccess);
    }
    g->pluginAccess = nullptr;
    releaseSuites(g->basicSuite);
}
