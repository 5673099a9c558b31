#include "simhost/Menus.h"

namespace simhost {

namespace {

// The host's own groups, in the order it enumerates them.
const char* const kHostGroups[] = {"About", "Preferences", "Tool Palettes", "Window Utilities", "Help"};

}  // namespace

Menus::Menus(Host& host) : host_(host) {
    for (const char* name : kHostGroups) {
        addGroup(name, nullptr, 0);
    }
}

AIMenuGroup Menus::findGroup(const std::string& name) const {
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        if (groups_.aliveAt(i) && groups_.at(i).name == name) {
            return groups_.handleAt(static_cast<std::uint32_t>(i));
        }
    }
    return nullptr;
}

AIMenuGroup Menus::addGroup(const std::string& name, AIMenuItemHandle parentItem, ASInt32 options) {
    if (findGroup(name) != nullptr) {
        return nullptr;
    }
    const AIMenuGroup group = groups_.add(MenuGroup{name, parentItem, options, {}});
    if (MenuItem* parent = items_.find(parentItem)) {
        parent->submenu = group;
    }
    return group;
}

AIMenuItemHandle Menus::addItem(AIMenuGroup group, MenuItem item) {
    item.group = group;
    const AIMenuItemHandle ref = items_.add(std::move(item));
    groups_.find(group)->items.push_back(ref);
    return ref;
}

std::vector<AIMenuItemHandle> Menus::itemsOf(const std::string& groupName) const {
    const AIMenuGroup group = findGroup(groupName);
    return group == nullptr ? std::vector<AIMenuItemHandle>() : groups_.find(group)->items;
}

AIMenuItemHandle Menus::findItem(const std::string& text) const {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_.aliveAt(i) && items_.at(i).text == text) {
            return items_.handleAt(static_cast<std::uint32_t>(i));
        }
    }
    return nullptr;
}

std::vector<std::string> Menus::groupNames() const {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < groups_.size(); ++i) {
        if (groups_.aliveAt(i)) {
            out.push_back(groups_.at(i).name);
        }
    }
    return out;
}

}  // namespace simhost
