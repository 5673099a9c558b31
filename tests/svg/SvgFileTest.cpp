// Files: reading from disk, and saving whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "SvgTestSupport.h"
#include "svg/SvgAtomicFile.h"
#include "svg/SvgDocument.h"

using namespace shunthost::svg;
using svgtest::object;
using svgtest::ScratchFolder;
using svgtest::svgWith;

namespace {

const std::string kDocument = svgWith(
    R"svg(<defs><pattern id="p" width="4" height="4"/></defs><rect id="r" fill="url(#p)" width="1" height="1"/>)svg");

}  // namespace

TEST(SvgFile, ReadsAndSavesAFile) {
    ScratchFolder folder;
    svgtest::writeText(folder / "in.svg", kDocument);
    SvgArtwork artwork = readSvg((folder / "in.svg").string());
    object(artwork, "r").style.transform.ty = -8;
    writeSvg(artwork, (folder / "out.svg").string());
    SvgArtwork again = readSvg((folder / "out.svg").string());
    EXPECT_EQ(object(again, "r").style.transform.ty, -8.0f);
    EXPECT_EQ(folder.entryCount(), 2u) << "no temporary file is left";
}

TEST(SvgFile, SavingOverAFileReplacesItWholeAndKeepsItsPermissions) {
    ScratchFolder folder;
    const auto path = folder / "art.svg";
    svgtest::writeText(path, kDocument);
    ::chmod(path.c_str(), 0640);
    SvgArtwork artwork = readSvg(path.string());
    object(artwork, "r").style.dashOffset = 3;
    writeSvg(artwork, path.string());
    SvgArtwork again = readSvg(path.string());
    EXPECT_EQ(object(again, "r").style.dashOffset, 3.0f);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(SvgFile, AMissingFileIsAnErrorWithoutALine) {
    ScratchFolder folder;
    const std::string path = (folder / "absent.svg").string();
    try {
        readSvg(path);
        FAIL() << "read a missing file";
    } catch (const SvgError& error) {
        EXPECT_EQ(error.file(), path);
        EXPECT_EQ(error.line(), 0);
        EXPECT_NE(error.message().find("No such file"), std::string::npos) << error.what();
    }
}

TEST(SvgFile, AFolderIsNotReadAsAFile) {
    ScratchFolder folder;
    try {
        readSvg(folder.path().string());
        FAIL() << "read a folder";
    } catch (const SvgError& error) {
        EXPECT_EQ(error.line(), 0);
        EXPECT_EQ(error.message(), "cannot read: it is a folder");
    }
}

TEST(SvgFile, AMalformedFileNamesItsLine) {
    ScratchFolder folder;
    const auto path = folder / "bad.svg";
    svgtest::writeText(path, "<svg xmlns=\"http://www.w3.org/2000/svg\">\n\n  <rect width=\"1\"\n</svg>\n");
    try {
        readSvg(path.string());
        FAIL() << "read a malformed file";
    } catch (const SvgError& error) {
        EXPECT_EQ(error.line(), 4);
        EXPECT_EQ(std::string(error.what()).rfind(path.string() + ":4: malformed XML", 0), 0u)
            << error.what();
    }
}

TEST(SvgFile, SavingIntoAMissingFolderThrowsAndLeavesNothing) {
    ScratchFolder folder;
    SvgArtwork artwork = readSvgText(kDocument);
    const auto target = folder / "missing" / "out.svg";
    EXPECT_THROW(writeSvg(artwork, target.string()), SvgError);
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_EQ(folder.entryCount(), 0u);
}

TEST(SvgFile, SavingOverAFolderThrowsAndLeavesNoTemporaryFile) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "taken.svg");
    std::filesystem::create_directory(folder / "taken.svg" / "inside");
    SvgArtwork artwork = readSvgText(kDocument);
    EXPECT_THROW(writeSvg(artwork, (folder / "taken.svg").string()), SvgError);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "taken.svg"));
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(SvgFile, AWriteThatFailsHalfwayLeavesTheOldFileAsItWas) {
    ScratchFolder folder;
    const auto path = folder / "art.svg";
    svgtest::writeText(path, "old");
    EXPECT_THROW(writeFileAtomically(path.string(),
                                     [](std::FILE* file) {
                                         std::fputs("half of it", file);
                                         throw SvgError("", 0, "stopped halfway");
                                     }),
                 SvgError);
    EXPECT_EQ(svgtest::readText(path), "old");
    EXPECT_EQ(folder.entryCount(), 1u);
}
