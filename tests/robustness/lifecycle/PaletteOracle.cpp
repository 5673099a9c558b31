#include "PaletteOracle.h"

#include <algorithm>
#include <cstring>

#include "hostapi/ADMSuites.h"

namespace shunt_robustness {

namespace {

constexpr const char* kMystery = "Hmmm... don't know how to handle mystery path art!";

bool patternFilled(const AIPathStyle& style) {
    return style.fillPaint == 1 && style.fillColorKind == kPattern;
}
bool dashedStroke(const AIPathStyle& style) {
    return style.strokePaint == 1 && style.dashCount != 0;
}

bool keyDown(const std::vector<int>& keys, bool mapAvailable, int code) {
    return mapAvailable && std::find(keys.begin(), keys.end(), code) != keys.end();
}

// Item i (1 to 8): right, then clockwise; dy grows down the screen.
constexpr float kDirections[8][2] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};

AIReal wrappedOffset(const AIPathStyle& style, AIReal amount) {
    AIReal offset = amount + style.dashOffset;
    if (offset < 0.0f) {
        AIReal length = 0.0f;
        for (int i = 0; i < style.dashCount && i < kMaxDashComponents; ++i) {
            length += style.dash[i];
        }
        offset += length + length;
    }
    return offset;
}

void shiftDashes(Expectation& out, AIReal amount) {
    for (simhost::ArtId id : out.document.selection) {
        ArtSnapshot& art = out.document.objects[id];
        if (art.type == kMysteryPathArt) {
            out.alerts.push_back(kMystery);
        } else if (art.type == kPathArt && dashedStroke(art.style)) {
            art.style.dashOffset = wrappedOffset(art.style, amount);
        }
    }
}

void reset(Expectation& out) {
    for (simhost::ArtId id : out.document.selection) {
        ArtSnapshot& art = out.document.objects[id];
        switch (art.type) {
            case kPathArt:
                if (patternFilled(art.style)) {
                    AIPathStyle& s = art.style;
                    s.shiftDist = s.shiftAngle = 0.0f;
                    s.scaleH = s.scaleV = 100.0f;
                    s.rotate = 0.0f;
                    s.reflect = 0;
                    s.reflectAngle = s.shearAngle = s.shearAxis = 0.0f;
                    s.transform = {1, 0, 0, 1, 0, 0};
                }
                if (dashedStroke(art.style)) {
                    art.style.dashOffset = 0.0f;
                }
                break;
            case kPlacedArt:
            case kRasterArt:
                art.matrix.a = 1.0f;
                art.matrix.b = 0.0f;
                art.matrix.c = 0.0f;
                art.matrix.d = 1.0f;
                break;
            case kMysteryPathArt:
                out.alerts.push_back(kMystery);
                break;
            default:
                break;
        }
    }
}

}  // namespace

DocumentSnapshot snapshotOf(const simhost::Document& document) {
    DocumentSnapshot out;
    out.objects.resize(document.slotCount());
    for (simhost::ArtId id = 0; id < document.slotCount(); ++id) {
        const simhost::ArtObject& object = document.art(id);
        ArtSnapshot& art = out.objects[id];
        art.alive = document.isLive(id);
        art.type = object.type;
        art.name = object.name;
        art.parent = object.parent;
        art.children = object.children;
        art.style = object.style;
        art.matrix = object.matrix;
    }
    out.selection = document.selection();
    return out;
}

AIReal stepLength(const std::vector<int>& keys, bool available) {
    auto down = [&](int code) { return keyDown(keys, available, code); };
    AIReal step;
    if (down(241)) {
        step = down(240) ? 4.0f : 2.0f;
        step *= down(243) ? 4.0f : 1.0f;
        step *= down(244) ? 8.0f : 1.0f;
    } else {
        step = down(240) ? 0.5f : 1.0f;
        step *= down(243) ? 0.25f : 1.0f;
        step *= down(244) ? 0.125f : 1.0f;
    }
    return step;
}

Expectation expectClick(const DocumentSnapshot& before, int item, AIReal step) {
    Expectation out{before, {}, {}};
    if (item >= 1 && item <= 8) {
        const AIReal tx = kDirections[item - 1][0] * step;
        const AIReal ty = 0.0f - kDirections[item - 1][1] * step;
        for (simhost::ArtId id : out.document.selection) {
            ArtSnapshot& art = out.document.objects[id];
            if (art.type == kPathArt && patternFilled(art.style)) {
                art.style.transform.tx += tx;
                art.style.transform.ty += ty;
            }
        }
    } else if (item == 9) {
        shiftDashes(out, step);
    } else if (item == 10) {
        shiftDashes(out, 0.0f - step);
    } else if (item == 11) {
        reset(out);
    }
    return out;
}

Expectation expectPopup(const DocumentSnapshot& before, int index, AIRealMatrix& captured) {
    Expectation out{before, {}, {}};
    if (index == 0) {
        for (simhost::ArtId id : out.document.selection) {
            const ArtSnapshot& art = out.document.objects[id];
            if (art.type == kPathArt && patternFilled(art.style)) {
                captured = art.style.transform;
                break;
            }
            if (art.type == kPlacedArt || art.type == kRasterArt) {
                captured = art.matrix;
                break;
            }
            if (art.type == kMysteryPathArt || art.type == kForeignObjectArt) {
                out.alerts.push_back(kMystery);
                break;
            }
        }
    } else if (index == 1) {
        for (simhost::ArtId id : out.document.selection) {
            ArtSnapshot& art = out.document.objects[id];
            if (art.type == kPathArt && patternFilled(art.style)) {
                art.style.transform = captured;
            } else if (art.type == kPlacedArt || art.type == kForeignObjectArt || art.type == kRasterArt) {
                art.matrix = captured;
            } else if (art.type == kMysteryPathArt) {
                out.alerts.push_back(kMystery);
            }
        }
    } else if (index == 2) {
        out.alertPrefix = "Matrix: TX=";
    }
    return out;
}

bool onlyPaletteFieldsDiffer(const AIPathStyle& before, const AIPathStyle& after) {
    AIPathStyle masked = after;
    masked.shiftDist = before.shiftDist;
    masked.shiftAngle = before.shiftAngle;
    masked.scaleH = before.scaleH;
    masked.scaleV = before.scaleV;
    masked.rotate = before.rotate;
    masked.reflect = before.reflect;
    masked.reflectAngle = before.reflectAngle;
    masked.shearAngle = before.shearAngle;
    masked.shearAxis = before.shearAxis;
    masked.transform = before.transform;
    masked.dashOffset = before.dashOffset;
    return std::memcmp(&masked, &before, sizeof masked) == 0;
}

}  // namespace shunt_robustness
