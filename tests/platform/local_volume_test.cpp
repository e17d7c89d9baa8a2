#include "platform/local_volume.h"

#include "platform/temporary_name.h"
#include "platform/awaited_answer.h"
#include "tests/support/delayed_volume.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/scoped_environment.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <latch>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace velmorane::testing {
namespace {

using namespace platform;
using namespace std::chrono_literals;

FolderRef openedStart(VolumeAccess& volume)
{
    auto start = awaited<Result<FolderRef>>([&](auto done) { volume.openStart(done); });
    if (!start.ok()) throw std::runtime_error("open " + volume.startFolder() + ": " + start.error->reason);
    return start.value;
}

std::string outcome(const MaybeError& failure)
{
    return failure ? std::to_string(failure->number) + " " + failure->reason : "ok";
}

void makeSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

TEST(LocalVolume, OneRequestListsAFolderWithItsEntriesAttributesAndLinksAreNeverEntered)
{
    TempFolder tree;
    setMode(tree.makeFile("racine/lettre.txt", "bonjour", kTestTime - 60), 0640);
    tree.makeLink("racine/lien", "sous", kTestTime + 5);
    tree.makeFile("racine/sous/note.txt", "n");
    tree.makeFile("racine/" + newTemporaryName(), "moitié");
    makeSocket(tree.path("racine/prise"));
    LocalVolume volume(tree.path("racine"), 4);

    const auto start = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume.readStart(done); });
    ASSERT_TRUE(start.ok()) << start.error->reason;
    EXPECT_EQ(start.value.folder->path(), tree.path("racine") + "/");
    const FolderContent& content = start.value.content;
    EXPECT_EQ(content.subFolders, Names{"sous"});
    ASSERT_EQ(content.files.size(), 2u);
    const FileRecord& letter = content.files[0];
    EXPECT_EQ(letter.name, "lettre.txt");
    EXPECT_EQ(letter.size, 7);
    EXPECT_EQ(letter.modified, kTestTime - 60);
    EXPECT_EQ(letter.permissions.mode & 07777, 0640u);
    struct stat info{};
    ASSERT_EQ(::lstat(tree.path("racine/lettre.txt").c_str(), &info), 0);
    EXPECT_EQ(letter.identity.inode, info.st_ino);
    EXPECT_EQ(content.files[1].name, "lien");
    EXPECT_TRUE(content.files[1].isLink);
    EXPECT_EQ(content.files[1].size, 4);
    EXPECT_EQ(content.files[1].modified, kTestTime + 5);
    ASSERT_EQ(content.specialFiles.size(), 1u);
    EXPECT_EQ(content.specialFiles[0].name, "prise");

    const FolderRef folder = start.value.folder;
    const auto below = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume.readFolder(folder, "sous", done); });
    ASSERT_TRUE(below.ok());
    EXPECT_EQ(below.value.folder->path(), tree.path("racine/sous") + "/");
    ASSERT_EQ(below.value.content.files.size(), 1u);
    EXPECT_EQ(below.value.content.files[0].name, "note.txt");

    const auto throughLink = awaited<Result<FolderRef>>([&](auto done) { volume.openFolder(folder, "lien", done); });
    ASSERT_FALSE(throughLink.ok());
    EXPECT_TRUE(throughLink.error->number == ELOOP || throughLink.error->number == ENOTDIR)
        << throughLink.error->reason;
    const auto target = awaited<Result<std::string>>([&](auto done) { volume.readLink(folder, "lien", done); });
    EXPECT_EQ(target.value, "sous");
    const auto bytes = awaited<Result<std::string>>([&](auto done) { volume.readFile(folder, "lettre.txt", 3, 100, done); });
    EXPECT_EQ(bytes.value, "jour");
    const auto pastTheEnd = awaited<Result<std::string>>([&](auto done) { volume.readFile(folder, "lettre.txt", 50, 10, done); });
    EXPECT_TRUE(pastTheEnd.ok() && pastTheEnd.value.empty());
    // A file that holds more than its size says, as one still growing, is read on to its end.
    LocalVolume process("/proc/self", 0);
    const auto self = awaited<Result<FolderRef>>([&](auto done) { process.openStart(done); });
    ASSERT_TRUE(self.ok());
    const auto status = awaited<Result<std::string>>([&](auto done) { process.readFile(self.value, "status", 0, 1 << 20, done); });
    EXPECT_EQ(status.value.rfind("Name:", 0), 0u);
    EXPECT_NE(status.value.find("\nPid:"), std::string::npos);
    const auto missing = awaited<Result<ReadFolderAnswer>>([&](auto done) { volume.readFolder(folder, "absent", done); });
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error->number, ENOENT);

    const VolumeGuarantees kept = volume.guarantees();
    EXPECT_TRUE(kept.resolvesRelativeToOpenFolders && kept.neverEntersLinks && kept.addsNeverReplace);
}

