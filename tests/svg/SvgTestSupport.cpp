#include "SvgTestSupport.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <stdexcept>

#include "svg/SvgNumbers.h"

namespace svgtest {

std::string svgWith(const std::string& body) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\"\n"
           "     xmlns:shunt=\"urn:shunt-palette:svg\" width=\"100\" height=\"100\">\n" +
           body + "\n</svg>\n";
}

shunthost::svg::SvgArtwork readBody(const std::string& body) {
    return shunthost::svg::readSvgText(svgWith(body), "test.svg");
}

const std::string kTwoSharers = svgWith(R"svg(<defs>
  <pattern id="dots" width="10" height="10" patternUnits="userSpaceOnUse"><circle cx="5" cy="5" r="2"/></pattern>
  <pattern id="stripes" width="4" height="4" patternUnits="userSpaceOnUse"><rect width="2" height="4"/></pattern>
</defs>
<rect id="left" x="0" y="0" width="40" height="40" fill="url(#dots)" data-note="kept"/>
<rect id="right" x="50" y="0" width="40" height="40" fill="url(#dots)"/>)svg");

simhost::ArtObject& object(shunthost::svg::SvgArtwork& artwork, const std::string& name) {
    const simhost::ArtId id = artwork.document.findByName(name);
    if (id == simhost::kNoArt) {
        throw std::runtime_error("no object named " + name);
    }
    return artwork.document.art(id);
}

shunthost::svg::SvgArtwork reopened(shunthost::svg::SvgArtwork& artwork, std::string* savedText) {
    const std::string text = shunthost::svg::writeSvgText(artwork);
    if (savedText != nullptr) {
        *savedText = text;
    }
    return shunthost::svg::readSvgText(text, "saved.svg");
}

void expectSameBits(float actual, float expected, const char* field) {
    EXPECT_EQ(std::bit_cast<std::uint32_t>(actual), std::bit_cast<std::uint32_t>(expected))
        << field << ": " << shunthost::svg::formatFloat(actual) << " instead of "
        << shunthost::svg::formatFloat(expected);
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t pos = text.find(what); pos != std::string::npos;
         pos = text.find(what, pos + what.size())) {
        ++count;
    }
    return count;
}

ScratchFolder::ScratchFolder() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / ("svg_test-" + std::to_string(random()));
    std::filesystem::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::size_t ScratchFolder::entryCount() const {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator(path_), std::filesystem::directory_iterator()));
}

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return std::move(text).str();
}

void writeText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

}  // namespace svgtest
