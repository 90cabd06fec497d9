#include "network/core/containers.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

namespace zunda::net {
namespace {

std::string IndexErrorText(const char* className, long index) {
    char text[160];
    std::snprintf(text, sizeof(text), "[%s]: Index Error (%ld)", className, index);
    return text;
}

}  // namespace

ArrayIndexError::ArrayIndexError(const char* className, long index)
    : Failure(IndexErrorText(className, index)), index_(index) {}

// ---------------------------------------------------------------- XArray

XArray::XArray(std::size_t itemSize) : itemSize_(itemSize ? itemSize : 1) {}

void XArray::CheckIndex(long index, long limit) const {
    if (index < 0 || index >= limit) throw ArrayIndexError(ClassName(), index);
}

void XArray::SetCount(long n) {
    if (n < 1) {
        const bool changed = count_ != 0;
        std::vector<unsigned char>().swap(items_);
        count_ = 0;
        if (changed) Changed();
        return;
    }
    if (n == count_) return;
    if (static_cast<unsigned long>(n) > std::numeric_limits<std::size_t>::max() / itemSize_) throw std::bad_alloc();
    items_.resize(static_cast<std::size_t>(n) * itemSize_, 0);
    count_ = n;
    Changed();
}

long XArray::Add() {
    const long index = count_;
    XArray::Insert(index);
    return index;
}

long XArray::AddItem(const void* source) {
    const long index = Add();
    PutItem(index, source);
    return index;
}

void XArray::Insert(long index) {
    CheckIndex(index, count_ + 1);
    items_.insert(items_.begin() + static_cast<std::ptrdiff_t>(index * itemSize_), itemSize_, 0);
    ++count_;
    Changed();
}

void XArray::InsertItem(long index, const void* source) {
    Insert(index);
    PutItem(index, source);
}

void XArray::Delete(long index) {
    CheckIndex(index, count_);
    if (count_ == 1) {
        std::vector<unsigned char>().swap(items_);
    } else {
        const auto at = items_.begin() + static_cast<std::ptrdiff_t>(index * itemSize_);
        items_.erase(at, at + static_cast<std::ptrdiff_t>(itemSize_));
    }
    --count_;
    Changed();
}

void XArray::Extract(long index, void* target) {
    GetItem(index, target);
    Delete(index);
}

void XArray::Exchange(long i, long j) {
    CheckIndex(i, count_);
    CheckIndex(j, count_);
    if (i == j) return;
    std::swap_ranges(items_.begin() + static_cast<std::ptrdiff_t>(i * itemSize_),
                     items_.begin() + static_cast<std::ptrdiff_t>((i + 1) * itemSize_),
                     items_.begin() + static_cast<std::ptrdiff_t>(j * itemSize_));
}

int XArray::ForEach(const std::function<int(long index, void* item)>& fn) {
    for (long i = 0; i < count_; ++i) {
        if (const int stop = fn(i, Item(i))) return stop;
    }
    return 0;
}

void XArray::GetItem(long index, void* target) const {
    CheckIndex(index, count_);
    std::memcpy(target, Item(index), itemSize_);
}

void XArray::PutItem(long index, const void* source) {
    CheckIndex(index, count_);
    std::memcpy(Item(index), source, itemSize_);
}

void* XArray::Item(long index) {
    if (index < 0 || index >= count_) return nullptr;
    return items_.data() + static_cast<std::size_t>(index) * itemSize_;
}

const void* XArray::Item(long index) const {
    if (index < 0 || index >= count_) return nullptr;
    return items_.data() + static_cast<std::size_t>(index) * itemSize_;
}

// ---------------------------------------------------------------- StrObjArray

namespace {

// A slot holds an entry's address as the bytes of a void pointer.
StrObj* LoadPointer(const void* item) {
    void* address = nullptr;
    std::memcpy(&address, item, sizeof(address));
    return static_cast<StrObj*>(address);
}

void StorePointer(void* item, StrObj* p) {
    void* address = p;
    std::memcpy(item, &address, sizeof(address));
}

}  // namespace

StrObjArray::~StrObjArray() { FreeFrom(0); }

void StrObjArray::FreeFrom(long first) {
    for (long i = std::max(first, 0L); i < Count(); ++i) {
        delete LoadPointer(Item(i));
        StorePointer(Item(i), nullptr);
    }
}

void StrObjArray::SetCount(long n) {
    const long old = Count();
    if (n < old) {
        FreeFrom(n);
        XArray::SetCount(n);
        return;
    }
    if (n == old) return;
    // The new entries exist before the array grows, so a failed allocation changes nothing.
    std::vector<std::unique_ptr<StrObj>> fresh;
    fresh.reserve(static_cast<std::size_t>(n - old));
    for (long i = old; i < n; ++i) fresh.push_back(std::make_unique<StrObj>());
    XArray::SetCount(n);
    for (long i = old; i < n; ++i) StorePointer(Item(i), fresh[static_cast<std::size_t>(i - old)].release());
}

long StrObjArray::Add() {
    auto entry = std::make_unique<StrObj>();
    const long index = Count();
    XArray::Insert(index);
    StorePointer(Item(index), entry.release());
    return index;
}

void StrObjArray::Insert(long index) {
    CheckIndex(index, Count() + 1);
    auto entry = std::make_unique<StrObj>();
    XArray::Insert(index);
    StorePointer(Item(index), entry.release());
}

void StrObjArray::Delete(long index) {
    CheckIndex(index, Count());
    StrObj* entry = LoadPointer(Item(index));
    XArray::Delete(index);
    delete entry;
}

StrObj& StrObjArray::Entry(long index) {
    CheckIndex(index, Count());
    return *LoadPointer(Item(index));
}

const StrObj& StrObjArray::Entry(long index) const {
    CheckIndex(index, Count());
    return *LoadPointer(Item(index));
}

// ---------------------------------------------------------------- StrObjList

long StrObjList::Add(std::string text) {
    const long index = items_.Add();
    items_.Entry(index).text = std::move(text);
    return index;
}

void StrObjList::Insert(long index, std::string text) {
    items_.Insert(index);
    items_.Entry(index).text = std::move(text);
}

long StrObjList::IndexOf(std::string_view text, const core::ListLocale& locale) const {
    for (long i = 0; i < Count(); ++i) {
        if (locale.CompareNoCase(items_.Entry(i).text, text) == 0) return i;
    }
    return -1;
}

}  // namespace zunda::net
