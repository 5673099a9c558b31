// The host's preference store: its file, written whole and atomically, and
// what the host does with a file it cannot read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "HostSuiteFixture.h"
#include "simhost/PreferenceStore.h"

namespace shunt_test {
namespace {

namespace fs = std::filesystem;

// A fresh folder for the test's preference files.
class PrefsFolder {
public:
    PrefsFolder() : path_(fs::temp_directory_path() / ("shunt-prefs-" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~PrefsFolder() { fs::remove_all(path_); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& entry : fs::directory_iterator(path_)) {
            out.push_back(entry.path().filename().string());
        }
        std::sort(out.begin(), out.end());
        return out;
    }

private:
    fs::path path_;
};

std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void write(const std::string& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

TEST(PreferenceStoreTest, EveryKindOfValueRoundTripsThroughTheFile) {
    PrefsFolder folder;
    const std::string file = folder.file("prefs.txt");
    {
        simhost::PreferenceStore store(file);
        store.put("Shunt", "code", ASInt32{-7168});
        store.put("Shunt", "visible", true);
        store.put("Shunt", "place", ADMPoint{-12, 300});
        store.put("Shunt", "group", std::string("say \"hi\"\\ \n\t caf\x8E"));
        store.put("Other Section", "key with spaces", std::string());
        ASSERT_TRUE(store.save()) << store.saveError();
    }
    simhost::PreferenceStore again(file);
    EXPECT_FALSE(again.damageReport().has_value());
    ASSERT_EQ(again.entries().size(), 5u);
    EXPECT_EQ(std::get<ASInt32>(*again.find("Shunt", "code")), -7168);
    EXPECT_EQ(std::get<bool>(*again.find("Shunt", "visible")), true);
    EXPECT_EQ(std::get<ADMPoint>(*again.find("Shunt", "place")).v, -12);
    EXPECT_EQ(std::get<ADMPoint>(*again.find("Shunt", "place")).h, 300);
    EXPECT_EQ(std::get<std::string>(*again.find("Shunt", "group")), "say \"hi\"\\ \n\t caf\x8E");
    EXPECT_EQ(again.entries().front().section, "Other Section") << "entries come sorted";
}

TEST(PreferenceStoreTest, ASaveLeavesOnlyTheFileBehind) {
    PrefsFolder folder;
    simhost::PreferenceStore store(folder.file("prefs.txt"));
    store.put("Shunt", "code", ASInt32{1});
    ASSERT_TRUE(store.save());
    store.put("Shunt", "code", ASInt32{2});
    ASSERT_TRUE(store.save());
    EXPECT_EQ(folder.names(), std::vector<std::string>{"prefs.txt"});
    EXPECT_NE(contents(folder.file("prefs.txt")).find("integer \"Shunt\" \"code\" 2"), std::string::npos);
}

TEST(PreferenceStoreTest, ASaveThatCannotWriteSaysWhyAndLeavesNothing) {
    PrefsFolder folder;
    simhost::PreferenceStore store(folder.file("missing-folder/prefs.txt"));
    store.put("Shunt", "code", ASInt32{1});
    EXPECT_FALSE(store.save());
    EXPECT_NE(store.saveError().find("cannot create"), std::string::npos) << store.saveError();
    EXPECT_TRUE(folder.names().empty());
}

TEST(PreferenceStoreTest, AStoreWithoutAFileKeepsValuesInMemory) {
    simhost::PreferenceStore store{std::string()};
    store.put("Shunt", "code", ASInt32{1});
    EXPECT_TRUE(store.save());
    EXPECT_NE(store.find("Shunt", "code"), nullptr);
}

TEST(PreferenceStoreTest, ADamagedFileIsSetAsideAndTheDefaultsAreUsed) {
    PrefsFolder folder;
    const std::string file = folder.file("prefs.txt");
    write(file, "\x01\x02 not preferences at all");
    simhost::PreferenceStore store(file);
    EXPECT_TRUE(store.entries().empty());
    ASSERT_TRUE(store.damageReport().has_value());
    EXPECT_NE(store.damageReport()->find("damaged"), std::string::npos);
    EXPECT_NE(store.damageReport()->find("prefs.txt.damaged"), std::string::npos) << *store.damageReport();
    EXPECT_EQ(folder.names(), std::vector<std::string>{"prefs.txt.damaged"});
    EXPECT_EQ(contents(folder.file("prefs.txt.damaged")), "\x01\x02 not preferences at all");
}

TEST(PreferenceStoreTest, ABadLineDamagesTheFileAndIsNamed) {
    PrefsFolder folder;
    const std::string file = folder.file("prefs.txt");
    write(file, "shunt-preferences 1\ninteger \"Shunt\" \"code\" 12\ninteger \"Shunt\" \"place\" twelve\n");
    simhost::PreferenceStore store(file);
    EXPECT_TRUE(store.entries().empty()) << "nothing of a damaged file is trusted";
    ASSERT_TRUE(store.damageReport().has_value());
    EXPECT_NE(store.damageReport()->find("line 3"), std::string::npos) << *store.damageReport();
}

TEST(PreferenceStoreTest, ASecondDamagedFileDoesNotReplaceTheFirst) {
    PrefsFolder folder;
    const std::string file = folder.file("prefs.txt");
    write(file, "first damage");
    simhost::PreferenceStore first(file);
    write(file, "second damage");
    simhost::PreferenceStore second(file);
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"prefs.txt.damaged", "prefs.txt.damaged-2"}));
    EXPECT_EQ(contents(folder.file("prefs.txt.damaged")), "first damage");
}

// What the file's place holds is kept when it is not ours to replace: the
// file a link leads to is written, a read-only file and a folder are left.
TEST(PreferenceStoreTest, ASaveKeepsWhatIsNotOurs) {
    PrefsFolder folder;
    const std::string file = folder.file("prefs.txt");
    const std::string other = folder.file("other.txt");
    const std::string saved = "shunt-preferences 1\ninteger \"Shunt\" \"code\" 2\n";
    enum class Place { Link, PlantedLink, ReadOnly, Folder };
    const struct {
        Place place;
        bool saves;
        std::string said;                // in the damage report or the save's error
        std::vector<std::string> names;  // what the folder holds afterwards
    } cases[] = {
        {Place::Link, true, "", {"other.txt", "prefs.txt"}},
        {Place::PlantedLink,
         true,
         "",
         {"other.txt", "prefs.txt", "prefs.txt.tmp-" + std::to_string(::getpid())}},
        {Place::ReadOnly, false, "read-only", {"prefs.txt"}},
        {Place::Folder, false, "it is a folder", {"prefs.txt"}},
    };
    for (const auto& c : cases) {
        fs::remove_all(file);
        fs::remove(other);
        fs::remove(file + ".tmp-" + std::to_string(::getpid()));
        write(other, "not ours");
        switch (c.place) {
            case Place::Link:
                write(other, "shunt-preferences 1\n");
                fs::create_symlink("other.txt", file);
                break;
            case Place::PlantedLink:  // where a save once put its temporary file
                fs::create_symlink("other.txt", file + ".tmp-" + std::to_string(::getpid()));
                break;
            case Place::ReadOnly:
                fs::remove(other);
                write(file, "shunt-preferences 1\n");
                ::chmod(file.c_str(), 0444);
                break;
            case Place::Folder:
                fs::remove(other);
                fs::create_directory(file);
                write(file + "/inside", "kept");
                break;
        }
        simhost::PreferenceStore store(file);
        store.put("Shunt", "code", ASInt32{2});
        EXPECT_EQ(store.save(), c.saves) << static_cast<int>(c.place);
        const std::string said = store.damageReport().value_or("") + store.saveError();
        EXPECT_NE(said.find(c.said), std::string::npos) << said;
        EXPECT_EQ(folder.names(), c.names) << static_cast<int>(c.place);
        switch (c.place) {
            case Place::Link:
                EXPECT_TRUE(fs::is_symlink(file));
                EXPECT_EQ(contents(other), saved);
                break;
            case Place::PlantedLink:
                EXPECT_EQ(contents(other), "not ours");
                EXPECT_EQ(contents(file), saved);
                break;
            case Place::ReadOnly:
                EXPECT_EQ(contents(file), "shunt-preferences 1\n");
                break;
            case Place::Folder:
                EXPECT_EQ(contents(file + "/inside"), "kept");
                break;
        }
    }
}

// The plug-in on a host whose preference file is damaged.
class DamagedPreferencesTest : public HostFixture {
protected:
    simhost::HostOptions hostOptions() const override {
        write(file_, "shunt-preferences 1\nstring \"Shunt\" \"kADM_DPDockGroupStr\" \"unterminated\n");
        simhost::HostOptions options;
        options.preferencesFile = file_;
        options.paletteArea = {0, 0, 600, 800};
        return options;
    }
    PrefsFolder folder_;
    std::string file_ = folder_.file("prefs.txt");
};

TEST_F(DamagedPreferencesTest, ThePaletteOpensWithTheDefaultsAndTheNextSaveIsGood) {
    ASSERT_TRUE(host->preferences().damageReport().has_value());
    startHost();
    const simhost::Dialog* dialog = host->dialogs().dialog(palette());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->groupName, "KorvaneDialogs");
    EXPECT_EQ(dialog->bounds.top, 600 - 76);
    EXPECT_EQ(dialog->bounds.left, 800 - 210);
    stopHost();
    std::string error;
    EXPECT_TRUE(simhost::PreferenceStore::parse(contents(file_), error).has_value()) << error;
    EXPECT_EQ(folder_.names(), (std::vector<std::string>{"prefs.txt", "prefs.txt.damaged"}));
}

