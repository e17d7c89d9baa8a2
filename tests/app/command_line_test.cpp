#include "tests/support/child_process.h"
#include "tests/support/mounted_volume.h"
#include "tests/support/mirror_tree.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <regex>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace velmorane::testing {
namespace {

// The binary without a display, in a working directory of its own.
class VelmoraneCommand : public ::testing::Test {
protected:
    VelmoraneCommand()
    {
        makeMirrorTree(tree);
        tree.makeFile("ArchProfils.vlr", " 4 \r\n" + profileRecord("Maison", work, archive) +
                                             profileRecord("Perdu", tree.path("absent"), archive) +
                                             profileRecord("Pareil", work, work) +
                                             profileRecord("Nom avec espaces", work, archive));
    }

    // What the runs trash and remember stays in a folder of the test's own.
    ProgramRun velmorane(const std::vector<std::string>& arguments)
    {
        return runProgram(VELMORANE_BINARY, arguments, tree.root(),
                          {{"XDG_DATA_HOME", home.path("data")}, {"XDG_STATE_HOME", home.path("state")}});
    }

    void writeProfiles(const std::vector<std::string>& records)
    {
        writeProfileFile(tree.path("ArchProfils.vlr"), records);
    }

    // The journal's last entry, without its date line.
    std::string lastEntry() const
    {
        const std::string text = journal();
        const auto start = text.rfind("\r\n\t");
        return start == std::string::npos ? text : text.substr(start + 2);
    }

    std::string journal() const
    {
        return std::filesystem::exists(tree.path("ArchJournal.vlr")) ? readFileBytes(tree.path("ArchJournal.vlr")) : "";
    }

    void checkNoFileEmptiesTheArchive(const std::string& archiveFolder, const std::string& onArchive);
    void checkAttributeValuesAreMirrored(const std::string& onVolume);

