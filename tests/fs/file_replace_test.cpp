// The replacement of a saved file on disk: permissions, links, and what happens when the file
// system gets in the way or the process dies mid-save.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "ogg/comment_writer.h"
#include "fs/folder_replace.h"
#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/save_leftovers.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;
using test::TempDir;
using test::TempFilesBeside;

constexpr uid_t kNobody = 65534;

// Runs `body` in a forked child and returns its exit status (or -1 when it did not exit normally).
int InChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int SaveTitle(const std::string& path, const std::string& title) {
    TOggVorbis file;
    if (!file.LoadFromFile(path)) return 2;
    file.Title = title;
    return file.SaveToFile(path) ? 0 : 1;
}

class Replace : public ::testing::Test {
protected:
    void SetUp() override {
        test::VorbisFileOptions options;
        options.AudioPages = 20;
        options.AudioPacketSize = 1500;
        original_ = test::MakeVorbisFile({{"TITLE", "Old"}, {"ARTIST", "Band"}}, options);
        path_ = dir_.Write("music/a.ogg", original_).string();
    }
    void TearDown() override { ReplaceTesting() = {}; }
    void ExpectUntouched() const {
        EXPECT_TRUE(ReadAll(path_) == original_);
        EXPECT_TRUE(TempFilesBeside(path_).empty());
    }
    static mode_t ModeOf(const std::string& path) {
        struct stat st {};
        stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }
    TempDir dir_;
    std::string path_;
    std::string original_;
};

TEST_F(Replace, ReadOnlyFileIsSavedAndStaysReadOnly) {
    chmod(path_.c_str(), 0444);
    EXPECT_EQ(SaveTitle(path_, "New"), 0);
    EXPECT_EQ(ModeOf(path_), 0444u);
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
}

TEST_F(Replace, PermissionBitsOwnerAndGroupAreKept) {
    chmod(path_.c_str(), 0640);
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(path_.c_str(), kNobody, kNobody), 0);
    }
    EXPECT_EQ(SaveTitle(path_, "New"), 0);
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    if (root) {
        EXPECT_EQ(st.st_uid, kNobody);
        EXPECT_EQ(st.st_gid, kNobody);
    }
}

TEST_F(Replace, FilesBesideItAreNeverTouched) {
    // Editors keep backups under NAME~; links and folders of any name are the user's too.
    const std::string victim = dir_.Write("victim.txt", "keep me").string();
    const std::string backup = dir_.Write("music/a.ogg~", "an editor's backup").string();
    const auto link = dir_.Path() / "music/a.ogg.bak";
    const auto folder = dir_.Path() / "music/.a.ogg.parvex";
    ASSERT_EQ(symlink(victim.c_str(), link.c_str()), 0);
    std::filesystem::create_directory(folder);
    EXPECT_EQ(SaveTitle(path_, "New"), 0);
    EXPECT_EQ(ReadAll(backup), "an editor's backup");
    EXPECT_EQ(std::filesystem::read_symlink(link), victim);
    EXPECT_EQ(ReadAll(victim), "keep me");
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    EXPECT_TRUE(TempFilesBeside(path_).empty());
}

TEST_F(Replace, LeftoversOfKilledSavesOfThisFileAreRemoved) {
    const std::string leftover = dir_.Write("music/.a.ogg.parvex-Ab3dE9", "half a file").string();
    const std::string otherFiles = dir_.Write("music/.b.ogg.parvex-Ab3dE9", "half of b").string();
    const std::string notOurs = dir_.Write("music/.a.ogg.parvex-Ab3dE9x", "user's").string();
    // A save still running holds a lock on its file; it is not a leftover.
    const std::string running = dir_.Write("music/.a.ogg.parvex-Runnin", "in progress").string();
    const TUniqueFd lock(open(running.c_str(), O_RDONLY));
    ASSERT_EQ(flock(lock.Get(), LOCK_EX), 0);
    EXPECT_EQ(SaveTitle(path_, "New"), 0);
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_TRUE(std::filesystem::exists(otherFiles));
    EXPECT_TRUE(std::filesystem::exists(notOurs));
    EXPECT_TRUE(std::filesystem::exists(running));
}

