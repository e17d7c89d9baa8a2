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

OrderResult orderProfiles(SharedState& state)
{
    const Reread reread = rereadProfilesWhenChanged(state);
    OrderResult result{reread.reread, {reread.problem, std::nullopt}};
    ProfileTable& table = state.profileTable;
    const int count = table.count();
    if (count < 2) return result;
    for (int i = 1; i < count; ++i) {
        for (int j = i + 1; j <= count; ++j) {
            if (!greater(table.at(i), table.at(j))) continue;
            std::swap(table.at(i), table.at(j));
            if (state.activeProfile == i) {
                state.activeProfile = j;
            } else if (state.activeProfile == j) {
                state.activeProfile = i;
            }
        }
    }
    result.changed = true;
    result.file.write = writeProfiles(state.profileFilePath, table);
    return result;
}

}  // namespace velmorane::profiles
