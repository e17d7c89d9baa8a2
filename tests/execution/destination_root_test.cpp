#include "tests/execution/execution_harness.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

using execution::ListKind;

struct OutsideCase {
    const char* name;
    ListKind list;
    std::string destPath;  // relative to the temporary folder
    bool folder;
    friend void PrintTo(const OutsideCase& c, std::ostream* out) { *out << c.name; }
};

class DestinationRoot : public ::testing::TestWithParam<OutsideCase> {};

// Entries made by hand, as no comparison gives them: the executor refuses them through the question.
TEST_P(DestinationRoot, RefusesAnEntryThatDoesNotLieStrictlyBelowIt)
{
    const OutsideCase c = GetParam();
    Mirror m;
    m.compare(1);  // empty lists, for the entry made below
    m.tree.makeFile("work/f.txt", "source");
    m.tree.makeFile("work/Dossier/g.txt", "source");
    m.tree.makeFile("outside/f.txt", "dehors");
    m.tree.makeFile("outside/Dossier/g.txt", "dehors");
    m.tree.makeFile("archive2/f.txt", "voisin");
    const auto before = readTree(m.tree.root());
    const std::string destPath = m.tree.path(c.destPath);
    const std::string sourcePath = m.work + (c.folder ? "/Dossier/" : "/f.txt");
    const engine::TaskEntry entry{c.folder ? destPath + " **Dossier" : destPath + " *-* 6 *-* 14/11/2023 22:13:20",
                                  sourcePath, destPath};
    execution::TaskList& list = c.list == ListKind::Ajout   ? m.lists.fichAjout
                                : c.list == ListKind::Modif ? m.lists.fichModif
                                                            : m.lists.fichSuppr;
    list.assign({entry});

    m.execute();

    const std::string target = c.list == ListKind::Modif ? destPath : "";
    EXPECT_EQ(m.messages(), "Erreur grave|Erreur : 1 - Chemin hors du dossier de destination\r\nSur le fichier :  ou " +
                                target + "\r\nFaut-il continuer ?\n");
    EXPECT_EQ(readTree(m.tree.root()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, DestinationRoot,
    ::testing::Values(OutsideCase{"AddOutside", ListKind::Ajout, "outside/f.txt", false},
                      OutsideCase{"AddFolderOutside", ListKind::Ajout, "outside/Dossier/", true},
                      OutsideCase{"AddInASiblingWithTheSamePrefix", ListKind::Ajout, "archive2/f.txt", false},
                      OutsideCase{"ReplaceTheRoot", ListKind::Modif, "archive", false},
                      OutsideCase{"ReplaceTheRootWithSeparator", ListKind::Modif, "archive/", false},
                      OutsideCase{"ReplaceThroughDotDot", ListKind::Modif, "archive/../outside/f.txt", false},
                      OutsideCase{"DeleteTheRoot", ListKind::Suppr, "archive/", true},
                      OutsideCase{"DeleteThroughDotDot", ListKind::Suppr, "archive/../outside/Dossier/", true},
                      OutsideCase{"DeleteFileThroughDotDot", ListKind::Suppr, "archive/x/../../outside/f.txt", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace velmorane::testing
