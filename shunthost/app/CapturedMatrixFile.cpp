#include "CapturedMatrixFile.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "svg/SvgAtomicFile.h"
#include "svg/SvgNumbers.h"

namespace shunthost {

namespace {

constexpr const char* kHeader =
    "# The matrix the Shunt Palette captured last: a b c d tx ty, in the host's page coordinates.";

}  // namespace

StoredMatrix readCapturedMatrix(const std::string& path) {
    StoredMatrix stored;
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return stored;
    }
    std::ifstream in(path, std::ios::binary);
    std::string line;
    std::string numbers;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') {
            numbers = line;
            break;
        }
    }
    const auto values = svg::parseNumberList(numbers);
    if (!in.good() && !in.eof()) {
        stored.problem = path + ": cannot be read";
    } else if (!values || values->size() != 6) {
        stored.problem = path + ": not six numbers; the identity is used instead";
    } else {
        const auto& v = *values;
        stored.matrix = AIRealMatrix{v[0], v[1], v[2], v[3], v[4], v[5]};
    }
    return stored;
}

void writeCapturedMatrix(const std::string& path, const AIRealMatrix& matrix) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    const std::array<float, 6> values{matrix.a, matrix.b, matrix.c, matrix.d, matrix.tx, matrix.ty};
    std::string text = std::string(kHeader) + "\n";
    for (std::size_t i = 0; i < values.size(); ++i) {
        text += (i == 0 ? "" : " ") + svg::formatFloat(values[i]);
    }
    text += "\n";
    svg::writeFileAtomically(path, [&](std::FILE* file) { std::fwrite(text.data(), 1, text.size(), file); });
}

}  // namespace shunthost
