// Application suites: context, notifiers and the runtime. The user and
// preference suites have files of their own.
#include "simhost/AppContexts.h"
#include "simhost/Host.h"
#include "simhost/Notifiers.h"

namespace simhost {

void registerUserSuite(Host& host);
void registerPreferenceSuite(Host& host);

namespace {

SuiteKey kContextKey{kAIAppContextSuite, kAIAppContextSuiteVersion};
SuiteKey kNotifierKey{kAINotifierSuite, kAINotifierSuiteVersion};
SuiteKey kRuntimeKey{kAIRuntimeSuite, kAIRuntimeSuiteVersion};

AIErr contextPush(SPPluginRef plugin, AIAppContextHandle* appContext) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kContextKey, 1, [] { return std::string("plug-in"); })) {
        return *fault;
    }
    if (appContext == nullptr || host.findPlugin(plugin) == nullptr) {
        host.violation("pushAppContext: bad plug-in handle or null result address");
        return kBadParameterErr;
    }
    *appContext = host.appContexts().push(plugin);
    return kNoErr;
}

AIErr contextPop(AIAppContextHandle appContext) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kContextKey, 2, [] { return std::string("context"); })) {
        return *fault;
    }
    if (!host.appContexts().pop(appContext)) {
        host.violation("popAppContext: not the innermost context");
        return kBadHandleErr;
    }
    return kNoErr;
}

AIAppContextSuite gContextSuite{
    .pushAppContext = contextPush,
    .popAppContext = contextPop,
};

AIErr notifierAdd(SPPluginRef plugin, const char* name, const char* type,
                  AINotifierHandle* notifier) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kNotifierKey, 0, [&] {
            return std::string("\"") + (name ? name : "") + "\" \"" + (type ? type : "") + "\"";
        })) {
        return *fault;
    }
    if (notifier == nullptr || name == nullptr || type == nullptr || host.findPlugin(plugin) == nullptr) {
        host.violation("addNotifier: bad plug-in handle, null name, type or result address");
        return kBadParameterErr;
    }
    *notifier = host.notifiers().add({plugin, name, type});
    return kNoErr;
}

AINotifierSuite gNotifierSuite{
    .addNotifier = notifierAdd,
};

AIRuntimeSuite gRuntimeSuite{};

}  // namespace

AIAppContextHandle AppContexts::push(SPPluginRef plugin) {
    AIAppContextHandle context = table_.add(plugin);
    stack_.push_back(context);
    return context;
}

bool AppContexts::pop(AIAppContextHandle context) {
    if (stack_.empty() || stack_.back() != context) {
        return false;
    }
    stack_.pop_back();
    table_.remove(context);
    return true;
}

void Notifiers::fire(const std::string& type) {
    for (std::size_t i = 0; i < table_.size(); ++i) {
        if (table_.aliveAt(i) && table_.at(i).type == type) {
            const SPPluginRef plugin = table_.at(i).plugin;
            host_.sendNotify(plugin, table_.handleAt(static_cast<std::uint32_t>(i)), type.c_str());
        }
    }
}

void registerAppSuites(Host& host) {
    registerSuite<kContextKey>(host, gContextSuite);
    registerSuite<kNotifierKey>(host, gNotifierSuite);
    registerSuite<kRuntimeKey>(host, gRuntimeSuite);
    registerUserSuite(host);
    registerPreferenceSuite(host);
}

}  // namespace simhost
