// The object classes whose implementation has landed: registered and creatable.
// Every other class of the type library must be neither. Each class's test
// file declares its class with ZUNDA_TEST_IMPLEMENTED(MxName).
#pragma once

#include <string>
#include <vector>

namespace zunda::test {

inline std::vector<std::wstring>& ImplementedClasses() {
    static std::vector<std::wstring> names;
    return names;
}

struct ImplementedClass {
    explicit ImplementedClass(const wchar_t* name) { ImplementedClasses().push_back(name); }
};

inline bool IsImplemented(const wchar_t* name) {
    for (const std::wstring& c : ImplementedClasses())
        if (c == name) return true;
    return false;
}

}  // namespace zunda::test

#define ZUNDA_TEST_IMPLEMENTED(Name) static ::zunda::test::ImplementedClass zunda_implemented_##Name(L## #Name)
