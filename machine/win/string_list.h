// Lines into an MxStringlist from 8-bit text, for the inventories that fill
// lists through the list's own interface.
#pragma once

#include "server/win/com_util.h"

#include <string>

namespace zunda {

// Appends one line; failures throw ComError.
inline void AddListLine(IMxStringlist* list, const std::string& line) {
    BSTR text = AnsiToBstr(line);
    long index = 0;
    const HRESULT hr = list->Add(text, &index);
    SysFreeString(text);
    Check(hr);
}

// Whether the list holds the line already (its IndexOf: case-insensitive).
inline bool ListHolds(IMxStringlist* list, const std::string& line) {
    BSTR text = AnsiToBstr(line);
    long index = -1;
    const HRESULT hr = list->IndexOf(text, &index);
    SysFreeString(text);
    Check(hr);
    return index != -1;
}

}  // namespace zunda
