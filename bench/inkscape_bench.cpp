// The Inkscape extension's own cost: shunt-host's part of one effect on a
// drawing of N pattern-filled paths (read the copy Inkscape hands over, start
// the palette in the host, select, hold the keys, click, write the drawing
// out) against a plain open+save of the same file. The goal: at most 1.2
// times the open+save.
//
// "Effect/N" and "EffectOnAll/N" run both their sides in each iteration;
// each side's CPU time per iteration, in nanoseconds, is a counter:
//   OpenSave: readSvg and writeSvgText of the drawing as read, to a file.
//   OpenMoveSave: the same with ten patterns moved in the document directly.
//   Slide: the slide effect, 8 down and right, on ten selected paths.
//   SlideAll: the same with every path selected: every path then gets a
//     pattern of its own, so the file written grows by one element a path
//     (the plug-in's and the SVG writer's work, not the extension's).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "InkscapeEffect.h"
#include "ScenarioRunner.h"
#include "SideBySide.h"
#include "svg/SvgDocument.h"

namespace {

namespace fs = std::filesystem;

const fs::path& folder() {
    static const fs::path path = [] {
        fs::path p = fs::temp_directory_path() / "inkscape_bench";
        fs::create_directories(p);
        return p;
    }();
    return path;
}

// N paths in rows, sharing four patterns, as Inkscape hands a drawing over.
fs::path generated(int paths) {
    const fs::path path = folder() / ("paths-" + std::to_string(paths) + ".svg");
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
           "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" width=\"1000\" height=\"1000\">\n"
           "  <defs id=\"defs2\">\n";
    for (int p = 0; p < 4; ++p) {
        out << "    <pattern id=\"pattern" << p
            << "\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\">"
            << "<circle cx=\"4\" cy=\"4\" r=\"" << p + 1 << "\" fill=\"#345\"/></pattern>\n";
    }
    out << "  </defs>\n  <g inkscape:label=\"Layer 1\" inkscape:groupmode=\"layer\" id=\"layer1\">\n";
    for (int i = 0; i < paths; ++i) {
        out << "    <path id=\"p" << i << "\" d=\"M" << (i % 100) * 10 << ' ' << (i / 100) * 10
            << "h8v8h-8z\" style=\"fill:url(#pattern" << i % 4 << ");stroke:none\"/>\n";
    }
    out << "  </g>\n</svg>\n";
    return path;
}

shunthost::EffectSettings settings() {
    shunthost::EffectSettings s = shunthost::defaultEffectSettings();
    s.capturedMatrixFile = (folder() / "captured-matrix.txt").string();
    return s;
}

void openAndSave(const fs::path& input, int) {
    shunthost::svg::SvgArtwork artwork = shunthost::svg::readSvg(input.string());
    std::ofstream out(folder() / "open-save-out.svg", std::ios::binary);
    const std::string text = shunthost::svg::writeSvgText(artwork);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

// What the effect amounts to, done on the document directly: ten patterns
// moved between opening and saving.
void openMoveAndSave(const fs::path& input, int) {
    shunthost::svg::SvgArtwork artwork = shunthost::svg::readSvg(input.string());
    for (int i = 0; i < 10; ++i) {
        AIRealMatrix& matrix =
            artwork.document.art(artwork.document.findByName("p" + std::to_string(i))).style.transform;
        matrix.tx += 8;
        matrix.ty -= 8;
    }
    std::ofstream out(folder() / "open-move-save-out.svg", std::ios::binary);
    const std::string text = shunthost::svg::writeSvgText(artwork);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void slide(const fs::path& input, int selected) {
    shunthost::EffectCall call;
    call.operation = shunthost::EffectOperation::Slide;
    call.item = 2;
    call.step = 8.0f;
    call.documentPath = input.string();
    for (int i = 0; i < selected; ++i) {
        call.ids.push_back("p" + std::to_string(i));
    }
    std::ofstream out(folder() / "effect-out.svg", std::ios::binary);
    std::ostringstream messages;
    static const shunthost::EffectSettings effectSettings = settings();
    benchmark::DoNotOptimize(shunthost::runEffect(call, effectSettings, out, messages));
}

void compare(benchmark::State& state, const std::vector<std::pair<const char*, bench::Side>>& sides) {
    const int paths = static_cast<int>(state.range(0));
    bench::compareSides(state, generated(paths), paths, sides);
}

void Effect(benchmark::State& state) {
    compare(state, {{"OpenSave", openAndSave},
                    {"OpenMoveSave", openMoveAndSave},
                    {"Slide", [](const fs::path& input, int) { slide(input, 10); }}});
}

void EffectOnAll(benchmark::State& state) {
    compare(state, {{"OpenSave", openAndSave},
                    {"SlideAll", [](const fs::path& input, int paths) { slide(input, paths); }}});
}

}  // namespace

BENCHMARK(Effect)->Name("Effect")->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(EffectOnAll)->Name("EffectOnAll")->Arg(10000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
