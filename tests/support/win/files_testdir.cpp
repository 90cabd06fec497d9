#include "tests/support/win/files_testdir.h"

#include <gtest/gtest.h>

#include <vector>

namespace zunda::test {

namespace {

std::string CurrentDir() {
    char buf[MAX_PATH * 2] = {};
    DWORD n = GetCurrentDirectoryA(sizeof(buf), buf);
    return n > 0 && n < sizeof(buf) ? std::string(buf, n) : std::string();
}

// Only folders below the current directory, which the harness puts on C:.
bool Allowed(const std::string& path) {
    const std::string base = CurrentDir();
    if (base.size() < 3 || (base[0] != 'C' && base[0] != 'c') || base[1] != ':' || base[2] != '\\') return false;
    if (path.size() <= base.size() + 1) return false;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), static_cast<int>(base.size()), base.c_str(),
                       static_cast<int>(base.size())) != CSTR_EQUAL)
        return false;
    return path[base.size()] == '\\' && path.find("..") == std::string::npos;
}

bool RemoveBelow(const std::string& path) {
    bool ok = true;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            // Links are removed themselves, never followed.
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                ok = RemoveBelow(full) && ok;
            } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                ok = RemoveDirectoryA(full.c_str()) && ok;
            } else {
                ok = DeleteFileA(full.c_str()) && ok;
            }
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return RemoveDirectoryA(path.c_str()) && ok;
}

}  // namespace

std::wstring Widen(std::string_view ansi) {
    if (ansi.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), out.data(), n);
    return out;
}

bool RemoveTree(const std::string& path) {
    if (!Allowed(path)) {
        ADD_FAILURE() << "refusing to remove " << path;
        return false;
    }
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
    return RemoveBelow(path);
}

TestDir::TestDir(const char* name) {
    const std::string base = CurrentDir();
    path_ = base + "\\tmp-" + name + "-" + std::to_string(GetCurrentProcessId());
    if (!Allowed(path_)) {
        ADD_FAILURE() << "test folder outside the test drive: " << path_;
        path_ = base + "\\tmp-refused";
        return;
    }
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

TestDir::~TestDir() { RemoveTree(path_); }

std::wstring TestDir::W(std::string_view name) const { return Widen(*this / name); }

void TestDir::MakeDir(std::string_view name) const {
    std::string full = *this / name;
    for (size_t i = path_.size() + 1; i <= full.size(); ++i)
        if (i == full.size() || full[i] == '\\') CreateDirectoryA(full.substr(0, i).c_str(), nullptr);
}

void TestDir::Write(std::string_view name, std::string_view bytes) const {
    std::string full = *this / name;
    size_t slash = full.rfind('\\');
    if (slash > path_.size()) MakeDir(full.substr(path_.size() + 1, slash - path_.size() - 1));
    HANDLE h = CreateFileA(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << full;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(written, bytes.size());
}

std::string TestDir::Read(std::string_view name) const {
    std::string full = *this / name;
    HANDLE h = CreateFileA(full.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string out;
    std::vector<char> buf(65536);
    DWORD got = 0;
    while (ReadFile(h, buf.data(), static_cast<DWORD>(buf.size()), &got, nullptr) && got > 0) out.append(buf.data(), got);
    CloseHandle(h);
    return out;
}

bool TestDir::Exists(std::string_view name) const {
    return GetFileAttributesA((*this / name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace zunda::test
