// The ordered list of record objects that an inventory hands out (drives,
// devices, adapters, workgroups, computers, files): counted references kept
// in order, handed out as new references to the listed object, never as
// copies. An index outside the list throws the library's list index message.
//
//   RecordList<IMxDriveRecord> records_;
//   records_.Add(CreateLibraryObject<IMxDriveRecord>(CLSID_MxDriveRecord));
//   return Guarded("Get_clDrives", out, static_cast<IMxDriveRecord*>(nullptr),
//                  [&] { return records_.At(index); });
#pragma once

#include "server/core/list_index.h"
#include "server/win/com_util.h"

#include <vector>

namespace zunda {

// Throws Failure with "Listenindex überschreitet das Maximum (<index>)" in
// the system code page.
[[noreturn]] inline void ThrowListIndex(long index) { throw Failure(ToAnsi(ListIndexMessage(index))); }

template <class I>
class RecordList {
public:
    long Count() const { return static_cast<long>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    void Add(ComPtr<I> record) { items_.push_back(std::move(record)); }
    // Releases the records, last to first.
    void Clear() noexcept {
        while (!items_.empty()) items_.pop_back();
    }

    // Removes or replaces the record at a zero-based position.
    void Remove(long index) {
        Peek(index);
        items_.erase(items_.begin() + index);
    }
    void Replace(long index, ComPtr<I> record) {
        Peek(index);
        items_[static_cast<size_t>(index)] = std::move(record);
    }

    // The record at a zero-based position without a new reference.
    I* Peek(long index) const {
        if (!ListIndexValid(index, items_.size())) ThrowListIndex(index);
        return items_[static_cast<size_t>(index)].Get();
    }
    // A new reference to the record at a zero-based position, for an [out] value.
    I* At(long index) const {
        I* p = Peek(index);
        if (p) p->AddRef();
        return p;
    }
    // Replaces the record at a zero-based position.
    void Set(long index, ComPtr<I> record) {
        if (!ListIndexValid(index, items_.size())) ThrowListIndex(index);
        items_[static_cast<size_t>(index)] = std::move(record);
    }
    // A new reference to the first record the predicate accepts, or null.
    template <class Pred>
    I* Find(Pred&& match) const {
        for (const ComPtr<I>& r : items_)
            if (r && match(r.Get())) return r.Copy();
        return nullptr;
    }

    typename std::vector<ComPtr<I>>::const_iterator begin() const { return items_.begin(); }
    typename std::vector<ComPtr<I>>::const_iterator end() const { return items_.end(); }

private:
    std::vector<ComPtr<I>> items_;
};

}  // namespace zunda
