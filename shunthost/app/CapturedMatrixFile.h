// The matrix the palette captured last, kept in the user's configuration
// folder so that a capture in one run of shunt-host reaches an apply in the
// next: each Inkscape effect is a run of its own.
#ifndef SHUNTHOST_APP_CAPTUREDMATRIXFILE_H
#define SHUNTHOST_APP_CAPTUREDMATRIXFILE_H

#include <optional>
#include <string>

#include "hostapi/AIArtSuites.h"

namespace shunthost {

struct StoredMatrix {
    std::optional<AIRealMatrix> matrix;  // none: nothing was captured yet, or the file is damaged
    std::string problem;                 // why a file that is there could not be read
};

StoredMatrix readCapturedMatrix(const std::string& path);

// Written whole or not at all; every number reads back bit for bit. Throws
// svg::SvgError.
void writeCapturedMatrix(const std::string& path, const AIRealMatrix& matrix);

}  // namespace shunthost

#endif
