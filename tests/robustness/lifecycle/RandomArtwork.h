// Random documents for the lifecycle fuzzer, and the edits a user makes to
// them between clicks. Every object and style is one the host accepts: a
// pattern fill names a pattern of the document, dash counts stay within the
// record. Everything else (paint flags other than 0 and 1, odd colour kinds,
// extreme and non-finite numbers, bytes in the reserved fields) is fair game.
#ifndef TESTS_ROBUSTNESS_RANDOMARTWORK_H
#define TESTS_ROBUSTNESS_RANDOMARTWORK_H

#include <string>
#include <vector>

#include "Rng.h"
#include "simhost/Document.h"

namespace shunt_robustness {

AIReal randomReal(Rng& rng);
AIRealMatrix randomMatrix(Rng& rng);
AIPathStyle randomPathStyle(Rng& rng, const simhost::Document& document);

// Adds `count` top-level objects (groups bring members of their own) and at
// least one pattern.
void addRandomArtwork(simhost::Document& document, Rng& rng, int count);

// A random selection of live objects, each once, in random order; sometimes
// none, sometimes everything.
std::vector<simhost::ArtId> randomSelection(const simhost::Document& document, Rng& rng);

// One edit as a user would make it: an object added or removed, a style or a
// matrix changed. Returns what it did.
std::string editRandomly(simhost::Document& document, Rng& rng);

}  // namespace shunt_robustness

#endif
