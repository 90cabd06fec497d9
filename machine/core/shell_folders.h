// Shell folders and paths: the table of path properties (their source and
// report name), the report order, the placeholder expansion of ParsePath and
// the retry rule of the directory calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zunda::machine {

enum class PathSource {
    Windows,           // GetWindowsDirectoryA
    Folder,            // a folder the shell names by CSIDL
    Temp,              // GetTempPathA
    Registry,          // a string under HKLM\Software\Microsoft\Windows\CurrentVersion
    RegistryExpanded,  // the same, passed through ParsePath
    Current,           // GetCurrentDirectoryA
};

struct PathEntry {
    const char* member;      // property name, also the procedure name of its failures
    const char* reportName;  // "System;" ...
    PathSource source;
    int csidl;               // for Folder
    const char* regValue;    // for Registry and RegistryExpanded
};

// The 38 path properties in slot order.
const std::vector<PathEntry>& PathTable();
// The entry of a property by member name; nullptr when there is none.
const PathEntry* FindPath(std::string_view member);
// The report: "System;" first, the other names in alphabetical order.
const std::vector<const PathEntry*>& ReportOrder();

// The registry key of the registry paths (below HKEY_LOCAL_MACHINE).
constexpr const char* kCurrentVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";

// What ParsePath needs from its object: the five property values, locale
// upper-casing and the string object's StrReplaceEx (case-insensitive, first
// occurrence only, nothing when the text already holds the value).
class PathExpander {
public:
    virtual ~PathExpander() = default;
    virtual std::string Value(const char* member) = 0;
    virtual std::string Upper(std::string_view text) = 0;
    virtual std::string StrReplaceEx(std::string_view text, std::string_view from, std::string_view to) = 0;
};

// Expands %SYSTEMROOT%, %PROGRAMFILES%, %COMMONPROGRAMFILES%, %WINDIR% and
// %USERSPROFILE% (in this order) after trimming; other names stay.
std::string ParsePath(std::string_view path, PathExpander& expander);

// A directory call of the GetWindowsDirectoryA kind: given a buffer and its
// size in characters it answers the length written, or the size needed
// (terminator included) when the buffer is too small, or 0 on failure.
// Retries with the needed size; nullopt when the call fails or keeps
// asking for more.
std::optional<std::string> ReadGrowing(const std::function<std::uint32_t(char*, std::uint32_t)>& call,
                                       std::uint32_t initial = 260);

// A folder the shell can only name ("::{...}") has no file-system path.
std::string FileSystemPathOnly(std::string path);

}  // namespace zunda::machine
