// Line-by-line reading of a file through a byte source: a line runs from the
// current position to the next CR, LF or CR LF (the line end is consumed as a
// whole), and a last line without a line end is a line too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zunda::core {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to `size` bytes at the current position and moves past them;
    // 0 at the end. Throws Failure when the source cannot be read.
    virtual size_t Read(char* buffer, size_t size) = 0;
    virtual std::uint64_t Position() = 0;
    virtual void SetPosition(std::uint64_t position) = 0;
};

// The line at the current position; the position is left right behind its
// line end. At the end of the source the line is empty and the position stays.
std::string ReadLine(ByteSource& source);

}  // namespace zunda::core
