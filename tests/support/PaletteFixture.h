// A started host with the Shunt Palette open and a document to build in.
#ifndef TESTS_SUPPORT_PALETTEFIXTURE_H
#define TESTS_SUPPORT_PALETTEFIXTURE_H

#include <cstring>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "DocumentBuilder.h"
#include "HostFixture.h"

namespace shunt_test {

inline constexpr const char* kCancelledAlert = "There was an error, filter cancelled.";
inline constexpr const char* kMysteryAlert = "Hmmm... don't know how to handle mystery path art!";

// Host key codes of the modifier keys.
inline constexpr int kEnlargeKey = 241;
inline constexpr int kDoubleKey = 240;
inline constexpr int kByFourKey = 243;
inline constexpr int kByEightKey = 244;

class PaletteFixture : public HostFixture {
protected:
    void SetUp() override {
        HostFixture::SetUp();
        beforeStart();
        startHost();
        ASSERT_NE(palette(), nullptr) << "the palette was not created";
        doc = std::make_unique<DocumentBuilder>(host->document());
        host->clearEvents();
    }

    // Override to change the host after the bundle loads and before start-up.
    virtual void beforeStart() {}

    // The calls of the plug-in to one suite entry since recording started.
    long callsTo(const std::string& suiteEntry) const {
        long n = 0;
        for (const std::string& call : recordedCalls()) {
            n += call == suiteEntry;
        }
        return n;
    }

    std::unique_ptr<DocumentBuilder> doc;
};

inline bool sameBytes(const AIPathStyle& a, const AIPathStyle& b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace shunt_test

// Matrices compare and print by value; they live where the interface puts them.
inline bool operator==(const AIRealMatrix& a, const AIRealMatrix& b) {
    return a.a == b.a && a.b == b.b && a.c == b.c && a.d == b.d && a.tx == b.tx && a.ty == b.ty;
}

inline void PrintTo(const AIRealMatrix& m, std::ostream* out) {
    *out << "(" << m.a << ", " << m.b << ", " << m.c << ", " << m.d << ", " << m.tx << ", " << m.ty << ")";
}

#endif
