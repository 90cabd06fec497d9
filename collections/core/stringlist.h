// The ordered list of 8-bit strings behind MxStringlist: indexed access,
// name=value entries, a case-insensitive order shared by Sort, Find and
// IndexOf, and the text form (one entry per line) used by files and the
// byte-array variant.
#pragma once

#include "server/core/failure.h"

#include <string>
#include <string_view>
#include <vector>

namespace zunda::core {

// What the list needs from the system's locale.
class ListLocale {
public:
    virtual ~ListLocale() = default;
    // Locale-aware comparison without regard to case: <0, 0, >0.
    virtual int CompareNoCase(std::string_view a, std::string_view b) const = 0;
    // UTF-16 text in the system 8-bit code page (for the list's own messages).
    virtual std::string FromUtf16(std::u16string_view text) const = 0;
};

// An index outside 0 .. Count - 1.
class ListIndexError : public Failure {
public:
    ListIndexError(long index, const std::string& message) : Failure(message), index_(index) {}
    long Index() const { return index_; }

private:
    long index_;
};

// Splits text into lines ending at CR, LF or CR LF; a last line without a
// line end is kept, an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);
// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);

class StringList {
public:
    explicit StringList(const ListLocale& locale) : locale_(locale) {}

    long Count() const { return static_cast<long>(items_.size()); }
    const std::vector<std::string>& Items() const { return items_; }

    const std::string& Get(long index) const;
    void Set(long index, std::string text);
    // The text before the first "=" of the entry (empty without "=").
    std::string Name(long index) const;
    // The text after the first "=" of the first entry with that name (case-insensitive).
    std::string Value(std::string_view name) const;
    // Sets the value of the named entry, appends "name=value" when there is
    // none, deletes the entry for an empty value. Returns whether the list changed.
    bool SetValue(std::string_view name, std::string_view value);

    long Add(std::string text);
    // Returns whether there was anything to remove.
    bool Clear();
    void Delete(long index);

    // First entry equal to text (case-insensitive), or -1.
    long IndexOf(std::string_view text) const;
    // Binary search of a sorted list: true with the first equal entry's index,
    // otherwise false with the index where text would be inserted.
    bool Find(std::string_view text, long& index) const;
    // Ascending case-insensitive order; returns whether there was anything to sort.
    bool Sort();

    std::string Text() const { return JoinLines(items_); }
    void Assign(std::vector<std::string> items) { items_ = std::move(items); }

private:
    void CheckIndex(long index) const;
    long IndexOfName(std::string_view name) const;

    const ListLocale& locale_;
    std::vector<std::string> items_;
};

}  // namespace zunda::core
