// The safe file writer on real scratch folders: what it refuses, what it
// replaces, and that nothing changes without commit().
#include "core/platform/file_system.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>


#include "tests/support/scratch_dir.h"

namespace qvt::platform {
namespace {

namespace fs = std::filesystem;

// Root passes every permission check; the cases about permissions must meet
// the checks an ordinary user meets, so root's overrides are dropped meanwhile.
class AsOrdinaryUser {
  public:
    AsOrdinaryUser() {
        if (::geteuid() != 0 || ::syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        for (const int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
            reduced[0].effective &= ~(1u << cap);
        dropped_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~AsOrdinaryUser() {
        if (dropped_) ::syscall(SYS_capset, &header_, saved_);
    }
    AsOrdinaryUser(const AsOrdinaryUser&) = delete;
    AsOrdinaryUser& operator=(const AsOrdinaryUser&) = delete;

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

enum class Holds { Nothing, OldFile, Folder, Fifo };

struct Target {
    const char* name;
    Holds holds;  // what is at the target's path before
    bool read_only_file, read_only_folder, opens;
};

const Target kTargets[] = {
    {"NewFile", Holds::Nothing, false, false, true},
    {"ExistingFile", Holds::OldFile, false, false, true},
    {"ReadOnlyFile", Holds::OldFile, true, false, false},
    // No temporary file can be made beside it: written in place.
    {"WritableFileInReadOnlyFolder", Holds::OldFile, false, true, true},
    {"NewFileInReadOnlyFolder", Holds::Nothing, false, true, false},
    {"Folder", Holds::Folder, false, false, false},
    {"Fifo", Holds::Fifo, false, false, false},
};

fs::path make(const Target& t, const test::ScratchDir& dir) {
    const fs::path file = dir.mkdir("d") / "prog.Q2K";
    if (t.holds == Holds::OldFile) dir.write("d/prog.Q2K", "old\r\n");
    if (t.holds == Holds::Folder) fs::create_directory(file);
    if (t.holds == Holds::Fifo) ::mkfifo(file.c_str(), 0644);
    if (t.read_only_file) fs::permissions(file, fs::perms::owner_read);
    if (t.read_only_folder)
        fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    return file;
}

class SafeWrite : public ::testing::TestWithParam<Target> {};

TEST_P(SafeWrite, ReplacesOnlyAtCommitAndRefusesWhatMayNotBeWritten) {
    const Target& t = GetParam();
    test::ScratchDir dir;
    const fs::path target = make(t, dir);
    {
        AsOrdinaryUser user;
        {
            AtomicFileWriter writer;
            ASSERT_EQ(writer.open(target.string()), t.opens);
            if (t.opens) writer.write("new\r\n");
        }  // gone without commit()
        if (t.holds == Holds::OldFile) {
            EXPECT_EQ(test::ScratchDir::read(target), "old\r\n");
        }
        if (t.opens) {
            AtomicFileWriter writer;
            ASSERT_TRUE(writer.open(target.string()));
            writer.write("new\r\n");
            writer.commit();
        }
        EXPECT_EQ(write_file_safely(target, "whole\r\n").has_value(), !t.opens);
    }
    if (t.opens) {
        EXPECT_EQ(test::ScratchDir::read(target), "whole\r\n");
    } else if (t.holds == Holds::OldFile) {
        EXPECT_EQ(test::ScratchDir::read(target), "old\r\n");
    }
    fs::permissions(target.parent_path(), fs::perms::owner_all);
    for (const auto& entry : fs::directory_iterator(target.parent_path()))
        EXPECT_EQ(entry.path().filename(), "prog.Q2K") << "left behind";
}

INSTANTIATE_TEST_SUITE_P(Targets, SafeWrite, ::testing::ValuesIn(kTargets),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace qvt::platform
