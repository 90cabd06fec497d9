#include "server/win/win32_file.h"

#include "files/core/path_limits.h"
#include "server/core/failure.h"

#include <vector>

namespace zunda {

std::string FileNameArg(BSTR name) {
    std::string out = ToAnsiName(name);
    core::CheckPathLength(out);
    return out;
}

FileHandle OpenFileAnsi(const std::string& name, DWORD access, DWORD share, DWORD disposition, DWORD* error) {
    HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD code = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (error) *error = code;
    return FileHandle(h);
}

DWORD WriteAll(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD chunk = bytes.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes.remove_prefix(written);
    }
    return 0;
}

std::string ReadWholeFile(const std::string& name) {
    DWORD error = 0;
    FileHandle f = OpenFileAnsi(name, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, &error);
    if (!f.Valid()) ThrowSystemError(error, "Cannot open file \"" + name + "\". ");
    std::string out;
    std::vector<char> buffer(0x10000);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(f.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            ThrowLastError("Cannot read file \"" + name + "\". ");
        if (got == 0) break;
        out.append(buffer.data(), got);
    }
    return out;
}

void WriteWholeFile(const std::string& name, std::string_view bytes) {
    DWORD error = 0;
    FileHandle f = OpenFileAnsi(name, GENERIC_WRITE, 0, CREATE_ALWAYS, &error);
    if (!f.Valid()) ThrowSystemError(error, "Cannot create file \"" + name + "\". ");
    error = WriteAll(f.Get(), bytes);
    if (error) ThrowSystemError(error, "Cannot write file \"" + name + "\". ");
    if (!CloseHandle(f.Release()))
        ThrowLastError("Cannot write file \"" + name + "\". ");
}

bool FileExistsAnsi(const std::string& name) {
    if (name.empty()) return false;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(name.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return false;
    bool found = false;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) found = true;
    } while (!found && FindNextFileA(find, &data));
    FindClose(find);
    return found;
}

std::string FullPathAnsi(const std::string& name) {
    if (name.empty()) return name;
    DWORD n = GetFullPathNameA(name.c_str(), 0, nullptr, nullptr);
    if (n == 0) return name;
    std::string out(n, '\0');
    char* filePart = nullptr;
    DWORD got = GetFullPathNameA(name.c_str(), n, out.data(), &filePart);
    if (got == 0 || got >= n) return name;
    out.resize(got);
    return out;
}

}  // namespace zunda
