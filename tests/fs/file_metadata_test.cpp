// What a saved file keeps besides its bytes: owner, permissions, ACL and extended attributes, and
// what happens to its other names.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <map>

#include "ogg/ogg_vorbis.h"
#include "support/ogg_builder.h"
#include "support/page_walker.h"
#include "support/save_leftovers.h"
#include "support/temp_dir.h"

namespace parvex {
namespace {

using test::ReadAll;

constexpr uid_t kNobody = 65534;
constexpr char kAccessAcl[] = "system.posix_acl_access";
constexpr char kDefaultAcl[] = "system.posix_acl_default";

// ACL entry tags and the id of entries that name nobody in particular, as the kernel stores them.
enum : uint16_t { kUserObj = 0x01, kUser = 0x02, kGroupObj = 0x04, kMask = 0x10, kOther = 0x20 };
constexpr uint32_t kNoId = 0xFFFFFFFF;

struct AclEntry {
    uint16_t Tag;
    uint16_t Perms;  // 4 read, 2 write, 1 execute
    uint32_t Id = kNoId;
};

// An ACL in the kernel's attribute layout: version 2, then tag, permissions and id of each entry
// (in tag order), all little-endian.
std::string AclValue(const std::vector<AclEntry>& entries) {
    std::string value;
    auto put = [&value](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i, v >>= 8) value += static_cast<char>(v & 0xFF);
    };
    put(2, 4);
    for (const AclEntry& e : entries) {
        put(e.Tag, 2);
        put(e.Perms, 2);
        put(e.Id, 4);
    }
    return value;
}

std::map<std::string, std::string> Attributes(const std::string& path) {
    std::map<std::string, std::string> attributes;
    std::string names(65536, '\0');
    const ssize_t size = llistxattr(path.c_str(), names.data(), names.size());
    for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size); at = names.find('\0', at) + 1) {
        const std::string name = names.c_str() + at;
        std::string value(65536, '\0');
        const ssize_t got = lgetxattr(path.c_str(), name.c_str(), value.data(), value.size());
        if (got >= 0) attributes[name] = value.substr(0, static_cast<std::size_t>(got));
    }
    return attributes;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// "saved" (followed by the notes of the save) or the reason of the refusal.
std::string SaveTitle(const std::string& path) {
    try {
        TOggVorbis file;
        if (!file.LoadFromFile(path)) return "not loaded";
        file.Title = "New";
        std::string reason;
        std::vector<std::string> notes;
        if (!file.SaveToFile(path, &reason, &notes)) return reason;
        std::string result = "saved";
        for (const std::string& note : notes) result += "; " + note;
        return result;
    } catch (const std::exception& error) {
        return error.what();
    }
}

