// The palette's popup menu (item -5): capture the matrix of a selected
// pattern fill, placed or raster image, apply it to others, or show it.
#include "admHandler.h"
#include "admOperations.h"
#include "stringUtils.h"

namespace {

enum PopupEntry : ADMInt32 { kCaptureMatrix = 0, kApplyMatrix = 1, kShowMatrix = 2 };

// The tracker's action code on which the popup redraws before the host
// tracks it.
constexpr ADMInt32 kPopupRedrawAction = 2;

// Decimal places of the numbers in the matrix text.
constexpr ASInt16 kMatrixTextPrecision = 4;
// The degree sign in Mac OS Roman.
constexpr const char* kDegreeSign = "\xA1";

bool isPatternFill(const AIPathStyle& style) {
    return style.fillPaint == 1 && style.fillColorKind == kPattern;
}

void captureMatrix() {
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    if (!readSelection(matches, count)) {
        return;
    }
    ASErr status = kNoErr;
    for (ASInt32 i = 0; i < count; ++i) {
        AIArtHandle art = (*matches)[i];
        ASInt16 type = kUnknownArt;
        status = sAIArt->getArtType(art, &type);
        if (status != kNoErr) {
            break;
        }
        if (type == kPathArt) {
            AIPathStyle style;
            status = sPathStyle->getPathStyle(art, &style);
            if (status != kNoErr) {
                break;
            }
            if (isPatternFill(style)) {
                g->capturedMatrix = style.transform;
                break;
            }
            continue;
        }
        if (type == kPlacedArt || type == kRasterArt) {
            // Read into a copy: a failed read must not leave a half-written
            // matrix behind for the next Apply.
            AIRealMatrix matrix;
            status = type == kPlacedArt ? sPlaced->getPlacedMatrix(art, &matrix)
                                        : sRaster->getRasterMatrix(art, &matrix);
            if (status == kNoErr) {
                g->capturedMatrix = matrix;
            }
            break;
        }
        if (type == kMysteryPathArt || type == kForeignObjectArt) {
            showAlert(kMysteryPathArtAlert);
            break;
        }
    }
    if (status != kNoErr) {
        showAlert(kFilterCancelledAlert);
    }
}

void applyMatrix() {
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    if (!readSelection(matches, count)) {
        return;
    }
    const AIRealMatrix& captured = g->capturedMatrix;
    // An image that cannot take the matrix does not stop the others; the
    // user hears of it once the walk is over.
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
            case kPathArt: {
                AIPathStyle style;
                if (sPathStyle->getPathStyle(art, &style) != kNoErr) {
                    showAlert(kFilterCancelledAlert);
                    return;
                }
                if (isPatternFill(style)) {
                    style.transform = captured;
                    if (sPathStyle->setPathStyle(art, &style) != kNoErr) {
                        showAlert(kPatternMatrixAlert);
                        showAlert(kFilterCancelledAlert);
                        return;
                    }
                }
                break;
            }
            case kPlacedArt:
            case kForeignObjectArt:
                error = sPlaced->setPlacedMatrix(art, &captured);
                break;
            case kRasterArt:
                error = sRaster->setRasterMatrix(art, &captured);
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

// The matrix text, built by appending. Every append is bounded by the
// buffer, whatever length the host's number texts have.
class MatrixText {
public:
    MatrixText() { text_[0] = '\0'; }

    void append(const char* part) { SUsafestrncat(text_, part, sizeof text_); }

    // The host writes the number as a length-prefixed string. The buffer is
    // a full-size one, so even a host that writes more than the 15
    // characters it promises stays inside it.
    bool appendNumber(AIReal value) {
        unsigned char number[256];
        number[0] = 0;
        if (sAIUser->realToString(value, kMatrixTextPrecision, number) != kNoErr) {
            return false;
        }
        append(SUptocstr(number));
        return true;
    }

    const char* text() const { return text_; }

private:
    char text_[255];
};

// Shows the captured matrix with its scales, skew and rotation. Everything
// is worked in 32-bit floats, negation as 0 - x so that zero shows as +0.
void showMatrix() {
    const AIRealMatrix m = g->capturedMatrix;
    MatrixText out;
    const struct {
        const char* label;
        AIReal value;
    } entries[] = {{"Matrix: TX=", m.tx}, {"; TY=", m.ty}, {"; A=", m.a},
                   {"; B=", m.b},         {"; C=", m.c},   {"; D=", m.d}};
    for (const auto& entry : entries) {
        out.append(entry.label);
        if (!out.appendNumber(entry.value)) {
            showAlert(kFilterCancelledAlert);
            return;
        }
    }

    const AIReal a = m.a, b = m.b, c = m.c, d = m.d;
    const AIReal hScale = sAIRealMath->realSqrt(a * a + b * b);
    const AIReal vScale = sAIRealMath->realSqrt(c * c + d * d);
    // No divisor is tested: a vScale of 0 gives what 32-bit floats give.
    const AIReal scaleRatio = hScale / vScale;
    AIReal skew = 0.0f;
    if (a != 0.0f) {
        skew = 0.0f - (b / a + scaleRatio * (c / a));
    }
    if (b != 0.0f) {
        skew = 0.0f - (scaleRatio * (d / b) - a / b);
    }
    AIReal rotation = 0.0f;
    if (a != 0.0f) {
        rotation = 0.0f - sAIRealMath->realAtan2(a, b);
    }

    out.append("; H scale=");
    bool written = out.appendNumber(100.0f * hScale);
    out.append("%; V scale=");
    written = written && out.appendNumber(100.0f * vScale);
    out.append("%; Skew=");
    written = written && out.appendNumber(sAIRealMath->radianToDegree(skew));
    out.append(kDegreeSign);
    out.append("; Rotation=");
    written = written && out.appendNumber(sAIRealMath->radianToDegree(rotation));
    out.append(kDegreeSign);
    showAlert(written ? out.text() : kFilterCancelledAlert);
}

}  // namespace

void dialogPopupMenuProc(ADMItemRef item, ADMNotifierRef notifier) noexcept {
    if (sADMNotifier == nullptr || sADMNotifier->isNotifierType(notifier, kADMUserChangedNotifier) == 0) {
        return;
    }
    if (!operationSuitesHeld(sADMItem, sADMList, sADMEntry, sADMBasic)) {
        showAlert(kFilterCancelledAlert);
        return;
    }
    ADMListRef list = sADMItem->getList(item);
    ADMEntryRef entry = list != nullptr ? sADMList->getActiveEntry(list) : nullptr;
    if (entry == nullptr) {
        return;
    }
    switch (sADMEntry->getIndex(entry)) {
        case kCaptureMatrix:
            if (!operationSuitesHeld(sAIMatchingArt, sAIArt, sPathStyle, sPlaced, sRaster)) {
                showAlert(kFilterCancelledAlert);
                return;
            }
            captureMatrix();
            break;
        case kApplyMatrix:
            if (!operationSuitesHeld(sAIMatchingArt, sAIArt, sPathStyle, sPlaced, sRaster)) {
                showAlert(kFilterCancelledAlert);
                return;
            }
            applyMatrix();
            break;
        case kShowMatrix:
            if (!operationSuitesHeld(sAIUser, sAIRealMath)) {
                showAlert(kFilterCancelledAlert);
                return;
            }
            showMatrix();
            break;
        default:
            break;
    }
}

ADMBoolean dialogPopupMenuTrackProc(ADMItemRef item, ADMTrackerRef tracker) noexcept {
    // Without the item suite there is no default tracking to hand the event to.
    if (sADMItem == nullptr) {
        return 0;
    }
    if (sADMTracker != nullptr && sADMTracker->getAction(tracker) == kPopupRedrawAction) {
        sADMItem->invalidate(item);
        sADMItem->getList(item);
    }
    return sADMItem->defaultTrack(item, tracker);
}
