#include "pluginHandler.h"

#include "../kit/source/shellMain.h"
#include "menuHandler.h"
#include "notifierHandler.h"

PluginGlobals* g = nullptr;

ASErr handlePluginCaller(char* caller, char* selector, void* message) {
    SPBasicSuite* basic = static_cast<SPMessageData*>(message)->basic;
    if (basic->isEqual(caller, kCallerAIMenu)) {
        auto* menuMessage = static_cast<AIMenuMessage*>(message);
        if (basic->isEqual(selector, kSelectorAIGoMenuItem)) {
            return goMenuItem(menuMessage);
        }
        if (basic->isEqual(selector, kSelectorAIUpdateMenuItem)) {
            return updateMenuItem(menuMessage);
        }
        return kNoErr;
    }
    if (basic->isEqual(caller, kCallerAINotify)) {
        if (basic->isEqual(selector, kSelectorAINotify)) {
            return goNotifier(static_cast<AINotifierMessage*>(message));
        }
    }
    return kNoErr;
}

ASErr pluginStartup(SPInterfaceMessage* message) {
    g->basicSuite = message->d.basic;
    const ASErr error = addMenu(message);
    if (error != kNoErr) {
        return error;
    }
    addNotifiers(message);

    // The table already holds the math suite; this pair only brackets the
    // one call. A host that cannot give it still gets an identity matrix.
    SPBasicSuite* basic = message->d.basic;
    const bool acquired = basic->acquireSuite(kAIRealMathSuite, kAIRealMathSuiteVersion,
                                              reinterpret_cast<const void**>(&sAIRealMath)) == kNoErr;
    if (sAIRealMath != nullptr) {
        sAIRealMath->realMatrixSetIdentity(&g->capturedMatrix);
    } else {
        g->capturedMatrix = AIRealMatrix{1, 0, 0, 1, 0, 0};
    }
    if (acquired) {
        basic->releaseSuite(kAIRealMathSuite, kAIRealMathSuiteVersion);
    }
    return kNoErr;
}

ASErr pluginShutdown(SPInterfaceMessage*) {
    if (g != nullptr && g->paletteDialog != nullptr && sADMDialog != nullptr) {
        sADMDialog->destroy(g->paletteDialog);
    }
    return kNoErr;
}

ASErr reloadPluginSuiteFunctions(SPAccessMessage*) {
    return kNoErr;
}

void unloadPluginSuiteFunctions(SPAccessMessage*) {}
