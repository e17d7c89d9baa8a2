#include "platform/date_text.h"
#include "tests/support/child_process.h"
#include "tests/support/test_tree.h"

#include <gtest/gtest.h>

namespace velmorane::testing {
namespace {

TEST(Liste, ControlCharactersOfANameAreWrittenInOctalSoAnEntryStaysOneLine)
{
    TempFolder tree;
    const std::string work = tree.makeFolder("travail");
    const std::string archive = tree.makeFolder("archive");
    tree.makeFile("travail/ligne\nsuite\t\x7f.txt", "abc");
    tree.makeFile("ArchProfils.vlr", " 1 \r\nP\r\n" + work + "\r\n" + archive +
                                         "\r\n0\r\n&Travail => Archive\r\n2\r\n&Ajouter Seulement\r\n");

    const auto run = runProgram(VELMORANE_BINARY, {"--liste", "P"}, tree.root());

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Dossier(s) et Fichier(s) à Ajouter ( 1 ) =>\n" + work +
                           "/ligne\\#012suite\\#011\\#177.txt *-* 3 *-* " + platform::dateText(kTestTime) +
                           "\nFichier(s) à Modifier ( 0) =>\nDossier(s) et Fichier(s) à Supprimer ( 0 ) =>\n");
}

}  // namespace
}  // namespace velmorane::testing
