// The simulated host: serves every suite the plug-in uses over an in-memory
// document, loads plug-in bundles and sends them the host's messages, and
// checks the plug-in against the host's rules as it goes.
//
// There is one host at a time; host functions find it through current().
#ifndef SIMHOST_HOST_H
#define SIMHOST_HOST_H

#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "hostapi/HostInterface.h"
#include "simhost/Document.h"
#include "simhost/Handles.h"
#include "simhost/HostCore.h"

namespace simhost {

class DialogManager;
class Menus;
class Notifiers;
class PreferenceStore;
class UnicodeStrings;
class AppContexts;

// What a user of the host would notice, in the order it happened.
struct AlertShown {
    std::string text;  // the bytes the plug-in handed over (8-bit Mac OS Roman)
};
struct DialogShown {
    std::string name;
    std::vector<std::pair<int, std::string>> itemTexts;  // item number, text
};
struct MessageAnswered {
    std::string caller;
    std::string selector;
    ASErr result;
};
struct HostRefused {
    std::string what;
    std::string reason;
};
using UiEvent = std::variant<AlertShown, DialogShown, MessageAnswered, HostRefused>;

struct LoadedPlugin {
    std::string bundleDir;    // the .bundle folder
    std::string libraryPath;  // the shared object inside it
    void* library = nullptr;  // null while unloaded
    PluginMainProc main = nullptr;
    SPPluginRef ref = nullptr;
    void* globals = nullptr;  // the globals slot the host keeps between messages
    int accessRefs = 0;
    bool started = false;
};

struct HostOptions {
    std::string preferencesFile;  // empty: preferences live in memory only
    ADMRect paletteArea{0, 0, 768, 1024};
    bool logCalls = true;
};

class Host {
public:
    explicit Host(HostOptions options = {});
    ~Host();
    Host(const Host&) = delete;
    Host& operator=(const Host&) = delete;

    static Host& current();
    static bool exists();

    // --- plug-ins
    // Loads the bundle's shared object and finds PluginMain. Throws
    // std::runtime_error when it cannot.
    SPPluginRef loadBundle(const std::string& bundleDir);
    LoadedPlugin& plugin(SPPluginRef ref);
    LoadedPlugin* findPlugin(SPPluginRef ref);
    std::vector<SPPluginRef> plugins() const;
    // "SP Interface"/"Startup" to each plug-in, then the application-started notification.
    void startup();
    // "SP Interface"/"Shutdown" to each plug-in that was started.
    void shutdown();
    ASErr sendInterface(SPPluginRef plugin, const char* selector);
    // Any caller and selector, with a plain message header.
    ASErr sendMessage(SPPluginRef plugin, const char* caller, const char* selector);
    ASErr sendAccess(SPPluginRef plugin, const char* selector);
    ASErr sendMenu(SPPluginRef plugin, const char* selector, AIMenuItemHandle item);
    ASErr sendNotify(SPPluginRef plugin, AINotifierHandle notifier, const char* type);
    // Refused (the reason is returned and shown as an event) while the
    // plug-in holds access references.
    std::optional<std::string> unload(SPPluginRef plugin);
    std::optional<std::string> reload(SPPluginRef plugin);

    // --- suites
    SPBasicSuite* basicSuite();
    // Registers a suite table; entries left null become stray-call stubs.
    void registerSuite(SuiteKey& key, void* table, std::size_t entryCount, void (*fillStrays)(void* table));
    const void* findSuite(const char* name, ASInt32 version, SuiteKey** key = nullptr);
    // The names of the suites the host serves, each once, sorted; the basic suite among them.
    std::vector<std::string> suiteNames() const;
    // By suite name, the entries no injected fault can make fail, sorted.
    std::map<std::string, std::vector<int>> entriesThatNeverFail() const;

    // Every host function starts here: logs the call, checks that its suite
    // is held, and answers an injected fault if there is one.
    template <class Describe>
    std::optional<ASErr> enter(const SuiteKey& suite, int entry, Describe&& describe, bool failable = true) {
        if (log_.enabled()) {
            log_.add(suite, entry, describe());
        }
        if (suite.held <= 0) {
            violation(std::string("call through \"") + suite.name + "\" entry " + std::to_string(entry) +
                      " while the suite is not held");
        }
        // The key's list of entries that never fail must match how each
        // entry is served: a scenario is refused faults by that list.
        if (failable != suite.canFail(entry)) {
            violation(std::string("entry ") + std::to_string(entry) + " of \"" + suite.name + "\" " +
                      (failable ? "is listed as one that never fails but is served as one that can"
                                : "never fails but is not listed as such"));
        }
        if (!failable) {
            return std::nullopt;
        }
        faults_.countFailable();
        return faults_.armed() ? faults_.onCall(suite, entry, false) : std::nullopt;
    }
    std::optional<ASErr> enterAllocation(const SuiteKey& suite, int entry, std::string args);
    ASErr strayCall(const SuiteKey& suite, int entry);

    // --- blocks
    ASErr allocateBlock(std::size_t size, const char* debugName, void** block);
    ASErr freeBlock(void* block, const char* by);
    std::size_t liveBlocks() const { return blocks_.size(); }

