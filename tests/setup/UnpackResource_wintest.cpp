// A program that lacks the unpack library's resource: the run says so and ends before anything
// else, and the work folder still goes. (This test program carries no "UNPACK" resource.)
#include <gtest/gtest.h>

#include "harness/DialogWatcher.h"
#include "platform/epFileUtils.h"
#include "platform/epUtils.h"
#include "setup/SetupRun.h"

namespace {

class ProbeRun : public velk::TSetupRun {
public:
    using TSetupRun::TSetupRun;
    bool extracted = true;
    bool libraryWritten = true;

protected:
    void Body() override {
        StartRuntime();
        extracted = ExtractUnpackLibrary();
        libraryWritten = velk::FileExists(state_.WorkFolder + "unpack.dll");
    }
};

TEST(UnpackResourceTest, AMissingResourceIsReportedAndTheRunEnds) {
    velk::MessageTitle.clear();
    velk::TRunState state;
    velk::test::TDialogWatcher watcher("Error", IDOK, 20000);
    ProbeRun run(state);
    run.Run();
    const velk::test::TDialogSeen& box = watcher.Result();
    ASSERT_TRUE(box.Found);
    EXPECT_EQ(box.Text, "Can't extract UNPACK.DLL");
    EXPECT_EQ(box.Icon, "stop");
    EXPECT_FALSE(run.extracted);
    EXPECT_FALSE(run.libraryWritten);
    EXPECT_FALSE(velk::DirectoryExists(state.WorkFolder));
}

} // namespace
