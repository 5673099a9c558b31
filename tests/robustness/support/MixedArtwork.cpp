#include "MixedArtwork.h"

#include "DocumentBuilder.h"

namespace shunt_robustness {

MixedArtwork addMixedArtwork(simhost::Document& document) {
    shunt_test::DocumentBuilder doc(document);
    MixedArtwork art{};
    art.flatPath = doc.addFlatPath();
    art.patternPath = doc.addPatternPath(AIRealMatrix{0.5f, 0.5f, -0.5f, 0.5f, 10, -20});
    AIPathStyle shifted = document.art(art.patternPath).style;
    shifted.shiftDist = 5;
    shifted.shiftAngle = 30;
    shifted.scaleH = 50;
    shifted.scaleV = 75;
    shifted.rotate = 45;
    document.art(art.patternPath).style = shifted;
    art.dashedPath = doc.addDashedPath({4, 2}, 1.5f);
    art.patternDashedPath = doc.addPatternPath(AIRealMatrix{1, 0, 0, 1, 3, 3});
    document.art(art.patternDashedPath).style =
        shunt_test::DocumentBuilder::dashedStyle(document.art(art.patternDashedPath).style, {1, 2, 3}, 0.5f);
    art.group = doc.addGroupWithPatternPath(&art.groupMember);
    art.text = doc.addArt(kTextFrameArt);
    art.mystery = doc.addMysteryPathArt();
    art.placed = doc.addPlaced(AIRealMatrix{0, 2, -2, 0, 50, 80});
    art.foreign = doc.addForeignObject(AIRealMatrix{1, 0, 0.25f, 1, -3, 4});
    art.raster = doc.addRaster(AIRealMatrix{3, 0, 0, 3, 7, 9});
    art.looseFlatPath = doc.addFlatPath();
    art.loosePatternPath = doc.addPatternPath(AIRealMatrix{2, 0, 0, 2, 1, 1});
    art.looseDashedPath = doc.addDashedPath({5, 5}, 2);
    art.loosePlaced = doc.addPlaced(AIRealMatrix{0, 1, -1, 0, 5, 5});
    art.selection = {art.flatPath, art.patternPath, art.dashedPath, art.patternDashedPath, art.group,
                     art.text,     art.mystery,     art.placed,     art.foreign,           art.raster};
    document.select(art.selection);
    return art;
}

}  // namespace shunt_robustness
