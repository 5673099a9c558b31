// The Shunt Palette inside Debian's Inkscape. Each case installs the
// extension into a fresh profile in a home of its own, runs the effect through
// Inkscape under Xvfb (Inkscape exits 0 even for an action it does not know,
// so every case checks what came out), and checks the result with
// `shunt-host dump` and by rendering with librsvg and with Inkscape. Show and
// the messages for an empty selection run the command the installed .inx
// declares directly: under --batch-process anything an effect writes to
// standard error opens a message box that nobody closes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#ifdef SHUNT_HAVE_PNG
#include <png.h>
#endif

namespace {

namespace fs = std::filesystem;

// A 20-unit tile, white with a black 4-unit square at (2, 2): a move by 8 in
// either direction cannot pass for another. A and B are filled with it, B has
// a dashed stroke, C a flat fill. `scaled` is the tile at twice the size and
// moved, `shifted` only moved.
const std::string kDrawing =
    R"svg(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="100" height="80">
<defs>
<pattern id="tile" width="20" height="20" patternUnits="userSpaceOnUse"><rect width="20" height="20" fill="#fff"/><rect x="2" y="2" width="4" height="4" fill="#000"/></pattern>
<pattern id="scaled" xlink:href="#tile" patternTransform="matrix(2,0,0,2,6,4)"/>
<pattern id="shifted" xlink:href="#tile" patternTransform="translate(6,3)"/>
</defs>
<rect id="A" x="10" y="0" width="40" height="80" fill="url(#AFILL)"/>
<rect id="B" x="50" y="0" width="40" height="80" fill="url(#BFILL)" stroke="#00f" stroke-width="2" stroke-dasharray="4,2"BDASH/>
<rect id="C" x="0" y="0" width="6" height="6" fill="#f00"/>
</svg>
)svg";

std::string drawing(const std::string& fillA, const std::string& fillB, const std::string& dashB = "") {
    std::string text = kDrawing;
    for (const auto& [mark, value] :
         {std::pair<std::string, std::string>{"AFILL", fillA},
          {"BFILL", fillB},
          {"BDASH", dashB.empty() ? "" : " stroke-dashoffset=\"" + dashB + "\""}}) {
        text.replace(text.find(mark), mark.size(), value);
    }
    return text;
}

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

struct Finished {
    int status = -1;
    std::string out;
    std::string err;
};

struct Gray {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
    bool dark(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)] < 128; }
};

