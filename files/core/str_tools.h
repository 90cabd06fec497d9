// The text tools the file objects take from the library's string object:
// character replacement, tokens and the last position of a character. The
// Win32 build reaches them through an internal MxStrUtils object.
#pragma once

#include <string>
#include <string_view>

namespace zunda::core {

class StrTools {
public:
    virtual ~StrTools() = default;
    // Every `from` replaced by `to` (unchanged when they are equal).
    virtual std::string Replace(std::string_view text, char from, char to) = 0;
    // Token `position` (1-based) of text split at sep; empty outside the tokens.
    virtual std::string GetToken(std::string_view text, std::string_view sep, long position) = 0;
    // Whether one character of text equals sep.
    virtual bool TokenExists(std::string_view text, std::string_view sep) = 0;
    // 1-based position of the last occurrence of c, 0 when absent.
    virtual long LastPos(char c, std::string_view text) = 0;
};

}  // namespace zunda::core
