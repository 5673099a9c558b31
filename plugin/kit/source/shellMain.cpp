#include "shellMain.h"

#include <cstdio>
#include <exception>
#include <new>

#include "../../Common/pluginHandler.h"
#include "About.h"
#include "reportError.h"

SPBasicSuite* sSPBasic = nullptr;
ASInt16 gAcquireCount = 0;

const SPBlocksSuite* sSPBlocks = nullptr;
const SPPluginsSuite* sSPPlugs = nullptr;
const SPAccessSuite* sSPAccess = nullptr;
const AIFixedMathSuite* sAIMath = nullptr;
const AIArtSuite* sAIArt = nullptr;
const AIPathSuite* sPath = nullptr;
const AITextFrameSuite* sAITextFrame = nullptr;
const AIPathStyleSuite* sPathStyle = nullptr;
const AIPatternSuite* sPattern = nullptr;
const AIPlacedSuite* sPlaced = nullptr;
const AIRasterSuite* sRaster = nullptr;
const AIUserSuite* sAIUser = nullptr;
const AIAppContextSuite* sAIAppContext = nullptr;
const AIPreferenceSuite* sAIPreference = nullptr;
const AIRuntimeSuite* sRuntime = nullptr;
const AIMatchingArtSuite* sAIMatchingArt = nullptr;
const AIDocumentSuite* sAIDocument = nullptr;
const AIRealMathSuite* sAIRealMath = nullptr;
const AITransformArtSuite* sAITransformArt = nullptr;
const AIMenuSuite* sAIMenu = nullptr;
const AINotifierSuite* sAINotifier = nullptr;
const ADMBasicSuite* sADMBasic = nullptr;
const ADMDialogSuite* sADMDialog = nullptr;
const ADMItemSuite* sADMItem = nullptr;
const ADMIconSuite* sADMIcon = nullptr;
const ADMListSuite* sADMList = nullptr;
const ADMDialogGroupSuite* sADMDialogGroup = nullptr;
const ADMNotifierSuite* sADMNotifier = nullptr;
const ADMEntrySuite* sADMEntry = nullptr;
const ADMTrackerSuite* sADMTracker = nullptr;
const AIUnicodeStringSuite* sAIUnicodeString = nullptr;

