// The index check shared by every list of the library (string lists and the
// lists of records) and its one message.
#pragma once

#include <string>

namespace zunda {

// "Listenindex überschreitet das Maximum (<index>)" as UTF-16; each side
// converts it to its own code page, so the text is right in every one.
inline std::u16string ListIndexMessage(long index) {
    std::u16string text = u"Listenindex \u00fcberschreitet das Maximum (";
    for (char c : std::to_string(index)) text += static_cast<char16_t>(c);
    text += u')';
    return text;
}

// Whether index is a position of a list of `count` entries.
inline bool ListIndexValid(long index, size_t count) {
    return index >= 0 && static_cast<unsigned long>(index) < count;
}

}  // namespace zunda
