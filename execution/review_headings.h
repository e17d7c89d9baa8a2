#pragma once

#include <cstddef>
#include <string>

namespace velmorane::execution {

// The headings of the three lists on the review screen, with their counts.
std::string ajoutHeading(std::size_t count);
std::string modifHeading(std::size_t count);
std::string supprHeading(std::size_t count);

}  // namespace velmorane::execution
