#include "files/core/path.h"

namespace zunda::core {

namespace {

size_t LastSeparator(std::string_view file) { return file.find_last_of("\\:"); }

bool IsSlash(char c) { return c == '\\' || c == '/'; }

}  // namespace

std::string Addslash(std::string_view dir) {
    std::string out(dir);
    if (!out.empty() && out.back() != '\\') out += '\\';
    return out;
}

std::string RemoveSlash(std::string_view dir) {
    if (!dir.empty() && dir.back() == '\\') dir.remove_suffix(1);
    return std::string(dir);
}

std::string ExtractFilePath(std::string_view file) {
    size_t sep = LastSeparator(file);
    return sep == std::string_view::npos ? std::string() : std::string(file.substr(0, sep + 1));
}

std::string ExtractFileName(std::string_view file) {
    size_t sep = LastSeparator(file);
    return std::string(sep == std::string_view::npos ? file : file.substr(sep + 1));
}

std::string ExtractFileNameOnly(std::string_view file) {
    std::string name = ExtractFileName(file);
    size_t dot = name.rfind('.');
    // The extension is removed where it stands, at the end of the name.
    if (dot != std::string::npos) name.erase(dot);
    return name;
}

std::string ExtractLastDirName(std::string_view dir, StrTools& tools) {
    std::string s = RemoveSlash(dir);
    long pos = tools.LastPos('\\', s);
    if (pos <= 0 || static_cast<size_t>(pos) > s.size()) return std::string();
    return s.substr(static_cast<size_t>(pos));
}

std::string ReplaceExt(std::string_view file, std::string_view ext, StrTools& tools) {
    std::string path = ExtractFilePath(file);
    std::string base = tools.GetToken(ExtractFileNameOnly(file), ".", 1);
    std::string extension(ext);
    if (extension.empty() || extension.front() != '.') extension.insert(extension.begin(), '.');
    return Addslash(path) + base + extension;
}

bool IsDriveOrRoot(std::string_view path) {
    std::string p(path);
    if (p.size() >= 4 && IsSlash(p[0]) && IsSlash(p[1]) && (p[2] == '?' || p[2] == '.') && IsSlash(p[3])) {
        p.erase(0, 4);
        if (p.size() >= 3 && (p[0] == 'U' || p[0] == 'u') && (p[1] == 'N' || p[1] == 'n') &&
            (p[2] == 'C' || p[2] == 'c') && (p.size() == 3 || IsSlash(p[3])))
            p = "\\\\" + p.substr(p.size() > 3 ? 4 : 3);
    }
    const bool unc = p.size() >= 2 && IsSlash(p[0]) && IsSlash(p[1]);
    while (!p.empty() && IsSlash(p.back())) p.pop_back();
    if (p.empty()) return true;
    if (p.size() == 2 && p[1] == ':') return true;
    if (unc) {
        std::string_view rest = std::string_view(p).substr(2);
        size_t sep = rest.find_first_of("\\/");
        // "\\server" or "\\server\share": nothing below a share.
        if (sep == std::string_view::npos) return true;
        std::string_view share = rest.substr(sep + 1);
        while (!share.empty() && IsSlash(share.front())) share.remove_prefix(1);
        return share.find_first_of("\\/") == std::string_view::npos;
    }
    return false;
}

std::string Trim(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ') text.remove_suffix(1);
    return std::string(text);
}

}  // namespace zunda::core