TEST(LocalVolume, WritesLandUnderATemporaryNameAndAnAddNeverReplaces)
{
    TempFolder tree;
    tree.makeFile("archive/garde.txt", "ancien");
    LocalVolume volume(tree.path("archive"), 4);
    const FolderRef folder = openedStart(volume);

    const auto temporary = awaited<Result<std::string>>([&](auto done) { volume.createTemporary(folder, done); });
    ASSERT_TRUE(temporary.ok());
    EXPECT_TRUE(isTemporaryName(temporary.value));
    const std::string name = temporary.value;
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume.writeTemporary(folder, name, 0, "nouveau", done); })), "ok");
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume.writeTemporary(folder, name, 7, " texte", done); })), "ok");
    EXPECT_EQ(awaited<MaybeError>([&](auto done) { volume.writeTemporary(folder, "garde.txt", 0, "x", done); })->number, EINVAL);

    const auto taken = awaited<MaybeError>([&](auto done) {
        volume.rename(folder, name, folder, "garde.txt", RenameMode::NoReplace, done);
    });
    ASSERT_TRUE(taken);
    EXPECT_EQ(taken->number, EEXIST);
    EXPECT_EQ(readFileBytes(tree.path("archive/garde.txt")), "ancien");
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) {
                  volume.rename(folder, name, folder, "neuf.txt", RenameMode::NoReplace, done);
              })),
              "ok");
    EXPECT_EQ(readFileBytes(tree.path("archive/neuf.txt")), "nouveau texte");
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) {
                  volume.rename(folder, "neuf.txt", folder, "garde.txt", RenameMode::Replace, done);
              })),
              "ok");
    EXPECT_EQ(namesIn(tree.path("archive")), Names{"garde.txt"});
    EXPECT_EQ(readFileBytes(tree.path("archive/garde.txt")), "nouveau texte");
}

