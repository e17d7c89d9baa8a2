#pragma once

#include "platform/system_error.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace velmorane::platform {

// A state file too large to hold as lines, written through a buffer into a temporary file beside
// it that replaces the old one only when whole. Not forced to the disk: a reader must know a
// file cut short by a crash.
class BinaryStateWriter {
public:
    // Makes the state folders when missing; a link or another user's file at the place is refused.
    [[nodiscard]] static Result<std::unique_ptr<BinaryStateWriter>> create(const std::string& path);
    ~BinaryStateWriter();
    BinaryStateWriter(const BinaryStateWriter&) = delete;
    BinaryStateWriter& operator=(const BinaryStateWriter&) = delete;

    void write(std::string_view bytes);
    // Renames the file into place; nothing replaced when a write failed.
    [[nodiscard]] MaybeError commit();

private:
    BinaryStateWriter(std::string path, std::string temporary, int fd);
    void flush();

    std::string path_;
    std::string temporary_;
    int fd_;
    std::string buffer_;
    MaybeError failure_;
};

// Reads a state file in pieces, when it is the user's own plain file.
class BinaryStateReader {
public:
    [[nodiscard]] static std::unique_ptr<BinaryStateReader> open(const std::string& path);
    ~BinaryStateReader();
    BinaryStateReader(const BinaryStateReader&) = delete;
    BinaryStateReader& operator=(const BinaryStateReader&) = delete;

    // Up to `size` bytes into `out`; fewer only at the end of the file or on a failure.
    std::size_t read(char* out, std::size_t size);

private:
    explicit BinaryStateReader(int fd) : fd_(fd) {}
    int fd_;
};

}  // namespace velmorane::platform
