#pragma once
// A temporary music folder with the objects a per-file routine works on.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "batch/log_sink.h"
#include "batch/tag_record.h"
#include "ogg/ogg_vorbis.h"
#include "support/apply_plan.h"
#include "support/ogg_builder.h"
#include "support/temp_dir.h"

namespace parvex::test {

class NamingTest : public ::testing::Test {
protected:
    // Writes an Ogg Vorbis file `name` with `comments` into the folder.
    void AddFile(const std::string& name, const CommentList& comments) {
        WriteVorbisFile(dir_.Path() / name, comments);
    }
    // Writes an Ogg Opus file `name` with `comments` into the folder.
    void AddOpusFile(const std::string& name, const CommentList& comments) {
        dir_.Write(name, MakeOpusFile(comments));
    }
    // A file whose stream has no comment header: it has no tags at all.
    void AddFileWithoutCommentHeader(const std::string& name) {
        std::string packet = CommentPacket("v", {});
        packet[0] = '\x04';
        dir_.Write(name, MakeVorbisFileFromPacket(packet));
    }
    std::string PathOf(const std::string& name) const { return dir_.Dir() + name; }
    bool Exists(const std::string& name) const { return std::filesystem::exists(dir_.Path() / name); }
    std::string Bytes(const std::string& name) const { return ReadAll(dir_.Path() / name); }
    // The tags now in the file, read afresh.
    TOggVorbis Reload(const std::string& name) const {
        TOggVorbis reread;
        EXPECT_TRUE(reread.LoadFromFile(PathOf(name))) << name;
        return reread;
    }
    // Carries out `plan` as a batch run does; its lines go to log_.
    TFileOutcome Apply(const TFilePlan& plan) { return ApplyPlan(plan, log_); }
    // The names in the folder, sorted.
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir_;
    TOggVorbis file_;
    tagrecord record_;
    TLineLog log_;
};

}  // namespace parvex::test
