// The plug-in's entry point and its table of host suites. Every other file
// reaches the host through the suite globals declared here, which hold a
// suite while an acquisition level is open and are null otherwise.
#ifndef SHELLMAIN_H
#define SHELLMAIN_H

#include "hostapi/HostInterface.h"

extern "C" ASErr PluginMain(char* caller, char* selector, void* message);

ASErr acquireSuites(SPBasicSuite* basic);
ASErr releaseSuites(SPBasicSuite* basic);

// The result PluginMain gives for an exception that is not a host error.
inline constexpr ASErr kUnexpectedExceptionErr = fourCharCode("EXC!");

// The basic suite of the latest message.
extern SPBasicSuite* sSPBasic;
// How many acquisition levels are open; 0 when no suite is held.
extern ASInt16 gAcquireCount;

extern const SPBlocksSuite* sSPBlocks;
extern const SPPluginsSuite* sSPPlugs;
extern const SPAccessSuite* sSPAccess;
extern const AIFixedMathSuite* sAIMath;
extern const AIArtSuite* sAIArt;
extern const AIPathSuite* sPath;
extern const AITextFrameSuite* sAITextFrame;
extern const AIPathStyleSuite* sPathStyle;
extern const AIPatternSuite* sPattern;
extern const AIPlacedSuite* sPlaced;
extern const AIRasterSuite* sRaster;
extern const AIUserSuite* sAIUser;
extern const AIAppContextSuite* sAIAppContext;
extern const AIPreferenceSuite* sAIPreference;
extern const AIRuntimeSuite* sRuntime;
extern const AIMatchingArtSuite* sAIMatchingArt;
extern const AIDocumentSuite* sAIDocument;
extern const AIRealMathSuite* sAIRealMath;
extern const AITransformArtSuite* sAITransformArt;
extern const AIMenuSuite* sAIMenu;
extern const AINotifierSuite* sAINotifier;
extern const ADMBasicSuite* sADMBasic;
extern const ADMDialogSuite* sADMDialog;
extern const ADMItemSuite* sADMItem;
extern const ADMIconSuite* sADMIcon;
extern const ADMListSuite* sADMList;
extern const ADMDialogGroupSuite* sADMDialogGroup;
extern const ADMNotifierSuite* sADMNotifier;
extern const ADMEntrySuite* sADMEntry;
extern const ADMTrackerSuite* sADMTracker;
extern const AIUnicodeStringSuite* sAIUnicodeString;

#endif
