// Trimming as the inventories do it: every character below code 33 (blanks,
// control characters, NULs) goes at both ends.
#pragma once

#include <string>
#include <string_view>

namespace zunda::machine {

inline std::string TrimLow(std::string_view text) {
    size_t begin = 0, end = text.size();
    while (begin < end && static_cast<unsigned char>(text[begin]) < 33) ++begin;
    while (end > begin && static_cast<unsigned char>(text[end - 1]) < 33) --end;
    return std::string(text.substr(begin, end - begin));
}

}  // namespace zunda::machine
