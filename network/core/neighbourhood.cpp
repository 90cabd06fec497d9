#include "network/core/neighbourhood.h"

#include "machine/core/trim.h"

#include <cstring>
#include <utility>

namespace zunda::net {
namespace {

std::size_t ItemSize(IdList at) { return static_cast<std::size_t>(at[0]) | static_cast<std::size_t>(at[1]) << 8; }

// A block from the namespace's allocator, given back when the holder ends.
class Owned {
public:
    Owned(Namespace& ns, const void* block) : ns_(ns), block_(block) {}
    ~Owned() {
        if (block_) ns_.Free(block_);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    IdList Get() const { return static_cast<IdList>(block_); }
    const void* Release() { return std::exchange(block_, nullptr); }

private:
    Namespace& ns_;
    const void* block_;
};

// A copy of the list without its last item, from the namespace's allocator
// (null when it cannot allocate). The list has at least one item.
IdList CopyWithoutLast(Namespace& ns, IdList list) {
    std::size_t keep = 0;
    for (std::size_t left = IdListItems(list); left > 1; --left) keep += ItemSize(list + keep);
    auto* copy = static_cast<std::uint8_t*>(ns.Allocate(keep + 2));
    if (!copy) return nullptr;
    std::memcpy(copy, list, keep);
    copy[keep] = 0;
    copy[keep + 1] = 0;
    return copy;
}

// Lists the folder's items into target, one entry per item with its display
// name; with keepIds each entry's value holds the item's list (the
// caller's to free). False when the namespace failed: the listing ends there.
bool ListFolder(Namespace& ns, Folder& folder, StrObjList& target, bool keepIds) {
    target.Clear();
    std::unique_ptr<ItemEnumerator> items;
    if (Failed(folder.EnumObjects(kEnumAll, items))) return false;
    if (!items) return true;  // nothing to list
    for (;;) {
        IdList raw = nullptr;
        const HResult hr = items->Next(raw);
        Owned item(ns, raw);
        if (Failed(hr)) return false;
        if (hr != kOk || !raw) return true;
        DisplayName name;
        if (Failed(folder.GetDisplayNameOf(raw, kNameNormal, name))) return false;
        const long index = target.Add(DisplayText(ns, raw, name));
        if (keepIds) target.SetValue(index, reinterpret_cast<std::intptr_t>(item.Release()));
    }
}

// Gives the workgroups' kept lists back once the listing is done.
class KeptIds {
public:
    KeptIds(Namespace& ns, StrObjList& list) : ns_(ns), list_(list) {}
    ~KeptIds() {
        for (long i = 0; i < list_.Count(); ++i) {
            if (const std::intptr_t id = list_.Value(i)) ns_.Free(reinterpret_cast<const void*>(id));
            list_.SetValue(i, 0);
        }
    }
    KeptIds(const KeptIds&) = delete;
    KeptIds& operator=(const KeptIds&) = delete;

private:
    Namespace& ns_;
    StrObjList& list_;
};

}  // namespace

std::size_t IdListItems(IdList list) {
    std::size_t items = 0;
    if (!list) return 0;
    for (std::size_t cb; (cb = ItemSize(list)) >= 2; list += cb) ++items;
    return items;
}

std::size_t IdListBytes(IdList list) {
    if (!list) return 0;
    std::size_t bytes = 0;
    for (std::size_t cb; (cb = ItemSize(list + bytes)) >= 2;) bytes += cb;
    return bytes + 2;
}

long NeighbourhoodList::Add(std::string text) {
    auto computers = std::make_unique<WorkgroupList>();
    const long index = StrObjList::Add(std::move(text));
    SetObject(index, std::move(computers));
    return index;
}

void NeighbourhoodList::Insert(long index, std::string text) {
    auto computers = std::make_unique<WorkgroupList>();
    StrObjList::Insert(index, std::move(text));
    SetObject(index, std::move(computers));
}

WorkgroupList& NeighbourhoodList::Computers(long index) const {
    auto* computers = dynamic_cast<WorkgroupList*>(Object(index));
    if (!computers) throw Failure("The workgroup has no computer list.");
    return *computers;
}

std::string DisplayText(Namespace& ns, IdList item, DisplayName& name) {
    std::string text;
    switch (name.kind) {
    case kNameWide:
        if (name.wide) {
            const char16_t* w = std::exchange(name.wide, nullptr);
            Owned back(ns, w);
            std::size_t length = 0;
            while (w[length]) ++length;
            text = ns.ToAnsi(std::u16string_view(w, length));
        }
        break;
    case kNameOffset: {
        // The text lies inside the item's own list; it never reaches past it.
        const std::size_t size = IdListBytes(item);
        if (name.offset < size) {
            const char* at = reinterpret_cast<const char*>(item) + name.offset;
            text.assign(at, strnlen(at, size - name.offset));
        }
        break;
    }
    case kNameAnsi:
        text.assign(name.ansi, strnlen(name.ansi, sizeof(name.ansi)));
        break;
    default:
        break;  // a form the shell does not define: no name
    }
    return machine::TrimLow(text);
}

void ListNeighbourhood(Namespace& ns, std::u16string_view computerName, bool ntThreeOrFour,
                       NeighbourhoodList& out) {
    out.Clear();
    KeptIds kept(ns, out);
    if (computerName.empty()) return;

    std::unique_ptr<Folder> desktop;
    if (Failed(ns.Desktop(desktop)) || !desktop) return;
    IdList parsed = nullptr;
    const HResult hr = desktop->ParseDisplayName(u"\\\\" + std::u16string(computerName), parsed);
    Owned computer(ns, parsed);
    // Computer, workgroup and provider at least: a shorter list would make
    // the desktop's own items look like workgroups.
    if (Failed(hr) || IdListItems(parsed) < 3) return;
    Owned workgroup(ns, CopyWithoutLast(ns, parsed));
    if (!workgroup.Get()) return;
    Owned provider(ns, CopyWithoutLast(ns, workgroup.Get()));
    if (!provider.Get()) return;

    std::unique_ptr<Folder> top;
    if (Failed(desktop->BindToObject(provider.Get(), top)) || !top) return;
    if (ntThreeOrFour) {
        // These systems put one more level between the provider and its workgroups.
        std::unique_ptr<ItemEnumerator> items;
        if (Failed(top->EnumObjects(kEnumAll, items)) || !items) return;
        IdList raw = nullptr;
        const HResult next = items->Next(raw);
        Owned first(ns, raw);
        if (next != kOk || !raw) return;
        std::unique_ptr<Folder> inner;
        if (Failed(top->BindToObject(raw, inner)) || !inner) return;
        top = std::move(inner);
    }

    if (!ListFolder(ns, *top, out, true)) return;
    for (long i = 0; i < out.Count(); ++i) {
        std::unique_ptr<Folder> group;
        if (Failed(top->BindToObject(reinterpret_cast<IdList>(out.Value(i)), group)) || !group) return;
        if (!ListFolder(ns, *group, out.Computers(i), false)) return;
    }
}

}  // namespace zunda::net