struct Region {
    int left, top, right, bottom;  // right and bottom excluded
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where A's fill shows: its rectangle, less a pixel at each edge for the
// renderers' anti-aliasing.
constexpr Region kAreaA{11, 1, 49, 79};

class InkscapeExtension : public ::testing::Test {
protected:
    void SetUp() override {
        for (const auto& [tool, package] : {std::pair<std::string, std::string>{SHUNT_INKSCAPE, "inkscape"},
                                            {SHUNT_XVFB_RUN, "xvfb"},
                                            {SHUNT_RSVG_CONVERT, "librsvg2-bin"}}) {
            if (tool.empty() || !fs::exists(tool)) {
                GTEST_SKIP() << "SKIPPED: " << package << " is not installed";
            }
        }
#ifndef SHUNT_HAVE_PNG
        GTEST_SKIP() << "SKIPPED: built without libpng (libpng-dev): cannot read rendered pictures";
#endif
        scratch_ =
            fs::temp_directory_path() / ("shunt-inkscape-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(scratch_);
        freshUser("home");
    }

    void TearDown() override {
        if (!scratch_.empty() && !HasFailure()) {
            fs::remove_all(scratch_);
        }
    }

    // A new HOME, XDG_CONFIG_HOME and Inkscape profile, with the extension installed.
    void freshUser(const std::string& name) {
        home_ = scratch_ / name;
        fs::create_directories(home_ / ".config" / "inkscape");
        const Finished install = shell(std::string(SHUNT_HOST) + " inkscape-install");
        ASSERT_EQ(install.status, 0) << install.err;
        ASSERT_TRUE(fs::exists(profile() / "extensions" / "shunt-palette" / "shunt-palette-slide.inx"))
            << install.out;
    }

    fs::path profile() const {
        return home_ / ".config" / "inkscape";
    }

    std::string environment() const {
        return "env HOME=" + quoted(home_.string()) +
               " XDG_CONFIG_HOME=" + quoted((home_ / ".config").string()) +
               " INKSCAPE_PROFILE_DIR=" + quoted(profile().string()) + " ";
    }

    Finished shell(const std::string& command) const {
        const fs::path out = scratch_ / "stdout";
        const fs::path err = scratch_ / "stderr";
        const std::string line =
            environment() + command + " </dev/null >" + quoted(out.string()) + " 2>" + quoted(err.string());
        const int status = std::system(line.c_str());
        return Finished{WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(out), readText(err)};
    }

    fs::path file(const std::string& name, const std::string& text) const {
        const fs::path path = scratch_ / name;
        writeText(path, text);
        return path;
    }

    // The effect's parameters, where `.noprefs` makes Inkscape take them from.
    void setParameters(const std::string& effect, const std::map<std::string, std::string>& values) const {
        std::string attributes;
        for (const auto& [name, value] : values) {
            attributes += " shunt.palette." + effect + "." + name + "=\"" + value + "\"";
        }
        writeText(profile() / "preferences.xml",
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<inkscape "
                  "xmlns:sodipodi=\"http://sodipodi.sourceforge.net/DTD/sodipodi-0.dtd\" "
                  "xmlns:inkscape=\"http://www.inkscape.org/namespaces/inkscape\" version=\"1\">\n"
                  "  <group id=\"extensions\"" +
                      attributes + "/>\n</inkscape>\n");
    }

    // Inkscape opens `input`, selects `ids`, runs the effect and saves.
    fs::path throughInkscape(const std::string& effect, const std::string& ids, const fs::path& input) const {
        const fs::path output = scratch_ / (input.stem().string() + "-" + effect + ".svg");
        const std::string actions = "select-by-id:" + ids + ";shunt.palette." + effect +
                                    ".noprefs;export-filename:" + output.string() + ";export-do";
        const Finished run =
            shell("timeout 60 " + std::string(SHUNT_XVFB_RUN) + " -a " + SHUNT_INKSCAPE +
                  " -g --batch-process --actions=" + quoted(actions) + " " + quoted(input.string()));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_TRUE(fs::exists(output)) << "Inkscape wrote no " << output << "\n" << run.err;
        return output;
    }

    // The command the installed .inx declares, run as Inkscape runs it.
    Finished declaredCommand(const std::string& effect, const std::string& arguments,
                             const fs::path& input) const {
        const std::string inx =
            readText(profile() / "extensions" / "shunt-palette" / ("shunt-palette-" + effect + ".inx"));
        const std::string open = "<command location=\"absolute\">";
        const auto start = inx.find(open);
        EXPECT_NE(start, std::string::npos) << inx;
        const std::string program =
            inx.substr(start + open.size(), inx.find("</command>", start) - start - open.size());
        return shell(quoted(program) + " " + arguments + " --operation=" + effect + " " +
                     quoted(input.string()));
    }

    // The `dump` line of one object, as shunt-host reads the file.
    std::string objectLine(const fs::path& svg, const std::string& id) const {
        const fs::path scenario = file("dump.scenario", "open " + svg.string() + "\ndump\n");
        const Finished run = shell(std::string(SHUNT_HOST) + " run " + quoted(scenario.string()));
        EXPECT_EQ(run.status, 0) << run.err;
        std::istringstream lines(run.out);
        for (std::string line; std::getline(lines, line);) {
            if (line.rfind("object " + id + " ", 0) == 0) {
                return line;
            }
        }
        ADD_FAILURE() << svg << " has no object " << id << ":\n" << run.out;
        return "";
    }

    static std::string field(const std::string& line, const std::string& name) {
        const auto at = line.find(" " + name + "=");
        if (at == std::string::npos) {
            return "(no " + name + ")";
        }
        const auto start = at + name.size() + 2;
        return line.substr(start, line.find(' ', start) - start);
    }

    Gray decode(const fs::path& png) const {
        Gray gray;
#ifdef SHUNT_HAVE_PNG
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (png_image_begin_read_from_file(&image, png.c_str()) != 0) {
            image.format = PNG_FORMAT_GRAY;
            gray.width = static_cast<int>(image.width);
            gray.height = static_cast<int>(image.height);
            gray.pixels.resize(PNG_IMAGE_SIZE(image));
            if (png_image_finish_read(&image, nullptr, gray.pixels.data(), 0, nullptr) != 0) {
                return gray;
            }
            png_image_free(&image);
        }
#endif
        ADD_FAILURE() << "cannot read " << png;
        return Gray{};
    }

    Gray renderWithRsvg(const fs::path& svg) const {
        const fs::path png = scratch_ / (svg.stem().string() + "-rsvg.png");
        const Finished run = shell(std::string(SHUNT_RSVG_CONVERT) + " -b white -f png -o " +
                                   quoted(png.string()) + " " + quoted(svg.string()));
        EXPECT_EQ(run.status, 0) << run.err;
        return decode(png);
    }

    Gray renderWithInkscape(const fs::path& svg) const {
        const fs::path png = scratch_ / (svg.stem().string() + "-inkscape.png");
        const Finished run =
            shell("timeout 60 " + std::string(SHUNT_INKSCAPE) +
                  " --export-type=png --export-background=white --export-background-opacity=1 "
                  "--export-filename=" +
                  quoted(png.string()) + " " + quoted(svg.string()));
        EXPECT_EQ(run.status, 0) << run.err;
        return decode(png);
    }

    // Inside `region` every pixel of `after` is the pixel of `before` (dx, dy)
    // before it, so the pattern is still drawn and moved by exactly that much;
    // outside it nothing changed, so no outline moved.
    static void expectMovedInside(const Gray& before, const Gray& after, Region region, int dx, int dy,
                                  const std::string& renderer) {
        ASSERT_EQ(before.width, after.width) << renderer;
        ASSERT_EQ(before.height, after.height) << renderer;
        int movedWrong = 0;
        int changedOutside = 0;
        int darkInside = 0;
        for (int y = 0; y < after.height; ++y) {
            for (int x = 0; x < after.width; ++x) {
                if (region.contains(x, y)) {
                    darkInside += after.dark(x, y) ? 1 : 0;
                    if (region.contains(x - dx, y - dy)) {
                        movedWrong += after.dark(x, y) != before.dark(x - dx, y - dy) ? 1 : 0;
                    }
                } else if (x < region.left - 1 || x > region.right || y < region.top - 1 ||
                           y > region.bottom) {
                    changedOutside += after.dark(x, y) != before.dark(x, y) ? 1 : 0;
                }
            }
        }
        EXPECT_GT(darkInside, 0) << renderer << " draws no pattern";
        EXPECT_EQ(movedWrong, 0) << renderer << ": pixels not moved by (" << dx << ", " << dy << ")";
        EXPECT_EQ(changedOutside, 0) << renderer << ": pixels changed outside the moved fill";
    }

    static int differences(const Gray& a, const Gray& b) {
        if (a.width != b.width || a.height != b.height) {
            return -1;
        }
        int count = 0;
        for (std::size_t i = 0; i < a.pixels.size(); ++i) {
            count += (a.pixels[i] < 128) != (b.pixels[i] < 128) ? 1 : 0;
        }
        return count;
    }

    fs::path scratch_;
    fs::path home_;
};

TEST_F(InkscapeExtension, SlideMovesThePatternByTheStepTheKeysGiveAndNotTheShape) {
    const fs::path input = file("in.svg", drawing("tile", "tile"));
    // Down and right, 8: Shift and Ctrl held on the palette.
    setParameters("slide", {{"item", "2"}, {"step", "8"}});
    const fs::path output = throughInkscape("slide", "A", input);

    EXPECT_EQ(field(objectLine(output, "A"), "patternMatrix"), "1,0,0,1,8,-8");
    EXPECT_EQ(objectLine(output, "B"), objectLine(input, "B"));
    expectMovedInside(renderWithRsvg(input), renderWithRsvg(output), kAreaA, 8, 8, "librsvg");
    expectMovedInside(renderWithInkscape(input), renderWithInkscape(output), kAreaA, 8, 8, "Inkscape");
}

TEST_F(InkscapeExtension, DashesShiftTheDashOffsetBackByTheStep) {
    const fs::path input = file("in.svg", drawing("tile", "tile"));
    // Forward by 0.5 (Alt): -0.5, wrapped by twice the pattern's length 6.
    setParameters("dashes", {{"item", "10"}, {"step", "0.5"}});
    const fs::path output = throughInkscape("dashes", "A,B", input);

    const std::string b = objectLine(output, "B");
    EXPECT_EQ(field(b, "dashOffset"), "11.5");
    EXPECT_EQ(field(b, "patternMatrix"), "1,0,0,1,0,0");
    EXPECT_EQ(objectLine(output, "A"), objectLine(input, "A"));
    EXPECT_GT(differences(renderWithRsvg(input), renderWithRsvg(output)), 0) << "the dashes did not move";
}

TEST_F(InkscapeExtension, ResetTakesPatternsAndDashesBackToNoTransformation) {
    const fs::path input = file("in.svg", drawing("shifted", "tile", "3"));
    const fs::path plain = file("plain.svg", drawing("tile", "tile"));
    const fs::path output = throughInkscape("reset", "A,B", input);

    EXPECT_EQ(field(objectLine(input, "A"), "patternMatrix"), "1,0,0,1,6,-3");
    EXPECT_EQ(field(objectLine(output, "A"), "patternMatrix"), "1,0,0,1,0,0");
    EXPECT_EQ(field(objectLine(output, "B"), "dashOffset"), "0");
    EXPECT_EQ(differences(renderWithRsvg(output), renderWithRsvg(plain)), 0);
    EXPECT_EQ(differences(renderWithInkscape(output), renderWithInkscape(plain)), 0);
}

TEST_F(InkscapeExtension, CapturedMatrixLastsFromOneRunToTheNextButNotForAnotherUser) {
    const fs::path input = file("in.svg", drawing("scaled", "tile"));
    const fs::path captured = throughInkscape("capture", "A", input);
    EXPECT_EQ(objectLine(captured, "B"), objectLine(input, "B")) << "capture changed the drawing";

    const fs::path applied = throughInkscape("apply", "B", captured);
    EXPECT_EQ(field(objectLine(applied, "B"), "patternMatrix"), "2,0,0,2,6,-4");
    const fs::path expected = file("expected.svg", drawing("scaled", "scaled"));
    EXPECT_EQ(differences(renderWithRsvg(applied), renderWithRsvg(expected)), 0);
    EXPECT_EQ(differences(renderWithInkscape(applied), renderWithInkscape(expected)), 0);

    const Finished show = declaredCommand("show", "", applied);
    EXPECT_EQ(show.status, 0);
    EXPECT_NE(show.err.find("Matrix: TX=6; TY=-4; A=2; B=0; C=0; D=2; H scale=200%; V scale=200%"),
              std::string::npos)
        << show.err;
    EXPECT_EQ(show.out, readText(applied));

    freshUser("another-home");
    const fs::path reapplied = throughInkscape("apply", "B", applied);
    EXPECT_EQ(field(objectLine(reapplied, "B"), "patternMatrix"), "1,0,0,1,0,0");
}

// Nothing to work on: a message says so and the drawing comes back as it was.
TEST_F(InkscapeExtension, AnEmptySelectionOrOneWithNothingToChangeIsReportedAndLeavesTheDrawing) {
    const fs::path input = file("in.svg", drawing("tile", "tile"));
    const struct {
        std::string effect;
        std::string arguments;
        std::string message;
    } cases[] = {
        {"slide", "--item=1 --step=1", "Nothing is selected"},
        {"reset", "", "Nothing is selected"},
        {"apply", "", "Nothing is selected"},
        {"slide", "--id=C --item=1 --step=1", "None of the selected objects is filled with a pattern"},
        {"dashes", "--id=A --item=9 --step=2", "None of the selected objects has a dashed stroke"},
        {"capture", "--id=C", "nothing was captured"},
    };
    for (const auto& c : cases) {
        const Finished run = declaredCommand(c.effect, c.arguments, input);
        EXPECT_EQ(run.status, 0) << c.effect << " " << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos)
            << c.effect << " " << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out, readText(input)) << c.effect << " " << c.arguments;
    }
    EXPECT_FALSE(fs::exists(home_ / ".config" / "shunt-host" / "captured-matrix.txt"));
}

