// Win32 file access shared by the file utilities, the audit log and the
// string list: handles that close themselves, whole-file reads and writes,
// checked writes, and the conversion of the I4 handles the interface hands out.
#pragma once

#include "server/win/com_util.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace zunda {

// An owned Win32 file handle.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() { Close(); }
    FileHandle(FileHandle&& o) noexcept : h_(o.Release()) {}
    FileHandle& operator=(FileHandle&& o) noexcept {
        if (this != &o) {
            Close();
            h_ = o.Release();
        }
        return *this;
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    bool Valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    HANDLE Get() const { return h_; }
    HANDLE Release() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h;
    }
    void Close() {
        if (Valid()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A file name or path argument in 8 bits: converted exactly (ToAnsiName)
// and at most MAX_PATH - 1 characters long, the most the system's 8-bit file
// calls take. Throws Failure with the reason otherwise.
std::string FileNameArg(BSTR name);

// CreateFileA with FILE_ATTRIBUTE_NORMAL; on failure the handle is invalid
// and *error holds the system's error code.
FileHandle OpenFileAnsi(const std::string& name, DWORD access, DWORD share, DWORD disposition, DWORD* error);

// Writes all bytes; returns 0 or the system's error code.
DWORD WriteAll(HANDLE h, std::string_view bytes);

// The whole content of a file, read with others allowed to read and write.
// Throws Failure naming the file and the system's reason.
std::string ReadWholeFile(const std::string& name);
// Replaces the file's content. Throws Failure naming the file and the reason.
void WriteWholeFile(const std::string& name, std::string_view bytes);

// The handle values of the interface are 32-bit: kernel handles fit in 32
// bits on 64-bit Windows too, and are sign-extended back.
inline long HandleToI4(HANDLE h) { return static_cast<long>(reinterpret_cast<intptr_t>(h)); }
inline HANDLE I4ToHandle(long v) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(v)); }

// Whether a file (not a directory) matches the name; wildcards are allowed.
bool FileExistsAnsi(const std::string& name);
// The full path of a name (GetFullPathNameA); the name itself when that fails.
std::string FullPathAnsi(const std::string& name);

}  // namespace zunda