TEST_F(Replace, SavingThroughALinkRewritesItsTarget) {
    const std::string link = (dir_.Path() / "link.ogg").string();
    ASSERT_EQ(symlink(path_.c_str(), link.c_str()), 0);
    EXPECT_EQ(SaveTitle(link, "New"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
    EXPECT_FALSE(std::filesystem::exists(link + "~"));
}

class ChangedMeanwhile : public Replace {
protected:
    // Reads the file for a save, lets `meddle` change things, then tries to write.
    bool SaveAfter(const std::function<void()>& meddle) {
        TOggVorbis file;
        file.Title = "New";
        const auto meddled = [&](FileInfo&) -> const TOggVorbis& {
            meddle();
            return file;
        };
        return SaveFileTags(path_, meddled) == TSaveOutcome::Saved;
    }
};

TEST_F(ChangedMeanwhile, FileRemovedBeforeTheWrite) {
    EXPECT_FALSE(SaveAfter([&] { std::filesystem::remove(path_); }));
    EXPECT_FALSE(std::filesystem::exists(path_));
    EXPECT_FALSE(std::filesystem::exists(path_ + "~"));
}

TEST_F(ChangedMeanwhile, FileRewrittenByAnotherProgramBeforeTheWrite) {
    const std::string other = test::MakeVorbisFile({{"TITLE", "Theirs"}});
    EXPECT_FALSE(SaveAfter([&] {
        std::filesystem::remove(path_);
        dir_.Write("music/a.ogg", other);
    }));
    EXPECT_TRUE(ReadAll(path_) == other);
    EXPECT_FALSE(std::filesystem::exists(path_ + "~"));
}

TEST_F(ChangedMeanwhile, FileGrownBeforeTheWrite) {
    EXPECT_FALSE(SaveAfter([&] {
        std::ofstream(path_, std::ios::app) << "appended";
    }));
    EXPECT_TRUE(ReadAll(path_) == original_ + "appended");
    EXPECT_FALSE(std::filesystem::exists(path_ + "~"));
}

TEST_F(Replace, FolderWithoutWritePermission) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to drop privileges to nobody";
    chmod(dir_.Path().c_str(), 0755);
    const auto folder = dir_.Path() / "music";
    chmod(folder.c_str(), 0555);
    const int result = InChild([&] {
        if (setgid(kNobody) != 0 || setuid(kNobody) != 0) return 3;
        return SaveTitle(path_, "New");
    });
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(result, 1);
    ExpectUntouched();
}

TEST_F(Replace, WriteFailingPartWay) {
    // A file size limit makes the writes of the temporary file fail halfway, as a full disk would.
    const int result = InChild([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{original_.size() / 2, original_.size() / 2};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 3;
        return SaveTitle(path_, std::string(5000, 'n'));
    });
    EXPECT_EQ(result, 1);
    ExpectUntouched();
}

TEST_F(Replace, FullFileSystem) {
    const auto mount = dir_.Path() / "small";
    std::filesystem::create_directory(mount);
    if (::mount("tmpfs", mount.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a small tmpfs here";
    struct Unmount {
        std::filesystem::path Path;
        ~Unmount() { umount(Path.c_str()); }
    } unmount{mount};
    test::VorbisFileOptions options;
    options.AudioPages = 10;
    options.AudioPacketSize = 1000;
    const std::string bytes = test::MakeVorbisFile({{"TITLE", "Old"}}, options);  // about 44 KB
    const std::string path = dir_.Write("small/a.ogg", bytes).string();
    EXPECT_EQ(SaveTitle(path, "New"), 1);
    EXPECT_TRUE(ReadAll(path) == bytes);
    EXPECT_FALSE(std::filesystem::exists(path + "~"));
}

// Another process meddling at one moment of a save, made deterministic by the test hook; with
// unnamed temporary files and without.
class Meddling : public Replace, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        Replace::SetUp();
        ReplaceTesting().NoUnnamedFiles = GetParam();
    }
    static void At(TReplaceStep step, const std::function<void()>& meddle) {
        ReplaceTesting().Hook = [step, meddle](TReplaceStep now) {
            if (now == step) meddle();
        };
    }
};

// At either moment (before the names are checked, and after, just before the new file takes the old
// one's place) a link swapped in for the temporary file never takes the file's name.
TEST_P(Meddling, TemporaryFileSwappedForALinkIsNotRenamed) {
    const std::string victim = dir_.Write("victim.txt", "keep me").string();
    for (const TReplaceStep step : {TReplaceStep::TempNamed, TReplaceStep::Exchanging}) {
        std::string swapped;
        At(step, [&] {
            const auto temps = TempFilesBeside(path_);
            ASSERT_EQ(temps.size(), 1u);
            swapped = temps[0];
            const std::string swap = temps[0] + ".swap";
            ASSERT_EQ(symlink(victim.c_str(), swap.c_str()), 0);
            ASSERT_EQ(rename(swap.c_str(), temps[0].c_str()), 0);
        });
        TOggVorbis file;
        ASSERT_TRUE(file.LoadFromFile(path_));
        file.Title = "New";
        std::string reason;
        EXPECT_FALSE(file.SaveToFile(path_, &reason));
        EXPECT_EQ(reason, "the temporary file was replaced by another file");
        EXPECT_FALSE(std::filesystem::is_symlink(path_));
        EXPECT_TRUE(ReadAll(path_) == original_);
        EXPECT_EQ(ReadAll(victim), "keep me");
        std::filesystem::remove(swapped);
    }
    ReplaceTesting().Hook = nullptr;
    EXPECT_EQ(SaveTitle(path_, "Later"), 0);
    EXPECT_FALSE(std::filesystem::is_symlink(path_));
    EXPECT_EQ(ReadAll(victim), "keep me");
}

TEST_P(Meddling, FolderSwappedForALinkDoesNotRedirectTheSave) {
    const std::string theirs = test::MakeVorbisFile({{"TITLE", "Elsewhere"}});
    const std::string elsewhere = dir_.Write("elsewhere/a.ogg", theirs).string();
    const auto music = dir_.Path() / "music";
    const auto moved = dir_.Path() / "moved";
    At(TReplaceStep::TempNamed, [&] {
        std::filesystem::rename(music, moved);
        std::filesystem::create_directory_symlink(dir_.Path() / "elsewhere", music);
    });
    EXPECT_EQ(SaveTitle(path_, "New"), 0);
    EXPECT_TRUE(ReadAll(elsewhere) == theirs);
    EXPECT_TRUE(TempFilesBeside(elsewhere).empty());
    const std::string saved = ReadAll(moved / "a.ogg");
    EXPECT_EQ(test::ReadCommentHeader(saved).Comments[0], "TITLE=New");
    EXPECT_TRUE(test::SameAudio(original_, saved));
    EXPECT_TRUE(TempFilesBeside(moved / "a.ogg").empty());
}

// Another file put under the name, or the old file grown, once the new one is written: the file
// stays as the other program left it, up to the moment the names are exchanged.
TEST_P(Meddling, FileChangedAfterTheTemporaryFileIsWrittenStaysAsChanged) {
    const std::string theirs = test::MakeVorbisFile({{"TITLE", "Theirs"}});
    const std::function<std::string()> changes[] = {
        [&] {
            dir_.Write("music/b.ogg", theirs);
            std::filesystem::rename(dir_.Path() / "music/b.ogg", path_);
            return theirs;
        },
        [&] {
            const std::string before = ReadAll(path_);
            std::ofstream(path_, std::ios::app) << "appended";
            return before + "appended";
        },
    };
    for (const TReplaceStep step : {TReplaceStep::TempNamed, TReplaceStep::Exchanging}) {
        for (const auto& change : changes) {
            std::string changed;
            At(step, [&] { changed = change(); });
            EXPECT_EQ(SaveTitle(path_, "New"), 1);
            EXPECT_TRUE(ReadAll(path_) == changed);
            EXPECT_TRUE(TempFilesBeside(path_).empty());
        }
    }
}

TEST_P(Meddling, KilledAtAnyMomentLeavesTheOldOrTheNewFile) {
    // Two states the file alternates between; one grows the headers over several pages.
    const std::string art(120000, 'a');
    ASSERT_EQ(SaveTitle(path_, art), 0);
    const std::string withArt = ReadAll(path_);
    ASSERT_EQ(SaveTitle(path_, "Short"), 0);
    const std::string withoutArt = ReadAll(path_);
    std::mt19937 random(12345);
    for (int round = 0; round < 30; ++round) {
        const pid_t pid = fork();
        if (pid == 0) {
            for (int i = 0;; ++i) SaveTitle(path_, i % 2 ? "Short" : art);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 20000));
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        const std::string now = ReadAll(path_);
        ASSERT_TRUE(now == withArt || now == withoutArt) << "round " << round;
    }
    EXPECT_EQ(SaveTitle(path_, "Short"), 0);
    EXPECT_TRUE(TempFilesBeside(path_).empty());
}