// shunt-host holds the keys that give the step and the plug-in works the
// step out from them: every step of the .inx moves the pattern by itself.
TEST_F(InkscapeExtension, EveryStepTheDialogOffersMovesThePatternByThatStep) {
    const fs::path input = file("in.svg", drawing("tile", "tile"));
    const std::string inx = readText(profile() / "extensions" / "shunt-palette" / "shunt-palette-slide.inx");
    std::vector<std::string> steps;
    for (auto at = inx.find("<option value=\""); at != std::string::npos;
         at = inx.find("<option value=\"", at + 1)) {
        const auto start = at + 15;
        steps.push_back(inx.substr(start, inx.find('"', start) - start));
    }
    steps.erase(steps.begin(), steps.begin() + 8);  // the eight directions
    ASSERT_EQ(steps.size(), 14u) << inx;
    for (const auto& step : steps) {
        const Finished run = declaredCommand("slide", "--id=A --item=1 --step=" + step, input);
        ASSERT_EQ(run.status, 0) << step << ": " << run.err;
        EXPECT_EQ(run.err, "") << step;
        const fs::path output = file("out.svg", run.out);
        EXPECT_EQ(field(objectLine(output, "A"), "patternMatrix"), "1,0,0,1," + step + ",0") << step;
    }
}

