#include "RandomArtwork.h"

#include <cstring>
#include <limits>

#include "simhost/Handles.h"

namespace shunt_robustness {

namespace {

const std::vector<AIReal> kNiceReals = {0.0f,  -0.0f, 1.0f,   -1.0f, 0.5f,  2.0f,      100.0f, -3.25f,
                                        45.0f, 7.5f,  0.001f, 1e6f,  -1e6f, 0.015625f, 128.0f, 12.0f};

void randomBytes(Rng& rng, unsigned char* bytes, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<unsigned char>(rng.below(256));
    }
}

std::vector<simhost::ArtId> liveObjects(const simhost::Document& document) {
    return document.documentOrder();
}

simhost::ArtId addObject(simhost::Document& document, Rng& rng, simhost::ArtId parent) {
    simhost::ArtObject object;
    object.parent = parent;
    object.name = "fz" + std::to_string(document.slotCount());
    const int kind = rng.below(100);
    if (kind < 45) {
        object.type = kPathArt;
        object.style = randomPathStyle(rng, document);
    } else if (kind < 50) {
        object.type = kMysteryPathArt;
        object.style = randomPathStyle(rng, document);
    } else if (kind < 62) {
        object.type = kPlacedArt;
        object.matrix = randomMatrix(rng);
    } else if (kind < 74) {
        object.type = kRasterArt;
        object.matrix = randomMatrix(rng);
    } else if (kind < 80) {
        object.type = kForeignObjectArt;
        object.matrix = randomMatrix(rng);
    } else if (kind < 86) {
        object.type = kTextFrameArt;
    } else if (kind < 90) {
        object.type = rng.percent(50) ? kCompoundPathArt : kPluginArt;
    } else {
        object.type = kGroupArt;
    }
    const simhost::ArtId id = document.add(std::move(object));
    if (document.art(id).type == kGroupArt && parent == simhost::kNoArt) {
        for (int members = rng.between(0, 3); members > 0; --members) {
            addObject(document, rng, id);
        }
    }
    return id;
}

}  // namespace

AIReal randomReal(Rng& rng) {
    const int kind = rng.below(100);
    if (kind < 60) {
        return rng.pick(kNiceReals);
    }
    if (kind < 98) {
        return static_cast<AIReal>(rng.between(-4000, 4000)) / 16.0f;
    }
    if (kind == 98) {
        return std::numeric_limits<AIReal>::infinity();
    }
    return std::numeric_limits<AIReal>::quiet_NaN();
}

AIRealMatrix randomMatrix(Rng& rng) {
    if (rng.percent(20)) {
        return {1, 0, 0, 1, 0, 0};
    }
    return {randomReal(rng), randomReal(rng), randomReal(rng),
            randomReal(rng), randomReal(rng), randomReal(rng)};
}

AIPathStyle randomPathStyle(Rng& rng, const simhost::Document& document) {
    AIPathStyle style = simhost::defaultPathStyle();
    randomBytes(rng, style.reserved2, sizeof style.reserved2);
    randomBytes(rng, style.reserved33, sizeof style.reserved33);
    randomBytes(rng, style.reserved135, sizeof style.reserved135);
    randomBytes(rng, style.reserved154, sizeof style.reserved154);
    style.fillPaint = static_cast<AIBoolean>(rng.percent(85) ? 1 : rng.below(3));
    style.fillColorKind = rng.percent(55) ? kPattern : rng.between(kGrayColor, kNoneColor + 1);
    if (style.fillColorKind == kPattern && document.patternCount() > 0) {
        style.pattern = simhost::patternHandle(
            static_cast<std::uint32_t>(rng.below(static_cast<int>(document.patternCount()))));
    } else if (style.fillColorKind == kPattern) {
        style.fillColorKind = kGrayColor;
    }
    style.shiftDist = randomReal(rng);
    style.shiftAngle = randomReal(rng);
    style.scaleH = rng.percent(50) ? 100.0f : randomReal(rng);
    style.scaleV = rng.percent(50) ? 100.0f : randomReal(rng);
    style.rotate = randomReal(rng);
    style.reflect = static_cast<AIBoolean>(rng.below(2));
    style.reflectAngle = randomReal(rng);
    style.shearAngle = randomReal(rng);
    style.shearAxis = randomReal(rng);
    style.transform = randomMatrix(rng);
    for (AIReal& component : style.fillColor) {
        component = randomReal(rng);
    }
    style.strokePaint = static_cast<AIBoolean>(rng.percent(60) ? 1 : rng.below(3));
    style.strokeWidth = randomReal(rng);
    style.dashCount = static_cast<ASInt16>(rng.percent(40) ? 0 : rng.between(1, kMaxDashComponents));
    for (int i = 0; i < kMaxDashComponents; ++i) {
        style.dash[i] = rng.percent(90) ? static_cast<AIReal>(rng.between(0, 64)) / 4.0f : randomReal(rng);
    }
    style.dashOffset = randomReal(rng);
    return style;
}

void addRandomArtwork(simhost::Document& document, Rng& rng, int count) {
    for (int patterns = rng.between(1, 3); patterns > 0; --patterns) {
        document.addPattern(simhost::Pattern{"pattern" + std::to_string(document.patternCount())});
    }
    for (int i = 0; i < count; ++i) {
        addObject(document, rng, simhost::kNoArt);
    }
}

std::vector<simhost::ArtId> randomSelection(const simhost::Document& document, Rng& rng) {
    std::vector<simhost::ArtId> live = liveObjects(document);
    const int kind = rng.below(100);
    if (kind < 8 || live.empty()) {
        return {};
    }
    if (kind < 25) {
        return live;  // everything, in document order
    }
    // A random subset in random order (Fisher-Yates, then cut).
    for (std::size_t i = live.size(); i > 1; --i) {
        std::swap(live[i - 1], live[static_cast<std::size_t>(rng.below(static_cast<int>(i)))]);
    }
    live.resize(static_cast<std::size_t>(rng.between(1, static_cast<int>(live.size()))));
    return live;
}

std::string editRandomly(simhost::Document& document, Rng& rng) {
    const std::vector<simhost::ArtId> live = liveObjects(document);
    const int kind = rng.below(100);
    if (kind < 25 || live.empty()) {
        const simhost::ArtId id = addObject(document, rng, simhost::kNoArt);
        return "add " + document.art(id).name;
    }
    const simhost::ArtId id = rng.pick(live);
    simhost::ArtObject& object = document.art(id);
    if (kind < 40) {
        const std::string name = object.name;
        document.remove(id);
        return "remove " + name;
    }
    if (object.type == kPathArt || object.type == kMysteryPathArt) {
        object.style = randomPathStyle(rng, document);
        return "restyle " + object.name;
    }
    object.matrix = randomMatrix(rng);
    return "move " + object.name;
}

}  // namespace shunt_robustness