    TempFolder home;
    TempFolder tree;
    std::string work = tree.path("travail");
    std::string archive = tree.path("archive");
};

TEST_F(VelmoraneCommand, ListePrintsTheThreeListsAndChangesNothing)
{
    const auto before = readTree(tree.root());
    const auto run = velmorane({"--liste", "maison"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(velmorane({"--liste", "Nom avec espaces"}).out, run.out);
    EXPECT_EQ(run.out, "Dossier(s) et Fichier(s) à Ajouter ( 2 ) =>\n" + work + "/Neuf/ **Dossier\n" +
                           fileEntry(work + "/b.txt", 3) + "\nFichier(s) à Modifier ( 1) =>\n" +
                           fileEntry(archive + "/a.txt", 16) + "\nDossier(s) et Fichier(s) à Supprimer ( 2 ) =>\n" +
                           archive + "/Vieux/ **Dossier\n" + fileEntry(archive + "/vieux.txt", 2) + "\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readTree(tree.root()), before);

    const auto unknown = velmorane({"--liste", "Absent"});
    EXPECT_EQ(std::make_tuple(unknown.exitCode, unknown.out, unknown.err),
              std::make_tuple(2, std::string(), std::string("Profil introuvable : Absent\n")));
    const auto missing = velmorane({"--liste", "Perdu"});
    EXPECT_EQ(std::make_tuple(missing.exitCode, missing.out, missing.err),
              std::make_tuple(2, std::string(), "Velmorane : " + tree.path("absent") + " est vide ou n'existe pas\n"));
}

TEST_F(VelmoraneCommand, HelpPrintsTheFiveLinesOfTheHelpBoxAndDescribesTheFilterFileAndVersionItsNumber)
{
    const auto run = velmorane({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.starts_with("Syntaxe de lancement :\n"
                                    "\tVelmorane => lancement 'normal' du logiciel'\n"
                                    "\tVelmorane Profil => lancement du logiciel ET OUVERTURE du profil indiqué\n"
                                    "\tVelmorane Profil X => lancement ET EXECUTION du profil indiqué\n"
                                    "La commande en ligne n'est pas sensible à la casse\n"))
        << run.out;
    EXPECT_NE(run.out.find("Filtres : ArchFiltres.vlr, à côté de ArchProfils.vlr, un motif par ligne (*, ?, [...]), "
                           "sans distinction de casse\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("\t\t*.tmp\n\t\tnode_modules/\n\t\t[Documents]\n\t\tPhotos/Brouillons\n"),
              std::string::npos);
    EXPECT_NE(run.out.find("entre guillemets : velmorane \"Clé USB\" X\n"), std::string::npos);

    // Neither the short forms nor the version need a display.
    const auto shortHelp = velmorane({"-h"});
    EXPECT_EQ(std::make_tuple(shortHelp.exitCode, shortHelp.out, shortHelp.err),
              std::make_tuple(0, run.out, std::string()));
    for (const char* option : {"--version", "-V"}) {
        const auto version = velmorane({option});
        EXPECT_EQ(std::make_tuple(version.exitCode, version.out, version.err),
                  std::make_tuple(0, std::string("velmorane 1.0\n"), std::string()))
            << option;
    }
}

TEST_F(VelmoraneCommand, AnUnattendedRunMirrorsAndJournalsEachExecution)
{
    // One journal entry in UTF-8 with CR LF line ends.
    const auto entry = [](const std::string& profile) {
        return "Le [0-9]{2}/[0-9]{2}/[0-9]{4} à [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n\tExécution du Profil " + profile +
               " : OK\r\n";
    };
    const auto first = velmorane({"maison", "x"});
    EXPECT_EQ(std::make_tuple(first.exitCode, first.out, first.err), std::make_tuple(0, std::string(), std::string()));
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
    EXPECT_TRUE(std::regex_match(journal(), std::regex(entry("Maison")))) << journal();

    // The second run, of a name given as one quoted argument, finds nothing to do, and still journals.
    const auto before = readTree(archive);
    EXPECT_EQ(velmorane({"Nom avec espaces", "X"}).exitCode, 0);
    EXPECT_EQ(readTree(archive), before);
    EXPECT_TRUE(std::regex_match(journal(), std::regex(entry("Maison") + entry("Nom avec espaces")))) << journal();
}

// A journal that cannot be written is a failure of a run that executed, said on standard error as
// the window asks it; a run that executed nothing still ends with 2.
TEST_F(VelmoraneCommand, AJournalThatCannotBeWrittenEndsAnExecutedRunWithOne)
{
    tree.makeFolder("ArchJournal.vlr");  // a folder where the journal file should be
    const auto executed = velmorane({"Maison", "X"});
    EXPECT_EQ(executed.exitCode, 1);
    EXPECT_NE(executed.err.find("Sur le fichier : ArchJournal.vlr"), std::string::npos) << executed.err;
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
    EXPECT_EQ(velmorane({"Pareil", "X"}).exitCode, 2);
    EXPECT_EQ(velmorane({"Absent", "X"}).exitCode, 2);
}

// The same from a working directory that is read-only: the run executes, and its status says that
// it could not be journalled.
TEST_F(VelmoraneCommand, AReadOnlyWorkingDirectoryEndsAnExecutedRunWithOne)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    const std::string readOnly = tree.makeFolder("lecture-seule");
    const std::string profiles = home.makeFolder("profils");
    std::filesystem::copy_file(tree.path("ArchProfils.vlr"), profiles + "/ArchProfils.vlr");
    TemporaryMount mount(TemporaryMount::Kind::Bind, readOnly, profiles);
    ASSERT_EQ(tool("mount", {"-o", "remount,bind,ro", readOnly}), "");
    const auto run = runProgram(VELMORANE_BINARY, {"Maison", "X"}, readOnly,
                                {{"XDG_DATA_HOME", home.path("data")}, {"XDG_STATE_HOME", home.path("state")}});
    mount.unmount();
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("Sur le fichier : ArchJournal.vlr"), std::string::npos) << run.err;
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
}

TEST_F(VelmoraneCommand, NothingExecutedEndsWithStatusTwoTheReasonAndAJournalEntrySayingWhy)
{
    const auto before = readTree(archive);
    for (const auto& [profile, reason] : std::vector<std::pair<std::string, std::string>>{
             {"Absent", "Profil introuvable : Absent\n"},
             {"Perdu", tree.path("absent") + " est vide ou n'existe pas"},
             {"Pareil", "Profil Incorrect : Travail et Archive doivent être différents."}}) {
        const auto run = velmorane({profile, "X"});
        EXPECT_EQ(run.exitCode, 2) << profile;
        EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
    }
    EXPECT_EQ(readTree(archive), before);
    // Every run leaves a trace, an unknown profile under the name as typed.
    const std::string when = "Le [0-9]{2}/[0-9]{2}/[0-9]{4} à [0-9]{2}:[0-9]{2}:[0-9]{2}\r\n";
    EXPECT_TRUE(std::regex_match(journal(), std::regex(when + "\tExécution du Profil Absent : Non exécuté "
                                                       "\\(Profil introuvable\\)\r\n" +
                                                       when + "\tExécution du Profil Perdu : Non exécuté \\(" +
                                                       tree.path("absent") + " est vide ou n'existe pas\\)\r\n" + when +
                                                       "\tExécution du Profil Pareil : Non exécuté \\(Travail "
                                                       "et Archive doivent être différents.\\)\r\n")))
        << journal();

    // A journal that does not take the entry is said too, the status staying that of the run.
    std::filesystem::remove(tree.path("ArchJournal.vlr"));
    tree.makeFolder("ArchJournal.vlr");
    for (const char* profile : {"Absent", "Perdu"}) {
        const auto run = velmorane({profile, "X"});
        EXPECT_EQ(run.exitCode, 2) << profile;
        EXPECT_NE(run.err.find("\nJournal impossible à écrire : "), std::string::npos) << run.err;
    }
    std::filesystem::remove(tree.path("ArchJournal.vlr"));

    // Opening a profile, or none, needs the windows, which need a display.
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"Maison"}, std::vector<std::string>{}}) {
        const auto run = velmorane(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.err.starts_with("Aucun affichage disponible : ")) << run.err;
        EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << "one line";
    }
}

// The tree lines below a folder, without those below `left` and the folders leading to it.
Names outside(const std::string& root, const std::string& left)
{
    Names lines;
    for (const std::string& line : readTree(root, FolderTimes::Left)) {
        const std::string path = line.substr(0, line.find('|'));
        if (!path.starts_with(left) && !(path.ends_with('/') && left.starts_with(path))) lines.push_back(line);
    }
    return lines;
}

TEST_F(VelmoraneCommand, AStartFolderInsideTheOtherIsLeftAloneEitherWayAndTheSecondRunHasNothingToDo)
{
    // The archive inside the work folder, and the work folder two levels inside the archive.
    tree.makeFile("dedans/w/doc.txt", "doc");
    tree.makeFile("dedans/w/sous/x.txt", "x");
    tree.makeFile("dedans/w/arch/vieux.txt", "v");
    tree.makeFile("autour/a/haut.txt", "h");
    tree.makeFile("autour/a/b/autre.txt", "o");
    tree.makeFile("autour/a/b/w2/f.txt", "f");
    tree.makeFile("autour/a/b/w2/sous/g.txt", "g");
    // A file both sides hold alike: an unattended run never deletes or replaces every file.
    for (const char* both : {"dedans/w/commun.txt", "dedans/w/arch/commun.txt", "autour/a/commun.txt",
                             "autour/a/b/w2/commun.txt"}) {
        tree.makeFile(both, "commun");
    }
    const std::string w = tree.path("dedans/w"), arch = tree.path("dedans/w/arch");
    const std::string a = tree.path("autour/a"), w2 = tree.path("autour/a/b/w2");
    writeProfiles({profileRecord("Dedans", w, arch), profileRecord("Autour", w2, a)});
    const auto innerWork = readTree(w2);

    for (const char* profile : {"Dedans", "Autour"}) {
        const auto run = velmorane({profile, "X"});
        EXPECT_EQ(std::make_tuple(run.exitCode, run.err), std::make_tuple(0, std::string())) << profile;
        const auto second = velmorane({"--liste", profile});
        EXPECT_EQ(second.out, "Dossier(s) et Fichier(s) à Ajouter ( 0 ) =>\nFichier(s) à Modifier ( 0) =>\n"
                              "Dossier(s) et Fichier(s) à Supprimer ( 0 ) =>\n")
            << profile;
    }
    EXPECT_EQ(readTree(arch, FolderTimes::Left), outside(w, "arch/"));
    EXPECT_EQ(namesIn(arch), (Names{"commun.txt", "doc.txt", "sous"}));
    EXPECT_EQ(outside(a, "b/w2/"), readTree(w2, FolderTimes::Left));
    EXPECT_EQ(namesIn(a + "/b"), Names{"w2"});
    EXPECT_EQ(readTree(w2), innerWork);
}

TEST_F(VelmoraneCommand, TheSameFolderUnderTwoNamesIsRefusedAndTwoFoldersDifferingInCaseAreNot)
{
    tree.makeLink("lien", "travail");
    tree.makeFile("s/x.txt", "x");
    tree.makeFolder("S");
    writeProfiles({profileRecord("Lien", work, tree.path("lien")), profileRecord("Point", work, work + "/."),
                   profileRecord("Casse", tree.path("s"), tree.path("S"))});
    const auto before = readTree(work);
    for (const char* profile : {"Lien", "Point"}) {
        const auto run = velmorane({profile, "X"});
        EXPECT_EQ(std::make_tuple(run.exitCode, withoutReportLine(run.err)),
                  std::make_tuple(2, std::string("Profil Incorrect : Travail et Archive doivent être différents.\n")));
        EXPECT_EQ(lastEntry(), "\tExécution du Profil " + std::string(profile) +
                                   " : Non exécuté (Travail et Archive doivent être différents.)\r\n");
    }
    EXPECT_EQ(readTree(work), before);

    EXPECT_EQ(velmorane({"Casse", "X"}).exitCode, 0);
    EXPECT_EQ(namesIn(tree.path("S")), Names{"x.txt"});
}

TEST_F(VelmoraneCommand, AnArchiveOnAPulledKeyIsRefusedAndNothingIsWrittenUnderItsEmptyMountPoint)
{
    if (const std::string why = TemporaryMount::whyNotRoot(); !why.empty()) GTEST_SKIP() << why;
    const std::string key = tree.makeFolder("cle");
    writeProfiles({profileRecord("Cle", work, key)});
    {
        TemporaryMount mounted(TemporaryMount::Kind::Tmpfs, key);
        EXPECT_EQ(velmorane({"Cle", "X"}).exitCode, 0);
        EXPECT_EQ(namesIn(key), (Names{"Neuf", "a.txt", "b.txt", "garde.txt"}));
    }

    const std::string refusal =
        "Le dossier " + key + " n'est plus sur le volume " + key + " : le support est-il branché ?";
    const auto run = velmorane({"Cle", "X"});
    EXPECT_EQ(std::make_tuple(run.exitCode, withoutReportLine(run.err)), std::make_tuple(2, "Velmorane : " + refusal + "\n"));
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : Non exécuté (" + refusal + ")\r\n");
    const auto listed = velmorane({"--liste", "Cle"});
    EXPECT_EQ(std::make_tuple(listed.exitCode, listed.out, listed.err),
              std::make_tuple(2, std::string(), "Velmorane : " + refusal + "\n"));
    EXPECT_EQ(namesIn(key), Names{});
}

TEST_F(VelmoraneCommand, AnUnattendedRunThatWouldDeleteMostOfTheDestinationChangesNothing)
{
    makeEmptiedSourceTree(tree, "gros/travail", "gros/archive");
    const std::string archiveFolder = tree.path("gros/archive");
    writeProfiles({profileRecord("Gros", tree.path("gros/travail"), archiveFolder)});
    const auto before = readTree(archiveFolder);

    const auto run = velmorane({"Gros", "X"});
    const std::string refusal =
        "Exécution refusée : 600 fichier(s) à supprimer ou remplacer sur 1000 dans " + archiveFolder;
    EXPECT_EQ(std::make_tuple(run.exitCode, withoutReportLine(run.err)), std::make_tuple(2, "Attention : " + refusal + "\n"));
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Gros : Non exécuté (" + refusal + ")\r\n");
    EXPECT_EQ(readTree(archiveFolder), before);
}

// The tree lines without permission bits, which a FAT key does not keep, nor the disk's own folders
// at its top, which runs leave out.
Names withoutModesNorTrash(const Names& lines)
{
    Names out;
    for (const auto& line : lines) {
        if (line.starts_with(".Trash") || line.starts_with("lost+found/")) continue;
        const std::size_t modeEnd = line.rfind('|');
        const std::size_t modeStart = line.rfind('|', modeEnd - 1);
        out.push_back(line.substr(0, modeStart) + line.substr(modeEnd));
    }
    return out;
}

std::string fileNumber(int i)
{
    return (i < 20 ? "Photos/f" : "f") + std::to_string(10 + i) + ".txt";
}

// A freshly formatted disk as the work folder: folders, no file. Then a work folder left with one
// file of its own. Neither empties the archive of its 40 files; the work folder restored does.
void VelmoraneCommand::checkNoFileEmptiesTheArchive(const std::string& archiveFolder, const std::string& onArchive)
{
    tree.makeFolder("disque/lost+found");
    tree.makeFolder("disque/Photos/2026");
    const std::string disk = tree.path("disque");
    for (int i = 0; i < 40; ++i) {
        tree.makeFile(onArchive + fileNumber(i), "précieux");
    }
    const Names before = readTree(archiveFolder);
    const auto journalAfter = [&](const std::string& reason) {
        return "\tExécution du Profil Disque : Non exécuté (" + reason + ")\r\n";
    };

    const auto refused = velmorane({"Disque", "X"});
    const std::string noFile = disk + " ne contient aucun fichier";
    EXPECT_EQ(std::make_tuple(refused.exitCode, withoutReportLine(refused.err)),
              std::make_tuple(2, "Velmorane : " + noFile + "\n"));
    EXPECT_EQ(lastEntry(), journalAfter(noFile));
    const auto listed = velmorane({"--liste", "Disque"});
    EXPECT_EQ(std::make_tuple(listed.exitCode, listed.out, listed.err),
              std::make_tuple(2, std::string(), "Velmorane : " + noFile + "\n"));
    EXPECT_EQ(readTree(archiveFolder), before);

    // However few the archive holds, an unattended run never deletes every one of its files.
    tree.makeFile("disque/seul.txt", "seul");
    const auto guarded = velmorane({"Disque", "X"});
    const std::string every = "Exécution refusée : 40 fichier(s) à supprimer ou remplacer sur 40 dans " + archiveFolder;
    EXPECT_EQ(std::make_tuple(guarded.exitCode, withoutReportLine(guarded.err)),
              std::make_tuple(2, "Attention : " + every + "\n"));
    EXPECT_EQ(lastEntry(), journalAfter(every));
    EXPECT_EQ(readTree(archiveFolder), before);

    for (int i = 0; i < 40; ++i) tree.makeFile("disque/" + fileNumber(i), "précieux");
    tree.makeFile("disque/" + fileNumber(0), "précieux, revu", kTestTime + 2);
    const auto good = velmorane({"Disque", "X"});
    EXPECT_EQ(std::make_tuple(good.exitCode, good.err), std::make_tuple(0, std::string()));
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Disque : OK\r\n");
    EXPECT_EQ(withoutModesNorTrash(readTree(archiveFolder, FolderTimes::Left)),
              withoutModesNorTrash(readTree(disk, FolderTimes::Left)));
}

TEST_F(VelmoraneCommand, ASourceWithFoldersButNoFileIsRefusedAndNeverEmptiesTheArchive)
{
    writeProfiles({profileRecord("Disque", tree.path("disque"), archive)});
    std::filesystem::remove_all(archive);
    checkNoFileEmptiesTheArchive(archive, "archive/");
}

TEST_F(VelmoraneCommand, ASourceWithFoldersButNoFileNeverEmptiesAFatKey)
{
    if (const std::string why = whyNotMountable(VolumeKind::Fat32); !why.empty()) GTEST_SKIP() << why;
    MountedVolume key(VolumeKind::Fat32, tree.root());
    // A folder on the key, as people are told to use: the key's top folder is refused for itself.
    const std::string archive = tree.makeFolder(std::string(volumeKindName(VolumeKind::Fat32)) + "/Archive");
    writeProfiles({profileRecord("Disque", tree.path("disque"), archive)});
    checkNoFileEmptiesTheArchive(archive, std::string(volumeKindName(VolumeKind::Fat32)) + "/Archive/");
}

TEST_F(VelmoraneCommand, AFileWrittenWhileItIsCopiedFailsItsEntryAndTheArchiveKeepsItsPreviousVersion)
{
    const std::string big = tree.makeFile("grand/travail/video.bin", std::string(std::size_t{16} << 20, 'v'));
    tree.makeFile("grand/archive/video.bin", "version d'hier");
    tree.makeFile("grand/travail/garde.txt", "gardé");
    tree.makeFile("grand/archive/garde.txt", "gardé");
    tree.makeFile("grand/travail/lettre.txt", "lettre");
    const std::string archiveFolder = tree.path("grand/archive");
    writeProfiles({profileRecord("Grand", tree.path("grand/travail"), archiveFolder)});

    // Another program keeps cutting the file short and lengthening it again, as a recorder would.
    std::atomic<bool> writing = true;
    std::thread writer([&] {
        const int fd = ::open(big.c_str(), O_WRONLY);
        for (off_t size = 8 << 20; writing; size = (24 << 20) - size) {
            if (::ftruncate(fd, size) != 0) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ::close(fd);
    });
    std::optional<ProgramRun> failed;
    for (int attempt = 0; attempt < 20 && !failed; ++attempt) {
        const std::string previous = readFileBytes(archiveFolder + "/video.bin");
        const auto run = velmorane({"Grand", "X"});
        if (run.exitCode == 0) continue;  // the copy fell between two changes
        failed = run;
        EXPECT_EQ(readFileBytes(archiveFolder + "/video.bin"), previous);
        EXPECT_EQ(namesIn(archiveFolder), (Names{"garde.txt", "lettre.txt", "video.bin"})) << "no temporary file";
    }
    writing = false;
    writer.join();

    ASSERT_TRUE(failed) << "no run saw the file change in 20";
    EXPECT_EQ(failed->exitCode, 1);
    EXPECT_EQ(withoutReportLine(failed->err), "Erreur grave : Erreur : 11 - le fichier a changé pendant la copie\nSur le fichier : " +
                               big + " ou " + archiveFolder + "/video.bin\nFaut-il continuer ?\n");
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Grand : 1 erreur(s)\r\n");
    EXPECT_EQ(readFileBytes(archiveFolder + "/lettre.txt"), "lettre");

    const auto good = velmorane({"Grand", "X"});
    EXPECT_EQ(std::make_tuple(good.exitCode, good.err), std::make_tuple(0, std::string()));
    EXPECT_EQ(lastEntry(), "\tExécution du Profil Grand : OK\r\n");
    EXPECT_EQ(readTree(archiveFolder, FolderTimes::Left), readTree(tree.path("grand/travail"), FolderTimes::Left));
}

void setAttribute(const std::string& path, const std::string& name, const std::string& value)
{
    if (::setxattr(path.c_str(), name.c_str(), value.data(), value.size(), 0) != 0) {
        throw std::runtime_error("setxattr " + path + ": " + std::to_string(errno));
    }
}

std::string attribute(const std::string& path, const std::string& name)
{
    std::string value(256, '\0');
    const ssize_t size = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
    return size < 0 ? "absent" : value.substr(0, static_cast<std::size_t>(size));
}

ino_t inodeOf(const std::string& path)
{
    struct stat info{};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_ino : 0;
}

// The same content and time on both sides, extended attributes that differ by value or by name only.
void VelmoraneCommand::checkAttributeValuesAreMirrored(const std::string& onVolume)
{
    const std::string notes = tree.makeFile(onVolume + "travail/notes.txt", "annotée");
    const std::string copy = tree.makeFile(onVolume + "archive/notes.txt", "annotée");
    const std::string other = tree.makeFile(onVolume + "travail/autre.txt", "autre");
    const std::string otherCopy = tree.makeFile(onVolume + "archive/autre.txt", "autre");
    tree.makeFile(onVolume + "travail/garde.txt", "gardé");
    tree.makeFile(onVolume + "archive/garde.txt", "gardé");
    setAttribute(notes, "user.note", "changed");
    setAttribute(copy, "user.note", "changed");
    setAttribute(other, "user.a", "1");
    setAttribute(otherCopy, "user.b", "1");
    const std::string archiveFolder = tree.path(onVolume + "archive");
    writeProfiles({profileRecord("Notes", tree.path(onVolume + "travail"), archiveFolder)});
    const auto modifyList = [&] {
        const std::string out = velmorane({"--liste", "Notes"}).out;
        const auto start = out.find("Fichier(s) à Modifier");
        return out.substr(start, out.find("Dossier(s) et Fichier(s) à Supprimer") - start);
    };
    EXPECT_EQ(modifyList(), "Fichier(s) à Modifier ( 1) =>\n" + fileEntry(otherCopy, 5) + "\n");

    setAttribute(notes, "user.note", "third");
    EXPECT_EQ(modifyList(),
              "Fichier(s) à Modifier ( 2) =>\n" + fileEntry(otherCopy, 5) + "\n" + fileEntry(copy, 8) + "\n");
    const ino_t inode = inodeOf(copy);
    const auto run = velmorane({"Notes", "X"});
    EXPECT_EQ(std::make_tuple(run.exitCode, run.err), std::make_tuple(0, std::string()));
    EXPECT_EQ(attribute(copy, "user.note"), "third");
    EXPECT_EQ(inodeOf(copy), inode) << "only the attribute was set";
    EXPECT_EQ(attribute(otherCopy, "user.a") + " " + attribute(otherCopy, "user.b"), "1 absent");
    EXPECT_EQ(modifyList(), "Fichier(s) à Modifier ( 0) =>\n");

    // After a run, on either side: the files the run left are not read again, those touched since are.
    setAttribute(copy, "user.note", "abîmée");
    EXPECT_EQ(modifyList(), "Fichier(s) à Modifier ( 1) =>\n" + fileEntry(copy, 8) + "\n");
    // A run that adds only leaves the difference, and the next run still sees it.
    tree.makeFile(onVolume + "travail/nouveau.txt", "nouveau");
    writeProfiles({profileRecord("Notes", tree.path(onVolume + "travail"), archiveFolder),
                   profileRecord("Ajouts", tree.path(onVolume + "travail"), archiveFolder, "2")});
    EXPECT_EQ(velmorane({"Ajouts", "X"}).exitCode, 0);
    EXPECT_EQ(attribute(copy, "user.note"), "abîmée");
    EXPECT_EQ(modifyList(), "Fichier(s) à Modifier ( 1) =>\n" + fileEntry(copy, 8) + "\n");
    EXPECT_EQ(velmorane({"Notes", "X"}).exitCode, 0);
    setAttribute(other, "user.a", "2");
    EXPECT_EQ(modifyList(), "Fichier(s) à Modifier ( 1) =>\n" + fileEntry(otherCopy, 5) + "\n");
    EXPECT_EQ(velmorane({"Notes", "X"}).exitCode, 0);
    EXPECT_EQ(attribute(otherCopy, "user.a"), "2");
    EXPECT_EQ(modifyList(), "Fichier(s) à Modifier ( 0) =>\n");
}

TEST_F(VelmoraneCommand, AnExtendedAttributeChangedInValueAloneIsSetOnTheArchiveWithoutACopy)
{
    checkAttributeValuesAreMirrored("disque/");
}

TEST_F(VelmoraneCommand, AnExtendedAttributeChangedInValueAloneIsSetOnATmpfsArchiveWithoutACopy)
{
    if (const std::string why = whyNotMountable(VolumeKind::Tmpfs); !why.empty()) GTEST_SKIP() << why;
    MountedVolume volume(VolumeKind::Tmpfs, tree.root());
    checkAttributeValuesAreMirrored(std::string(volumeKindName(VolumeKind::Tmpfs)) + "/");
}

// A display number that no X server listens on here.
std::string deadDisplay()
{
    int number = 99;
    while (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(number))) ++number;
    return ":" + std::to_string(number);
}

TEST_F(VelmoraneCommand, ADisplayThatCannotBeOpenedRunsAsWithoutOne)
{
    const std::string display = deadDisplay();
    for (const auto& [name, value] : std::vector<std::pair<std::string, std::string>>{
             {"DISPLAY", display}, {"WAYLAND_DISPLAY", "velmorane-absent-0"}}) {
        SCOPED_TRACE(name);
        std::filesystem::remove(tree.path("ArchJournal.vlr"));
        const auto unattended = runProgram(VELMORANE_BINARY, {"Maison", "X"}, tree.root(), {{name, value}});
        EXPECT_EQ(std::make_tuple(unattended.exitCode, unattended.err), std::make_tuple(0, std::string()));
        EXPECT_NE(journal(), "");
        const auto refused = runProgram(VELMORANE_BINARY, {"Pareil", "X"}, tree.root(), {{name, value}});
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_EQ(withoutReportLine(refused.err), "Profil Incorrect : Travail et Archive doivent être différents.\n");

        const auto opened = runProgram(VELMORANE_BINARY, {"Maison"}, tree.root(), {{name, value}});
        EXPECT_EQ(std::make_tuple(opened.exitCode, opened.err),
                  std::make_tuple(2, "Aucun affichage disponible : impossible d'ouvrir l'affichage " + value + " (" +
                                         name + ") ; voir velmorane --help.\n"));
    }
    EXPECT_EQ(readTree(archive, FolderTimes::Left), readTree(work, FolderTimes::Left));
}

}  // namespace
}  // namespace velmorane::testing

