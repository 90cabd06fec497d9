// Helpers shared by the parser fuzz targets: a check that aborts (so that
// libFuzzer keeps the input), and a reader that takes fields off the front
// of the fuzz input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace zunda::fuzz {

inline void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "check failed: %s\n", what);
        std::abort();
    }
}

// Takes bytes off the front of the input; what is missing reads as zero.
class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : rest_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t Byte() {
        if (rest_.empty()) return 0;
        const auto b = static_cast<std::uint8_t>(rest_[0]);
        rest_.remove_prefix(1);
        return b;
    }
    std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    // Up to n bytes.
    std::string Bytes(std::size_t n) {
        const std::string out(rest_.substr(0, n));
        rest_.remove_prefix(out.size());
        return out;
    }
    // The bytes before the next byte `end` (which is dropped), or all that is left.
    std::string Until(char end) {
        const std::size_t at = rest_.find(end);
        const std::string out(rest_.substr(0, at));
        rest_.remove_prefix(at == std::string_view::npos ? rest_.size() : at + 1);
        return out;
    }
    std::string Rest() {
        const std::string out(rest_);
        rest_ = {};
        return out;
    }
    std::size_t Left() const { return rest_.size(); }

private:
    std::string_view rest_;
};

// An exact-size heap copy of the bytes, so that the sanitizer sees any read
// past them (a std::string may have spare room, or keep short texts inline).
inline std::unique_ptr<char[]> HeapCopy(std::string_view bytes) {
    std::unique_ptr<char[]> copy(new char[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(copy.get(), bytes.data(), bytes.size());
    return copy;
}

}  // namespace zunda::fuzz
