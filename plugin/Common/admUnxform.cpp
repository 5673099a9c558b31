// The reset button (item 11): takes the selection back to untransformed
// patterns, unshifted dashes, and placed and raster art without rotation,
// scale or shear at the place where it stands.
#include "admHandler.h"
#include "admOperations.h"

namespace {

// Clears every pattern transformation field; the pattern itself stays.
void resetPattern(AIPathStyle& style, const AIRealMatrix& resetMatrix) {
    style.shiftDist = 0.0f;
    style.shiftAngle = 0.0f;
    style.scaleH = 100.0f;
    style.scaleV = 100.0f;
    style.rotate = 0.0f;
    style.reflect = 0;
    style.reflectAngle = 0.0f;
    style.shearAngle = 0.0f;
    style.shearAxis = 0.0f;
    style.transform = resetMatrix;
}

enum class WalkEnd { GoOn, Cancelled };

// Resets one path: its pattern fill, then its dash offset, each change
// written as it is made.
WalkEnd resetPath(AIArtHandle art, const AIRealMatrix& resetMatrix) {
    AIPathStyle style;
    if (sPathStyle->getPathStyle(art, &style) != kNoErr) {
        showAlert(kFilterCancelledAlert);
        return WalkEnd::Cancelled;
    }
    if (style.fillPaint == 1 && style.fillColorKind == kPattern) {
        resetPattern(style, resetMatrix);
        if (sPathStyle->setPathStyle(art, &style) != kNoErr) {
            showAlert(kStyleWriteAlert);
            showAlert(kFilterCancelledAlert);
            return WalkEnd::Cancelled;
        }
    }
    if (style.strokePaint == 1 && style.dashCount != 0) {
        style.dashOffset = 0.0f;
        if (sPathStyle->setPathStyle(art, &style) != kNoErr) {
            showAlert(kStyleWriteAlert);
            showAlert(kFilterCancelledAlert);
            return WalkEnd::Cancelled;
        }
    }
    return WalkEnd::GoOn;
}

// Strips the linear part of a placed or raster matrix and keeps its place.
// When the matrix cannot be read there is no place to keep, so the object
// is left as it is rather than moved to wherever an unread matrix points.
template <class ReadMatrix, class WriteMatrix>
ASErr resetImage(AIArtHandle art, ReadMatrix readMatrix, WriteMatrix writeMatrix) {
    AIRealMatrix matrix;
    const ASErr error = readMatrix(art, &matrix);
    if (error != kNoErr) {
        return error;
    }
    matrix.a = 1.0f;
    matrix.b = 0.0f;
    matrix.c = 0.0f;
    matrix.d = 1.0f;
    return writeMatrix(art, &matrix);
}

}  // namespace

void GetUnxformProc(ADMItemRef, ADMNotifierRef notifier) noexcept {
    if (sADMNotifier == nullptr || !isUserClick(notifier)) {
        return;
    }
    if (!operationSuitesHeld(sAIMatchingArt, sAIRealMath, sAIArt, sPathStyle, sPlaced, sRaster, sADMBasic)) {
        showAlert(kFilterCancelledAlert);
        return;
    }
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    if (!readSelection(matches, count)) {
        return;
    }
    AIRealMatrix resetMatrix;
    sAIRealMath->realMatrixSetIdentity(&resetMatrix);

    // An image that cannot be reset does not stop the others; the user hears
    // of it once the walk is over.
    ASErr imageError = kNoErr;
    for (ASInt32 i = 0; i < count; ++i) {
        AIArtHandle art = (*matches)[i];
        ASInt16 type = kUnknownArt;
        if (sAIArt->getArtType(art, &type) != kNoErr) {
            showAlert(kFilterCancelledAlert);
            return;
        }
        ASErr error = kNoErr;
        switch (type) {
            case kPathArt:
                if (resetPath(art, resetMatrix) == WalkEnd::Cancelled) {
                    return;
                }
                break;
            case kPlacedArt:
                error = resetImage(art, sPlaced->getPlacedMatrix, sPlaced->setPlacedMatrix);
                break;
            case kRasterArt:
                error = resetImage(art, sRaster->getRasterMatrix, sRaster->setRasterMatrix);
                break;
            case kMysteryPathArt:
                showAlert(kMysteryPathArtAlert);
                break;
            default:
                break;
        }
        if (imageError == kNoErr) {
            imageError = error;
        }
    }
    if (imageError != kNoErr) {
        showAlert(kFilterCancelledAlert);
    }
}
