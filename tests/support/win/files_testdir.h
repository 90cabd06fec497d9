// A scratch folder for the Windows-side file tests: a fresh folder below the
// current directory (on the test prefix's C: drive), removed again with all
// it holds when the test ends. It refuses to exist anywhere but on C:.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <string_view>

namespace zunda::test {

class TestDir {
public:
    explicit TestDir(const char* name);
    ~TestDir();
    TestDir(const TestDir&) = delete;
    TestDir& operator=(const TestDir&) = delete;

    // The folder's full path, without a trailing backslash.
    const std::string& Path() const { return path_; }
    // The full path of a name inside the folder.
    std::string operator/(std::string_view name) const { return path_ + "\\" + std::string(name); }
    std::wstring W(std::string_view name) const;

    // Writes a file of exactly these bytes (folders on the way are created).
    void Write(std::string_view name, std::string_view bytes) const;
    // The bytes of a file; "<missing>" when it cannot be read.
    std::string Read(std::string_view name) const;
    bool Exists(std::string_view name) const;
    void MakeDir(std::string_view name) const;

private:
    std::string path_;
};

// Removes a folder and everything below it; only paths below the current
// directory's C: folder are accepted.
bool RemoveTree(const std::string& path);

std::wstring Widen(std::string_view ansi);

// A BSTR argument for one call, from wide or 8-bit (ANSI) text.
class Bstr {
public:
    explicit Bstr(const wchar_t* s) : b_(SysAllocString(s)) {}
    explicit Bstr(const std::wstring& s) : b_(SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    explicit Bstr(const std::string& ansi) : Bstr(Widen(ansi)) {}
    ~Bstr() { SysFreeString(b_); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return b_; }

private:
    BSTR b_;
};

}  // namespace zunda::test
