#include "collections/core/stringlist.h"

#include "server/core/list_index.h"

#include <algorithm>

namespace zunda::core {

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(pos));
            break;
        }
        lines.emplace_back(text.substr(pos, end - pos));
        pos = end + 1;
        if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const std::string& l : lines) size += l.size() + 2;
    std::string out;
    out.reserve(size);
    for (const std::string& l : lines) out.append(l).append("\r\n");
    return out;
}

void StringList::CheckIndex(long index) const {
    if (!ListIndexValid(index, items_.size())) throw ListIndexError(index, locale_.FromUtf16(ListIndexMessage(index)));
}

const std::string& StringList::Get(long index) const {
    CheckIndex(index);
    return items_[static_cast<size_t>(index)];
}

void StringList::Set(long index, std::string text) {
    CheckIndex(index);
    items_[static_cast<size_t>(index)] = std::move(text);
}

std::string StringList::Name(long index) const {
    const std::string& entry = Get(index);
    size_t eq = entry.find('=');
    return eq == std::string::npos ? std::string() : entry.substr(0, eq);
}

long StringList::IndexOfName(std::string_view name) const {
    for (size_t i = 0; i < items_.size(); ++i) {
        std::string_view entry = items_[i];
        size_t eq = entry.find('=');
        if (eq != std::string_view::npos && locale_.CompareNoCase(entry.substr(0, eq), name) == 0)
            return static_cast<long>(i);
    }
    return -1;
}

std::string StringList::Value(std::string_view name) const {
    long i = IndexOfName(name);
    if (i < 0) return std::string();
    const std::string& entry = items_[static_cast<size_t>(i)];
    return entry.substr(entry.find('=') + 1);
}

bool StringList::SetValue(std::string_view name, std::string_view value) {
    long i = IndexOfName(name);
    if (value.empty()) {
        if (i < 0) return false;
        items_.erase(items_.begin() + i);
        return true;
    }
    std::string entry;
    entry.reserve(name.size() + 1 + value.size());
    entry.append(name).append("=").append(value);
    if (i < 0)
        items_.push_back(std::move(entry));
    else
        items_[static_cast<size_t>(i)] = std::move(entry);
    return true;
}

long StringList::Add(std::string text) {
    items_.push_back(std::move(text));
    return Count() - 1;
}

bool StringList::Clear() {
    if (items_.empty()) return false;
    items_.clear();
    return true;
}

void StringList::Delete(long index) {
    CheckIndex(index);
    items_.erase(items_.begin() + index);
}

long StringList::IndexOf(std::string_view text) const {
    for (size_t i = 0; i < items_.size(); ++i)
        if (locale_.CompareNoCase(items_[i], text) == 0) return static_cast<long>(i);
    return -1;
}

bool StringList::Find(std::string_view text, long& index) const {
    // Lower bound: with duplicates the first of the equal entries is found.
    long lo = 0;
    long hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        long mid = lo + (hi - lo) / 2;
        int c = locale_.CompareNoCase(items_[static_cast<size_t>(mid)], text);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) found = true;
        }
    }
    index = lo;
    return found;
}

bool StringList::Sort() {
    if (items_.size() < 2) return false;
    // A merge sort: it stays within bounds even should the locale's
    // comparison not be a strict order for some pair of texts.
    std::stable_sort(items_.begin(), items_.end(),
              [this](const std::string& a, const std::string& b) { return locale_.CompareNoCase(a, b) < 0; });
    return true;
}

}  // namespace zunda::core
