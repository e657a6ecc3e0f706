// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "fs/MountedDrives.h"
#include "support/TempTree.h"

namespace trelmark::fs {
namespace {

constexpr std::string_view kMountInfo =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
    "30 27 254:1 / /home rw,relatime - ext4 /dev/vdb rw\n"
    "31 27 254:1 / /srv/home-again rw,relatime - ext4 /dev/vdb rw\n"
    "32 27 0:40 / /mnt/My\\040Stick rw,relatime - vfat /dev/sdc1 rw\n"
    "33 27 0:41 / /mnt/empty rw,relatime - tmpfs tmpfs rw\n";

TEST(MountedDrives, ListsWhatDfListsInMountOrder) {
    const auto drives = MountedDrives::select(MountTable::parse(kMountInfo),
                                              [](const std::string& point) {
                                                  return point == "/mnt/empty" ? MountedDrives::Blocks::None
                                                         : point == "/mnt/My Stick"
                                                             ? MountedDrives::Blocks::Unknown
                                                             : MountedDrives::Blocks::Some;
                                              },
                                              {{"/dev/sdc1", "My Stick"}});
    ASSERT_EQ(drives.drives().size(), 3u);
    EXPECT_EQ(drives.drives()[0], (MountedDrive{"/", "/dev/vda", "", "ext4", true}));
    EXPECT_EQ(drives.drives()[1], (MountedDrive{"/home", "/dev/vdb", "", "ext4", true}));
    EXPECT_EQ(drives.drives()[2], (MountedDrive{"/mnt/My Stick", "/dev/sdc1", "My Stick", "vfat", false}))
        << "a mount that does not answer is listed, without figures";
}

// Regression: in a chroot whose root is no mount point the table has no "/", and the drive list lacked it.
TEST(MountedDrives, OffersTheRootWhereTheMountTableLacksIt) {
    const auto drives =
        MountedDrives::select(MountTable::parse("30 27 254:1 / /home rw,relatime - ext4 /dev/vdb rw\n"),
                              [](const std::string&) { return MountedDrives::Blocks::Some; }, {});
    ASSERT_EQ(drives.drives().size(), 2u);
    EXPECT_EQ(drives.drives()[0].mountPoint, "/");
    EXPECT_EQ(drives.containing("/etc")->mountPoint, "/");
}

TEST(MountedDrives, FindsTheDriveHoldingAPathByWholeComponents) {
    const MountedDrives drives(
        {{"/", "a", "", "ext4"}, {"/home", "b", "", "ext4"}, {"/home/x", "c", "", "ext4"}});
    EXPECT_EQ(drives.containing("/")->source, "a");
    EXPECT_EQ(drives.containing("/homework")->source, "a");
    EXPECT_EQ(drives.containing("/home")->source, "b");
    EXPECT_EQ(drives.containing("/home/xy/z")->source, "b");
    EXPECT_EQ(drives.containing("/home/x/deep/er")->source, "c");
    EXPECT_EQ(drives.containing("relative"), nullptr);
    EXPECT_EQ(MountedDrives({{"/home", "b", "", "ext4"}}).containing("/etc"), nullptr);
}

TEST(MountedDrives, ReadsUdevLabelLinks) {
    test::TempTree tree;
    tree.write("dev/sdc1");
    tree.symlink("../dev/sdc1", "by-label/My\\x20Stick");
    tree.symlink("../dev/sdd", "by-label/Gone");  // a link to a device that went away still names it
    const auto labels = MountedDrives::readLabels(tree / "by-label");
    ASSERT_EQ(labels.size(), 2u);
    EXPECT_EQ(labels.at(tree / "dev/sdc1"), "My Stick");
    EXPECT_EQ(MountedDrives::readLabels(tree / "missing").size(), 0u);
    EXPECT_EQ(MountedDrives::decodeUdevName("a\\x2fb\\x2"), "a/b\\x2");
}

TEST(MountedDrives, ReadsThisMachine) {
    const auto drives = MountedDrives::read();
    ASSERT_TRUE(drives.ok()) << drives.error().message();
    ASSERT_NE(drives->containing("/"), nullptr);
    for (const MountedDrive& drive : drives->drives()) {
        EXPECT_FALSE(MountTable::isPseudoFileSystem(drive.fsType)) << drive.mountPoint;
    }
}

}  // namespace
}  // namespace trelmark::fs
