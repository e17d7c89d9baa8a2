#pragma once

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>

namespace velmorane::bench {

// A benchmark whose trees cannot be made has nothing to measure: it says why and ends.
[[noreturn]] inline void die(const std::string& what)
{
    std::perror(what.c_str());
    std::exit(1);
}

inline void makeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) die(path);
}

}  // namespace velmorane::bench