namespace {

struct ImportSuite {
    const char* name;
    ASInt32 version;
    const void** suite;
};

template <class Suite>
const void** slot(const Suite*& global) {
    return reinterpret_cast<const void**>(&global);
}

// Acquired in this order and released in the same order.
ImportSuite imports[] = {
    {kSPBlocksSuite, kSPBlocksSuiteVersion, slot(sSPBlocks)},
    {kSPPluginsSuite, kSPPluginsSuiteVersion, slot(sSPPlugs)},
    {kSPAccessSuite, kSPAccessSuiteVersion, slot(sSPAccess)},
    {kAIFixedMathSuite, kAIFixedMathSuiteVersion, slot(sAIMath)},
    {kAIArtSuite, kAIArtSuiteVersion, slot(sAIArt)},
    {kAIPathSuite, kAIPathSuiteVersion, slot(sPath)},
    {kAITextFrameSuite, kAITextFrameSuiteVersion, slot(sAITextFrame)},
    {kAIPathStyleSuite, kAIPathStyleSuiteVersion, slot(sPathStyle)},
    {kAIPatternSuite, kAIPatternSuiteVersion, slot(sPattern)},
    {kAIPlacedSuite, kAIPlacedSuiteVersion, slot(sPlaced)},
    {kAIRasterSuite, kAIRasterSuiteVersion, slot(sRaster)},
    {kAIUserSuite, kAIUserSuiteVersion, slot(sAIUser)},
    {kAIAppContextSuite, kAIAppContextSuiteVersion, slot(sAIAppContext)},
    {kAIPreferenceSuite, kAIPreferenceSuiteVersion, slot(sAIPreference)},
    {kAIRuntimeSuite, kAIRuntimeSuiteVersion, slot(sRuntime)},
    {kSPAccessSuite, kSPAccessSuiteVersion, slot(sSPAccess)},
    {kAIMatchingArtSuite, kAIMatchingArtSuiteVersion, slot(sAIMatchingArt)},
    {kAIDocumentSuite, kAIDocumentSuiteVersion, slot(sAIDocument)},
    {kAIRealMathSuite, kAIRealMathSuiteVersion, slot(sAIRealMath)},
    {kAITransformArtSuite, kAITransformArtSuiteVersion, slot(sAITransformArt)},
    {kAIAppContextSuite, kAIAppContextSuiteVersion, slot(sAIAppContext)},
    {kAIMenuSuite, kAIMenuSuiteVersion, slot(sAIMenu)},
    {kAINotifierSuite, kAINotifierSuiteVersion, slot(sAINotifier)},
    {kADMBasicSuite, kADMBasicSuiteVersion, slot(sADMBasic)},
    {kADMDialogSuite, kADMDialogSuiteVersion, slot(sADMDialog)},
    {kADMItemSuite, kADMItemSuiteVersion, slot(sADMItem)},
    {kADMIconSuite, kADMIconSuiteVersion, slot(sADMIcon)},
    {kADMListSuite, kADMListSuiteVersion, slot(sADMList)},
    {kADMDialogGroupSuite, kADMDialogGroupSuiteVersion, slot(sADMDialogGroup)},
    {kADMNotifierSuite, kADMNotifierSuiteVersion, slot(sADMNotifier)},
    {kADMEntrySuite, kADMEntrySuiteVersion, slot(sADMEntry)},
    {kADMTrackerSuite, kADMTrackerSuiteVersion, slot(sADMTracker)},
    {kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion, slot(sAIUnicodeString)},
};

constexpr std::size_t kImportCount = sizeof(imports) / sizeof(imports[0]);

// Which rows the host granted at the open level. Only those are given back:
// releasing a suite the host refused would unbalance its count, or end the
// release walk early and leave every later suite held.
bool rowHeld[kImportCount];

constexpr ASErr kFourCharSuiteNotFound = fourCharCode("S!Fd");

bool isEqual(const char* a, const char* b) {
    return sSPBasic->isEqual(a, b) != 0;
}

ASErr dispatch(char* caller, char* selector, void* message) {
    if (!isEqual(caller, kSPInterfaceCaller)) {
        return handlePluginCaller(caller, selector, message);
    }
    auto* interfaceMessage = static_cast<SPInterfaceMessage*>(message);
    if (isEqual(selector, kSPInterfaceStartupSelector)) {
        void* block = nullptr;
        const ASErr error = interfaceMessage->d.basic->allocateBlock(sizeof(PluginGlobals), &block);
        if (error != kNoErr) {
            return error;
        }
        // The host does not clear the block; every field starts at 0.
        g = new (block) PluginGlobals{};
        return pluginStartup(interfaceMessage);
    }
    if (isEqual(selector, kSPInterfaceAboutSelector)) {
        goAbout(interfaceMessage);
        return kNoErr;
    }
    if (isEqual(selector, kSPInterfaceShutdownSelector)) {
        pluginShutdown(interfaceMessage);
        if (g != nullptr) {
            interfaceMessage->d.basic->freeBlock(g);
        }
        g = nullptr;
        interfaceMessage->d.globals = nullptr;
    }
    return kNoErr;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) ASErr PluginMain(char* caller, char* selector,
                                                                   void* message) {
    auto* header = static_cast<SPMessageData*>(message);
    sSPBasic = header->basic;

    if (isEqual(caller, kSPAccessCaller)) {
        auto* accessMessage = static_cast<SPAccessMessage*>(message);
        if (isEqual(selector, kSPAccessUnloadSelector)) {
            if (header->globals != nullptr) {
                unloadPluginSuiteFunctions(accessMessage);
            }
            header->globals = g;
            return kNoErr;
        }
        if (isEqual(selector, kSPAccessReloadSelector)) {
            const ASErr result =
                header->globals != nullptr ? reloadPluginSuiteFunctions(accessMessage) : kNoErr;
            g = static_cast<PluginGlobals*>(header->globals);
            gAcquireCount = 0;
            return result;
        }
        return kNoErr;
    }

    ASErr result = acquireSuites(header->basic);
    if (result == kNoErr) {
        // Nothing thrown may reach the host: a host error keeps its code,
        // anything else gets one of ours, and both are reported like any failure.
        try {
            result = dispatch(caller, selector, message);
        } catch (const ai::Error& error) {
            result = static_cast<ASErr>(error);
        } catch (const std::bad_alloc&) {
            result = kOutOfMemoryErr;
        } catch (...) {
            result = kUnexpectedExceptionErr;
        }
    }
    if (result != kNoErr && result != kFourCharSuiteNotFound && result != 1) {
        report_error(static_cast<SPInterfaceMessage*>(message), result);
    }
    releaseSuites(header->basic);
    return result;
}

ASErr acquireSuites(SPBasicSuite* basic) {
    if (gAcquireCount != 0) {
        ++gAcquireCount;
        return kNoErr;
    }
    ASErr result = kNoErr;
    for (std::size_t i = 0; i < kImportCount; ++i) {
        rowHeld[i] = false;
    }
    for (std::size_t i = 0; i < kImportCount; ++i) {
        const ImportSuite& row = imports[i];
        if (row.suite == nullptr) {
            continue;
        }
        result = basic->acquireSuite(row.name, row.version, row.suite);
        rowHeld[i] = result == kNoErr;
        if (result != kNoErr && sADMBasic != nullptr) {
            // Wide enough for the longest suite name and two 32-bit numbers.
            char text[128];
            std::snprintf(text, sizeof text, "Error: %d, suite: %s, version: %d!", static_cast<int>(result),
                          row.name, static_cast<int>(row.version));
            sADMBasic->messageAlert(text);
            ++gAcquireCount;
            return result;
        }
    }
    ++gAcquireCount;
    return result;
}

ASErr releaseSuites(SPBasicSuite* basic) {
    if (gAcquireCount <= 0) {
        // More releases than acquisitions: nothing is held, so nothing to give back.
        gAcquireCount = 0;
        return kNoErr;
    }
    if (gAcquireCount == 1) {
        for (std::size_t i = 0; i < kImportCount; ++i) {
            const ImportSuite& row = imports[i];
            if (row.suite == nullptr) {
                continue;
            }
            if (rowHeld[i]) {
                const ASErr error = basic->releaseSuite(row.name, row.version);
                if (error != kNoErr) {
                    --gAcquireCount;
                    return error;
                }
                rowHeld[i] = false;
            }
            *row.suite = nullptr;
        }
    }
    --gAcquireCount;
    return kNoErr;
}
