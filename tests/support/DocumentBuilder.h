// Builds test documents in the simulated host: each call adds one object at
// the end of the document and returns its id. Nothing is selected until the
// test says so.
#ifndef TESTS_SUPPORT_DOCUMENTBUILDER_H
#define TESTS_SUPPORT_DOCUMENTBUILDER_H

#include <initializer_list>
#include <string>
#include <vector>

#include "simhost/Document.h"
#include "simhost/Handles.h"

namespace shunt_test {

inline constexpr AIRealMatrix kIdentity{1, 0, 0, 1, 0, 0};

class DocumentBuilder {
public:
    explicit DocumentBuilder(simhost::Document& document) : document_(document) {}

    // A path filled with the document's pattern under this matrix.
    simhost::ArtId addPatternPath(AIRealMatrix matrix = kIdentity) {
        AIPathStyle style = simhost::defaultPathStyle();
        style.fillColorKind = kPattern;
        style.pattern = simhost::patternHandle(pattern());
        style.transform = matrix;
        return addPath(style);
    }
    // A path filled with a flat grey.
    simhost::ArtId addFlatPath() { return addPath(simhost::defaultPathStyle()); }
    // A path with a painted stroke with these dash components (none: solid)
    // and this dash offset, and a flat fill.
    simhost::ArtId addDashedPath(std::initializer_list<float> dashes, float offset,
                                 bool strokePainted = true) {
        return addPath(dashedStyle(simhost::defaultPathStyle(), dashes, offset, strokePainted));
    }
    // A path with any style.
    simhost::ArtId addPath(const AIPathStyle& style) { return addStyled(kPathArt, style); }
    simhost::ArtId addMysteryPathArt() { return addStyled(kMysteryPathArt, simhost::defaultPathStyle()); }

    simhost::ArtId addPlaced(AIRealMatrix matrix) { return addWithMatrix(kPlacedArt, matrix); }
    simhost::ArtId addRaster(AIRealMatrix matrix) { return addWithMatrix(kRasterArt, matrix); }
    simhost::ArtId addForeignObject(AIRealMatrix matrix) { return addWithMatrix(kForeignObjectArt, matrix); }

    // Any other kind of art (groups, text, ...), with nothing in it.
    simhost::ArtId addArt(AIArtType type) {
        simhost::ArtObject object;
        object.type = type;
        return add(std::move(object));
    }
    // A group holding a pattern-filled path; the id of the group.
    simhost::ArtId addGroupWithPatternPath(simhost::ArtId* member = nullptr) {
        const simhost::ArtId group = addArt(kGroupArt);
        simhost::ArtObject path;
        path.type = kPathArt;
        path.parent = group;
        path.style = simhost::defaultPathStyle();
        path.style.fillColorKind = kPattern;
        path.style.pattern = simhost::patternHandle(pattern());
        const simhost::ArtId id = add(std::move(path));
        if (member != nullptr) {
            *member = id;
        }
        return group;
    }

    static AIPathStyle dashedStyle(AIPathStyle style, std::initializer_list<float> dashes, float offset,
                                   bool strokePainted = true) {
        style.strokePaint = strokePainted ? 1 : 0;
        style.dashCount = static_cast<ASInt16>(dashes.size());
        int i = 0;
        for (float dash : dashes) {
            style.dash[i++] = dash;
        }
        style.dashOffset = offset;
        return style;
    }

    void select(std::vector<simhost::ArtId> ids) { document_.select(std::move(ids)); }
    void selectAll() { document_.selectAll(); }

    const AIPathStyle& style(simhost::ArtId id) const { return document_.art(id).style; }
    const AIRealMatrix& patternMatrix(simhost::ArtId id) const { return document_.art(id).style.transform; }
    const AIRealMatrix& matrix(simhost::ArtId id) const { return document_.art(id).matrix; }

private:
    simhost::PatternId pattern() {
        if (!havePattern_) {
            pattern_ = document_.addPattern(simhost::Pattern{"dots"});
            havePattern_ = true;
        }
        return pattern_;
    }
    simhost::ArtId addStyled(AIArtType type, const AIPathStyle& style) {
        simhost::ArtObject object;
        object.type = type;
        object.style = style;
        return add(std::move(object));
    }
    simhost::ArtId addWithMatrix(AIArtType type, AIRealMatrix matrix) {
        simhost::ArtObject object;
        object.type = type;
        object.matrix = matrix;
        return add(std::move(object));
    }
    simhost::ArtId add(simhost::ArtObject object) {
        object.name = "art" + std::to_string(document_.slotCount());
        return document_.add(std::move(object));
    }

    simhost::Document& document_;
    simhost::PatternId pattern_ = 0;
    bool havePattern_ = false;
};

}  // namespace shunt_test

#endif
