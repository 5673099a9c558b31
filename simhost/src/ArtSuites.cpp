// Artwork suites over the host's document: art types, path styles, the
// matrices of placed and raster art, and the selection.
//
// Every art handle is checked in constant time: its kind and slot come from
// the handle's bits, the slot's liveness from the document.
#include <string>

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

std::string artText(AIArtHandle art) {
    const auto decoded = decodeHandle(art);
    return decoded && decoded->kind == HandleKind::Art ? "art " + std::to_string(decoded->index) : "bad art";
}

std::string matrixText(const AIRealMatrix* m) {
    if (m == nullptr) {
        return "null";
    }
    return std::to_string(m->a) + " " + std::to_string(m->b) + " " + std::to_string(m->c) + " " +
           std::to_string(m->d) + " " + std::to_string(m->tx) + " " + std::to_string(m->ty);
}

HandleProblem artProblem(const Document& document, AIArtHandle art) {
    if (art == nullptr) {
        return HandleProblem::Null;
    }
    const auto decoded = decodeHandle(art);
    if (!decoded || decoded->kind != HandleKind::Art) {
        return HandleProblem::WrongKind;
    }
    if (decoded->index >= document.slotCount()) {
        return HandleProblem::Unknown;
    }
    return document.isLive(decoded->index) ? HandleProblem::None : HandleProblem::Expired;
}

// The object behind an art handle, or null after reporting the misuse.
ArtObject* checkedArt(Host& host, AIArtHandle art, const char* entryName) {
    const HandleProblem problem = artProblem(host.document(), art);
    if (problem != HandleProblem::None) {
        host.violation(std::string(entryName) + ": " + handleProblemText(problem) + " art handle");
        return nullptr;
    }
    return &host.document().art(decodeHandle(art)->index);
}

bool hasPathStyle(const ArtObject& object) {
    return object.type == kPathArt || object.type == kMysteryPathArt;
}

// A style written back must name a pattern of this document when it fills
// with one; anything else would leave the document pointing nowhere.
bool fillPatternValid(const Document& document, const AIPathStyle& style) {
    if (style.fillPaint == 0 || style.fillColorKind != kPattern) {
        return true;
    }
    const auto decoded = decodeHandle(style.pattern);
    return decoded && decoded->kind == HandleKind::Pattern && decoded->index < document.patternCount();
}

// --- AI Art Suite

AIErr getArtType(AIArtHandle art, ASInt16* type) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kArtKey, 6, [&] { return artText(art); })) {
        return *fault;
    }
    if (type == nullptr) {
        host.violation("getArtType with a null result address");
        return kBadParameterErr;
    }
    const ArtObject* object = checkedArt(host, art, "getArtType");
    if (object == nullptr) {
        return kBadHandleErr;
    }
    *type = object->type;
    return kNoErr;
}

// --- AI Path Style Suite

AIErr getPathStyle(AIArtHandle art, AIPathStyle* style) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kPathStyleKey, 0, [&] { return artText(art); })) {
        return *fault;
    }
    if (style == nullptr) {
        host.violation("getPathStyle with a null result address");
        return kBadParameterErr;
    }
    const ArtObject* object = checkedArt(host, art, "getPathStyle");
    if (object == nullptr) {
        return kBadHandleErr;
    }
    if (!hasPathStyle(*object)) {
        return kWrongArtTypeErr;
    }
    *style = object->style;
    return kNoErr;
}

AIErr setPathStyle(AIArtHandle art, const AIPathStyle* style) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kPathStyleKey, 1, [&] { return artText(art); })) {
        return *fault;
    }
    if (style == nullptr) {
        host.violation("setPathStyle with a null style");
        return kBadParameterErr;
    }
    ArtObject* object = checkedArt(host, art, "setPathStyle");
    if (object == nullptr) {
        return kBadHandleErr;
    }
    if (!hasPathStyle(*object)) {
        return kWrongArtTypeErr;
    }
    if (style->dashCount < 0 || style->dashCount > kMaxDashComponents) {
        host.violation("setPathStyle: " + std::to_string(style->dashCount) + " dash components");
        return kBadParameterErr;
    }
    if (!fillPatternValid(host.document(), *style)) {
        host.violation("setPathStyle: the style paints with a pattern handle that names no pattern");
        return kBadHandleErr;
    }
    object->style = *style;
    return kNoErr;
}

