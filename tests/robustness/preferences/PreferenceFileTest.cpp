// The preference file against what happens to files: cut short, damaged,
// emptied, or impossible to write. The host must start every time, the
// palette must open, and a good file must never be lost: a damaged one is
// set aside as it was, and a save that fails leaves the old file whole.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "Holdings.h"
#include "Session.h"
#include "simhost/PreferenceStore.h"

namespace shunt_robustness {
namespace {

namespace fs = std::filesystem;

constexpr ADMRect kPaletteArea{0, 0, 600, 800};

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class PreferenceFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            fs::temp_directory_path() / ("shunt-prefs-" + std::to_string(::getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        file = folder / "preferences";
    }
    void TearDown() override { fs::remove_all(folder); }

    simhost::HostOptions options() const {
        simhost::HostOptions out = quietHostOptions();
        out.preferencesFile = file.string();
        out.paletteArea = kPaletteArea;
        return out;
    }

    // A whole run of the host that moves and docks the palette, so that the
    // file it leaves holds every preference the palette keeps.
    std::string goodFile() {
        {
            Session session(defaultBundleDir(), options());
            session.startup();
            session.host().dialogs().drag(session.palette(), 120, -4);
            session.host().dialogs().dock(session.palette(), "Layers", 5);
            session.shutdown();
        }
        const std::string good = contents(file);
        EXPECT_EQ(good.find("kADM_DPLocationStr"), good.rfind("kADM_DPLocationStr")) << good;
        return good;
    }

    // One run of the host on whatever the file holds: it must start, make the
    // palette and shut down with nothing left over. What the palette came up
    // with, and what the store reported.
    struct Run {
        std::optional<std::string> damage;
        std::string saveError;
        std::string group;
        ADMRect bounds{};
    };
    Run runHost() {
        Run run;
        Session session(defaultBundleDir(), options());
        run.damage = session.host().preferences().damageReport();
        session.startup();
        const simhost::Dialog* palette = session.host().dialogs().dialog(session.palette());
        EXPECT_NE(palette, nullptr) << "no palette";
        if (palette != nullptr) {
            run.group = palette->groupName;
            run.bounds = palette->bounds;
        }
        session.shutdown();
        run.saveError = session.host().preferences().saveError();
        EXPECT_TRUE(session.host().violations().empty()) << session.host().violations().front();
        EXPECT_TRUE(holdingsOf(session.host()).empty()) << describe(holdingsOf(session.host()));
        return run;
    }

    // What the file now holds must read back without damage.
    void expectGoodFile() {
        std::string error;
        EXPECT_TRUE(simhost::PreferenceStore::parse(contents(file), error)) << error;
    }

    fs::path folder;
    fs::path file;
};

TEST_F(PreferenceFile, EveryCutOfAGoodFileStartsTheHostAndKeepsTheBytesThatWereThere) {
    const std::string good = goodFile();
    int refused = 0;
    int readAsGood = 0;
    for (std::size_t length = 0; length < good.size(); ++length) {
        fs::remove_all(folder);
        fs::create_directories(folder);
        const std::string cut = good.substr(0, length);
        write(file, cut);
        const Run run = runHost();
        if (run.damage) {
            ++refused;
            EXPECT_EQ(contents(folder / "preferences.damaged"), cut) << "cut at " << length;
        } else {
            ++readAsGood;
        }
        EXPECT_TRUE(run.saveError.empty()) << run.saveError;
        expectGoodFile();
    }
    // A cut at the end of a line, or inside a number, still reads as a file;
    // the values it held after the cut are lost or changed. The file has no
    // end mark to tell.
    std::cout << "of " << good.size() << " cuts, " << refused << " were set aside and " << readAsGood
              << " read as good files\n";
    EXPECT_GT(refused, 0);
}

TEST_F(PreferenceFile, DamagedFilesOfEveryKindStartTheHostWithTheDefaultPlace) {
    const std::vector<std::pair<std::string, std::string>> damaged = {
        {"empty", ""},
        {"not a preference file", "<?xml version=\"1.0\"?>\n<prefs/>\n"},
        {"binary", std::string("\x00\xFF\xFE\x01shunt-preferences 1\n", 23)},
        {"a later format", "shunt-preferences 2\ninteger \"Shunt\" \"kADM_DPDockCodeStr\" 5\n"},
        {"a bad line", "shunt-preferences 1\ninteger \"Shunt\" \"kADM_DPDockCodeStr\" five\n"},
        {"an open quote", "shunt-preferences 1\nstring \"Shunt\" \"kADM_DPDockGroupStr\" \"Layers\n"},
        {"a number too large", "shunt-preferences 1\ninteger \"Shunt\" \"kADM_DPDockCodeStr\" 99999999999\n"},
        {"a point too far", "shunt-preferences 1\npoint \"Shunt\" \"kADM_DPLocationStr\" 40000,1\n"},
        {"a zero byte", std::string("shunt-preferences 1\nboolean \"Shunt\" \"k\" \0\n", 41)},
        {"one long line", "shunt-preferences 1\nstring \"Shunt\" \"k\" \"" + std::string(1 << 20, 'x')},
    };
    for (const auto& [what, bytes] : damaged) {
        SCOPED_TRACE(what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        write(file, bytes);
        const Run run = runHost();
        ASSERT_TRUE(run.damage.has_value()) << "read as a good file";
        EXPECT_EQ(contents(folder / "preferences.damaged"), bytes);
        EXPECT_EQ(run.group, "KorvaneDialogs");
        EXPECT_EQ(run.bounds.top, kPaletteArea.bottom - 76);
        EXPECT_EQ(run.bounds.left, kPaletteArea.right - 210);
        expectGoodFile();
    }
}

TEST_F(PreferenceFile, StoredValuesNoPaletteCanTakeStillOpenThePalette) {
    // Good as a file, but a group name longer than the palette keeps, a place
    // at the edge of the 16-bit plane and a dock code of no group.
    write(file,
          "shunt-preferences 1\n"
          "string \"Shunt\" \"kADM_DPDockGroupStr\" \"" +
              std::string(300, 'g') +
              "\"\n"
              "integer \"Shunt\" \"kADM_DPDockCodeStr\" -2147483648\n"
              "point \"Shunt\" \"kADM_DPLocationStr\" 32767,32767\n"
              "boolean \"Shunt\" \"kADM_DPVisibleStr\" 0\n");
    const Run run = runHost();
    EXPECT_FALSE(run.damage.has_value());
    EXPECT_EQ(run.group, "KorvaneDialogs");
    EXPECT_GE(run.bounds.bottom, run.bounds.top) << "the palette's far edge wrapped round";
    EXPECT_GE(run.bounds.right, run.bounds.left);
    expectGoodFile();
}

TEST_F(PreferenceFile, ASecondDamagedFileKeepsTheFirstOneSetAside) {
    write(file, "damaged once");
    runHost();
    write(file, "damaged twice");
    runHost();
    EXPECT_EQ(contents(folder / "preferences.damaged"), "damaged once");
    EXPECT_EQ(contents(folder / "preferences.damaged-2"), "damaged twice");
    expectGoodFile();
}

TEST_F(PreferenceFile, APreferencePathThatIsAFolderStillStartsTheHost) {
    fs::create_directories(file);
    write(file / "inside", "kept");
    const Run run = runHost();
    EXPECT_TRUE(run.damage.has_value());
    EXPECT_EQ(run.group, "KorvaneDialogs");
    // Whatever the store did with the folder, what was in it is still there.
    bool kept = false;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        kept = kept || (entry.path().filename() == "inside" && contents(entry.path()) == "kept");
    }
    EXPECT_TRUE(kept);
}

// Runs `body` in a child process whose files cannot grow past `bytes`, as on
// a full disk; the child's exit status.
int withFileSizeLimit(rlim_t bytes, const std::function<int()>& body) {
    std::cout.flush();
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
        const rlimit limit{bytes, bytes};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(body());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST_F(PreferenceFile, ASaveOnAFullDiskFailsAndLeavesTheGoodFileWhole) {
#if defined(SHUNT_UNDER_EMULATOR)
    // qemu-user restarts a write that hits the file size limit for ever.
    GTEST_SKIP() << "a file size limit cannot be set for a program under a user-mode emulator";
#endif
    const std::string good = goodFile();
    const int status = withFileSizeLimit(16, [this] {
        Session session(defaultBundleDir(), options());
        session.startup();
        session.host().dialogs().drag(session.palette(), 300, 300);  // something new to save
        session.shutdown();
        const bool failed = !session.host().preferences().saveError().empty();
        return failed && session.host().violations().empty() && holdingsOf(session.host()).empty() ? 0 : 1;
    });
    EXPECT_EQ(status, 0) << "the save did not fail, or the host did not shut down cleanly";
    EXPECT_EQ(contents(file), good);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"preferences"}) << "a half-written file was left";
    const Run run = runHost();  // and the next run reads it
    EXPECT_FALSE(run.damage.has_value());
    EXPECT_EQ(run.group, "Layers");
    EXPECT_EQ(run.bounds.top, 120);
}

TEST_F(PreferenceFile, ASaveThatCannotCreateItsFileFailsAndLeavesTheGoodFileWhole) {
    const std::string good = goodFile();
    // Whatever name the store writes beside the file, a folder of files can
    // take none: put the file in a folder and make the folder's place a file.
    const fs::path moved = folder / "gone";
    simhost::HostOptions opts = options();
    {
        Session session(defaultBundleDir(), opts);
        session.startup();
        fs::rename(folder / "preferences", moved);
        fs::create_directories(folder / "preferences");  // the file is now a folder: no rename over it
        write(folder / "preferences" / "x", "");
        session.shutdown();
        EXPECT_FALSE(session.host().preferences().saveError().empty());
        EXPECT_TRUE(session.host().violations().empty());
        EXPECT_TRUE(holdingsOf(session.host()).empty());
    }
    EXPECT_EQ(contents(moved), good);
    for (const std::string& name : namesIn(folder)) {
        EXPECT_TRUE(name == "gone" || name == "preferences") << "left behind: " << name;
    }
}

}  // namespace
}  // namespace shunt_robustness
