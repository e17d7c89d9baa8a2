#pragma once

#include "platform/system_error.h"
#include "platform/trash.h"

#include <cstdint>
#include <string>
#include <vector>

namespace velmorane::platform {

// One entry this program put in a trash, as it left it there.
struct TrashedEntry {
    std::string trash;      // the trash folder, which holds files/ and info/
    std::string trashName;  // its name in files/, and with ".trashinfo" in info/
    std::string infoText;   // its .trashinfo as written: a user's later trashing under the name differs
};

// What this program put in the trashes, oldest first, kept in its state folder: a .trashinfo
// cannot tell the program's entries from the user's, and only the program's are ever removed to
// make room. A list that cannot be read or trusted is taken as empty: nothing is freed.
class TrashLedger {
public:
    // The list kept in `stateFile`: "trashed" in the state folder when empty.
    explicit TrashLedger(std::string stateFile = {});

    void add(const Trashing& trashing);

    // Removes the program's entries from the trash folder `trash`, oldest first, until `wanted`
    // bytes are freed or none is left; `kept` (a trashing in progress) stays. An entry no longer in
    // that trash as it was written is forgotten and left alone. Returns the bytes freed.
    std::uint64_t free(const std::string& trash, std::uint64_t wanted, const Trashing* kept = nullptr);

    // Forgets the entries the user has emptied or restored, then writes the list whole when it
    // changed; what cannot be written loses only later freeing.
    MaybeError save();

private:
    void forgetGone();

    std::string stateFile_;
    std::vector<TrashedEntry> entries_;
    bool changed_ = false;
};

}  // namespace velmorane::platform
