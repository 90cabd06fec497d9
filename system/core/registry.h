// Registry access for the portable cores: a narrow, handle-like interface
// with a Win32 implementation (system/win/registry_win32.h) and an in-memory
// stand-in for native tests. Texts are 8-bit strings of the system code page;
// results are Win32 error codes (0 = success).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zunda::reg {

// Root key values as clients pass them (HKEY_CLASSES_ROOT 0x80000000 ...).
using Root = std::uint32_t;
constexpr Root kClassesRoot = 0x80000000u;
constexpr Root kCurrentUser = 0x80000001u;
constexpr Root kLocalMachine = 0x80000002u;

// Access masks.
constexpr std::uint32_t kRead = 0x20019u;       // KEY_READ
constexpr std::uint32_t kAllAccess = 0xF003Fu;  // KEY_ALL_ACCESS

// Value types.
constexpr std::uint32_t kNone = 0;
constexpr std::uint32_t kString = 1;        // REG_SZ
constexpr std::uint32_t kExpandString = 2;  // REG_EXPAND_SZ
constexpr std::uint32_t kBinary = 3;        // REG_BINARY
constexpr std::uint32_t kDword = 4;         // REG_DWORD
constexpr std::uint32_t kMultiString = 7;   // REG_MULTI_SZ

// Error codes the rules look at.
constexpr long kOk = 0;
constexpr long kNotFound = 2;      // ERROR_FILE_NOT_FOUND
constexpr long kPathNotFound = 3;  // ERROR_PATH_NOT_FOUND
constexpr long kAccessDenied = 5;  // ERROR_ACCESS_DENIED
constexpr long kNoMoreItems = 259;

inline bool IsMissing(long code) { return code == kNotFound || code == kPathNotFound; }

struct Data {
    std::uint32_t type = kNone;
    std::string bytes;  // the raw value data, terminating zeros included as stored
};

class Key {
public:
    virtual ~Key() = default;
    // Reads a whole value; an empty name is the default value.
    virtual long Query(const std::string& name, Data& out) = 0;
    virtual long Set(const std::string& name, std::uint32_t type, std::string_view bytes) = 0;
    // Value names with their data, and subkey names, in enumeration order.
    virtual long Values(std::vector<std::pair<std::string, Data>>& out) = 0;
    virtual long Subkeys(std::vector<std::string>& out) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens an existing key; never creates one.
    virtual long Open(Root root, const std::string& path, std::uint32_t access, std::unique_ptr<Key>& out) = 0;
    // The system's message text for an error code.
    virtual std::string Message(long code) const = 0;
};

// Throws Failure with the system's message when code is not kOk.
void Check(const Registry& registry, long code);

// The text of a string value: its bytes up to the first zero.
std::string StringOf(const Data& data);

}  // namespace zunda::reg
