// The host's menus: groups by name, items with their texts and check marks,
// and groups that hang as submenus under an item. The host has a few groups
// of its own ("About" and "Tool Palettes" among them); plug-ins add items to
// them and make groups of their own.
#ifndef SIMHOST_MENUS_H
#define SIMHOST_MENUS_H

#include <string>
#include <vector>

#include "hostapi/ASTypes.h"
#include "simhost/Handles.h"

namespace simhost {

class Host;

struct MenuItem {
    SPPluginRef plugin = nullptr;
    std::string name;  // the plug-in's name for the item, may be empty
    AIMenuGroup group = nullptr;
    std::string text;  // UTF-8
    ASInt32 options = 0;
    bool checked = false;
    AIMenuGroup submenu = nullptr;
};

struct MenuGroup {
    std::string name;
    AIMenuItemHandle parentItem = nullptr;  // null for a group of the host's own
    ASInt32 options = 0;
    std::vector<AIMenuItemHandle> items;
};

class Menus {
public:
    explicit Menus(Host& host);

    AIMenuGroup findGroup(const std::string& name) const;
    // Null when a group of that name exists.
    AIMenuGroup addGroup(const std::string& name, AIMenuItemHandle parentItem, ASInt32 options);
    AIMenuItemHandle addItem(AIMenuGroup group, MenuItem item);

    // --- what a user sees
    // The items of a group, in menu order; empty for an unknown group.
    std::vector<AIMenuItemHandle> itemsOf(const std::string& groupName) const;
    // The first item of a plug-in with this text, or null.
    AIMenuItemHandle findItem(const std::string& text) const;
    std::vector<std::string> groupNames() const;

    HandleTable<MenuGroup, HandleKind::MenuGroup, AIMenuGroup>& groups() { return groups_; }
    HandleTable<MenuItem, HandleKind::MenuItem, AIMenuItemHandle>& items() { return items_; }
    const MenuItem* item(AIMenuItemHandle ref) const { return items_.find(ref); }

private:
    [[maybe_unused]] Host& host_;
    HandleTable<MenuGroup, HandleKind::MenuGroup, AIMenuGroup> groups_;
    HandleTable<MenuItem, HandleKind::MenuItem, AIMenuItemHandle> items_;
};

}  // namespace simhost

#endif