    // --- checking
    void violation(std::string what);
    const std::vector<std::string>& violations() const { return violations_; }
    void clearViolations() { violations_.clear(); }
    // What does not balance: suites acquired more than released, blocks,
    // host strings and access references still held. Empty when all is well.
    std::vector<std::string> imbalances() const;
    // Checks a handle and reports a misuse; the object or null.
    template <class Table, class H>
    auto* checked(Table& table, H handle, const char* entryName) {
        const HandleProblem problem = table.check(handle);
        if (problem != HandleProblem::None) {
            violation(std::string(entryName) + ": " + handleProblemText(problem) + " handle");
            return decltype(table.find(handle))(nullptr);
        }
        return table.find(handle);
    }

    CallLog& log() { return log_; }
    Faults& faults() { return faults_; }
    Counters& counters() { return counters_; }
    const Counters& counters() const { return counters_; }
    Document& document() { return document_; }
    const HostOptions& options() const { return options_; }

    // --- what the user sees
    void addEvent(UiEvent event);
    const std::vector<UiEvent>& events() const { return events_; }
    void clearEvents() { events_.clear(); }
    std::vector<std::string> alerts() const;
    void setEventListener(std::function<void(const UiEvent&)> listener) { listener_ = std::move(listener); }

    // --- subsystems
    DialogManager& dialogs() { return *dialogs_; }
    Menus& menus() { return *menus_; }
    Notifiers& notifiers() { return *notifiers_; }
    PreferenceStore& preferences() { return *preferences_; }
    UnicodeStrings& strings() { return *strings_; }
    AppContexts& appContexts() { return *appContexts_; }

    // Access references, counted per plug-in.
    SPAccessRef acquireAccess(SPPluginRef plugin);
    bool releaseAccess(SPAccessRef access);

private:
    template <class Message>
    ASErr send(LoadedPlugin& plugin, const char* caller, const char* selector, Message& message);
    bool openLibrary(LoadedPlugin& plugin, std::string& error);

    HostOptions options_;
    CallLog log_;
    Faults faults_;
    Counters counters_;
    Document document_;
    std::vector<std::string> violations_;
    std::vector<UiEvent> events_;
    std::function<void(const UiEvent&)> listener_;

    struct RegisteredSuite {
        SuiteKey* key;
        void* table;
    };
    struct SuiteId {
        std::string_view name;  // the SuiteKey's own static name
        ASInt32 version;
        bool operator==(const SuiteId&) const = default;
    };
    struct SuiteIdHash {
        std::size_t operator()(const SuiteId& id) const {
            return std::hash<std::string_view>{}(id.name) ^
                   (static_cast<std::size_t>(id.version) * 0x9E3779B1u);
        }
    };
    std::unordered_map<SuiteId, RegisteredSuite, SuiteIdHash> suites_;

    struct BlockInfo {
        std::size_t size;
        std::string debugName;
    };
    std::unordered_map<void*, BlockInfo> blocks_;

    HandleTable<LoadedPlugin, HandleKind::Plugin, SPPluginRef> plugins_;
    HandleTable<SPPluginRef, HandleKind::Access, SPAccessRef> accessRefs_;

    std::unique_ptr<DialogManager> dialogs_;
    std::unique_ptr<Menus> menus_;
    std::unique_ptr<Notifiers> notifiers_;
    std::unique_ptr<PreferenceStore> preferences_;
    std::unique_ptr<UnicodeStrings> strings_;
    std::unique_ptr<AppContexts> appContexts_;
};

// Registers a suite table: fills its unused entries with stubs that count a
// stray call and answer kUnimplementedEntryErr.
template <SuiteKey& Key, std::size_t Entry>
ASErr strayEntry() noexcept {
    return Host::current().strayCall(Key, static_cast<int>(Entry));
}

template <SuiteKey& Key, std::size_t... Entries>
void fillStrayEntries(void* table, std::index_sequence<Entries...>) {
    const HostUnusedEntry stubs[] = {&strayEntry<Key, Entries>...};
    auto* slots = static_cast<unsigned char*>(table);
    for (std::size_t i = 0; i < sizeof...(Entries); ++i) {
        HostUnusedEntry current;
        std::memcpy(&current, slots + i * sizeof(void*), sizeof(void*));
        if (current == nullptr) {
            std::memcpy(slots + i * sizeof(void*), &stubs[i], sizeof(void*));
        }
    }
}

template <SuiteKey& Key, class Suite>
void registerSuite(Host& host, Suite& table) {
    static_assert(sizeof(Suite) % sizeof(void*) == 0, "a suite is a table of function pointers");
    constexpr std::size_t count = sizeof(Suite) / sizeof(void*);
    host.registerSuite(Key, &table, count,
                       [](void* t) { fillStrayEntries<Key>(t, std::make_index_sequence<count>{}); });
}

// The suites of each subsystem, registered by the host's constructor.
void registerBasicSuites(Host& host);
void registerArtSuites(Host& host);
void registerAppSuites(Host& host);
void registerMenuSuites(Host& host);
void registerDialogSuites(Host& host);
void registerUnicodeStringSuite(Host& host);

}  // namespace simhost

#endif
