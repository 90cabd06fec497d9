// The loaded server: its object and lock counts, its own type library and
// the table of class factories that object classes add themselves to.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

namespace zunda {

struct ClassInfo;

void ModuleObjectCreated();
void ModuleObjectDestroyed();
LONG ModuleObjectCount();

// Full path of the loaded library file (8-bit).
std::string ModulePath();

// The library's own type library, loaded from its file on first use.
HRESULT ModuleTypeLib(ITypeLib** tl);
// Type information for a GUID of the library, straight from the type
// library. The frame keeps the one cache of what its dispatch needs.
HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo** ti);

void RegisterClassFactory(const ClassInfo& info, HRESULT (*create)(REFIID, void**));

// Serialises the module's lazily filled caches.
class ModuleLock {
public:
    ModuleLock();
    ~ModuleLock();
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace zunda
