// "AI Real Math Suite": the few real-number and matrix operations the
// palette asks of the host, all in 32-bit floats.
#include <cmath>
#include <numbers>

#include "simhost/Host.h"

namespace simhost {

namespace {

SuiteKey kRealMathKey{kAIRealMathSuite, kAIRealMathSuiteVersion, 0, {9, 11, 12, 36, 43}};

std::string number(AIReal x) {
    return std::to_string(x);
}

AIReal realAtan2(AIReal a, AIReal b) noexcept {
    Host::current().enter(
        kRealMathKey, 9, [&] { return number(a) + " " + number(b); }, false);
    return std::atan2(b, a);
}

AIReal radianToDegree(AIReal radians) noexcept {
    Host::current().enter(
        kRealMathKey, 11, [&] { return number(radians); }, false);
    return radians * (180.0f / std::numbers::pi_v<float>);
}

AIReal realSqrt(AIReal x) noexcept {
    Host::current().enter(
        kRealMathKey, 12, [&] { return number(x); }, false);
    return std::sqrt(x);
}

void realMatrixSetIdentity(AIRealMatrix* matrix) noexcept {
    Host& host = Host::current();
    host.enter(
        kRealMathKey, 36, [] { return std::string("matrix"); }, false);
    if (matrix == nullptr) {
        host.violation("realMatrixSetIdentity with a null matrix");
        return;
    }
    *matrix = {1, 0, 0, 1, 0, 0};
}

void realMatrixConcatTranslate(AIRealMatrix* matrix, AIReal tx, AIReal ty) noexcept {
    Host& host = Host::current();
    host.enter(
        kRealMathKey, 43, [&] { return number(tx) + " " + number(ty); }, false);
    if (matrix == nullptr) {
        host.violation("realMatrixConcatTranslate with a null matrix");
        return;
    }
    matrix->tx += tx;
    matrix->ty += ty;
}

AIRealMathSuite gRealMathSuite{
    .realAtan2 = realAtan2,
    .radianToDegree = radianToDegree,
    .realSqrt = realSqrt,
    .realMatrixSetIdentity = realMatrixSetIdentity,
    .realMatrixConcatTranslate = realMatrixConcatTranslate,
};

}  // namespace

void registerRealMathSuite(Host& host) {
    registerSuite<kRealMathKey>(host, gRealMathSuite);
}

}  // namespace simhost
