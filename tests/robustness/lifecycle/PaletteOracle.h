// What the palette's operations should make of a document, worked out
// independently of the plug-in from what the user does: the step a click
// takes for the keys held, and the effect of each button and popup entry on
// every selected object. The lifecycle fuzzer compares the host's document
// after each click with this.
#ifndef TESTS_ROBUSTNESS_PALETTEORACLE_H
#define TESTS_ROBUSTNESS_PALETTEORACLE_H

#include <optional>
#include <string>
#include <vector>

#include "simhost/Document.h"

namespace shunt_robustness {

struct ArtSnapshot {
    bool alive = false;
    AIArtType type = kUnknownArt;
    std::string name;
    simhost::ArtId parent = simhost::kNoArt;
    std::vector<simhost::ArtId> children;
    AIPathStyle style{};
    AIRealMatrix matrix{};
};

// Every object of a document, by id, and the selection.
struct DocumentSnapshot {
    std::vector<ArtSnapshot> objects;
    std::vector<simhost::ArtId> selection;
};

DocumentSnapshot snapshotOf(const simhost::Document& document);

// The step of a click with these keys down; a host without a key map reads
// every key as up.
AIReal stepLength(const std::vector<int>& keysDown, bool keyMapAvailable);

// What a palette operation leaves: the document and the alerts it shows
// (mystery path art, the matrix text), when nothing fails.
struct Expectation {
    DocumentSnapshot document;
    std::vector<std::string> alerts;
    // Alerts that start with this text stand for one alert whose numbers the
    // oracle does not work out (the matrix text).
    std::string alertPrefix;
};

// A click on palette item 1 to 11.
Expectation expectClick(const DocumentSnapshot& before, int item, AIReal step);
// Popup entry 0 (capture), 1 (apply) or 2 (show); other entries do nothing.
// `captured` is the plug-in's captured matrix, which a capture changes.
Expectation expectPopup(const DocumentSnapshot& before, int index, AIRealMatrix& captured);

// The fields of a path style a palette operation may change: the pattern's
// transformation and the dash offset. Every other byte must stay.
bool onlyPaletteFieldsDiffer(const AIPathStyle& before, const AIPathStyle& after);

}  // namespace shunt_robustness

#endif
