#include "platform/file_operations.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::platform {
namespace {

using velmorane::testing::readTree;
using velmorane::testing::TempFolder;

TEST(FolderCopy, AFolderCopiedIntoItsOwnSubFolderIsNotCopiedIntoItselfAgain)
{
    TempFolder folder;
    folder.makeFile("travail/lettre.txt", "x");
    folder.makeFolder("travail/archive");

    EXPECT_FALSE(copyFolder(folder.path("travail"), folder.path("travail/archive/travail")));

    EXPECT_EQ(lookUp(folder.path("travail/archive/travail/lettre.txt")).value, EntryKind::File);
    EXPECT_EQ(lookUp(folder.path("travail/archive/travail/archive")).value, EntryKind::Folder);
    EXPECT_EQ(lookUp(folder.path("travail/archive/travail/archive/travail")).value, EntryKind::Missing);
}

}  // namespace
}  // namespace velmorane::platform