// SaveTitle run as user nobody in a child process.
std::string SaveTitleAsNobody(const std::string& path) {
    int out[2];
    if (pipe(out) != 0) return "no pipe";
    const pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        const bool dropped = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
        const std::string result = dropped ? SaveTitle(path) : "cannot become nobody";
        (void)!write(out[1], result.data(), result.size());
        _exit(0);
    }
    close(out[1]);
    std::string result;
    char buffer[256];
    for (ssize_t n; (n = read(out[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    close(out[0]);
    waitpid(pid, nullptr, 0);
    return result;
}

class Metadata : public ::testing::Test {
protected:
    void SetUp() override {
        original_ = test::MakeVorbisFile({{"TITLE", "Old"}});
        path_ = dir_.Write("music/a.ogg", original_).string();
        folder_ = (dir_.Path() / "music").string();
    }
    void ExpectUntouched() const {
        EXPECT_TRUE(ReadAll(path_) == original_);
        EXPECT_TRUE(test::TempFilesBeside(path_).empty());
    }
    static void RequireRoot() {
        if (geteuid() != 0) GTEST_SKIP() << "needs root to drop privileges to nobody";
    }
    // Skips the test where the file system keeps no such attribute.
    bool Set(const std::string& path, const char* name, const std::string& value) {
        if (lsetxattr(path.c_str(), name, value.data(), value.size(), 0) == 0) return true;
        ADD_FAILURE() << "cannot set " << name << " here: " << strerror(errno);
        return false;
    }
    static bool HaveAttributes(const std::string& path) {
        return lsetxattr(path.c_str(), "user.parvex.probe", "1", 1, 0) == 0 &&
               lremovexattr(path.c_str(), "user.parvex.probe") == 0;
    }
    test::TempDir dir_;
    std::string original_;
    std::string path_;
    std::string folder_;
};

#define SKIP_WITHOUT_ATTRIBUTES()                                           \
    if (!HaveAttributes(path_))                                             \
    GTEST_SKIP() << "the file system of the test folder keeps no extended " \
                    "attributes"

TEST_F(Metadata, ExtendedAttributesAndAclAreKept) {
    SKIP_WITHOUT_ATTRIBUTES();
    // Group "---" with mask "rw": without the ACL the group bits would grant the group rw.
    const std::string acl =
        AclValue({{kUserObj, 6}, {kUser, 6, kNobody}, {kGroupObj, 0}, {kMask, 6}, {kOther, 0}});
    ASSERT_TRUE(Set(path_, "user.origin", "ripped from CD"));
    ASSERT_TRUE(Set(path_, "user.empty", ""));
    ASSERT_TRUE(Set(path_, kAccessAcl, acl));
    const auto before = Attributes(path_);
    ASSERT_EQ(ModeOf(path_), 0660u);
    EXPECT_EQ(SaveTitle(path_), "saved");
    EXPECT_EQ(Attributes(path_), before);
    EXPECT_EQ(ModeOf(path_), 0660u);
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
}

TEST_F(Metadata, FolderDefaultAclDoesNotWidenAccessToAFileThatHadNoAcl) {
    SKIP_WITHOUT_ATTRIBUTES();
    chmod(path_.c_str(), 0640);
    ASSERT_TRUE(Set(folder_, kDefaultAcl,
                    AclValue({{kUserObj, 7}, {kUser, 6, kNobody}, {kGroupObj, 5}, {kMask, 7}, {kOther, 5}})));
    EXPECT_EQ(SaveTitle(path_), "saved");
    EXPECT_EQ(Attributes(path_).count(kAccessAcl), 0u);
    EXPECT_EQ(ModeOf(path_), 0640u);
}

TEST_F(Metadata, AttributeThatCannotBeCopiedRefusesTheSave) {
    RequireRoot();
    SKIP_WITHOUT_ATTRIBUTES();
    chmod(dir_.Path().c_str(), 0755);
    ASSERT_EQ(chown(folder_.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chown(path_.c_str(), kNobody, kNobody), 0);
    // File capabilities (version 2: magic, then permitted and inheritable sets): only a privileged
    // process may set them, so user nobody cannot give them to a new file.
    std::string capabilities("\x00\x00\x00\x02", 4);
    capabilities += std::string("\x00\x04\x00\x00", 4) + std::string(12, '\0');
    if (lsetxattr(path_.c_str(), "security.capability", capabilities.data(), capabilities.size(), 0) != 0)
        GTEST_SKIP() << "cannot set file capabilities here: " << strerror(errno);
    EXPECT_EQ(SaveTitleAsNobody(path_),
              "the file's extended attribute security.capability cannot be kept: "
              "operation not permitted");
    ExpectUntouched();
}

TEST_F(Metadata, OtherNamesOfTheFileKeepTheOldTagsAndTheNoteSaysSo) {
    const std::string other = (dir_.Path() / "b.ogg").string();
    ASSERT_EQ(link(path_.c_str(), other.c_str()), 0);
    EXPECT_EQ(SaveTitle(path_), "saved; the file has 1 other name (hard links), which keep the old tags");
    EXPECT_TRUE(ReadAll(other) == original_);
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
    EXPECT_EQ(SaveTitle(path_), "saved");
}

TEST_F(Metadata, FolderTheUserCannotListIsSavedInAndFlushed) {
    RequireRoot();
    chmod(dir_.Path().c_str(), 0755);
    ASSERT_EQ(chown(path_.c_str(), kNobody, kNobody), 0);
    ASSERT_EQ(chmod(folder_.c_str(), 0733), 0);  // write and search, no read
    EXPECT_EQ(SaveTitleAsNobody(path_), "saved");
    EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
}

// Who owns the file and may write it, for a save by user nobody in a folder nobody may write.
struct OwnerCase {
    const char* Name;
    uid_t Owner;
    gid_t Group;
    mode_t Mode;
    const char* Result;  // "saved" or the reason of the refusal
    uid_t NewOwner;      // after the save
    gid_t NewGroup;
};

class Owner : public Metadata, public ::testing::WithParamInterface<OwnerCase> {};

TEST_P(Owner, OwnershipAndWritePermissionDecide) {
    RequireRoot();
    const OwnerCase& c = GetParam();
    chmod(dir_.Path().c_str(), 0755);
    chmod(folder_.c_str(), 0777);
    ASSERT_EQ(chown(path_.c_str(), c.Owner, c.Group), 0);
    ASSERT_EQ(chmod(path_.c_str(), c.Mode), 0);
    EXPECT_EQ(SaveTitleAsNobody(path_), c.Result);
    struct stat st {};
    ASSERT_EQ(stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, c.NewOwner);
    EXPECT_EQ(st.st_gid, c.NewGroup);
    EXPECT_EQ(st.st_mode & 07777, c.Mode);
    if (std::string(c.Result).starts_with("saved"))
        EXPECT_EQ(test::ReadCommentHeader(ReadAll(path_)).Comments[0], "TITLE=New");
    else
        ExpectUntouched();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Owner,
    ::testing::Values(
        OwnerCase{"OwnReadOnlyFile", kNobody, kNobody, 0444, "saved", kNobody, kNobody},
        OwnerCase{"OtherUsersFileNotWritable", 0, 0, 0644, "permission denied", 0, 0},
        OwnerCase{"OtherUsersFileNotWritableInAGroup", 0, kNobody, 0644, "permission denied", 0, kNobody},
        // Writable in place: saved, and the note names what could not be kept.
        OwnerCase{"OtherUsersFileWritableByGroup", 0, kNobody, 0664,
                  "saved; the file's owner could not be kept; the saved file has yours", kNobody, kNobody},
        OwnerCase{"OwnFileOfAnotherGroup", kNobody, 0, 0644,
                  "saved; the file's group could not be kept; the saved file has yours", kNobody, kNobody}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
}  // namespace parvex
