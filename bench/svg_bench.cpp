// Opening and saving artwork of N pattern-filled paths, side by side with
// pugixml parsing and writing the same file with the same options. The goal:
// ours takes at most twice pugixml's time, and grows linearly with N.
//
// Open+Save/Pugixml: pugixml's load_file and save_file.
// Open+Save/PugixmlSynced: the same with the durability our save gives: written
//   beside the target, flushed to the disk, renamed into place.
// Open+Save/Unchanged: readSvg and writeSvg (atomic, synced) of the document as read.
// Open+Save/AllMoved: the same after every path's pattern moved, so that every
//   path gets a pattern of its own: the file grows by one element per path.
// Open/...: opening alone, and the host document model's own share of it
//   (N path objects added with nothing read).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

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

// N paths in rows, sharing four patterns, with dashed strokes on every third.
fs::path generated(int paths) {
    const fs::path path = folder() / ("paths-" + std::to_string(paths) + ".svg");
    if (fs::exists(path)) {
        return path;
    }
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:shunt=\"urn:shunt-palette:svg\" width=\"1000\" "
           "height=\"1000\">\n  <defs>\n";
    for (int p = 0; p < 4; ++p) {
        out << "    <pattern id=\"pattern" << p
            << "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
            << "<circle cx=\"4\" cy=\"4\" r=\"" << p + 1 << "\" fill=\"#345\"/></pattern>\n";
    }
    out << "  </defs>\n";
    for (int i = 0; i < paths; ++i) {
        const int x = (i % 100) * 10;
        const int y = (i / 100) * 10;
        out << "  <path id=\"p" << i << "\" d=\"M" << x << ' ' << y << "h8v8h-8z\" fill=\"url(#pattern"
            << i % 4 << ")\"";
        if (i % 3 == 0) {
            out << " stroke=\"#000\" stroke-dasharray=\"4,2\" stroke-dashoffset=\"" << i % 7 << "\"";
        }
        out << "/>\n";
    }
    out << "</svg>\n";
    return path;
}

constexpr unsigned kParseOptions = (pugi::parse_full | pugi::parse_ws_pcdata) & ~pugi::parse_wconv_attribute;
constexpr unsigned kSaveOptions = pugi::format_raw | pugi::format_no_declaration;

void setCounters(benchmark::State& state, const fs::path& input) {
    state.counters["paths"] = static_cast<double>(state.range(0));
    state.counters["ns/path"] =
        benchmark::Counter(static_cast<double>(state.range(0)),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fs::file_size(input)));
}

void Pugixml(benchmark::State& state) {
    const fs::path input = generated(static_cast<int>(state.range(0)));
    const fs::path output = folder() / "pugixml-out.svg";
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(input.c_str(), kParseOptions));
        benchmark::DoNotOptimize(document.save_file(output.c_str(), "", kSaveOptions));
    }
    setCounters(state, input);
}

void PugixmlSynced(benchmark::State& state) {
    const fs::path input = generated(static_cast<int>(state.range(0)));
    const fs::path output = folder() / "pugixml-synced.svg";
    const fs::path temporary = folder() / ".pugixml-synced.svg.tmp";
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(input.c_str(), kParseOptions));
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (file == nullptr) {
            state.SkipWithError("cannot write beside the output");
            return;
        }
        pugi::xml_writer_file writer(file);
        document.save(writer, "", kSaveOptions);
        std::fflush(file);
        ::fsync(::fileno(file));
        std::fclose(file);
        fs::rename(temporary, output);
    }
    setCounters(state, input);
}

void Unchanged(benchmark::State& state) {
    const fs::path input = generated(static_cast<int>(state.range(0)));
    const std::string output = (folder() / "ours-out.svg").string();
    for (auto _ : state) {
        SvgArtwork artwork = shunthost::svg::readSvg(input.string());
        shunthost::svg::writeSvg(artwork, output);
    }
    setCounters(state, input);
}

void AllMoved(benchmark::State& state) {
    const fs::path input = generated(static_cast<int>(state.range(0)));
    const std::string output = (folder() / "ours-moved.svg").string();
    for (auto _ : state) {
        SvgArtwork artwork = shunthost::svg::readSvg(input.string());
        for (const simhost::ArtId id : artwork.document.documentOrder()) {
            artwork.document.art(id).style.transform.ty -= 1;
        }
        shunthost::svg::writeSvg(artwork, output);
    }
    setCounters(state, input);
}

// Opening alone, to see where the time goes.
void OpenPugixml(benchmark::State& state) {
    const fs::path input = generated(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        pugi::xml_document document;
        benchmark::DoNotOptimize(document.load_file(input.c_str(), kParseOptions));
    }
    setCounters(state, input);
}

void OpenOurs(benchmark::State& state) {
    const fs::path input = generated(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        SvgArtwork artwork = shunthost::svg::readSvg(input.string());
        benchmark::DoNotOptimize(artwork.document.slotCount());
    }
    setCounters(state, input);
}

// The floor under opening: N path objects added to the host's document, as
// the reader adds them, with nothing read from SVG.
void DocumentAdd(benchmark::State& state) {
    const auto paths = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        simhost::Document document;
        document.reserve(paths);
        for (std::uint32_t i = 0; i < paths; ++i) {
            simhost::ArtObject object;
            object.type = kPathArt;
            object.name = "p" + std::to_string(i);
            object.style = simhost::defaultPathStyle();
            document.add(std::move(object));
        }
        benchmark::DoNotOptimize(document.slotCount());
    }
    state.counters["paths"] = static_cast<double>(paths);
}

}  // namespace

BENCHMARK(DocumentAdd)->Name("Open/DocumentOnly")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenPugixml)->Name("Open/Pugixml")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenOurs)->Name("Open/Ours")->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Pugixml)
    ->Name("Open+Save/Pugixml")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(PugixmlSynced)
    ->Name("Open+Save/PugixmlSynced")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(Unchanged)
    ->Name("Open+Save/Unchanged")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(AllMoved)
    ->Name("Open+Save/AllMoved")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
