#include "SDKAboutPluginsHelper.h"

#include <cstring>

namespace {

// Gives back a suite the operation acquired when the operation ends, also
// when a string operation throws on the way.
template <class Suite>
class SuiteHold {
public:
    SuiteHold(SPBasicSuite* basic, const char* name, ASInt32 version, const Suite*& slot)
        : basic_(basic), name_(name), version_(version), slot_(slot) {}
    SuiteHold(const SuiteHold&) = delete;
    SuiteHold& operator=(const SuiteHold&) = delete;
    ~SuiteHold() { release(); }

    ASErr acquire() {
        const ASErr error = basic_->acquireSuite(name_, version_, reinterpret_cast<const void**>(&slot_));
        acquired_ = error == kNoErr;
        return error;
    }
    // The release's own result.
    ASErr release() {
        ASErr error = kNoErr;
        if (acquired_) {
            error = basic_->releaseSuite(name_, version_);
            acquired_ = false;
        }
        slot_ = nullptr;
        return error;
    }

private:
    SPBasicSuite* basic_;
    const char* name_;
    ASInt32 version_;
    const Suite*& slot_;
    bool acquired_ = false;
};

}  // namespace

SDKAboutPluginsHelper::SDKAboutPluginsHelper() : menuSuite(nullptr), admBasicSuite(nullptr) {}

SDKAboutPluginsHelper::~SDKAboutPluginsHelper() = default;

ASErr SDKAboutPluginsHelper::AddAboutPluginsMenuItem(SPInterfaceMessage* message, char* groupName,
                                                     const ai::UnicodeString& sharedItemText,
                                                     char* pluginItemText, AIMenuItemHandle* menuItem) {
    SuiteHold<AIMenuSuite8> hold(message->d.basic, kAIMenuSuite, kAIMenuSuiteVersion8, menuSuite);
    if (menuSuite == nullptr) {
        if (const ASErr error = hold.acquire()) {
            return error;
        }
        if (menuSuite == nullptr) {
            return kNoErr;
        }
    }

    bool groupMade = false;
    ASErr error = GroupExists(groupName, groupMade);
    if (error == kNoErr && !groupMade) {
        // The first of the maker's plug-ins: the shared entry, and its group under it.
        AIMenuItemHandle sharedItem = nullptr;
        const AIPlatformAddMenuItemDataUS sharedData{kAboutMenuGroup, sharedItemText};
        error = menuSuite->addMenuItem(message->d.self, nullptr, &sharedData, 0, &sharedItem);
        if (error == kNoErr) {
            AIMenuGroup group = nullptr;
            error = menuSuite->addMenuGroupAsSubMenu(groupName, 1, sharedItem, &group);
        }
    }
    if (error == kNoErr) {
        const AIPlatformAddMenuItemDataUS pluginData{
            groupName, ai::UnicodeString(pluginItemText, kAIPlatformCharacterEncoding)};
        AIMenuItemHandle item = nullptr;
        error = menuSuite->addMenuItem(message->d.self, nullptr, &pluginData, 0, &item);
        if (error == kNoErr) {
            *menuItem = item;
        }
    }
    return error;  // the release's own result is not the caller's concern
}

ASErr SDKAboutPluginsHelper::GroupExists(const char* groupName, bool& groupAlreadyMade) {
    groupAlreadyMade = false;
    if (menuSuite == nullptr) {
        return kSPSuiteNotFoundError;
    }
    ASInt32 count = 0;
    if (const ASErr error = menuSuite->countMenuGroups(&count)) {
        return error;
    }
    for (ASInt32 i = 0; i < count; ++i) {
        AIMenuGroup group = nullptr;
        const char* name = nullptr;
        if (const ASErr error = menuSuite->getNthMenuGroup(i, &group)) {
            return error;
        }
        if (const ASErr error = menuSuite->getMenuGroupName(group, &name)) {
            return error;
        }
        if (name != nullptr && std::strcmp(name, groupName) == 0) {
            groupAlreadyMade = true;
            return kNoErr;
        }
    }
    return kNoErr;
}

ASErr SDKAboutPluginsHelper::PopAboutBox(AIMenuMessage* message, const char* title, const char* description) {
    SuiteHold<ADMBasicSuite10> hold(message->d.basic, kADMBasicSuite, kADMBasicSuiteVersion10, admBasicSuite);
    const ASErr error = admBasicSuite == nullptr ? hold.acquire() : kNoErr;
    if (error != kNoErr) {
        return error;
    }
    if (admBasicSuite == nullptr) {
        return kNoErr;
    }
    admBasicSuite->aboutBox(title, description);
    return hold.release();
}
