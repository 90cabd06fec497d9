// Length limits of the names the file members pass to the system. The 8-bit
// file calls and the shell's file operation take at most MAX_PATH characters
// including the terminating NUL; a longer name is refused here, with a
// message, before any call sees it. The shell's operation also builds names
// of its own (the destination folder plus each source name, and every path
// of a folder it copies, moves or deletes), so those are checked too.
#pragma once

#include "files/core/deltree.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace zunda::core {

constexpr size_t kMaxPath = 260;                 // MAX_PATH, the NUL included
constexpr size_t kMaxPathChars = kMaxPath - 1;  // the longest name a call takes

// Throws Failure naming the (shortened) path when it has more than `limit` characters.
void CheckPathLength(std::string_view path, size_t limit = kMaxPathChars);

// Throws Failure when a path below the folder or file `top` (its longest
// one being `longestBelow` characters longer than `top`) passes the limit.
void CheckTreeLength(std::string_view top, size_t longestBelow, size_t limit = kMaxPathChars);

// The path a shell copy or move writes for one source: the destination
// itself, or the source's name inside it when the destination is a folder.
std::string ShellTarget(std::string_view destination, bool destinationIsFolder, std::string_view sourceName);

// The length of the longest path below a folder, counted from the end of
// the folder's own path of `folderLength` characters: a file "x" directly
// inside gives 2 ("\x"). The walk ends as soon as a path passes `limit`, so
// a tree of any depth costs no more than the part that fits.
size_t LongestBelow(TreeFileSystem& fs, const std::string& folder, size_t folderLength, size_t limit = kMaxPathChars);

// At most the first 60 characters of a path, for messages.
std::string ShortForMessage(std::string_view path);

}  // namespace zunda::core