namespace velmorane::testing {
namespace {

// The lines of a tree without permission bits, which keys do not keep, nor the folders of the
// volume itself, which runs leave out.
Names keyTree(const std::string& root)
{
    Names out;
    for (const std::string& line : readTree(root, FolderTimes::Left)) {
        if (line.starts_with(".Trash-") || line.starts_with("lost+found")) continue;
        const std::size_t modeEnd = line.rfind('|');
        const std::size_t modeStart = line.rfind('|', modeEnd - 1);
        out.push_back(line.substr(0, modeStart) + line.substr(modeEnd));
    }
    return out;
}

// The lines of a tree, those below one of its folders left out.
Names treeWithout(const Names& lines, const std::string& folder)
{
    Names out;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
                 [&](const std::string& line) { return !line.starts_with(folder + "/"); });
    return out;
}

std::string keyFolder(VolumeKind kind)
{
    return "cles/" + std::string(volumeKindName(kind));
}

TEST_F(VelmoraneCommand, OnAKeyThatFoldsCaseTwoSpellingsOfOneFolderAreOneStartFolder)
{
    for (const VolumeKind kind : {VolumeKind::Fat32, VolumeKind::ExFat}) {
        if (const std::string why = whyNotMountable(kind); !why.empty()) GTEST_SKIP() << why;
        SCOPED_TRACE(volumeKindName(kind));
        const MountedVolume volume(kind, tree.makeFolder(keyFolder(kind)));
        const std::string key = volume.mountPoint();
        const std::string onKey = keyFolder(kind) + "/" + std::string(volumeKindName(kind));
        tree.makeFile(onKey + "/Data/Work/lettre.txt", "lettre");
        tree.makeFile(onKey + "/Data/Work/Sous/note.txt", "note");
        tree.makeFile(onKey + "/Data/ancien.txt", "ancien");
        // Alike on both sides: an unattended run never deletes every file of its archive.
        tree.makeFile(onKey + "/Data/Work/garde.txt", "gardé");
        tree.makeFile(onKey + "/Data/garde.txt", "gardé");
        writeProfiles({profileRecord("Pareil", key + "/Data", key + "/DATA"),
                       profileRecord("Dedans", key + "/Data/Work", key + "/DATA"),
                       profileRecord("Autour", key + "/Data", key + "/DATA/Arch")});

        const auto same = velmorane({"Pareil", "X"});
        EXPECT_EQ(std::make_tuple(same.exitCode, withoutReportLine(same.err)),
                  std::make_tuple(2, std::string("Profil Incorrect : Travail et Archive doivent être différents.\n")));

        // The work folder inside the archive is left out of it: never listed for deletion.
        const Names work = keyTree(key + "/Data/Work");
        for (int run = 0; run < 2; ++run) {
            const auto inside = velmorane({"Dedans", "X"});
            EXPECT_EQ(std::make_tuple(inside.exitCode, inside.err), std::make_tuple(0, std::string()));
            EXPECT_EQ(lastEntry(), "\tExécution du Profil Dedans : OK\r\n");
            EXPECT_EQ(keyTree(key + "/Data/Work"), work);
            EXPECT_EQ(treeWithout(keyTree(key + "/Data"), "Work"), keyTree(key + "/Data/Work"));
        }
        EXPECT_EQ(namesIn(key + "/Data"), (Names{"Sous", "Work", "garde.txt", "lettre.txt"}));

        // The archive inside the work folder is left out of what is copied into it.
        tree.makeFolder(onKey + "/Data/Arch");
        for (int run = 0; run < 2; ++run) {
            const auto around = velmorane({"Autour", "X"});
            EXPECT_EQ(std::make_tuple(around.exitCode, around.err), std::make_tuple(0, std::string()));
            EXPECT_EQ(lastEntry(), "\tExécution du Profil Autour : OK\r\n");
        }
        EXPECT_EQ(namesIn(key + "/Data/Arch"), (Names{"Sous", "Work", "garde.txt", "lettre.txt"}));
        EXPECT_EQ(keyTree(key + "/Data/Arch"), treeWithout(keyTree(key + "/Data"), "Arch"));
    }
}

TEST_F(VelmoraneCommand, AnotherKeyMountedWhereTheSourcesKeyWasIsRefusedUntilItsOwnIsBack)
{
    for (const VolumeKind kind : {VolumeKind::ExFat, VolumeKind::Ext4}) {
        if (const std::string why = whyNotMountable(kind); !why.empty()) GTEST_SKIP() << why;
        SCOPED_TRACE(volumeKindName(kind));
        MountedVolume volume(kind, tree.makeFolder(keyFolder(kind)));
        const std::string key = volume.mountPoint();
        const std::string onKey = keyFolder(kind) + "/" + std::string(volumeKindName(kind));
        const std::string copy = tree.makeFolder("copies/" + std::string(volumeKindName(kind)));
        for (int i = 1; i <= 5; ++i) tree.makeFile(onKey + "/Photos/p" + std::to_string(i) + ".jpg", std::string(100 * i, 'p'));
        writeProfiles({profileRecord("Cle", key, copy)});
        EXPECT_EQ(velmorane({"Cle", "X"}).exitCode, 0);
        EXPECT_EQ(keyTree(copy), keyTree(key));
        const Names copied = readTree(copy);

        volume.mountAnother();
        tree.makeFile(onKey + "/autre.txt", "une autre clé");
        const auto refusedRun = velmorane({"Cle", "X"});
        const ProgramRun refused{refusedRun.exitCode, refusedRun.out, withoutReportLine(refusedRun.err)};
        const std::string start = "Le dossier " + key + " n'est plus sur le volume " + key + " (UUID=";
        const std::string end = ") : le support est-il branché ?";
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_TRUE(refused.err.starts_with("Velmorane : " + start) && refused.err.ends_with(end + "\n")) << refused.err;
        const std::string reason = refused.err.substr(12, refused.err.size() - 13);
        EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : Non exécuté (" + reason + ")\r\n");
        EXPECT_EQ(readTree(copy), copied);

        volume.mountAnother();
        EXPECT_EQ(velmorane({"Cle", "X"}).exitCode, 0);
        EXPECT_EQ(lastEntry(), "\tExécution du Profil Cle : OK\r\n");
        EXPECT_EQ(keyTree(copy), keyTree(key));
    }
}

TEST_F(VelmoraneCommand, TheTopFolderOfAKeyAsArchiveIsRefusedUnattendedUnlikeAFolderOnItOrAFixedDisksTop)
{
    for (const VolumeKind kind : {VolumeKind::Fat32, VolumeKind::ExFat, VolumeKind::Ext4, VolumeKind::Tmpfs}) {
        if (const std::string why = whyNotMountable(kind); !why.empty()) GTEST_SKIP() << why;
        SCOPED_TRACE(volumeKindName(kind));
        const MountedVolume volume(kind, tree.makeFolder(keyFolder(kind)));
        const std::string key = volume.mountPoint();
        const std::string onKey = keyFolder(kind) + "/" + std::string(volumeKindName(kind));
        tree.makeFile(onKey + "/photo.jpg", "la seule copie");
        tree.makeFolder(onKey + "/Sauvegarde");
        writeProfiles({profileRecord("Racine", work, key), profileRecord("Dossier", work, key + "/Sauvegarde")});

        const auto onFolder = velmorane({"Dossier", "X"});
        EXPECT_EQ(std::make_tuple(onFolder.exitCode, onFolder.err), std::make_tuple(0, std::string()));
        EXPECT_EQ(keyTree(key + "/Sauvegarde"), keyTree(work));

        const auto onTop = velmorane({"Racine", "X"});
        if (kind == VolumeKind::Ext4 || kind == VolumeKind::Tmpfs) {
            EXPECT_EQ(std::make_tuple(onTop.exitCode, onTop.err), std::make_tuple(0, std::string()));
            EXPECT_EQ(keyTree(key), keyTree(work));
            continue;
        }
        const std::string refusal = "Le dossier de destination " + key +
                                    " est la racine du volume : tout ce que la source n'a pas y sera supprimé.";
        EXPECT_EQ(std::make_tuple(onTop.exitCode, withoutReportLine(onTop.err)),
                  std::make_tuple(2, "Velmorane : " + refusal + "\n"));
        EXPECT_EQ(lastEntry(), "\tExécution du Profil Racine : Non exécuté (" + refusal + ")\r\n");
        EXPECT_EQ(namesIn(key), (Names{"Sauvegarde", "photo.jpg"}));
        EXPECT_EQ(readFileBytes(key + "/photo.jpg"), "la seule copie");
    }
}

}  // namespace
}  // namespace velmorane::testing