// The preference suite as the plug-in calls it.
class PreferenceSuiteTest : public HostSuiteFixture {
protected:
    const AIPreferenceSuite* prefs = nullptr;
    void SetUp() override {
        HostSuiteFixture::SetUp();
        prefs = acquire<AIPreferenceSuite>(kAIPreferenceSuite, kAIPreferenceSuiteVersion);
    }
};

TEST_F(PreferenceSuiteTest, AStringLongerThanAReadCanHoldIsRefused) {
    const std::string longest(kMaxPreferenceStringSize - 1, 's');
    EXPECT_EQ(prefs->putStringPreference("Shunt", "k", longest.c_str()), kNoErr);
    const std::string tooLong(kMaxPreferenceStringSize, 's');
    EXPECT_EQ(prefs->putStringPreference("Shunt", "k", tooLong.c_str()), kBadParameterErr);
    char buffer[kMaxPreferenceStringSize];
    EXPECT_EQ(prefs->getStringPreference("Shunt", "k", buffer), kNoErr);
    EXPECT_EQ(std::string(buffer), longest);
}

TEST_F(PreferenceSuiteTest, AReadOfNothingOrAnotherKindLeavesTheValue) {
    ASInt32 code = 7168;
    EXPECT_EQ(prefs->getIntegerPreference("Shunt", "missing", &code), kNoErr);
    EXPECT_EQ(code, 7168);
    prefs->putStringPreference("Shunt", "text", "12");
    prefs->getIntegerPreference("Shunt", "text", &code);
    EXPECT_EQ(code, 7168);
    ADMPoint place{1, 2};
    prefs->getPointPreference("Shunt", "text", &place);
    EXPECT_EQ(place.v, 1);
    char buffer[kMaxPreferenceStringSize] = "default";
    prefs->getStringPreference("Shunt", "missing", buffer);
    EXPECT_STREQ(buffer, "default");
}

TEST_F(PreferenceSuiteTest, ANullKeyIsReported) {
    expectViolation("null section, key or value address");
    ASInt32 code = 0;
    EXPECT_EQ(prefs->getIntegerPreference("Shunt", nullptr, &code), kBadParameterErr);
}

}  // namespace
}  // namespace shunt_test
