// Application contexts the plug-ins enter and leave. Contexts nest; leaving
// one that is not the innermost is a misuse.
#ifndef SIMHOST_APPCONTEXTS_H
#define SIMHOST_APPCONTEXTS_H

#include <vector>

#include "hostapi/ASTypes.h"
#include "simhost/Handles.h"

namespace simhost {

class Host;

class AppContexts {
public:
    explicit AppContexts(Host& host) : host_(host) {}

    AIAppContextHandle push(SPPluginRef plugin);
    // False when the context is not the innermost one.
    bool pop(AIAppContextHandle context);
    std::size_t depth() const { return stack_.size(); }

private:
    [[maybe_unused]] Host& host_;
    HandleTable<SPPluginRef, HandleKind::AppContext, AIAppContextHandle> table_;
    std::vector<AIAppContextHandle> stack_;
};

}  // namespace simhost

#endif
