#pragma once

#include "tests/support/test_tree.h"

namespace velmorane::testing {

// Work and archive folders that differ in every way a run finds: to add "Neuf/" and "b.txt" (3
// bytes), to replace "a.txt" (16 bytes in the work folder), to delete "Vieux/" and "vieux.txt" (2 bytes).
// Both hold "garde.txt" alike, since an unattended run never deletes or replaces every file.
inline void makeMirrorTree(TempFolder& tree)
{
    tree.makeFile("travail/garde.txt", "gardé");
    tree.makeFile("archive/garde.txt", "gardé");
    tree.makeFile("travail/a.txt", "nouvelle version");
    tree.makeFile("travail/b.txt", "bbb");
    tree.makeFile("travail/Neuf/n.txt", "n");
    tree.makeFile("archive/a.txt", "ancienne");
    tree.makeFile("archive/vieux.txt", "vv");
    tree.makeFile("archive/Vieux/v.txt", "v");
}

// An archive of 1 000 small files whose work folder kept only the first 400: a mirror would delete
// 600, more than half of the archive.
inline void makeEmptiedSourceTree(TempFolder& tree, const std::string& work, const std::string& archive)
{
    for (int i = 0; i < 1000; ++i) {
        const std::string name = "/f" + std::to_string(1000 + i) + ".txt";
        tree.makeFile(archive + name, "x");
        if (i < 400) tree.makeFile(work + name, "x");
    }
}

}  // namespace velmorane::testing
