#include "machine/core/shell_folders.h"

#include "machine/core/trim.h"

#include <algorithm>
#include <cctype>

namespace zunda::machine {

const std::vector<PathEntry>& PathTable() {
    using S = PathSource;
    static const std::vector<PathEntry> table = {
        {"wstrSystemRoot", "System;", S::Windows, 0, nullptr},
        {"wstrAppData", "AppData;", S::Folder, 26, nullptr},
        {"wstrCommonDesktopDir", "CommonDesktopDir;", S::Folder, 25, nullptr},
        {"wstrCommonAltstartup", "CommonAltstartup;", S::Folder, 30, nullptr},
        {"wstrBitBucket", "BitBucket;", S::Folder, 10, nullptr},
        {"wstrCommonPrograms", "CommonPrograms;", S::Folder, 23, nullptr},
        {"wstrCommonStartMenu", "CommonStartMenu;", S::Folder, 22, nullptr},
        {"wstrCommonFavorites", "CommonFavorites;", S::Folder, 31, nullptr},
        {"wstrCookies", "Cookies;", S::Folder, 33, nullptr},
        {"wstrControls", "Controls;", S::Folder, 3, nullptr},
        {"wstrDesktop", "Desktop;", S::Folder, 0, nullptr},
        {"wstrDesktopDir", "DesktopDir;", S::Folder, 16, nullptr},
        {"wstrFavorites", "Favorites;", S::Folder, 6, nullptr},
        {"wstrDrives", "Drives;", S::Folder, 17, nullptr},
        {"wstrFonts", "Fonts;", S::Folder, 20, nullptr},
        {"wstrHistory", "History;", S::Folder, 34, nullptr},
        {"wstrInternet", "Internet;", S::Folder, 1, nullptr},
        {"wstrInternetCache", "InternetCache;", S::Folder, 32, nullptr},
        {"wstrNetwork", "Network;", S::Folder, 18, nullptr},
        {"wstrNethood", "Nethood;", S::Folder, 19, nullptr},
        {"wstrPersonal", "Personal;", S::Folder, 5, nullptr},
        {"wstrPrintHood", "PrintHood;", S::Folder, 27, nullptr},
        {"wstrPrinters", "Printers;", S::Folder, 4, nullptr},
        {"wstrPrograms", "Programs;", S::Folder, 2, nullptr},
        {"wstrRecent", "Recent;", S::Folder, 8, nullptr},
        {"wstrStartMenu", "StartMenu;", S::Folder, 11, nullptr},
        {"wstrStartup", "Startup;", S::Folder, 7, nullptr},
        {"wstrTemplates", "Templates;", S::Folder, 21, nullptr},
        {"wstrTemp", "Temp;", S::Temp, 0, nullptr},
        {"wstrWindows", "Windows;", S::Windows, 0, nullptr},
        {"wstrCommonFiles", "CommonFiles;", S::Registry, 0, "CommonFilesDir"},
        {"wstrProgramFiles", "ProgramFiles;", S::Registry, 0, "ProgramFilesDir"},
        {"wstrDevice", "Device;", S::RegistryExpanded, 0, "DevicePath"},
        {"wstrOtherDevice", "OtherDevice;", S::RegistryExpanded, 0, "OtherDevicePath"},
        {"wstrMedia", "Media;", S::RegistryExpanded, 0, "MediaPath"},
        {"wstrConfig", "Config;", S::Registry, 0, "ConfigPath"},
        {"wstrWallpaper", "Wallpaper;", S::RegistryExpanded, 0, "WallPaperDir"},
        {"wstrCurrent", "Current;", S::Current, 0, nullptr},
    };
    return table;
}

const PathEntry* FindPath(std::string_view member) {
    for (const PathEntry& e : PathTable())
        if (member == e.member) return &e;
    return nullptr;
}

const std::vector<const PathEntry*>& ReportOrder() {
    static const std::vector<const PathEntry*> order = [] {
        std::vector<const PathEntry*> out;
        for (const PathEntry& e : PathTable()) out.push_back(&e);
        // "System;" stays first; the rest by name, letter case ignored.
        auto lower = [](const char* s) {
            std::string t(s);
            for (char& c : t) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            return t;
        };
        std::stable_sort(out.begin() + 1, out.end(),
                         [&](const PathEntry* a, const PathEntry* b) { return lower(a->reportName) < lower(b->reportName); });
        return out;
    }();
    return order;
}

std::string ParsePath(std::string_view path, PathExpander& expander) {
    std::string text = TrimLow(path);
    if (text.find('%') == std::string::npos) return text;
    static const std::pair<const char*, const char*> placeholders[] = {
        {"%SYSTEMROOT%", "wstrSystemRoot"},
        {"%PROGRAMFILES%", "wstrProgramFiles"},
        {"%COMMONPROGRAMFILES%", "wstrCommonFiles"},
        {"%WINDIR%", "wstrWindows"},
        {"%USERSPROFILE%", "wstrPersonal"},
    };
    for (const auto& [placeholder, member] : placeholders) {
        if (expander.Upper(text).find(placeholder) == std::string::npos) continue;
        text = expander.StrReplaceEx(text, placeholder, expander.Value(member));
    }
    return text;
}

std::optional<std::string> ReadGrowing(const std::function<std::uint32_t(char*, std::uint32_t)>& call,
                                       std::uint32_t initial) {
    std::uint32_t size = initial < 1 ? 1 : initial;
    // The answer can grow between two calls (the current directory of
    // another thread); a few rounds settle it.
    for (int round = 0; round < 4; ++round) {
        std::string buffer(size, '\0');
        const std::uint32_t n = call(buffer.data(), size);
        if (n == 0) return std::nullopt;
        if (n < size) {
            buffer.resize(n);
            return buffer;
        }
        if (n > 0x7FFFFFFEu) return std::nullopt;
        size = n + 1;
    }
    return std::nullopt;
}

std::string FileSystemPathOnly(std::string path) {
    if (path.size() >= 2 && path[0] == ':' && path[1] == ':') return std::string();
    return path;
}

}  // namespace zunda::machine
