#include "network/core/components.h"

#include "machine/core/os_version.h"

namespace zunda::net {

ComponentKey ComponentClassKey(int os, bool isNT) {
    if (os == machine::toWin2000) return {"SYSTEM\\CurrentControlSet\\Control\\Network", "Description"};
    if (isNT) return {"SYSTEM\\CurrentControlSet\\Control\\Class", "DriverDesc"};
    return {"SYSTEM\\CurrentControlSet\\Services\\Class", "DriverDesc"};
}

}  // namespace zunda::net
