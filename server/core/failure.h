// Failures raised by the portable cores and caught by the COM shell's guards.
#pragma once

#include <stdexcept>
#include <string>

namespace zunda {

// A failure with a message in the system's 8-bit code page. The COM shell
// turns it into the error convention of the object that ran the work.
class Failure : public std::runtime_error {
public:
    explicit Failure(const std::string& message) : std::runtime_error(message) {}
};

}  // namespace zunda
