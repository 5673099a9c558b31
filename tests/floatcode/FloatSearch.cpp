// Searches for inputs whose results the palette computes differently when
// float operations are fused into multiply-adds or kept in 80-bit registers,
// rather than each rounded on its own. The inputs it prints are the ones the
// plug-in tests pin, so that a build that fuses or widens fails them.
//
//   float_search matrix [COUNT]   matrices whose Show matrix text differs
//   float_search dash [COUNT]     dash patterns whose wrapped offset differs
//   float_search step             steps and translations (exact: none differ)
//
// The formulas are the plug-in's, written three ways: each operation rounded
// to float, each product fused into the following sum (both ways round where
// the compiler may choose), and everything in long double rounded once where
// the plug-in hands a value to the host.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>
#include <string>

namespace {

// The host's text at the precision Show matrix asks for.
std::string text(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.4f", static_cast<double>(value));
    return buffer;
}

struct MatrixTexts {
    std::string hScale, vScale, skew;
    bool operator==(const MatrixTexts&) const = default;
};

float toDegrees(float radians) {
    return radians * (180.0f / std::numbers::pi_v<float>);
}

// Each operation rounded on its own; the host's realSqrt takes a float.
MatrixTexts separate(float a, float b, float c, float d) {
    const float aa = a * a, bb = b * b, cc = c * c, dd = d * d;
    const float h = std::sqrt(aa + bb), v = std::sqrt(cc + dd);
    const float r = h / v;
    float skew = 0.0f;
    if (a != 0.0f) {
        const float ba = b / a, ca = c / a;
        const float rca = r * ca;
        skew = 0.0f - (ba + rca);
    }
    if (b != 0.0f) {
        const float db = d / b, ab = a / b;
        const float rdb = r * db;
        skew = 0.0f - (rdb - ab);
    }
    return {text(100.0f * h), text(100.0f * v), text(toDegrees(skew))};
}

// A product fused into the sum that follows it. `first` picks which of two
// products in a sum of two is the fused one.
MatrixTexts fused(float a, float b, float c, float d, bool first) {
    const float h = std::sqrt(first ? std::fmaf(a, a, b * b) : std::fmaf(b, b, a * a));
    const float v = std::sqrt(first ? std::fmaf(c, c, d * d) : std::fmaf(d, d, c * c));
    const float r = h / v;
    float skew = 0.0f;
    if (a != 0.0f) {
        skew = 0.0f - std::fmaf(r, c / a, b / a);
    }
    if (b != 0.0f) {
        skew = 0.0f - std::fmaf(r, d / b, -(a / b));
    }
    return {text(100.0f * h), text(100.0f * v), text(toDegrees(skew))};
}

// Everything in long double, rounded to float where the host receives it.
MatrixTexts extended(float a, float b, float c, float d) {
    using L = long double;
    const float h = std::sqrt(static_cast<float>(L(a) * a + L(b) * b));
    const float v = std::sqrt(static_cast<float>(L(c) * c + L(d) * d));
    const L r = L(h) / v;
    L skew = 0;
    if (a != 0.0f) {
        skew = 0 - (L(b) / a + r * (L(c) / a));
    }
    if (b != 0.0f) {
        skew = 0 - (r * (L(d) / b) - L(a) / b);
    }
    return {text(100.0f * h), text(100.0f * v), text(toDegrees(static_cast<float>(skew)))};
}

// A number as a user types it: up to eight significant digits.
float typed(std::mt19937& random, float limit) {
    std::uniform_real_distribution<float> pick(-limit, limit);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.8g", static_cast<double>(pick(random)));
    return std::strtof(buffer, nullptr);
}

void searchMatrices(int wanted) {
    std::mt19937 random(17);
    int found = 0;
    for (long tries = 0; found < wanted && tries < 50000000; ++tries) {
        const float a = typed(random, 8), b = typed(random, 8);
        const bool onlyScale = tries % 2 == 0;  // half the tries: a scale, no skew
        const float c = onlyScale ? 0.0f : typed(random, 8), d = onlyScale ? 1.0f : typed(random, 8);
        const MatrixTexts plain = separate(a, b, c, d);
        const MatrixTexts one = fused(a, b, c, d, true), other = fused(a, b, c, d, false);
        const MatrixTexts wide = extended(a, b, c, d);
        // Wanted: a text that every other way of working gets wrong.
        const auto differsEverywhere = [&](std::string MatrixTexts::*field) {
            return plain.*field != one.*field && plain.*field != other.*field && plain.*field != wide.*field;
        };
        const struct {
            const char* name;
            std::string MatrixTexts::*field;
        } fields[] = {{"H scale", &MatrixTexts::hScale},
                      {"V scale", &MatrixTexts::vScale},
                      {"Skew", &MatrixTexts::skew}};
        for (const auto& [name, field] : fields) {
            if (differsEverywhere(field)) {
                std::printf("%.9g %.9g %.9g %.9g: %s %s separate, %s / %s fused, %s extended\n", a, b, c, d,
                            name, (plain.*field).c_str(), (one.*field).c_str(), (other.*field).c_str(),
                            (wide.*field).c_str());
                ++found;
                break;
            }
        }
    }
}

// The wrap of a dash offset below zero, as the plug-in works it.
float wrapSeparate(const float* dash, int count, float offset, float amount) {
    float shifted = amount + offset;
    if (shifted < 0.0f) {
        float length = 0.0f;
        for (int i = 0; i < count; ++i) {
            length += dash[i];
        }
        shifted += length + length;
    }
    return shifted;
}

float wrapExtended(const float* dash, int count, float offset, float amount) {
    long double shifted = static_cast<long double>(amount) + offset;
    if (shifted < 0) {
        long double length = 0;
        for (int i = 0; i < count; ++i) {
            length += dash[i];
        }
        shifted += length + length;
    }
    return static_cast<float>(shifted);
}

void searchDashes(int wanted) {
    std::mt19937 random(17);
    // Dashes as typed: hundredths of a point up to 20; steps of one click.
    std::uniform_int_distribution<int> hundredths(1, 2000), count(2, 6), stepIndex(0, 7);
    const float steps[] = {1, 0.5f, 0.25f, 0.125f, 2, 4, 8, 32};
    int found = 0;
    for (long tries = 0; found < wanted && tries < 50000000; ++tries) {
        float dash[6];
        const int used = count(random);
        for (int i = 0; i < used; ++i) {
            dash[i] = static_cast<float>(hundredths(random)) / 100.0f;
        }
        const float offset = static_cast<float>(hundredths(random) % 300) / 100.0f;
        const float amount = 0.0f - steps[stepIndex(random)];
        const float plain = wrapSeparate(dash, used, offset, amount);
        const float wide = wrapExtended(dash, used, offset, amount);
        if (plain != wide) {
            std::printf("dashes {");
            for (int i = 0; i < used; ++i) {
                std::printf("%s%.2ff", i == 0 ? "" : ", ", static_cast<double>(dash[i]));
            }
            std::printf("} offset %.2ff back %g: %a separate, %a extended\n", static_cast<double>(offset),
                        static_cast<double>(-amount), static_cast<double>(plain), static_cast<double>(wide));
            ++found;
        }
    }
}

// A step is a power of two times one of +-1 and 0, and a translation adds
// one float to another: one rounding either way, so nothing can differ.
void searchSteps() {
    std::mt19937 random(17);
    const float steps[] = {1, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.015625f, 2, 4, 8, 16, 32};
    long differing = 0;
    for (long tries = 0; tries < 10000000; ++tries) {
        const float tx = typed(random, 10000);
        const float step = steps[tries % 12];
        const float dx = static_cast<float>(static_cast<int>(tries % 3) - 1);
        const float plain = tx + dx * step;
        const float fusedSum = std::fmaf(dx, step, tx);
        const float wide =
            static_cast<float>(static_cast<long double>(tx) + static_cast<long double>(dx) * step);
        differing += (plain != fusedSum || plain != wide) ? 1 : 0;
    }
    std::printf("steps and translations: %ld of 10000000 differ\n", differing);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "";
    const int count = argc > 2 ? std::atoi(argv[2]) : 10;
    if (what == "matrix") {
        searchMatrices(count);
    } else if (what == "dash") {
        searchDashes(count);
    } else if (what == "step") {
        searchSteps();
    } else {
        std::fprintf(stderr, "usage: float_search matrix|dash [COUNT] | step\n");
        return 2;
    }
    return 0;
}