TEST(LocalVolume, FoldersAreMadeAttributesSetAndEntriesRemovedOrTrashed)
{
    TempFolder tree;
    tree.makeFile("archive/plein/a/b.txt", "b");
    tree.makeFile("archive/vieux.txt", "v");
    tree.makeFile("archive/fichier.txt", "f");
    setMode(tree.path("archive/plein/a"), 0500);
    const ScopedEnvironment home({{"XDG_DATA_HOME", tree.path("share")}});
    LocalVolume volume(tree.path("archive"), 4);
    const FolderRef folder = openedStart(volume);

    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume.makeFolder(folder, "neuf", 0750, done); })), "ok");
    EXPECT_EQ(awaited<MaybeError>([&](auto done) { volume.makeFolder(folder, "neuf", 0750, done); })->number, EEXIST);
    EntryAttributes attributes;
    attributes.mode = 0604;
    attributes.modified = FileTime{kTestTime - 3600, 250'000'000};
    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume.setAttributes(folder, "fichier.txt", attributes, done); })),
              "ok");
    struct stat info{};
    ASSERT_EQ(::lstat(tree.path("archive/fichier.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(info.st_mtim.tv_sec, kTestTime - 3600);
    EXPECT_EQ(info.st_mtim.tv_nsec, 250'000'000);

    EXPECT_EQ(outcome(awaited<MaybeError>([&](auto done) { volume.removeFolder(folder, "plein", {}, done); })), "ok");
    const auto trashed = awaited<Result<Trashing>>([&](auto done) { volume.moveToTrash(folder, "vieux.txt", done); });
    ASSERT_TRUE(trashed.ok()) << trashed.error->reason;
    EXPECT_EQ(trashed.value.outcome, TrashOutcome::Trashed);
    EXPECT_EQ(namesIn(tree.path("archive")), (Names{"fichier.txt", "neuf"}));
    EXPECT_EQ(readFileBytes(tree.path("share/Trash/files/vieux.txt")), "v");
}

TEST(LocalVolume, SaysWhatAVolumeKeeps)
{
    for (const VolumeKind kind : {VolumeKind::Tmpfs, VolumeKind::Fat32}) {
        if (const std::string why = whyNotMountable(kind); !why.empty()) GTEST_SKIP() << why;
        TempFolder tree;
        const MountedVolume mounted(kind, tree.root());
        const VolumeCapabilities kept = LocalVolume(mounted.mountPoint(), 1).capabilities();
        SCOPED_TRACE(std::string(volumeKindName(kind)));
        const bool tmpfs = kind == VolumeKind::Tmpfs;
        EXPECT_EQ(kept.times, tmpfs ? TimePrecision::Nanoseconds : TimePrecision::TwoSeconds);
        EXPECT_EQ(kept.localTimes, !tmpfs);
        EXPECT_EQ(kept.foldsCase, !tmpfs);
        for (const bool keeps : {kept.keepsPermissions, kept.keepsOwners, kept.keepsAcls, kept.keepsExtendedAttributes,
                                 kept.keepsHardLinks, kept.keepsHoles, kept.keepsFileIdentity}) {
            EXPECT_EQ(keeps, tmpfs);
        }
    }
}

// Reads the same file sixteen times at once through a volume whose every answer takes a while.
std::size_t mostAnsweredAtOnce(const TempFolder& tree, unsigned concurrency)
{
    LocalVolume local(tree.path("loin"), concurrency);
    DelayedVolume distant(local, 100ms);
    distant.failRequestsNaming("cassé.txt", EIO);
    const FolderRef folder = openedStart(distant);
    constexpr int kRequests = 16;
    std::latch answered(kRequests + 1);
    std::mutex mutex;
    std::vector<std::string> answers;
    for (int i = 0; i < kRequests; ++i) {
        distant.readFile(folder, "texte.txt", 0, 64, [&](Result<std::string> answer) {
            std::lock_guard lock(mutex);
            answers.push_back(answer.ok() ? answer.value : answer.error->reason);
            answered.count_down();
        });
    }
    std::string broken;
    distant.readFile(folder, "cassé.txt", 0, 64, [&](Result<std::string> answer) {
        broken = answer.ok() ? answer.value : std::to_string(answer.error->number);
        answered.count_down();
    });
    answered.wait();
    EXPECT_EQ(answers, std::vector<std::string>(kRequests, "lointain"));
    EXPECT_EQ(broken, std::to_string(EIO));
    return distant.mostAnsweredAtOnce();
}

TEST(LocalVolume, ManyRequestsAreInFlightAtOnceAndAnInjectedFailureReachesItsRequestAlone)
{
    TempFolder tree;
    tree.makeFile("loin/texte.txt", "lointain");
    tree.makeFile("loin/cassé.txt", "cassé");
    EXPECT_EQ(mostAnsweredAtOnce(tree, 1), 1u);
    EXPECT_EQ(mostAnsweredAtOnce(tree, 8), 8u);
}

}  // namespace
}  // namespace velmorane::testing
