// Adds the plug-in's entry to the about group its maker's plug-ins share,
// and shows the host's about box. Whichever of the maker's plug-ins starts
// first adds the shared entry to the host's "About" group with a submenu
// group under it; the others find that group by its name and only add their
// own item to it.
#ifndef SDKABOUTPLUGINSHELPER_H
#define SDKABOUTPLUGINSHELPER_H

#include "hostapi/HostInterface.h"

class SDKAboutPluginsHelper {
public:
    SDKAboutPluginsHelper();
    virtual ~SDKAboutPluginsHelper();
    SDKAboutPluginsHelper(const SDKAboutPluginsHelper&) = delete;
    SDKAboutPluginsHelper& operator=(const SDKAboutPluginsHelper&) = delete;

    // Adds `pluginItemText` (platform encoding) to the group `groupName`,
    // first making the group, under a new entry `sharedItemText` of the host's
    // "About" group, when no group of that name exists. On success the new
    // item's handle goes to *menuItem. Returns the first failure of the host.
    ASErr AddAboutPluginsMenuItem(SPInterfaceMessage* message, char* groupName,
                                  const ai::UnicodeString& sharedItemText, char* pluginItemText,
                                  AIMenuItemHandle* menuItem);
    // Whether a menu group of that name exists. Needs menuSuite held.
    ASErr GroupExists(const char* groupName, bool& groupAlreadyMade);
    // Shows the host's about box with the two texts.
    ASErr PopAboutBox(AIMenuMessage* message, const char* title, const char* description);

private:
    // Held only while one of the operations runs.
    const AIMenuSuite8* menuSuite;
    const ADMBasicSuite10* admBasicSuite;
};

#endif