// A call Inkscape would not make is refused with a message, and nothing is written.
TEST_F(InkscapeExtension, CallsOutsideTheConventionAreRefused) {
    const fs::path input = file("in.svg", drawing("tile", "tile"));
    const struct {
        std::string effect;
        std::string arguments;
        std::string message;
    } cases[] = {
        {"slide", "--id=A --item=9 --step=1", "--item=9: the arrows are items 1"},
        {"dashes", "--id=B --item=1 --step=1", "--item=1: the dash buttons are items 9"},
        {"slide", "--id=A --item=1 --step=3", "--step=3: the keys give the steps"},
        {"slide", "--id=A --colour=red", "--colour: the Shunt Palette's effects take"},
        {"show", "--id", "--id: Inkscape passes every parameter as --NAME=VALUE"},
        {"show", "--id=A other.svg", "more than one drawing"},
    };
    for (const auto& c : cases) {
        const Finished run = declaredCommand(c.effect, c.arguments, input);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        EXPECT_EQ(run.out, "") << c.arguments;
    }
    const Finished unreadable = declaredCommand("slide", "--id=A", scratch_ / "missing.svg");
    EXPECT_EQ(unreadable.status, 2);
    EXPECT_NE(unreadable.err.find("shunt-host cannot work on this drawing"), std::string::npos)
        << unreadable.err;
}

}  // namespace
