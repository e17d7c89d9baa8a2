#pragma once

#include "engine/task_list.h"

#include <cstddef>
#include <string>

namespace velmorane::execution {

// The heading of a list on the review screen, with its count.
std::string listHeading(engine::ListKind kind, std::size_t count);

}  // namespace velmorane::execution
