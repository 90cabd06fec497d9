// The object classes whose implementation has landed: registered and creatable.
// Every other class of the type library must be neither.
#pragma once

#include <string>

namespace zunda::test {

inline constexpr const wchar_t* kImplementedClasses[] = {
    L"MxBaseInterface",
};

inline bool IsImplemented(const wchar_t* name) {
    for (const wchar_t* c : kImplementedClasses)
        if (std::wstring(c) == name) return true;
    return false;
}

}  // namespace zunda::test
