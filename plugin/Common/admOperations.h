// What the palette's operations share: the alerts they show, the test for a
// user's click, the check that the suites they call are held, and reading
// the selection.
//
// The operations run in the palette's item callbacks, outside PluginMain, on
// the suites the palette acquired when it was built. A host may have refused
// some of them, which leaves their globals null; an operation checks every
// suite it calls before its first step and ends at once when one is missing.
#ifndef ADMOPERATIONS_H
#define ADMOPERATIONS_H

#include <cstring>

#include "hostapi/HostInterface.h"
#include "pluginHandler.h"
#include "shellMain.h"

inline constexpr const char* kFilterCancelledAlert = "There was an error, filter cancelled.";
inline constexpr const char* kStyleWriteAlert = "ERROR!";
inline constexpr const char* kMysteryPathArtAlert = "Hmmm... don't know how to handle mystery path art!";
inline constexpr const char* kPatternMatrixAlert = "Error setting matrix in pattern!";

// The size of the buffer the host writes a notification's type name into.
inline constexpr ASUInt32 kNotifierTypeBufferSize = 255;

// Shows the text in the host's alert; without the alert suite the user
// cannot be told anything.
inline void showAlert(const char* text) {
    if (sADMBasic != nullptr) {
        sADMBasic->messageAlert(text);
    }
}

// True when every suite given is held and the plug-in globals exist.
template <class... Suites>
bool operationSuitesHeld(const Suites*... suites) {
    return g != nullptr && ((suites != nullptr) && ...);
}

// Whether the notification is the user's click, read by copying its type
// name. A host that leaves the buffer unterminated or untouched cannot make
// the comparison read past it.
inline bool isUserClick(ADMNotifierRef notifier) {
    char type[kNotifierTypeBufferSize];
    type[0] = '\0';
    sADMNotifier->getNotifierType(notifier, type, kNotifierTypeBufferSize);
    type[kNotifierTypeBufferSize - 1] = '\0';
    return std::strcmp(type, kADMUserChangedNotifier) == 0;
}

// The selection, or false when it cannot be read or is empty. The array
// stays the host's; elements are read through the handle when used.
inline bool readSelection(AIArtHandle**& matches, ASInt32& count) {
    matches = nullptr;
    count = 0;
    if (sAIMatchingArt->getSelectedArt(&matches, &count) != kNoErr) {
        return false;
    }
    return count > 0 && matches != nullptr && *matches != nullptr;
}

#endif
