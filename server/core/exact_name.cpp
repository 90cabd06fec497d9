#include "server/core/exact_name.h"

namespace zunda {

bool ConvertedExactly(std::u16string_view original, std::u16string_view readBack, bool usedDefault) {
    if (usedDefault || original != readBack) return false;
    return original.find(u'\0') == std::u16string_view::npos;
}

std::string InexactNameMessage(std::string_view shown) {
    std::string text = "The name \"";
    constexpr size_t kShown = 60;
    for (char c : shown.substr(0, kShown)) text.push_back(c == '\0' ? '?' : c);
    if (shown.size() > kShown) text.append("...");
    text.append("\" contains characters that the system code page cannot represent exactly; it is not used.");
    return text;
}

}  // namespace zunda
