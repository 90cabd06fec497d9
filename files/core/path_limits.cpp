#include "files/core/path_limits.h"

#include "server/core/failure.h"

namespace zunda::core {

void CheckPathLength(std::string_view path, size_t limit) {
    if (path.size() <= limit) return;
    throw Failure("Path too long: \"" + ShortForMessage(path) + "\" has " + std::to_string(path.size()) +
                  " characters, at most " + std::to_string(limit) + " are possible.");
}

void CheckTreeLength(std::string_view top, size_t longestBelow, size_t limit) {
    CheckPathLength(top, limit);
    const size_t length = top.size() + longestBelow;
    if (length <= limit) return;
    throw Failure("Path too long: a path below \"" + ShortForMessage(top) + "\" would have " + std::to_string(length) +
                  " characters, at most " + std::to_string(limit) + " are possible.");
}

std::string ShellTarget(std::string_view destination, bool destinationIsFolder, std::string_view sourceName) {
    std::string out(destination);
    if (!destinationIsFolder) return out;
    if (out.empty() || out.back() != '\\') out += '\\';
    out.append(sourceName);
    return out;
}

namespace {

size_t Walk(TreeFileSystem& fs, const std::string& folder, size_t below, size_t folderLength, size_t limit) {
    size_t longest = below;
    for (const DirEntry& e : fs.List(folder)) {
        const size_t length = below + 1 + e.name.size();
        if (folderLength + length > limit) return length;
        if (length > longest) longest = length;
        // Links are not followed: the shell handles the link itself.
        if ((e.attributes & kAttrDirectory) && !(e.attributes & kAttrReparsePoint)) {
            const size_t deeper = Walk(fs, folder + "\\" + e.name, length, folderLength, limit);
            if (folderLength + deeper > limit) return deeper;
            if (deeper > longest) longest = deeper;
        }
    }
    return longest;
}

}  // namespace

size_t LongestBelow(TreeFileSystem& fs, const std::string& folder, size_t folderLength, size_t limit) {
    return Walk(fs, folder, 0, folderLength, limit);
}

std::string ShortForMessage(std::string_view path) {
    constexpr size_t kShown = 60;
    if (path.size() <= kShown) return std::string(path);
    return std::string(path.substr(0, kShown)) + "...";
}

}  // namespace zunda::core
