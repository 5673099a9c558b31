// Files: reading from disk, and saving whole or not at all.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    // A name as long as the system allows still leaves room for the temporary one.
    const std::string longest = std::string(251, 'n') + ".svg";
    writeSvg(again, (folder / longest).string());
    SvgArtwork saved = readSvg((folder / longest).string());
    EXPECT_EQ(object(saved, "r").style.transform.ty, -8.0f);
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

// Whatever a name leads to that is not a regular file, or is too large, is
// refused before it is read: nothing waits on a device that never ends.
TEST(SvgFile, OnlyARegularFileWithinTheLimitIsRead) {
    ScratchFolder folder;
    svgtest::writeText(folder / "large.svg", kDocument + std::string(2048, ' '));
    svgtest::writeText(folder / "fits.svg", kDocument);
    const struct {
        std::string path;
        std::uint64_t maxSize;
        std::string message;  // empty: read
    } cases[] = {
        {folder.path().string(), kDefaultMaxArtworkSize, "cannot read: it is a folder"},
        {"/dev/zero", kDefaultMaxArtworkSize, "cannot read: it is a device, not a regular file"},
        {(folder / "large.svg").string(), 2048,
         "cannot read: it is larger than the limit of 2 KiB (--max-size sets it)"},
        {(folder / "fits.svg").string(), kDocument.size(), ""},
    };
    for (const auto& c : cases) {
        try {
            readSvg(c.path, c.maxSize);
            EXPECT_EQ(c.message, "") << c.path << " was read";
        } catch (const SvgError& error) {
            EXPECT_EQ(error.file(), c.path);
            EXPECT_EQ(error.line(), 0);
            EXPECT_EQ(error.message(), c.message);
        }
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

// Saves replace only what is ours to replace, and say why they will not.
TEST(SvgFile, AReadOnlyFileIsRefusedAndKept) {
    ScratchFolder folder;
    const auto path = folder / "art.svg";
    svgtest::writeText(path, kDocument);
    ::chmod(path.c_str(), 0444);  // read-only even where the system lets root write it
    SvgArtwork artwork = readSvg(path.string());
    object(artwork, "r").style.dashOffset = 3;
    try {
        writeSvg(artwork, path.string());
        FAIL() << "saved over a read-only file";
    } catch (const SvgError& error) {
        EXPECT_EQ(error.message(), "cannot save: it is read-only");
    }
    EXPECT_EQ(svgtest::readText(path), kDocument);
    EXPECT_EQ(folder.entryCount(), 1u);
}

TEST(SvgFile, SavingThroughALinkUpdatesTheFileItLeadsTo) {
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "real");
    svgtest::writeText(folder / "real" / "art.svg", kDocument);
    std::filesystem::create_symlink("real/art.svg", folder / "link.svg");
    SvgArtwork artwork = readSvg((folder / "link.svg").string());
    object(artwork, "r").style.dashOffset = 3;
    writeSvg(artwork, (folder / "link.svg").string());
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.svg"));
    SvgArtwork again = readSvg((folder / "real" / "art.svg").string());
    EXPECT_EQ(object(again, "r").style.dashOffset, 3.0f);
    EXPECT_EQ(folder.entryCount(), 2u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "real"), {}), 1)
        << "the temporary file was written and renamed beside the real file";
}

// A save in a child process that stops inside its write: killed, or, when
// given a pipe, alive until the pipe's writing end is closed.
pid_t saveInAChild(const std::string& path, const int* pipe = nullptr) {
    const int hold = pipe != nullptr ? pipe[0] : -1;
    const pid_t child = ::fork();
    if (child == 0) {
        if (pipe != nullptr) {
            ::close(pipe[1]);
        }
        try {
            writeFileAtomically(path, [hold](std::FILE* file) {
                std::fputs("half of it", file);
                std::fflush(file);
                char byte = 0;
                while (hold >= 0 && ::read(hold, &byte, 1) > 0) {
                }
                ::_exit(0);  // as if killed: no clean-up runs
            });
        } catch (...) {
        }
        ::_exit(1);
    }
    return child;
}

TEST(SvgFile, TheNextSaveRemovesTheTemporaryFileOfAKilledSaveButNotOfALiveOne) {
    ScratchFolder folder;
    const auto path = folder / "art.svg";
    svgtest::writeText(path, "old");
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const pid_t live = saveInAChild(path.string(), pipe);
    ::close(pipe[0]);
    for (int wait = 0; wait < 10000 && folder.entryCount() < 2; ++wait) {
        ::usleep(1000);  // until the live save has made its file
    }
    int status = 0;
    ::waitpid(saveInAChild(path.string()), &status, 0);
    ASSERT_EQ(folder.entryCount(), 3u) << "the live and the killed save each left a file";
    SvgArtwork artwork = readSvgText(kDocument);
    writeSvg(artwork, path.string());
    EXPECT_EQ(folder.entryCount(), 2u) << "the killed save's file is gone, the live one's kept";
    ::close(pipe[1]);
    ::waitpid(live, &status, 0);
    SvgArtwork again = readSvgText(kDocument);
    writeSvg(again, path.string());
    EXPECT_EQ(folder.entryCount(), 1u);
    EXPECT_EQ(svgtest::readText(path), writeSvgText(again));
}
