// The arrow buttons (items 1 to 8), which slide the pattern filling each
// selected path, and the dash buttons (items 9 and 10), which slide the dash
// pattern of each selected dashed stroke along its path.
#include "admHandler.h"
#include "admOperations.h"
#include "keypress.h"

namespace {

// Host key codes of the modifier keys.
constexpr int kEnlargeKey = 241;  // turns every other modifier from a divisor into a multiplier
constexpr int kDoubleKey = 240;
constexpr int kByFourKey = 243;
constexpr int kByEightKey = 244;

constexpr ADMInt32 kLeftDashItem = 9;
constexpr ADMInt32 kRightDashItem = 10;

// The step of one click, from the modifier keys held now. Each key is a
// separate look at the key map, as the keys may change between looks.
float stepLength() {
    float step;
    if (isPressed(kEnlargeKey)) {
        step = isPressed(kDoubleKey) ? 4.0f : 2.0f;
        if (isPressed(kByFourKey)) {
            step *= 4.0f;
        }
        if (isPressed(kByEightKey)) {
            step *= 8.0f;
        }
    } else {
        step = isPressed(kDoubleKey) ? 0.5f : 1.0f;
        if (isPressed(kByFourKey)) {
            step *= 0.25f;
        }
        if (isPressed(kByEightKey)) {
            step *= 0.125f;
        }
    }
    return step;
}

// A direction as the screen sees it: dx to the right, dy downward.
struct ScreenDirection {
    float dx;
    float dy;
};

// Items 1 to 8 in order: right, then clockwise round to up and right.
constexpr ScreenDirection kArrowDirections[8] = {
    {1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1},
};

// Dash offsets below zero wrap forward by twice the dash pattern's length,
// once; a shift further back than that stays negative.
float wrappedDashOffset(const AIPathStyle& style, float amount) {
    float offset = amount + style.dashOffset;
    if (offset < 0.0f) {
        // The record holds kMaxDashComponents components; a larger count from
        // the host must not lead the sum past them.
        const int used = style.dashCount < kMaxDashComponents ? style.dashCount : kMaxDashComponents;
        float length = 0.0f;
        for (int i = 0; i < used; ++i) {
            length += style.dash[i];
        }
        offset += length + length;
    }
    return offset;
}

void slidePatterns(float tx, float ty) {
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    if (!readSelection(matches, count)) {
        return;
    }
    for (ASInt32 i = 0; i < count; ++i) {
        AIArtHandle art = (*matches)[i];
        ASInt16 type = kUnknownArt;
        if (sAIArt->getArtType(art, &type) != kNoErr) {
            showAlert(kFilterCancelledAlert);
            return;
        }
        if (type != kPathArt) {
            continue;
        }
        AIPathStyle style;
        if (sPathStyle->getPathStyle(art, &style) != kNoErr) {
            showAlert(kFilterCancelledAlert);
            return;
        }
        if (style.fillPaint != 1 || style.fillColorKind != kPattern) {
            continue;
        }
        sAIRealMath->realMatrixConcatTranslate(&style.transform, tx, ty);
        if (sPathStyle->setPathStyle(art, &style) != kNoErr) {
            showAlert(kStyleWriteAlert);
            showAlert(kFilterCancelledAlert);
            return;
        }
    }
}

}  // namespace

void GetShuntArrowProc(ADMItemRef item, ADMNotifierRef notifier) noexcept {
    // Without the notifier suite a click cannot be told from the item's other
    // notifications, and those must stay silent.
    if (sADMNotifier == nullptr || !isUserClick(notifier)) {
        return;
    }
    if (!operationSuitesHeld(sADMItem, sADMDialog, sADMTracker, sAIMatchingArt, sAIArt, sPathStyle,
                             sAIRealMath, sADMBasic)) {
        showAlert(kFilterCancelledAlert);
        return;
    }
    ADMDialogRef dialog = sADMItem->getDialog(item);
    if (dialog == nullptr) {
        showAlert(kFilterCancelledAlert);
        return;
    }
    const float step = stepLength();

    float tx = 0.0f;
    float ty = 0.0f;
    for (ADMInt32 arrow = 1; arrow <= 8; ++arrow) {
        if (item == sADMDialog->getItem(dialog, arrow)) {
            const ScreenDirection& direction = kArrowDirections[arrow - 1];
            // The host's page coordinates grow upward, the screen's downward.
            tx = direction.dx * step;
            ty = 0.0f - direction.dy * step;
            break;
        }
    }

    g->dashesHandled = 0;
    if (item == sADMDialog->getItem(dialog, kRightDashItem)) {
        g->dashesHandled = 1;
        shuntDashes(0.0f - step);
    }
    if (item == sADMDialog->getItem(dialog, kLeftDashItem)) {
        g->dashesHandled = 1;
        shuntDashes(step);
    }
    if (g->dashesHandled != 0) {
        return;
    }
    slidePatterns(tx, ty);
}

ASErr shuntDashes(float amount) {
    if (!operationSuitesHeld(sAIMatchingArt, sAIArt, sPathStyle, sADMBasic)) {
        showAlert(kFilterCancelledAlert);
        return kSPSuiteNotFoundError;
    }
    AIArtHandle** matches = nullptr;
    ASInt32 count = 0;
    if (sAIMatchingArt->getSelectedArt(&matches, &count) != kNoErr) {
        return kCanceledErr;
    }
    if (count < 1 || matches == nullptr || *matches == nullptr) {
        return kNoErr;
    }
    for (ASInt32 i = 0; i < count; ++i) {
        AIArtHandle art = (*matches)[i];
        ASInt16 type = kUnknownArt;
        ASErr error = sAIArt->getArtType(art, &type);
        if (error != kNoErr) {
            showAlert(kFilterCancelledAlert);
            return error;
        }
        if (type == kMysteryPathArt) {
            showAlert(kMysteryPathArtAlert);
            continue;
        }
        if (type != kPathArt) {
            continue;
        }
        AIPathStyle style;
        error = sPathStyle->getPathStyle(art, &style);
        if (error != kNoErr) {
            showAlert(kFilterCancelledAlert);
            return error;
        }
        if (style.strokePaint != 1 || style.dashCount == 0) {
            continue;
        }
        style.dashOffset = wrappedDashOffset(style, amount);
        error = sPathStyle->setPathStyle(art, &style);
        if (error != kNoErr) {
            showAlert(kStyleWriteAlert);
            showAlert(kFilterCancelledAlert);
            return error;
        }
    }
    return kNoErr;
}
