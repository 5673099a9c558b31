#include "notifierHandler.h"

#include "../kit/source/shellMain.h"
#include "admHandler.h"
#include "pluginHandler.h"

ASErr addNotifiers(SPInterfaceMessage* message) {
    if (sAINotifier == nullptr) {
        return kSPSuiteNotFoundError;
    }
    return sAINotifier->addNotifier(message->d.self, "notifierName", kAIApplicationStartedNotifier,
                                    &g->appStartedNotifier);
}

ASErr goNotifier(AINotifierMessage* message) {
    if (g != nullptr && message->notifier != nullptr && message->notifier == g->appStartedNotifier) {
        return createADMDialog(message);
    }
    return kNoErr;
}
