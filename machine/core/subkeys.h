// A walk over the subkeys of one key below HKEY_LOCAL_MACHINE, each opened
// for reading in enumeration order.
#pragma once

#include "system/core/registry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zunda::machine {

// Calls `visit` with each subkey of `path` that opens, until it returns
// false. A key that does not open has no subkeys. Returns the result of the
// enumeration: when it failed part-way, the subkeys it did list were visited.
inline long VisitSubkeys(reg::Registry& registry, const std::string& path,
                         const std::function<bool(reg::Key& key)>& visit) {
    std::unique_ptr<reg::Key> list;
    if (registry.Open(reg::kLocalMachine, path, reg::kRead, list) != reg::kOk) return reg::kOk;
    std::vector<std::string> names;
    const long listed = list->Subkeys(names);
    list.reset();
    for (const std::string& name : names) {
        std::unique_ptr<reg::Key> sub;
        if (registry.Open(reg::kLocalMachine, path + "\\" + name, reg::kRead, sub) != reg::kOk) continue;
        if (!visit(*sub)) break;
    }
    return listed;
}

}  // namespace zunda::machine
