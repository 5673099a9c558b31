#include "simhost/Host.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "simhost/AppContexts.h"
#include "simhost/DialogManager.h"
#include "simhost/Menus.h"
#include "simhost/Notifiers.h"
#include "simhost/PreferenceStore.h"
#include "simhost/UnicodeStrings.h"

namespace simhost {

namespace {

Host* gCurrentHost = nullptr;

// Fresh host blocks are filled with this, so code that reads memory it never
// wrote sees garbage instead of a lucky zero.
constexpr unsigned char kFreshBlockFill = 0xA5;

}  // namespace

const char* handleKindName(HandleKind kind) {
    switch (kind) {
        case HandleKind::Plugin:
            return "plug-in";
        case HandleKind::Access:
            return "access";
        case HandleKind::Art:
            return "art";
        case HandleKind::Pattern:
            return "pattern";
        case HandleKind::MenuItem:
            return "menu item";
        case HandleKind::MenuGroup:
            return "menu group";
        case HandleKind::Notifier:
            return "notifier";
        case HandleKind::AppContext:
            return "context";
        case HandleKind::UnicodeString:
            return "string";
        case HandleKind::Dialog:
            return "dialog";
        case HandleKind::Item:
            return "item";
        case HandleKind::List:
            return "list";
        case HandleKind::Entry:
            return "entry";
        case HandleKind::ADMNotifier:
            return "dialog notifier";
        case HandleKind::Tracker:
            return "tracker";
    }
    return "unknown";
}

const char* handleProblemText(HandleProblem problem) {
    switch (problem) {
        case HandleProblem::None:
            return "good";
        case HandleProblem::Null:
            return "null";
        case HandleProblem::WrongKind:
            return "wrong-kind";
        case HandleProblem::Unknown:
            return "unknown";
        case HandleProblem::Expired:
            return "expired";
    }
    return "bad";
}

Host::Host(HostOptions options) : options_(std::move(options)) {
    if (gCurrentHost != nullptr) {
        throw std::logic_error("only one simulated host may exist at a time");
    }
    gCurrentHost = this;
    log_.setEnabled(options_.logCalls);
    dialogs_ = std::make_unique<DialogManager>(*this);
    menus_ = std::make_unique<Menus>(*this);
    notifiers_ = std::make_unique<Notifiers>(*this);
    preferences_ = std::make_unique<PreferenceStore>(*this);
    strings_ = std::make_unique<UnicodeStrings>(*this);
    appContexts_ = std::make_unique<AppContexts>(*this);
    registerBasicSuites(*this);
    registerArtSuites(*this);
    registerAppSuites(*this);
    registerMenuSuites(*this);
    registerDialogSuites(*this);
    registerUnicodeStringSuite(*this);
}

Host::~Host() {
    // Subsystems may still hold plug-in callbacks; drop them before the code goes.
    dialogs_.reset();
    for (std::size_t i = 0; i < plugins_.size(); ++i) {
        if (plugins_.aliveAt(i) && plugins_.at(i).library != nullptr) {
            dlclose(plugins_.at(i).library);
        }
    }
    for (auto& [block, info] : blocks_) {
        std::free(block);
    }
    gCurrentHost = nullptr;
}

Host& Host::current() {
    if (gCurrentHost == nullptr) {
        std::abort();  // a host function was called with no host: nothing sensible can follow
    }
    return *gCurrentHost;
}

bool Host::exists() {
    return gCurrentHost != nullptr;
}

// --- plug-ins

bool Host::openLibrary(LoadedPlugin& plugin, std::string& error) {
    plugin.library = dlopen(plugin.libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (plugin.library == nullptr) {
        error = dlerror();
        return false;
    }
    void* symbol = dlsym(plugin.library, kPluginMainSymbol);
    if (symbol == nullptr) {
        error = plugin.libraryPath + " does not export " + kPluginMainSymbol;
        dlclose(plugin.library);
        plugin.library = nullptr;
        return false;
    }
    plugin.main = reinterpret_cast<PluginMainProc>(symbol);
    return true;
}

SPPluginRef Host::loadBundle(const std::string& bundleDir) {
    namespace fs = std::filesystem;
    LoadedPlugin plugin;
    plugin.bundleDir = bundleDir;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(bundleDir, ec)) {
        if (entry.is_regular_file() && entry.path().extension() == ".so") {
            plugin.libraryPath = entry.path().string();
            break;
        }
    }
    if (plugin.libraryPath.empty()) {
        throw std::runtime_error(bundleDir + ": no plug-in library in the bundle");
    }
    std::string error;
    if (!openLibrary(plugin, error)) {
        throw std::runtime_error(error);
    }
    SPPluginRef ref = plugins_.add(plugin);
    plugins_.find(ref)->ref = ref;
    dialogs_->loadResources(ref, bundleDir + "/Resources");
    return ref;
}

LoadedPlugin& Host::plugin(SPPluginRef ref) {
    LoadedPlugin* found = plugins_.find(ref);
    if (found == nullptr) {
        throw std::logic_error("no such plug-in");
    }
    return *found;
}

LoadedPlugin* Host::findPlugin(SPPluginRef ref) {
    return plugins_.find(ref);
}

std::vector<SPPluginRef> Host::plugins() const {
    std::vector<SPPluginRef> out;
    for (std::size_t i = 0; i < plugins_.size(); ++i) {
        if (plugins_.aliveAt(i)) {
            out.push_back(plugins_.at(i).ref);
        }
    }
    return out;
}

template <class Message>
ASErr Host::send(LoadedPlugin& plugin, const char* caller, const char* selector, Message& message) {
    if (plugin.library == nullptr && std::strcmp(caller, kSPAccessCaller) != 0) {
        // The host loads an unloaded plug-in again before it talks to it.
        reload(plugin.ref);
    }
    if (plugin.library == nullptr) {
        return kSPSuiteNotFoundError;
    }
    message.d.checkWord = 0;
    message.d.self = plugin.ref;
    message.d.globals = plugin.globals;
    message.d.basic = basicSuite();
    std::string callerText(caller);
    std::string selectorText(selector);
    const ASErr result = plugin.main(callerText.data(), selectorText.data(), &message);
    plugin.globals = message.d.globals;
    if (result != kNoErr) {
        addEvent(MessageAnswered{caller, selector, result});
    }
    return result;
}

ASErr Host::sendInterface(SPPluginRef ref, const char* selector) {
    SPInterfaceMessage message{};
    return send(plugin(ref), kSPInterfaceCaller, selector, message);
}

ASErr Host::sendMessage(SPPluginRef ref, const char* caller, const char* selector) {
    SPInterfaceMessage message{};
    return send(plugin(ref), caller, selector, message);
}

ASErr Host::sendAccess(SPPluginRef ref, const char* selector) {
    SPAccessMessage message{};
    return send(plugin(ref), kSPAccessCaller, selector, message);
}

ASErr Host::sendMenu(SPPluginRef ref, const char* selector, AIMenuItemHandle item) {
    AIMenuMessage message{};
    message.menuItem = item;
    return send(plugin(ref), kCallerAIMenu, selector, message);
}

ASErr Host::sendNotify(SPPluginRef ref, AINotifierHandle notifier, const char* type) {
    AINotifierMessage message{};
    message.notifier = notifier;
    message.type = type;
    return send(plugin(ref), kCallerAINotify, kSelectorAINotify, message);
}

void Host::startup() {
    for (SPPluginRef ref : plugins()) {
        plugin(ref).started = true;
        sendInterface(ref, kSPInterfaceStartupSelector);
    }
    notifiers_->fire(kAIApplicationStartedNotifier);
}

void Host::shutdown() {
    for (SPPluginRef ref : plugins()) {
        LoadedPlugin& loaded = plugin(ref);
        if (loaded.started) {
            sendInterface(ref, kSPInterfaceShutdownSelector);
            loaded.started = false;
        }
    }
    preferences_->save();
}

std::optional<std::string> Host::unload(SPPluginRef ref) {
    LoadedPlugin& loaded = plugin(ref);
    std::optional<std::string> refusal;
    if (loaded.library == nullptr) {
        refusal = "the plug-in is not loaded";
    } else if (loaded.accessRefs > 0) {
        refusal = "the plug-in holds " + std::to_string(loaded.accessRefs) + " access reference" +
                  (loaded.accessRefs == 1 ? "" : "s");
    }
    if (refusal) {
        addEvent(HostRefused{"unload", *refusal});
        return refusal;
    }
    sendAccess(ref, kSPAccessUnloadSelector);
    dlclose(loaded.library);
    loaded.library = nullptr;
    loaded.main = nullptr;
    return std::nullopt;
}

std::optional<std::string> Host::reload(SPPluginRef ref) {
    LoadedPlugin& loaded = plugin(ref);
    if (loaded.library != nullptr) {
        addEvent(HostRefused{"reload", "the plug-in is loaded"});
        return "the plug-in is loaded";
    }
    std::string error;
    if (!openLibrary(loaded, error)) {
        addEvent(HostRefused{"reload", error});
        return error;
    }
    sendAccess(ref, kSPAccessReloadSelector);
    return std::nullopt;
}

// --- suites

void Host::registerSuite(SuiteKey& key, void* table, std::size_t, void (*fillStrays)(void* table)) {
    key.held = 0;  // the keys outlive hosts; each host starts with nothing held
    fillStrays(table);
    suites_[SuiteId{key.name, key.version}] = {&key, table};
}

const void* Host::findSuite(const char* name, ASInt32 version, SuiteKey** key) {
    auto found = suites_.find(SuiteId{name, version});
    if (found == suites_.end()) {
        return nullptr;
    }
    if (key != nullptr) {
        *key = found->second.key;
    }
    return found->second.table;
}

std::map<std::string, std::vector<int>> Host::entriesThatNeverFail() const {
    std::map<std::string, std::vector<int>> entries;
    for (const auto& [id, registered] : suites_) {
        auto& list = entries[registered.key->name];
        list.insert(list.end(), registered.key->neverFails.begin(), registered.key->neverFails.end());
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    return entries;
}

std::vector<std::string> Host::suiteNames() const {
    std::vector<std::string> names{"SP Basic Suite"};
    for (const auto& [key, suite] : suites_) {
        names.push_back(suite.key->name);
    }
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::optional<ASErr> Host::enterAllocation(const SuiteKey& suite, int entry, std::string args) {
    if (log_.enabled()) {
        log_.add(suite, entry, std::move(args));
    }
    if (suite.held <= 0) {
        violation(std::string("allocation through \"") + suite.name + "\" while the suite is not held");
    }
    faults_.countFailable();
    return faults_.armed() ? faults_.onCall(suite, entry, true) : std::nullopt;
}

ASErr Host::strayCall(const SuiteKey& suite, int entry) {
    const std::string where = std::string(suite.name) + ":" + std::to_string(entry);
    ++counters_.strayCalls[where];
    if (log_.enabled()) {
        log_.add(suite, entry, "stray");
    }
    violation("stray call to \"" + std::string(suite.name) + "\" entry " + std::to_string(entry) +
              ", which no operation of the plug-in uses");
    return kUnimplementedEntryErr;
}

// --- blocks

ASErr Host::allocateBlock(std::size_t size, const char* debugName, void** block) {
    if (block == nullptr) {
        violation("allocation with a null result address");
        return kBadParameterErr;
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) {
        return kOutOfMemoryErr;
    }
    std::memset(memory, kFreshBlockFill, size == 0 ? 1 : size);
    blocks_[memory] = {size, debugName != nullptr ? debugName : ""};
    ++counters_.blocksAllocated;
    *block = memory;
    return kNoErr;
}

ASErr Host::freeBlock(void* block, const char* by) {
    auto found = blocks_.find(block);
    if (found == blocks_.end()) {
        violation(std::string(by) + ": free of a block the host did not hand out (or freed twice)");
        return kBadParameterErr;
    }
    blocks_.erase(found);
    std::free(block);
    ++counters_.blocksFreed;
    return kNoErr;
}

// --- access references

SPAccessRef Host::acquireAccess(SPPluginRef ref) {
    LoadedPlugin* loaded = plugins_.find(ref);
    if (loaded == nullptr) {
        return nullptr;
    }
    ++loaded->accessRefs;
    ++counters_.accessRefsHeld;
    return accessRefs_.add(ref);
}

bool Host::releaseAccess(SPAccessRef access) {
    SPPluginRef* ref = accessRefs_.find(access);
    if (ref == nullptr) {
        return false;
    }
    if (LoadedPlugin* loaded = plugins_.find(*ref)) {
        --loaded->accessRefs;
    }
    --counters_.accessRefsHeld;
    accessRefs_.remove(access);
    return true;
}

// --- checking

void Host::violation(std::string what) {
    violations_.push_back(std::move(what));
}

std::vector<std::string> Host::imbalances() const {
    std::vector<std::string> out;
    for (const auto& [name, acquired] : counters_.acquired) {
        auto found = counters_.released.find(name);
        const long released = found == counters_.released.end() ? 0 : found->second;
        if (acquired != released) {
            out.push_back("\"" + name + "\" acquired " + std::to_string(acquired) + " times, released " +
                          std::to_string(released));
        }
    }
    if (!blocks_.empty()) {
        std::string names;
        for (const auto& [block, info] : blocks_) {
            names += (names.empty() ? "" : ", ") + (info.debugName.empty() ? "unnamed" : info.debugName);
        }
        out.push_back(std::to_string(blocks_.size()) + " block(s) not freed: " + names);
    }
    if (counters_.hostStringsAlive != 0) {
        out.push_back(std::to_string(counters_.hostStringsAlive) + " host string(s) alive");
    }
    if (counters_.accessRefsHeld != 0) {
        out.push_back(std::to_string(counters_.accessRefsHeld) + " access reference(s) held");
    }
    return out;
}

// --- what the user sees

void Host::addEvent(UiEvent event) {
    events_.push_back(std::move(event));
    if (listener_) {
        listener_(events_.back());
    }
}

std::vector<std::string> Host::alerts() const {
    std::vector<std::string> out;
    for (const auto& event : events_) {
        if (const auto* alert = std::get_if<AlertShown>(&event)) {
            out.push_back(alert->text);
        }
    }
    return out;
}

}  // namespace simhost
