#include "scan/search_walk.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace parvex {
namespace {

using testing::ElementsAre;

// Runs a test body with the process's current folder set to `folder`, restoring it afterwards.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder) : saved_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~CurrentFolder() { std::filesystem::current_path(saved_); }

private:
    std::filesystem::path saved_;
};

TEST(SplitListTest, TrimsEveryPartButTheLastAndStopsAtABlankRest) {
    EXPECT_THAT(SplitList(""), ElementsAre(""));
    EXPECT_THAT(SplitList("a"), ElementsAre("a"));
    EXPECT_THAT(SplitList(" a ; b ;c "), ElementsAre("a", "b", "c "));
    EXPECT_THAT(SplitList("a;;b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitList("a;  "), ElementsAre("a"));
    EXPECT_THAT(SplitList("a;\tb"), ElementsAre("a", "\tb"));
}

TEST(BuildTargetsTest, PairsEveryFolderWithEveryMaskInOrder) {
    EXPECT_THAT(BuildTargets("/b;/a/", "*.ogg;s*"), ElementsAre("/b/*.ogg", "/b/s*.*", "/a/*.ogg", "/a/s*.*"));
    EXPECT_THAT(BuildTargets("/", ""), ElementsAre("/*.*"));
}

TEST(BuildTargetsTest, DropsRepeatedFoldersExactlyAndRepeatedMasksIgnoringCase) {
    EXPECT_THAT(BuildTargets("/m;/m/;/m/./x/..;/M", "*.ogg;*.OGG;A*;a*.*"),
                ElementsAre("/m/*.ogg", "/m/A*.*", "/M/*.ogg", "/M/A*.*"));
}

TEST(BuildTargetsTest, ResolvesRelativeAndEmptyFoldersAgainstTheCurrentFolder) {
    const test::TempDir dir;
    std::filesystem::create_directory(dir.Path() / "sub");
    const CurrentFolder inside(dir.Path());
    const std::string here = std::filesystem::current_path().string() + "/";
    EXPECT_THAT(BuildTargets("", "*.ogg"), ElementsAre(here + "*.ogg"));
    EXPECT_THAT(BuildTargets("sub;;../" + dir.Path().filename().string(), "*.ogg"),
                ElementsAre(here + "sub/*.ogg", here + "*.ogg"));
}

TEST(AbsoluteFolderTest, NormalisesAndEndsWithTheSeparator) {
    EXPECT_EQ(AbsoluteFolder("/"), "/");
    EXPECT_EQ(AbsoluteFolder("/music"), "/music/");
    EXPECT_EQ(AbsoluteFolder("/music/rock/../pop/"), "/music/pop/");
}

TEST(FileMatchesTest, RefusesEntriesThatAreNeitherFilesNorFolders) {
    const TSearchCriteria defaults;
    DirEntry special;
    special.Name = "pipe.ogg";
    EXPECT_FALSE(FileMatches(defaults, "/m/", special));
    special.Attributes = ffReadonly;
    EXPECT_FALSE(FileMatches(defaults, "/m/", special));
}

TEST(FileMatchesTest, ComparesSizesBeyondThirtyTwoBits) {
    TSearchCriteria criteria;
    criteria.SizeMax = 1000;
    DirEntry big;
    big.Name = "big.ogg";
    big.Attributes = ffArchive;
    big.Size = (std::int64_t{1} << 32) + 10;  // 10 when cut to 32 bits
    EXPECT_FALSE(FileMatches(criteria, "/m/", big));
}

TEST(ContainsTextTest, ReadsFilesOfAnySizeAndMissesUnreadableOnes) {
    const test::TempDir dir;
    std::string large(3 * 4096, 'x');
    large.replace(2 * 4096 - 1, 3, "abc");  // across the second block border
    const auto path = dir.Write("large.bin", large).string();
    EXPECT_TRUE(ContainsText(path, "abc", false));
    EXPECT_TRUE(ContainsText(path, "ABC", true));
    EXPECT_FALSE(ContainsText(path, "ABC", false));
    EXPECT_FALSE(ContainsText(path, "xxxxy", true));
    EXPECT_TRUE(ContainsText(dir.Write("exact.bin", "abc").string(), "abc", false));
    EXPECT_FALSE(ContainsText(dir.Write("short.bin", "ab").string(), "abc", false));
    EXPECT_FALSE(ContainsText((dir.Path() / "missing.bin").string(), "abc", false));
}

}  // namespace
}  // namespace parvex
