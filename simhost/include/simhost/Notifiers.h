// Notifiers the plug-ins registered, by notification type.
#ifndef SIMHOST_NOTIFIERS_H
#define SIMHOST_NOTIFIERS_H

#include <string>

#include "hostapi/ASTypes.h"
#include "simhost/Handles.h"

namespace simhost {

class Host;

struct Notifier {
    SPPluginRef plugin = nullptr;
    std::string name;
    std::string type;
};

class Notifiers {
public:
    explicit Notifiers(Host& host) : host_(host) {}

    AINotifierHandle add(Notifier notifier) { return table_.add(std::move(notifier)); }
    // Sends "AI Notifier"/"AI Notify" to every plug-in registered for the type,
    // in the order they registered.
    void fire(const std::string& type);
    HandleTable<Notifier, HandleKind::Notifier, AINotifierHandle>& table() { return table_; }

private:
    Host& host_;
    HandleTable<Notifier, HandleKind::Notifier, AINotifierHandle> table_;
};

}  // namespace simhost

#endif
