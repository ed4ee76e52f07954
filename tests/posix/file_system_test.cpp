// The safe file writer on real scratch folders: what it refuses, what it
// replaces, and that nothing changes without commit().
#include "core/platform/file_system.h"

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <functional>

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

struct Target {
    const char* name;
    std::function<fs::path(const test::ScratchDir&)> make;  // returns the target
    bool opens;
    const char* old_content;  // what the target holds before, if anything
};

fs::path old_file(const test::ScratchDir& dir) {
    return dir.write("d/prog.Q2K", "old\r\n");
}

const Target kTargets[] = {
    {"NewFile", [](const test::ScratchDir& dir) { return dir.mkdir("d") / "prog.Q2K"; }, true,
     nullptr},
    {"ExistingFile", old_file, true, "old\r\n"},
    {"ReadOnlyFile",
     [](const test::ScratchDir& dir) {
         const auto file = old_file(dir);
         fs::permissions(file, fs::perms::owner_read);
         return file;
     },
     false, "old\r\n"},
    // No temporary file can be made beside it: written in place.
    {"WritableFileInReadOnlyFolder",
     [](const test::ScratchDir& dir) {
         const auto file = old_file(dir);
         fs::permissions(file.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
         return file;
     },
     true, "old\r\n"},
    {"NewFileInReadOnlyFolder",
     [](const test::ScratchDir& dir) {
         const auto folder = dir.mkdir("d");
         fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
         return folder / "prog.Q2K";
     },
     false, nullptr},
    {"Folder", [](const test::ScratchDir& dir) { return dir.mkdir("d/prog.Q2K"); }, false, nullptr},
    {"Fifo",
     [](const test::ScratchDir& dir) {
         const auto fifo = dir.mkdir("d") / "prog.Q2K";
         ::mkfifo(fifo.c_str(), 0644);
         return fifo;
     },
     false, nullptr},
};

class SafeWrite : public ::testing::TestWithParam<Target> {};

TEST_P(SafeWrite, ReplacesOnlyAtCommitAndRefusesWhatMayNotBeWritten) {
    const Target& t = GetParam();
    test::ScratchDir dir;
    const fs::path target = t.make(dir);
    {
        AsOrdinaryUser user;
        {
            AtomicFileWriter writer;
            ASSERT_EQ(writer.open(target.string()), t.opens);
            if (t.opens) writer.write("new\r\n");
        }  // gone without commit()
        if (t.old_content != nullptr) {
            EXPECT_EQ(test::ScratchDir::read(target), t.old_content);
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
    } else if (t.old_content != nullptr) {
        EXPECT_EQ(test::ScratchDir::read(target), t.old_content);
    }
    fs::permissions(target.parent_path(), fs::perms::owner_all);
    for (const auto& entry : fs::directory_iterator(target.parent_path()))
        EXPECT_EQ(entry.path().filename(), "prog.Q2K") << "left behind";
}

INSTANTIATE_TEST_SUITE_P(Targets, SafeWrite, ::testing::ValuesIn(kTargets),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace qvt::platform
