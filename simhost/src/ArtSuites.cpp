// Artwork suites over the host's document.
#include "simhost/Host.h"

namespace simhost {

void registerRealMathSuite(Host& host);

namespace {

SuiteKey kFixedMathKey{kAIFixedMathSuite, kAIFixedMathSuiteVersion};
SuiteKey kArtKey{kAIArtSuite, kAIArtSuiteVersion};
SuiteKey kPathKey{kAIPathSuite, kAIPathSuiteVersion};
SuiteKey kTextFrameKey{kAITextFrameSuite, kAITextFrameSuiteVersion};
SuiteKey kPathStyleKey{kAIPathStyleSuite, kAIPathStyleSuiteVersion};
SuiteKey kPatternKey{kAIPatternSuite, kAIPatternSuiteVersion};
SuiteKey kPlacedKey{kAIPlacedSuite, kAIPlacedSuiteVersion};
SuiteKey kRasterKey{kAIRasterSuite, kAIRasterSuiteVersion};
SuiteKey kMatchingArtKey{kAIMatchingArtSuite, kAIMatchingArtSuiteVersion};
SuiteKey kDocumentKey{kAIDocumentSuite, kAIDocumentSuiteVersion};
SuiteKey kTransformArtKey{kAITransformArtSuite, kAITransformArtSuiteVersion};

AIFixedMathSuite gFixedMathSuite{};
AIArtSuite gArtSuite{};
AIPathSuite gPathSuite{};
AITextFrameSuite gTextFrameSuite{};
AIPathStyleSuite gPathStyleSuite{};
AIPatternSuite gPatternSuite{};
AIPlacedSuite gPlacedSuite{};
AIRasterSuite gRasterSuite{};
AIMatchingArtSuite gMatchingArtSuite{};
AIDocumentSuite gDocumentSuite{};
AITransformArtSuite gTransformArtSuite{};

}  // namespace

void registerArtSuites(Host& host) {
    registerSuite<kFixedMathKey>(host, gFixedMathSuite);
    registerSuite<kArtKey>(host, gArtSuite);
    registerSuite<kPathKey>(host, gPathSuite);
    registerSuite<kTextFrameKey>(host, gTextFrameSuite);
    registerSuite<kPathStyleKey>(host, gPathStyleSuite);
    registerSuite<kPatternKey>(host, gPatternSuite);
    registerSuite<kPlacedKey>(host, gPlacedSuite);
    registerSuite<kRasterKey>(host, gRasterSuite);
    registerSuite<kMatchingArtKey>(host, gMatchingArtSuite);
    registerSuite<kDocumentKey>(host, gDocumentSuite);
    registerRealMathSuite(host);
    registerSuite<kTransformArtKey>(host, gTransformArtSuite);
}

}  // namespace simhost
