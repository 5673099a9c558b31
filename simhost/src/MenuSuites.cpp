// "AI Menu Suite" at versions 1007 and 1008 over the host's menus. The two
// differ in how an item's text arrives: length-prefixed Mac OS Roman, or a
// host Unicode string.
#include <cstring>

#include "simhost/Host.h"
#include "simhost/Menus.h"
#include "simhost/UnicodeStrings.h"

namespace simhost {

namespace {

SuiteKey kMenuKey{kAIMenuSuite, kAIMenuSuiteVersion};
SuiteKey kMenu8Key{kAIMenuSuite, kAIMenuSuiteVersion8};

std::string quoted(const char* text) {
    return text == nullptr ? "null" : std::string("\"") + text + "\"";
}

Menus& menus() {
    return Host::current().menus();
}

// Checks what both versions of addMenuItem share and adds the item.
AIErr addItem(const char* entry, SPPluginRef plugin, const char* name, const char* groupName,
              const std::optional<std::string>& text, ASInt32 options, AIMenuItemHandle* menuItem) {
    Host& host = Host::current();
    if (menuItem == nullptr || groupName == nullptr) {
        host.violation(std::string(entry) + ": null group name or result address");
        return kBadParameterErr;
    }
    if (host.findPlugin(plugin) == nullptr) {
        host.violation(std::string(entry) + ": bad plug-in handle");
        return kBadHandleErr;
    }
    if (!text) {
        return kBadParameterErr;  // text the host cannot read
    }
    const AIMenuGroup group = menus().findGroup(groupName);
    if (group == nullptr) {
        return kNotFoundErr;
    }
    *menuItem =
        menus().addItem(group, MenuItem{plugin, name != nullptr ? name : "", nullptr, *text, options});
    return kNoErr;
}

AIErr addMenuItem(SPPluginRef plugin, const char* name, const AIPlatformAddMenuItemData* data,
                  ASInt32 options, AIMenuItemHandle* menuItem) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kMenuKey, 0, [&] {
            return quoted(name) + " " + quoted(data != nullptr ? data->groupName : nullptr) + " " +
                   std::to_string(options);
        })) {
        return *fault;
    }
    if (data == nullptr || data->itemText == nullptr) {
        host.violation("addMenuItem: null item data or text");
        return kBadParameterErr;
    }
    const std::string_view roman(reinterpret_cast<const char*>(data->itemText + 1), data->itemText[0]);
    std::optional<std::string> text;
    if (const auto units = unicode::decode(roman, kAIRomanCharacterEncoding)) {
        text = unicode::encode(*units, kAIUTF8CharacterEncoding);
    }
    return addItem("addMenuItem", plugin, name, data->groupName, text, options, menuItem);
}

AIErr addMenuItem8(SPPluginRef plugin, const char* name, const AIPlatformAddMenuItemDataUS* data,
                   ASInt32 options, AIMenuItemHandle* menuItem) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kMenu8Key, 0, [&] {
            return quoted(name) + " " + quoted(data != nullptr ? data->groupName : nullptr) + " " +
                   std::to_string(options);
        })) {
        return *fault;
    }
    if (data == nullptr) {
        host.violation("addMenuItem: null item data");
        return kBadParameterErr;
    }
    const AIUnicodeStringRef textRef = data->itemText.reference();
    if (textRef != nullptr && host.checked(host.strings().table(), textRef, "addMenuItem") == nullptr) {
        return kBadHandleErr;
    }
    return addItem("addMenuItem", plugin, name, data->groupName, host.strings().utf8(textRef), options,
                   menuItem);
}

AIErr checkItemAt(const SuiteKey& key, AIMenuItemHandle menuItem, AIBoolean checked) {
    Host& host = Host::current();
    if (auto fault = host.enter(key, 14, [&] { return std::to_string(checked); })) {
        return *fault;
    }
    auto* item = host.checked(menus().items(), menuItem, "checkItem");
    if (item == nullptr) {
        return kBadHandleErr;
    }
    item->checked = checked != 0;
    return kNoErr;
}

AIErr checkItem(AIMenuItemHandle menuItem, AIBoolean checked) noexcept {
    return checkItemAt(kMenuKey, menuItem, checked);
}
AIErr checkItem8(AIMenuItemHandle menuItem, AIBoolean checked) noexcept {
    return checkItemAt(kMenu8Key, menuItem, checked);
}

AIErr addMenuGroupAsSubMenu(const char* name, ASInt32 options, AIMenuItemHandle menuItem,
                            AIMenuGroup* group) noexcept {
    Host& host = Host::current();
    if (auto fault =
            host.enter(kMenu8Key, 19, [&] { return quoted(name) + " " + std::to_string(options); })) {
        return *fault;
    }
    if (name == nullptr || group == nullptr) {
        host.violation("addMenuGroupAsSubMenu: null name or result address");
        return kBadParameterErr;
    }
    const MenuItem* parent = host.checked(menus().items(), menuItem, "addMenuGroupAsSubMenu");
    if (parent == nullptr) {
        return kBadHandleErr;
    }
    if (parent->submenu != nullptr) {
        return kBadParameterErr;  // an item holds one submenu
    }
    const AIMenuGroup added = menus().addGroup(name, menuItem, options);
    if (added == nullptr) {
        return kBadParameterErr;  // the name is taken
    }
    *group = added;
    return kNoErr;
}

AIErr getMenuGroupName(AIMenuGroup group, const char** name) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kMenu8Key, 20, [] { return std::string(); })) {
        return *fault;
    }
    if (name == nullptr) {
        host.violation("getMenuGroupName: null result address");
        return kBadParameterErr;
    }
    const MenuGroup* found = host.checked(menus().groups(), group, "getMenuGroupName");
    if (found == nullptr) {
        return kBadHandleErr;
    }
    *name = found->name.c_str();
    return kNoErr;
}

AIErr countMenuGroups(ASInt32* count) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kMenu8Key, 24, [] { return std::string(); })) {
        return *fault;
    }
    if (count == nullptr) {
        host.violation("countMenuGroups: null result address");
        return kBadParameterErr;
    }
    *count = static_cast<ASInt32>(menus().groups().liveCount());
    return kNoErr;
}

AIErr getNthMenuGroup(ASInt32 index, AIMenuGroup* group) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kMenu8Key, 25, [&] { return std::to_string(index); })) {
        return *fault;
    }
    if (group == nullptr) {
        host.violation("getNthMenuGroup: null result address");
        return kBadParameterErr;
    }
    auto& groups = menus().groups();
    ASInt32 seen = 0;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups.aliveAt(i) && seen++ == index) {
            *group = groups.handleAt(static_cast<std::uint32_t>(i));
            return kNoErr;
        }
    }
    return kBadParameterErr;
}

AIMenuSuite gMenuSuite{
    .addMenuItem = addMenuItem,
    .checkItem = checkItem,
};

AIMenuSuite8 gMenuSuite8{
    .addMenuItem = addMenuItem8,
    .checkItem = checkItem8,
    .addMenuGroupAsSubMenu = addMenuGroupAsSubMenu,
    .getMenuGroupName = getMenuGroupName,
    .countMenuGroups = countMenuGroups,
    .getNthMenuGroup = getNthMenuGroup,
};

}  // namespace

void registerMenuSuites(Host& host) {
    registerSuite<kMenuKey>(host, gMenuSuite);
    registerSuite<kMenu8Key>(host, gMenuSuite8);
}

}  // namespace simhost
