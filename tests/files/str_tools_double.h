// A stand-in for the library's string object in native tests, with the
// documented token semantics: tokens split at the first occurrence of the
// separator, only its first character removed after each token.
#pragma once

#include "files/core/str_tools.h"

namespace zunda::test {

class StrToolsDouble : public core::StrTools {
public:
    int calls = 0;

    std::string Replace(std::string_view text, char from, char to) override {
        ++calls;
        std::string out(text);
        if (from == to) return out;
        for (char& c : out)
            if (c == from) c = to;
        return out;
    }
    std::string GetToken(std::string_view text, std::string_view sep, long position) override {
        ++calls;
        std::string w(text);
        std::string token;
        long count = 1;
        size_t found = w.size();
        while (count <= position && found != 0) {
            size_t at = sep.empty() ? std::string::npos : w.find(sep);
            found = at == std::string::npos ? 0 : at + 1;
            if (found != 0) {
                token = w.substr(0, found - 1);
                w.erase(0, found);
                ++count;
            } else {
                token = w;
            }
        }
        return count < position ? std::string() : token;
    }
    bool TokenExists(std::string_view text, std::string_view sep) override {
        ++calls;
        return sep.size() == 1 && text.find(sep[0]) != std::string_view::npos;
    }
    long LastPos(char c, std::string_view text) override {
        ++calls;
        size_t at = text.rfind(c);
        return at == std::string_view::npos ? 0 : static_cast<long>(at + 1);
    }
};

}  // namespace zunda::test
