// Path text edits of the file utilities. Paths are 8-bit texts; a path
// separator is a backslash, a drive ends at a colon.
#pragma once

#include "files/core/str_tools.h"

#include <string>
#include <string_view>

namespace zunda::core {

// Appends a backslash unless the text is empty or already ends with one.
std::string Addslash(std::string_view dir);
// Removes one trailing backslash.
std::string RemoveSlash(std::string_view dir);
// Everything up to and including the last backslash or colon.
std::string ExtractFilePath(std::string_view file);
// The name after the last backslash or colon.
std::string ExtractFileName(std::string_view file);
// The file name without its extension (the text from its last dot).
std::string ExtractFileNameOnly(std::string_view file);
// The last directory name of a path (one trailing backslash ignored); empty without a backslash.
std::string ExtractLastDirName(std::string_view dir, StrTools& tools);
// The path and the name up to its first dot, with the new extension
// ("." put in front when missing).
std::string ReplaceExt(std::string_view file, std::string_view ext, StrTools& tools);

// Whether a path names no folder at all, a whole drive or a share: empty,
// "\", "C:", "C:\", "\\server\share", also in their long-path spellings.
bool IsDriveOrRoot(std::string_view path);

// Blanks and control characters off both ends.
std::string Trim(std::string_view text);

}  // namespace zunda::core
