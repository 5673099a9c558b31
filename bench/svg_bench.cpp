// Opening and saving artwork of N pattern-filled paths, side by side with
// pugixml parsing and writing the same file with the same options. The goal:
// ours takes at most twice pugixml's time, and grows linearly with N.
//
// Benchmarks "Open+Save/N", "Open+Move+Save/N" and "Open/N" run all their
// sides in each iteration;
// each side's CPU time per iteration, in nanoseconds, is a counter:
// Open+Save: Pugixml: pugixml's load_file and save_file.
//   PugixmlSynced: the same with the durability our save gives: written
//     beside the target, flushed to the disk, renamed into place.
//   Unchanged: readSvg and writeSvg (atomic, synced) of the document as read.
// Open+Move+Save: Pugixml again, and AllMoved: ours after every path's pattern
//   moved, so that every path gets a pattern of its own: the file grows by
//   one element per path.
// Open: Pugixml and Ours, opening alone, and DocumentOnly, the host document
//   model's own share of it (N path objects added with nothing read).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "SideBySide.h"
#include "svg/SvgDocument.h"

namespace {

namespace fs = std::filesystem;
using shunthost::svg::SvgArtwork;

const fs::path& folder() {
    static const fs::path path = [] {
        fs::path p = fs::temp_directory_path() / "svg_bench";
        fs::create_directories(p);
        return p;
    }();
    return path;
}

// N paths in rows of 100, sharing four patterns, with dashed strokes on
// every third. As drawings from editors have them, each row is a group with a
// transform, every other row turned by a few degrees, and the dashes come
// from a style sheet rule by class: the reader works out every pattern matrix
// on the page and the cascade of every path.
fs::path generated(int paths) {
    const fs::path path = folder() / ("paths-styled-" + std::to_string(paths) + ".svg");
    if (fs::exists(path)) {
        return path;
    }
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:shunt=\"urn:shunt-palette:svg\" width=\"1000\" "
           "height=\"1000\">\n  <style>\n    .dashed { stroke: #000; stroke-dasharray: 4,2 }\n"
           "    g.row > .dashed { stroke-width: 0.5 }\n  </style>\n  <defs>\n";
    for (int p = 0; p < 4; ++p) {
        out << "    <pattern id=\"pattern" << p
            << "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
            << "<circle cx=\"4\" cy=\"4\" r=\"" << p + 1 << "\" fill=\"#345\"/></pattern>\n";
    }
    out << "  </defs>\n";
    for (int i = 0; i < paths; ++i) {
        const int x = (i % 100) * 10;
        const int row = i / 100;
        if (i % 100 == 0) {
            out << "  <g class=\"row\" transform=\"translate(0," << row * 10 << ")"
                << (row % 2 == 1 ? " rotate(3)" : "") << "\">\n";
        }
        out << "  <path id=\"p" << i << "\" d=\"M" << x << " 0h8v8h-8z\" fill=\"url(#pattern" << i % 4
            << ")\"";
        if (i % 3 == 0) {
            out << " class=\"dashed\" stroke-dashoffset=\"" << i % 7 << "\"";
        }
        out << "/>\n";
        if (i % 100 == 99 || i == paths - 1) {
            out << "  </g>\n";
        }
    }
    out << "</svg>\n";
    return path;
}

constexpr unsigned kParseOptions = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_wconv_attribute;
constexpr unsigned kSaveOptions = pugi::format_raw | pugi::format_no_declaration;

void pugixmlOpenAndSave(const fs::path& input, int) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_file(input.c_str(), kParseOptions));
    benchmark::DoNotOptimize(document.save_file((folder() / "pugixml-out.svg").c_str(), "", kSaveOptions));
}

// pugixml with the durability our save gives: beside the target, synced, renamed.
void pugixmlSyncedOpenAndSave(const fs::path& input, int) {
    const fs::path output = folder() / "pugixml-synced.svg";
    const fs::path temporary = folder() / ".pugixml-synced.svg.tmp";
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_file(input.c_str(), kParseOptions));
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (file == nullptr) {
        return;
    }
    pugi::xml_writer_file writer(file);
    document.save(writer, "", kSaveOptions);
    std::fflush(file);
    ::fsync(::fileno(file));
    std::fclose(file);
    fs::rename(temporary, output);
}

void unchangedOpenAndSave(const fs::path& input, int) {
    SvgArtwork artwork = shunthost::svg::readSvg(input.string());
    shunthost::svg::writeSvg(artwork, (folder() / "ours-out.svg").string());
}

void allMovedOpenAndSave(const fs::path& input, int) {
    SvgArtwork artwork = shunthost::svg::readSvg(input.string());
    for (const simhost::ArtId id : artwork.document.documentOrder()) {
        artwork.document.art(id).style.transform.ty -= 1;
    }
    shunthost::svg::writeSvg(artwork, (folder() / "ours-moved.svg").string());
}

void pugixmlOpen(const fs::path& input, int) {
    pugi::xml_document document;
    benchmark::DoNotOptimize(document.load_file(input.c_str(), kParseOptions));
}

void ourOpen(const fs::path& input, int) {
    SvgArtwork artwork = shunthost::svg::readSvg(input.string());
    benchmark::DoNotOptimize(artwork.document.slotCount());
}

// The floor under opening: N path objects added to the host's document, as
// the reader adds them, with nothing read from SVG.
void documentOnly(const fs::path&, int paths) {
    simhost::Document document;
    document.reserve(static_cast<std::size_t>(paths));
    for (int i = 0; i < paths; ++i) {
        simhost::ArtObject object;
        object.type = kPathArt;
        object.name = "p" + std::to_string(i);
        object.style = simhost::defaultPathStyle();
        document.add(std::move(object));
    }
    benchmark::DoNotOptimize(document.slotCount());
}

void compare(benchmark::State& state, const std::vector<std::pair<const char*, bench::Side>>& sides) {
    const int paths = static_cast<int>(state.range(0));
    const fs::path input = generated(paths);
    bench::compareSides(state, input, paths, sides);
    state.counters["file bytes"] = static_cast<double>(fs::file_size(input));
}

void OpenAndSave(benchmark::State& state) {
    compare(state, {{"Pugixml", pugixmlOpenAndSave},
                    {"PugixmlSynced", pugixmlSyncedOpenAndSave},
                    {"Unchanged", unchangedOpenAndSave}});
}

// Apart from the unchanged save: the tens of megabytes it makes and frees
// would otherwise leave every other side a heap to grow again.
void OpenMoveAndSave(benchmark::State& state) {
    compare(state, {{"Pugixml", pugixmlOpenAndSave}, {"AllMoved", allMovedOpenAndSave}});
}

void Open(benchmark::State& state) {
    compare(state, {{"Pugixml", pugixmlOpen}, {"Ours", ourOpen}, {"DocumentOnly", documentOnly}});
}

}  // namespace

BENCHMARK(OpenAndSave)->Name("Open+Save")->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenMoveAndSave)
    ->Name("Open+Move+Save")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Open)->Name("Open")->Arg(100000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
