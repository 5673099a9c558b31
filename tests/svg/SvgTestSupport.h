// Small helpers shared by the SVG tests: documents made from a few lines of
// SVG, objects found by name, and a scratch folder.
#ifndef SHUNT_TESTS_SVG_SVGTESTSUPPORT_H
#define SHUNT_TESTS_SVG_SVGTESTSUPPORT_H

#include <filesystem>
#include <string>

#include "svg/SvgDocument.h"

namespace svgtest {

// An SVG document binding our namespace, with `body` inside the root element.
std::string svgWith(const std::string& body);
// That document read, named "test.svg" in messages.
shunthost::svg::SvgArtwork readBody(const std::string& body);

// Two paths, "left" and "right", filled with the shared pattern "dots" (the
// document's pattern 0); "stripes" is pattern 1.
extern const std::string kTwoSharers;

simhost::ArtObject& object(shunthost::svg::SvgArtwork& artwork, const std::string& name);

// Saves to text and reads that text back.
shunthost::svg::SvgArtwork reopened(shunthost::svg::SvgArtwork& artwork, std::string* savedText = nullptr);

// Fails the test unless the two floats are the same bits (-0 is not 0).
void expectSameBits(float actual, float expected, const char* field);

std::size_t occurrences(const std::string& text, const std::string& what);

// A fresh folder, removed with everything in it at the end of the test.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    std::size_t entryCount() const;

private:
    std::filesystem::path path_;
};

std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, const std::string& text);

}  // namespace svgtest

#endif
