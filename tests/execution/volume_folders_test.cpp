#include "tests/execution/execution_harness.h"
#include "tests/support/scoped_environment.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

// The root of an ext4 disk or of a key that desktops and Windows have used, as the destination of a
// mirror run by an ordinary user.
TEST(VolumeFolders, AMirrorOntoADiskRootLeavesTheVolumesOwnFoldersAsTheyWere)
{
    Mirror m;
    m.tree.makeFile("work/doc.txt", "document");
    m.tree.makeFile("work/.Trash-1000/files/jete.txt", "source trash");
    m.tree.makeFile("work/Sous/lost+found/garde.txt", "a user's own folder, deeper down");
    m.tree.makeFile("archive/ancien.txt", "old");
    m.tree.makeFile("archive/lost+found/#12", "recovered");
    m.tree.makeFile("archive/.Trash-1000/files/vieux.txt", "trash");
    m.tree.makeFile("archive/System Volume Information/IndexerVolumeGuid", "guid");
    m.tree.makeFile("archive/$RECYCLE.BIN/S-1-5-21/desktop.ini", "bin");
    // A trash the ordinary user may make, as in a home folder.
    const ScopedEnvironment dataHome({{"XDG_DATA_HOME", m.tree.path("share")}});

    const std::string outcome = asOrdinaryUser(m.tree, [&] {
        // Only root may read an ext4 disk's lost+found.
        setMode(m.tree.path("archive/lost+found"), 0);
        m.compare(Action::Update);
        const Names built = texts(m.lists.addList());
        const Names deleted = texts(m.lists.deleteList());
        const auto report = m.execute();
        std::string out = std::to_string(report.failures) + "\n" + m.messages();
        for (const auto& list : {built, deleted}) {
            for (const auto& entry : list) out += entry + "\n";
        }
        return out;
    });
    EXPECT_EQ(outcome, "0\n" + std::string(kReportOk) + m.work + "/Sous/ **Dossier\n" + m.work +
                           "/Sous/lost+found/ **Dossier\n" + fileEntry(m.work + "/doc.txt", 8) + "\n" +
                           fileEntry(m.archive + "/ancien.txt", 3) + "\n");

    setMode(m.tree.path("archive/lost+found"), 0700);
    EXPECT_EQ(namesIn(m.archive), (Names{"$RECYCLE.BIN", ".Trash-1000", "Sous", "System Volume Information",
                                         "doc.txt", "lost+found"}));
    EXPECT_EQ(readFileBytes(m.tree.path("archive/lost+found/#12")), "recovered");
    EXPECT_EQ(readFileBytes(m.tree.path("archive/.Trash-1000/files/vieux.txt")), "trash");
    EXPECT_EQ(readFileBytes(m.tree.path("archive/System Volume Information/IndexerVolumeGuid")), "guid");
    EXPECT_EQ(readFileBytes(m.tree.path("archive/$RECYCLE.BIN/S-1-5-21/desktop.ini")), "bin");
    EXPECT_EQ(readFileBytes(m.tree.path("archive/Sous/lost+found/garde.txt")), "a user's own folder, deeper down");
}

}  // namespace
}  // namespace velmorane::testing
