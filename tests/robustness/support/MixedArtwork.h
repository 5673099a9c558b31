// A document holding one of every kind of object the palette meets, most of
// them selected in a fixed order and a few left out of the selection so that
// a run can see they stay as they were.
#ifndef TESTS_ROBUSTNESS_MIXEDARTWORK_H
#define TESTS_ROBUSTNESS_MIXEDARTWORK_H

#include <vector>

#include "simhost/Document.h"

namespace shunt_robustness {

struct MixedArtwork {
    simhost::ArtId flatPath;
    simhost::ArtId patternPath;        // a pattern fill shifted, scaled and rotated
    simhost::ArtId dashedPath;         // flat fill, painted dashed stroke
    simhost::ArtId patternDashedPath;  // both: written twice by the reset
    simhost::ArtId group;              // holds a pattern-filled path the selection does not list
    simhost::ArtId groupMember;
    simhost::ArtId text;
    simhost::ArtId mystery;  // type 8
    simhost::ArtId placed;
    simhost::ArtId foreign;  // type 12
    simhost::ArtId raster;   // selected last: its failures show after the walk
    // Left out of the selection.
    simhost::ArtId looseFlatPath;
    simhost::ArtId loosePatternPath;
    simhost::ArtId looseDashedPath;
    simhost::ArtId loosePlaced;

    // The selected objects in the order the palette walks them.
    std::vector<simhost::ArtId> selection;
};

// Adds the objects to the document (which may already hold others) and
// selects `selection`.
MixedArtwork addMixedArtwork(simhost::Document& document);

}  // namespace shunt_robustness

#endif
