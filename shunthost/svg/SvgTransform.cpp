#include "SvgTransform.h"

#include <bit>
#include <cmath>
#include <numbers>
#include <utility>
#include <vector>

#include "SvgNumbers.h"

namespace shunthost::svg {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// Cosine and sine of an angle in degrees, exact at multiples of 90 degrees so
// that rotate(90) gives 0 rather than 6e-17.
std::pair<double, double> cosSin(float degrees) {
    const double turns = std::fmod(static_cast<double>(degrees), 360.0);
    if (std::fmod(turns, 90.0) == 0.0) {
        const int quarter = static_cast<int>(turns / 90.0 + 4) % 4;
        static constexpr double kCos[] = {1, 0, -1, 0};
        static constexpr double kSin[] = {0, 1, 0, -1};
        return {kCos[quarter], kSin[quarter]};
    }
    const double radians = static_cast<double>(degrees) * std::numbers::pi / 180.0;
    return {std::cos(radians), std::sin(radians)};
}

std::optional<Affine> transformFunction(std::string_view name, const std::vector<float>& args) {
    const auto n = args.size();
    auto radians = [](float degrees) { return static_cast<double>(degrees) * std::numbers::pi / 180.0; };
    if (name == "matrix" && n == 6) {
        return Affine{args[0], args[1], args[2], args[3], args[4], args[5]};
    }
    if (name == "translate" && (n == 1 || n == 2)) {
        return Affine{1, 0, 0, 1, args[0], n == 2 ? args[1] : 0.0};
    }
    if (name == "scale" && (n == 1 || n == 2)) {
        return Affine{args[0], 0, 0, n == 2 ? args[1] : args[0], 0, 0};
    }
    if (name == "rotate" && (n == 1 || n == 3)) {
        const auto [cos, sin] = cosSin(args[0]);
        const Affine rotation{cos, sin, -sin, cos, 0, 0};
        if (n == 1) {
            return rotation;
        }
        const Affine to{1, 0, 0, 1, args[1], args[2]};
        const Affine back{1, 0, 0, 1, -static_cast<double>(args[1]), -static_cast<double>(args[2])};
        return times(times(to, rotation), back);
    }
    if (name == "skewX" && n == 1) {
        return Affine{1, 0, std::tan(radians(args[0])), 1, 0, 0};
    }
    if (name == "skewY" && n == 1) {
        return Affine{1, std::tan(radians(args[0])), 0, 1, 0, 0};
    }
    return std::nullopt;
}

}  // namespace

Affine times(const Affine& m, const Affine& n) {
    return {m.a * n.a + m.c * n.b, m.b * n.a + m.d * n.b,       m.a * n.c + m.c * n.d,
            m.b * n.c + m.d * n.d, m.a * n.e + m.c * n.f + m.e, m.b * n.e + m.d * n.f + m.f};
}

AIRealMatrix Affine::rounded() const {
    return {static_cast<float>(a), static_cast<float>(b), static_cast<float>(c),
            static_cast<float>(d), static_cast<float>(e), static_cast<float>(f)};
}

bool Affine::isFinite() const {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d) && std::isfinite(e) &&
           std::isfinite(f);
}

std::optional<Affine> Affine::inverse() const {
    const double determinant = a * d - b * c;
    if (determinant == 0 || !std::isfinite(determinant) || !isFinite()) {
        return std::nullopt;
    }
    const Affine inverse{d / determinant,
                         -b / determinant,
                         -c / determinant,
                         a / determinant,
                         (c * f - d * e) / determinant,
                         (b * e - a * f) / determinant};
    if (!inverse.isFinite()) {
        return std::nullopt;
    }
    return inverse;
}

namespace {

// Calls `each(name, args, function)` for each function of a transform list, in
// order; false when the text is not one.
template <class Each>
bool forEachTransformFunction(std::string_view text, Each each) {
    std::size_t pos = 0;
    auto skipSeparators = [&] {
        while (pos < text.size() && (isSpace(text[pos]) || text[pos] == ',')) {
            ++pos;
        }
    };
    skipSeparators();
    while (pos < text.size()) {
        const std::size_t nameStart = pos;
        while (pos < text.size() &&
               ((text[pos] >= 'a' && text[pos] <= 'z') || (text[pos] >= 'A' && text[pos] <= 'Z'))) {
            ++pos;
        }
        const std::string_view name = text.substr(nameStart, pos - nameStart);
        while (pos < text.size() && isSpace(text[pos])) {
            ++pos;
        }
        if (name.empty() || pos >= text.size() || text[pos] != '(') {
            return false;
        }
        const std::size_t close = text.find(')', pos);
        if (close == std::string_view::npos) {
            return false;
        }
        const auto args = parseNumberList(text.substr(pos + 1, close - pos - 1));
        if (!args) {
            return false;
        }
        const auto function = transformFunction(name, *args);
        if (!function) {
            return false;
        }
        each(name, *args, *function);
        pos = close + 1;
        skipSeparators();
    }
    return true;
}

}  // namespace

std::optional<Affine> parseTransformExactly(std::string_view text) {
    Affine total;
    int functions = 0;
    const bool read =
        forEachTransformFunction(text, [&](std::string_view, const auto&, const Affine& function) {
            // The first function as it is: one matrix() keeps its numbers, -0 included.
            total = functions++ == 0 ? function : times(total, function);
        });
    if (!read || !total.isFinite()) {
        return std::nullopt;
    }
    return total;
}

std::optional<AIRealMatrix> parseTransform(std::string_view text) {
    std::vector<AIRealMatrix> exactSingles;
    Affine total;
    int functions = 0;
    const bool read =
        forEachTransformFunction(text, [&](std::string_view name, const auto& args, const Affine& function) {
            if (name == "matrix") {
                exactSingles.push_back({args[0], args[1], args[2], args[3], args[4], args[5]});
            }
            total = times(total, function);
            ++functions;
        });
    if (!read) {
        return std::nullopt;
    }
    if (functions == 1 && exactSingles.size() == 1) {
        return exactSingles.front();
    }
    const AIRealMatrix m{static_cast<float>(total.a), static_cast<float>(total.b),
                         static_cast<float>(total.c), static_cast<float>(total.d),
                         static_cast<float>(total.e), static_cast<float>(total.f)};
    for (float v : {m.a, m.b, m.c, m.d, m.tx, m.ty}) {
        if (!std::isfinite(v)) {
            return std::nullopt;
        }
    }
    return m;
}

std::string formatTransform(const AIRealMatrix& m) {
    const float values[] = {m.a, m.b, m.c, m.d, m.tx, m.ty};
    std::string out;
    out.reserve(64);  // six numbers of a few digits, without growing
    out += "matrix(";
    appendFloatList(out, values);
    out += ')';
    return out;
}

namespace {

// Negates every number but the zeros, which keep their sign: the identity
// stays the identity (no -0 appears), and -0 still comes back as -0, since
// this is its own inverse.
float opposite(float value) {
    return value == 0.0f ? value : -value;
}

}  // namespace

AIRealMatrix flipVertical(const AIRealMatrix& m) {
    return {m.a, opposite(m.b), opposite(m.c), m.d, m.tx, opposite(m.ty)};
}

bool isIdentity(const AIRealMatrix& m) {
    return m.a == 1 && m.b == 0 && m.c == 0 && m.d == 1 && m.tx == 0 && m.ty == 0;
}

}  // namespace shunthost::svg
