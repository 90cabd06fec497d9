// The library's internal record containers: an array of fixed-size items
// (XArray), an array of owned text/value/object entries built on it
// (StrObjArray), and the string list over such entries (StrObjList) that
// the network neighbourhood keeps its workgroups and computers in. They never
// cross the library's interface, so their storage grows the way a standard
// container does; count, order, zero-filled new items and the index error
// are what callers see.
#pragma once

#include "collections/core/stringlist.h"
#include "server/core/failure.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace zunda::net {

// An index outside the valid range: "[<class>]: Index Error (<index>)".
class ArrayIndexError : public Failure {
public:
    ArrayIndexError(const char* className, long index);
    long Index() const { return index_; }

private:
    long index_;
};

// An array of items of one fixed size, zero-filled when they are created.
// Every operation that changes the count calls Changed afterwards.
class XArray {
public:
    explicit XArray(std::size_t itemSize);
    virtual ~XArray() = default;
    XArray(const XArray&) = delete;
    XArray& operator=(const XArray&) = delete;

    virtual const char* ClassName() const { return "TXArray"; }

    virtual void Changed() {}
    // n < 1 empties the array and releases its storage; new items are zeroed.
    virtual void SetCount(long n);
    // Appends a zeroed item and returns its index.
    virtual long Add();
    long AddItem(const void* source);
    // 0 <= index <= Count(): a zeroed item at index, the rest one place further.
    virtual void Insert(long index);
    void InsertItem(long index, const void* source);
    // 0 <= index < Count().
    virtual void Delete(long index);
    void Extract(long index, void* target);
    void Grow(long n) { SetCount(Count() + n); }
    void Shrink(long n) { SetCount(Count() - n); }
    void Exchange(long i, long j);
    // Calls fn(index, item) in order and stops at the first non-zero answer,
    // which it returns; 0 when every call answered 0.
    int ForEach(const std::function<int(long index, void* item)>& fn);

    void GetItem(long index, void* target) const;
    void PutItem(long index, const void* source);
    // The item's storage, or null outside 0 .. Count() - 1.
    void* Item(long index);
    const void* Item(long index) const;

    long Count() const { return count_; }
    std::size_t ItemSize() const { return itemSize_; }
    bool HasStorage() const { return items_.capacity() != 0; }

protected:
    // Throws ArrayIndexError unless 0 <= index < limit.
    void CheckIndex(long index, long limit) const;

private:
    std::size_t itemSize_;
    long count_ = 0;
    std::vector<unsigned char> items_;
};

// The object an entry may own (a workgroup's computer list, for instance).
class EntryObject {
public:
    virtual ~EntryObject() = default;
};

// One entry: a text, an integer wide enough for an address, and an owned object.
struct StrObj {
    std::string text;
    std::int32_t reserved = 0;  // kept for the record layout; not used
    std::intptr_t value = 0;
    std::unique_ptr<EntryObject> object;
};

// An XArray whose items are the entries' addresses: every new slot gets a
// new empty entry, every removed slot frees its entry.
class StrObjArray final : public XArray {
public:
    StrObjArray() : XArray(sizeof(void*)) {}  // a slot holds an address
    ~StrObjArray() override;

    const char* ClassName() const override { return "TXStrObjArray"; }
    void SetCount(long n) override;
    long Add() override;
    void Insert(long index) override;
    void Delete(long index) override;

    StrObj& Entry(long index);
    const StrObj& Entry(long index) const;

private:
    void FreeFrom(long first);
};

// A string list whose entries carry a value and an owned object.
class StrObjList {
public:
    StrObjList() = default;
    virtual ~StrObjList() = default;
    StrObjList(const StrObjList&) = delete;
    StrObjList& operator=(const StrObjList&) = delete;

    long Count() const { return items_.Count(); }
    const std::string& Get(long index) const { return items_.Entry(index).text; }
    void Put(long index, std::string text) { items_.Entry(index).text = std::move(text); }
    EntryObject* Object(long index) const { return items_.Entry(index).object.get(); }
    void SetObject(long index, std::unique_ptr<EntryObject> object) { items_.Entry(index).object = std::move(object); }
    std::intptr_t Value(long index) const { return items_.Entry(index).value; }
    void SetValue(long index, std::intptr_t value) { items_.Entry(index).value = value; }

    // Appends an entry with that text and returns its index.
    virtual long Add(std::string text);
    virtual void Insert(long index, std::string text);
    void Delete(long index) { items_.Delete(index); }
    void Exchange(long i, long j) { items_.Exchange(i, j); }
    void Clear() { items_.SetCount(0); }
    // The first entry equal to text without regard to case, or -1.
    long IndexOf(std::string_view text, const core::ListLocale& locale) const;

private:
    StrObjArray items_;
};

}  // namespace zunda::net