// --- AI Placed Suite and AI Raster Suite

AIErr readMatrix(const SuiteKey& key, int entry, const char* entryName, AIArtType kind, AIArtHandle art,
                 AIRealMatrix* matrix) {
    Host& host = Host::current();
    if (auto fault = host.enter(key, entry, [&] { return artText(art); })) {
        return *fault;
    }
    if (matrix == nullptr) {
        host.violation(std::string(entryName) + " with a null result address");
        return kBadParameterErr;
    }
    const ArtObject* object = checkedArt(host, art, entryName);
    if (object == nullptr) {
        return kBadHandleErr;
    }
    if (object->type != kind) {
        return kWrongArtTypeErr;
    }
    *matrix = object->matrix;
    return kNoErr;
}

AIErr writeMatrix(const SuiteKey& key, int entry, const char* entryName, AIArtType kind, AIArtType alsoKind,
                  AIArtHandle art, const AIRealMatrix* matrix) {
    Host& host = Host::current();
    if (auto fault = host.enter(key, entry, [&] { return artText(art) + " " + matrixText(matrix); })) {
        return *fault;
    }
    if (matrix == nullptr) {
        host.violation(std::string(entryName) + " with a null matrix");
        return kBadParameterErr;
    }
    ArtObject* object = checkedArt(host, art, entryName);
    if (object == nullptr) {
        return kBadHandleErr;
    }
    if (object->type != kind && object->type != alsoKind) {
        return kWrongArtTypeErr;
    }
    object->matrix = *matrix;
    return kNoErr;
}

AIErr getPlacedMatrix(AIArtHandle art, AIRealMatrix* matrix) noexcept {
    return readMatrix(kPlacedKey, 2, "getPlacedMatrix", kPlacedArt, art, matrix);
}

// Foreign-object art keeps its matrix the way placed art does, so the placed
// entry writes it too.
AIErr setPlacedMatrix(AIArtHandle art, const AIRealMatrix* matrix) noexcept {
    return writeMatrix(kPlacedKey, 3, "setPlacedMatrix", kPlacedArt, kForeignObjectArt, art, matrix);
}

AIErr getRasterMatrix(AIArtHandle art, AIRealMatrix* matrix) noexcept {
    return readMatrix(kRasterKey, 4, "getRasterMatrix", kRasterArt, art, matrix);
}

AIErr setRasterMatrix(AIArtHandle art, const AIRealMatrix* matrix) noexcept {
    return writeMatrix(kRasterKey, 5, "setRasterMatrix", kRasterArt, kRasterArt, art, matrix);
}

// --- AI Matching Art Suite

AIErr getSelectedArt(AIArtHandle*** matches, ASInt32* numMatches) noexcept {
    Host& host = Host::current();
    if (auto fault = host.enter(kMatchingArtKey, 0, [&] {
            return std::to_string(host.document().selection().size()) + " selected";
        })) {
        return *fault;
    }
    if (matches == nullptr || numMatches == nullptr) {
        host.violation("getSelectedArt with a null result address");
        return kBadParameterErr;
    }
    Document& document = host.document();
    const std::size_t count = document.selection().size();
    *numMatches = static_cast<ASInt32>(count);
    *matches = count == 0 ? nullptr : document.selectionHandle();
    return kNoErr;
}

AIFixedMathSuite gFixedMathSuite{};
AIArtSuite gArtSuite{
    .getArtType = getArtType,
};
AIPathSuite gPathSuite{};
AITextFrameSuite gTextFrameSuite{};
AIPathStyleSuite gPathStyleSuite{
    .getPathStyle = getPathStyle,
    .setPathStyle = setPathStyle,
};
AIPatternSuite gPatternSuite{};
AIPlacedSuite gPlacedSuite{
    .getPlacedMatrix = getPlacedMatrix,
    .setPlacedMatrix = setPlacedMatrix,
};
AIRasterSuite gRasterSuite{
    .getRasterMatrix = getRasterMatrix,
    .setRasterMatrix = setRasterMatrix,
};
AIMatchingArtSuite gMatchingArtSuite{
    .getSelectedArt = getSelectedArt,
};
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
