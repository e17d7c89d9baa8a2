#pragma once

#include "engine/run.h"
#include "execution/move_record.h"

namespace velmorane::execution {

// From the record the last execution left: the files of each side that are still the files it
// left equal (the same inode, no change since), whose extended attributes and ACLs are then
// known to match without reading them. Nothing when there is no whole record.
engine::LastRunAttributes lastRunAttributes(const RecordOwner& owner);

}  // namespace velmorane::execution
