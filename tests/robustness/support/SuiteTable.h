// The suites the plug-in acquires on the outermost level of every call, in
// its order. The robustness checks need the order: a release the host
// refuses ends the plug-in's release walk, and what stays acquired is the
// rest of this list.
#ifndef TESTS_ROBUSTNESS_SUITETABLE_H
#define TESTS_ROBUSTNESS_SUITETABLE_H

#include <array>

#include "hostapi/HostInterface.h"

namespace shunt_robustness {

struct SuiteRow {
    const char* name;
    ASInt32 version;
};

inline constexpr std::array<SuiteRow, 33> kSuiteTable{{
    {kSPBlocksSuite, kSPBlocksSuiteVersion},
    {kSPPluginsSuite, kSPPluginsSuiteVersion},
    {kSPAccessSuite, kSPAccessSuiteVersion},
    {kAIFixedMathSuite, kAIFixedMathSuiteVersion},
    {kAIArtSuite, kAIArtSuiteVersion},
    {kAIPathSuite, kAIPathSuiteVersion},
    {kAITextFrameSuite, kAITextFrameSuiteVersion},
    {kAIPathStyleSuite, kAIPathStyleSuiteVersion},
    {kAIPatternSuite, kAIPatternSuiteVersion},
    {kAIPlacedSuite, kAIPlacedSuiteVersion},
    {kAIRasterSuite, kAIRasterSuiteVersion},
    {kAIUserSuite, kAIUserSuiteVersion},
    {kAIAppContextSuite, kAIAppContextSuiteVersion},
    {kAIPreferenceSuite, kAIPreferenceSuiteVersion},
    {kAIRuntimeSuite, kAIRuntimeSuiteVersion},
    {kSPAccessSuite, kSPAccessSuiteVersion},
    {kAIMatchingArtSuite, kAIMatchingArtSuiteVersion},
    {kAIDocumentSuite, kAIDocumentSuiteVersion},
    {kAIRealMathSuite, kAIRealMathSuiteVersion},
    {kAITransformArtSuite, kAITransformArtSuiteVersion},
    {kAIAppContextSuite, kAIAppContextSuiteVersion},
    {kAIMenuSuite, kAIMenuSuiteVersion},
    {kAINotifierSuite, kAINotifierSuiteVersion},
    {kADMBasicSuite, kADMBasicSuiteVersion},
    {kADMDialogSuite, kADMDialogSuiteVersion},
    {kADMItemSuite, kADMItemSuiteVersion},
    {kADMIconSuite, kADMIconSuiteVersion},
    {kADMListSuite, kADMListSuiteVersion},
    {kADMDialogGroupSuite, kADMDialogGroupSuiteVersion},
    {kADMNotifierSuite, kADMNotifierSuiteVersion},
    {kADMEntrySuite, kADMEntrySuiteVersion},
    {kADMTrackerSuite, kADMTrackerSuiteVersion},
    {kAIUnicodeStringSuite, kAIUnicodeStringSuiteVersion},
}};

// Row index (from 0) of the "ADM Basic Suite": a suite refused after it is
// shown to the user and ends the acquisition walk.
inline constexpr std::size_t kADMBasicRow = 23;

}  // namespace shunt_robustness

#endif
