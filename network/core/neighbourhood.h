// The network neighbourhood as the shell's namespace shows it: the
// workgroups (or domains) beside the machine's own and the computers in
// each, two levels deep. The namespace is reached through the narrow
// interfaces below; the Win32 layer maps them onto the desktop folder, and
// tests use an in-memory namespace.
#pragma once

#include "network/core/containers.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zunda::net {

using HResult = std::int32_t;
constexpr HResult kOk = 0;
constexpr HResult kFalse = 1;
inline bool Failed(HResult hr) { return hr < 0; }

// An item identifier list as the shell hands it out: items of a 16-bit byte
// count (the count itself included) and their data, ended by a zero count.
// Lists the namespace hands out belong to the caller and go back to the
// namespace's allocator.
using IdList = const std::uint8_t*;

// Number of items and size in bytes (with the ending zero count). An item
// count below 2 ends the list as well: it cannot be a real item.
std::size_t IdListItems(IdList list);
std::size_t IdListBytes(IdList list);

// A display name in the shell's three forms (STRRET).
enum DisplayNameKind : std::uint32_t { kNameWide = 0, kNameOffset = 1, kNameAnsi = 2 };
struct DisplayName {
    std::uint32_t kind = kNameAnsi;
    char16_t* wide = nullptr;   // kNameWide: from the namespace's allocator, freed by the reader
    std::uint32_t offset = 0;   // kNameOffset: 8-bit text at this offset into the item's list
    char ansi[260] = {};        // kNameAnsi
};

// EnumObjects flags (folders, non-folders, hidden items) and SHGDN_NORMAL.
constexpr std::uint32_t kEnumAll = 0xE0;
constexpr std::uint32_t kNameNormal = 0;

class ItemEnumerator {
public:
    virtual ~ItemEnumerator() = default;
    // kOk with one item (the caller's), kFalse at the end, or a failure.
    virtual HResult Next(IdList& item) = 0;
};

class Folder {
public:
    virtual ~Folder() = default;
    virtual HResult ParseDisplayName(const std::u16string& name, IdList& out) = 0;
    virtual HResult BindToObject(IdList relative, std::unique_ptr<Folder>& out) = 0;
    // May answer kFalse without an enumerator: nothing to list.
    virtual HResult EnumObjects(std::uint32_t flags, std::unique_ptr<ItemEnumerator>& out) = 0;
    virtual HResult GetDisplayNameOf(IdList item, std::uint32_t flags, DisplayName& out) = 0;
};

class Namespace {
public:
    virtual ~Namespace() = default;
    virtual HResult Desktop(std::unique_ptr<Folder>& out) = 0;
    // The shell's allocator: what it hands out is freed here, and copies are made here.
    virtual void* Allocate(std::size_t bytes) = 0;
    virtual void Free(const void* block) = 0;
    // UTF-16 text in the system 8-bit code page.
    virtual std::string ToAnsi(std::u16string_view text) = 0;
};

// The computers of one workgroup: each entry's text is a computer's name.
class WorkgroupList final : public StrObjList, public EntryObject {};

// The workgroups: each entry's text is a workgroup's name and its object
// the workgroup's WorkgroupList, created with the entry and freed with it.
class NeighbourhoodList final : public StrObjList {
public:
    long Add(std::string text) override;
    void Insert(long index, std::string text) override;
    WorkgroupList& Computers(long index) const;
};

// The text of a display name: cut at its first zero, blanks and control
// characters stripped at both ends. A wide name goes back to the allocator.
std::string DisplayText(Namespace& ns, IdList item, DisplayName& name);

// Lists the workgroups around the computer (path "\\" + computerName) and
// their computers into out, in the order the namespace enumerates them. The
// workgroups are the children of the network provider: the parsed
// computer's list without its last two items (on Windows NT 3 and 4 one
// level further down, the provider's first child). Any failure of the
// namespace ends the listing quietly; what was listed so far stays. Every
// list and name the namespace hands out goes back to its allocator.
// ntThreeOrFour selects the extra level of those systems.
void ListNeighbourhood(Namespace& ns, std::u16string_view computerName, bool ntThreeOrFour,
                       NeighbourhoodList& out);

}  // namespace zunda::net