INSTANTIATE_TEST_SUITE_P(UnnamedOrNamed, Meddling, ::testing::Bool());

// Where names cannot be exchanged, a plain rename takes the new file in, and a link swapped in at
// the last moment is reported, never passed off as a save.
TEST_F(Replace, WithoutExchangeALinkSwappedInIsReported) {
    ReplaceTesting().NoExchange = true;
    ASSERT_EQ(SaveTitle(path_, "New"), 0);
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
    const std::string victim = dir_.Write("victim.txt", "keep me").string();
    ReplaceTesting().Hook = [&](TReplaceStep now) {
        if (now != TReplaceStep::Exchanging) return;
        const std::string temp = TempFilesBeside(path_).at(0);
        ASSERT_EQ(symlink(victim.c_str(), (temp + ".swap").c_str()), 0);
        ASSERT_EQ(rename((temp + ".swap").c_str(), temp.c_str()), 0);
    };
    EXPECT_EQ(SaveTitle(path_, "Later"), 1);
    EXPECT_EQ(ReadAll(victim), "keep me");
}

// An append-only folder lets a copy be made but never removed nor renamed over the file: a save
// there is refused before it writes one, and a copy an earlier save left there is named.
TEST_F(Replace, AppendOnlyFolderGetsNoCopies) {
    const auto leftover = dir_.Write("music/.a.ogg.parvex-Ab3dE9", "half a file");
    TOggVorbis file;
    ASSERT_TRUE(file.LoadFromFile(path_));
    file.Title = "New";
    const TUniqueFd folder(open((dir_.Path() / "music").c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    const auto appendOnly = [&](bool on) {
        int flags = 0;
        if (ioctl(folder.Get(), FS_IOC_GETFLAGS, &flags) != 0) return false;
        flags = on ? flags | FS_APPEND_FL : flags & ~FS_APPEND_FL;
        return ioctl(folder.Get(), FS_IOC_SETFLAGS, &flags) == 0;
    };
    if (!appendOnly(true)) GTEST_SKIP() << "cannot make a folder append-only here: " << strerror(errno);
    std::string reason;
    EXPECT_FALSE(file.SaveToFile(path_, &reason));
    EXPECT_EQ(reason, "the copy .a.ogg.parvex-Ab3dE9 left by an earlier save cannot be removed "
                      "(operation not permitted), so no new copy is written");
    appendOnly(false);
    std::filesystem::remove(leftover);
    appendOnly(true);
    EXPECT_FALSE(file.SaveToFile(path_, &reason));
    EXPECT_EQ(reason, "the folder is append-only, so no file in it can be replaced");
    appendOnly(false);
    ExpectUntouched();
}

}  // namespace
}  // namespace parvex
