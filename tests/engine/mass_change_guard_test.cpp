#include "engine/mass_change_guard.h"

#include <gtest/gtest.h>

namespace velmorane::engine {
namespace {

TEST(MassChangeGuard, MoreThanHalfOfTheDestinationAndMoreThanFiftyFilesAreRefused)
{
    EXPECT_EQ(massChangeRefusal(600, 1000, "/media/ana/CLÉ/Archive"),
              "Exécution refusée : 600 fichier(s) à supprimer ou remplacer sur 1000 dans /media/ana/CLÉ/Archive");
    EXPECT_EQ(massChangeRefusal(51, 101, "/a"),
              "Exécution refusée : 51 fichier(s) à supprimer ou remplacer sur 101 dans /a");
    // Exactly half, or fifty files however few the destination holds, still go through.
    EXPECT_EQ(massChangeRefusal(500, 1000, "/a"), std::nullopt);
    EXPECT_EQ(massChangeRefusal(50, 51, "/a"), std::nullopt);
    EXPECT_EQ(massChangeRefusal(0, 0, "/a"), std::nullopt);
}

TEST(MassChangeGuard, EveryFileOfADestinationIsNeverDeletedOrReplacedHoweverFewItHolds)
{
    EXPECT_EQ(massChangeRefusal(40, 40, "/media/ana/CLÉ"),
              "Exécution refusée : 40 fichier(s) à supprimer ou remplacer sur 40 dans /media/ana/CLÉ");
    EXPECT_EQ(massChangeRefusal(1, 1, "/a"), "Exécution refusée : 1 fichier(s) à supprimer ou remplacer sur 1 dans /a");
    EXPECT_EQ(massChangeRefusal(39, 40, "/a"), std::nullopt);
}

}  // namespace
}  // namespace velmorane::engine
