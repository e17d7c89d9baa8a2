#include "profiles/profile_ordering.h"

#include "platform/letter_case.h"
#include "profiles/profile_editing.h"

#include <utility>

namespace velmorane::profiles {
namespace {

// Names first, so that the line breaks inside a record never weigh against the letters of a name.
bool greater(const Profile& a, const Profile& b)
{
    const int byName = platform::collateIgnoringCase(a.name, b.name);
    if (byName != 0) return byName > 0;
    return platform::collateIgnoringCase(a.record(), b.record()) > 0;
}

}  // namespace

bool orderProfiles(SharedState& state, platform::Dialogs& dialogs)
{
    const bool reread = rereadProfilesWhenChanged(state, dialogs);
    ProfileTable& table = state.tabProfils;
    const int count = table.nbProfils();
    if (count < 2) return reread;
    for (int i = 1; i < count; ++i) {
        for (int j = i + 1; j <= count; ++j) {
            if (!greater(table.at(i), table.at(j))) continue;
            std::swap(table.at(i), table.at(j));
            if (state.profActif == i) {
                state.profActif = j;
            } else if (state.profActif == j) {
                state.profActif = i;
            }
        }
    }
    ecrireProfils(state.profileFilePath, table, dialogs);
    return true;
}

}  // namespace velmorane::profiles
