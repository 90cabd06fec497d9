// The in-process server: DllMain, the class factories and the four exports.
#include "server/win/module.h"

#include "server/core/registration.h"
#include "server/win/frame.h"
#include "server/win/lock.h"

#include <cstring>
#include <utility>
#include <vector>

namespace zunda {
namespace {

HINSTANCE g_instance = nullptr;
LONG g_objects = 0;
LONG g_locks = 0;
constinit CriticalSection g_lock;
ITypeLib* g_typeLib = nullptr;

struct FactoryEntry {
    const ClassInfo* info;
    HRESULT (*create)(REFIID, void**);
};

std::vector<FactoryEntry>& FactoryTable() {
    static std::vector<FactoryEntry> table;
    return table;
}

// One factory per object class; they live as long as the library is loaded
// and do not count as objects (LockServer does).
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(const FactoryEntry& entry) : entry_(entry) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return entry_.create(riid, ppv);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            InterlockedIncrement(&g_locks);
            return S_OK;
        }
        // An unlock without a lock leaves the count at 0: a count below 0
        // would keep the server loaded, and a later lock would not.
        for (;;) {
            const LONG current = g_locks;
            if (current <= 0) return S_OK;
            if (InterlockedCompareExchange(&g_locks, current - 1, current) == current) return S_OK;
        }
    }
    const ClassInfo& Info() const { return *entry_.info; }

private:
    FactoryEntry entry_;
};

std::vector<ClassFactory*>* g_factories = nullptr;

std::string GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return ToAnsi(text, wcslen(text));
}

// Where a step list is applied: machine-wide below HKEY_CLASSES_ROOT, or
// per user below HKEY_CURRENT_USER\\Software\\Classes. Per user, a key that
// still holds subkeys (another build's entries) is left in place.
struct RegistryPlace {
    HKEY root;
    const char* prefix;
    bool keepKeysInUse;
};
const RegistryPlace kMachineWide{HKEY_CLASSES_ROOT, "", false};
const RegistryPlace kPerUser{HKEY_CURRENT_USER, "Software\\Classes\\", true};

bool HasSubkeys(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD subkeys = 0, values = 0;
    const bool any = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                      nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                     subkeys > 0;
    RegCloseKey(key);
    return any;
}

// Writes or deletes the registry entries of one step list. A key that is
// already gone is no error; any other refusal stops the registration.
bool ApplySteps(const std::vector<RegistryStep>& steps, const RegistryPlace& place = kMachineWide) {
    for (const RegistryStep& step : steps) {
        const std::string path = place.prefix + step.key;
        if (step.kind == RegistryStep::Kind::SetString) {
            HKEY key = nullptr;
            if (RegCreateKeyExA(place.root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                                &key, nullptr) != ERROR_SUCCESS)
                return false;
            LONG rc = RegSetValueExA(key, step.name.empty() ? nullptr : step.name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(step.value.c_str()),
                                     static_cast<DWORD>(step.value.size() + 1));
            RegCloseKey(key);
            if (rc != ERROR_SUCCESS) return false;
        } else {
            if (place.keepKeysInUse && HasSubkeys(place.root, path)) continue;
            LONG rc = RegDeleteKeyA(place.root, path.c_str());
            if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return false;
        }
    }
    return true;
}

bool ClassRegistrationOf(ITypeLib* tl, const ClassInfo& info, ClassRegistration& out) {
    ComPtr<ITypeInfo> ti;
    if (FAILED(tl->GetTypeInfoOfGuid(*info.clsid, ti.Put()))) return false;
    Bstr name, doc;
    if (FAILED(ti->GetDocumentation(MEMBERID_NIL, name.Put(), doc.Put(), nullptr, nullptr))) return false;
    TLIBATTR* la = nullptr;
    if (FAILED(tl->GetLibAttr(&la))) return false;
    out.clsid = GuidText(*info.clsid);
    out.progId = "Zunda." + name.Ansi();
    out.description = doc.Ansi();
    out.libid = GuidText(la->guid);
    out.versionMajor = la->wMajorVerNum;
    out.versionMinor = la->wMinorVerNum;
    tl->ReleaseTLibAttr(la);
    return true;
}

// The registry view of the other build on 64-bit Windows: the 32-bit view
// for the 64-bit DLL, the 64-bit view for the 32-bit DLL when it runs under
// WOW64 (resolved at run time: Windows before XP lacks IsWow64Process). 0
// when there is no other view.
REGSAM OtherRegistryView() {
#ifdef _WIN64
    return KEY_WOW64_32KEY;
#else
    using IsWow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto isWow64 = kernel ? reinterpret_cast<IsWow64Fn>(
                                reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
                          : nullptr;
    BOOL wow64 = FALSE;
    return (isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64) ? KEY_WOW64_64KEY : 0;
#endif
}

// Whether the other registry view holds a registration of the class.
bool OtherViewRegisters(const std::string& clsid) {
    const REGSAM view = OtherRegistryView();
    if (!view) return false;
    HKEY key = nullptr;
    const std::string path = "CLSID\\" + clsid + "\\InprocServer32";
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

// The default value of a key below HKEY_CLASSES_ROOT; empty when missing.
std::string ClassesDefault(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    char value[128] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || type != REG_SZ) return {};
    return std::string(value, strnlen(value, size));
}

// Unregisters this build's type library while the other build stays
// registered: UnRegisterTypeLib would take the shared entries with it. Only
// this build's path below the shared TypeLib key goes, and this view's
// interface entries that name the library.
bool UnregisterTypeLibOfThisView(ITypeLib* tl, const TLIBATTR& la) {
    const std::string libid = GuidText(la.guid);
    bool ok = ApplySteps({TypeLibPathStep(libid, la.wMajorVerNum, la.wMinorVerNum, la.lcid, la.syskind == SYS_WIN64)});
    const UINT count = tl->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(tl->GetTypeInfoType(i, &kind)) || (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)) continue;
        ComPtr<ITypeInfo> ti;
        TYPEATTR* ta = nullptr;
        if (FAILED(tl->GetTypeInfo(i, ti.Put())) || FAILED(ti->GetTypeAttr(&ta))) continue;
        const std::string iid = GuidText(ta->guid);
        ti->ReleaseTypeAttr(ta);
        if (lstrcmpiA(ClassesDefault("Interface\\" + iid + "\\TypeLib").c_str(), libid.c_str()) == 0 &&
            !ApplySteps(InterfaceUnregisterSteps(iid)))
            ok = false;
    }
    return ok;
}

HRESULT LoadOwnTypeLib(ITypeLib** tl) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return E_FAIL;
    path.resize(n);
    return LoadTypeLibEx(path.c_str(), REGKIND_NONE, tl);
}

}  // namespace

void ModuleObjectCreated() { InterlockedIncrement(&g_objects); }
void ModuleObjectDestroyed() { InterlockedDecrement(&g_objects); }
LONG ModuleObjectCount() { return g_objects; }

ModuleLock::ModuleLock() { g_lock.Enter(); }
ModuleLock::~ModuleLock() { g_lock.Leave(); }

std::string ModulePath() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(g_instance, path, MAX_PATH);
    return std::string(path, n);
}

HRESULT ModuleTypeLib(ITypeLib** tl) {
    if (!tl) return E_POINTER;
    ModuleLock lock;
    if (!g_typeLib) {
        HRESULT hr = LoadOwnTypeLib(&g_typeLib);
        if (FAILED(hr)) {
            *tl = nullptr;
            return hr;
        }
    }
    g_typeLib->AddRef();
    *tl = g_typeLib;
    return S_OK;
}

HRESULT ModuleTypeInfo(REFGUID guid, ITypeInfo** ti) {
    if (!ti) return E_POINTER;
    *ti = nullptr;
    ComPtr<ITypeLib> tl;
    HRESULT hr = ModuleTypeLib(tl.Put());
    if (FAILED(hr)) return hr;
    return tl->GetTypeInfoOfGuid(guid, ti);
}

void RegisterClassFactory(const ClassInfo& info, HRESULT (*create)(REFIID, void**)) {
    FactoryTable().push_back({&info, create});
}

}  // namespace zunda

using namespace zunda;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        g_instance = instance;
        DisableThreadLibraryCalls(instance);
        g_factories = new (std::nothrow) std::vector<ClassFactory*>();
        if (!g_factories) return FALSE;
        for (const FactoryEntry& e : FactoryTable()) g_factories->push_back(new ClassFactory(e));
    } else if (reason == DLL_PROCESS_DETACH) {
        if (g_factories) {
            for (ClassFactory* f : *g_factories) delete f;
            delete g_factories;
            g_factories = nullptr;
        }
        // The type library and type information are left to the process's
        // end: oleaut32 may already be gone when a process unloads us.
    }
    return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv) {
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (g_factories) {
        for (ClassFactory* f : *g_factories)
            if (*f->Info().clsid == clsid) return f->QueryInterface(riid, ppv);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow() { return (g_objects == 0 && g_locks == 0) ? S_OK : S_FALSE; }

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    ComPtr<ITypeLib> tl;
    if (FAILED(ModuleTypeLib(tl.Put()))) return E_FAIL;
    std::wstring path(MAX_PATH, L'\0');
    DWORD n = GetModuleFileNameW(g_instance, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n);
    std::wstring dir = path.substr(0, path.find_last_of(L"\\/") + 1);
    if (FAILED(RegisterTypeLib(tl.Get(), path.data(), dir.data()))) return E_FAIL;

    std::string server = ModulePath();
    char shortPath[MAX_PATH + 1] = {};
    DWORD sn = GetShortPathNameA(server.c_str(), shortPath, MAX_PATH);
    server = ServerPathForRegistry(server, sn > 0 && sn < MAX_PATH ? std::string(shortPath, sn) : std::string());
    if (!g_factories) return E_FAIL;
    for (ClassFactory* f : *g_factories) {
        ClassRegistration reg;
        if (!ClassRegistrationOf(tl.Get(), f->Info(), reg)) return E_FAIL;
        if (!ApplySteps(RegisterSteps(reg, server))) return E_FAIL;
    }
    return S_OK;
}

extern "C" HRESULT STDAPICALLTYPE DllUnregisterServer() {
    ComPtr<ITypeLib> tl;
    if (FAILED(ModuleTypeLib(tl.Put()))) return E_FAIL;
    if (!g_factories) return E_FAIL;
    // Each class, and whether the other build still registers it in the
    // other registry view: then the keys both views share stay.
    std::vector<std::pair<ClassRegistration, bool>> classes;
    bool otherBuildRegistered = false;
    for (ClassFactory* f : *g_factories) {
        ClassRegistration reg;
        if (!ClassRegistrationOf(tl.Get(), f->Info(), reg)) return E_FAIL;
        const bool other = OtherViewRegisters(reg.clsid);
        otherBuildRegistered = otherBuildRegistered || other;
        classes.emplace_back(std::move(reg), other);
    }
    bool ok = true;
    TLIBATTR* la = nullptr;
    if (SUCCEEDED(tl->GetLibAttr(&la))) {
        if (otherBuildRegistered) {
            ok = UnregisterTypeLibOfThisView(tl.Get(), *la);
        } else {
            // Resolved at run time: older automation libraries lack it.
            using UnRegisterFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);
            HMODULE oleaut = GetModuleHandleA("oleaut32.dll");
            auto unregister =
                oleaut ? reinterpret_cast<UnRegisterFn>(
                             reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")))
                       : nullptr;
            // A type library that is not registered is no error.
            std::string key = "TypeLib\\" + GuidText(la->guid) + "\\" + std::to_string(la->wMajorVerNum) + "." +
                              std::to_string(la->wMinorVerNum);
            HKEY h = nullptr;
            bool registered = RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) == ERROR_SUCCESS;
            if (h) RegCloseKey(h);
            if (unregister && registered &&
                FAILED(unregister(la->guid, la->wMajorVerNum, la->wMinorVerNum, la->lcid, la->syskind)))
                ok = false;
        }
        tl->ReleaseTLibAttr(la);
    }
    for (const auto& [reg, other] : classes)
        if (!ApplySteps(UnregisterSteps(reg, other))) return E_FAIL;
    return ok ? S_OK : E_FAIL;
}

namespace {

// The type library's own entries and those of its interfaces, for the
// per-user registration.
bool TypeLibEntries(ITypeLib* tl, TypeLibRegistration& lib, std::vector<InterfaceRegistration>& interfaces) {
    TLIBATTR* la = nullptr;
    if (FAILED(tl->GetLibAttr(&la))) return false;
    lib.libid = GuidText(la->guid);
    lib.versionMajor = la->wMajorVerNum;
    lib.versionMinor = la->wMinorVerNum;
    lib.lcid = la->lcid;
    lib.win64 = la->syskind == SYS_WIN64;
    tl->ReleaseTLibAttr(la);
    Bstr help;
    if (SUCCEEDED(tl->GetDocumentation(-1, nullptr, help.Put(), nullptr, nullptr))) lib.description = help.Ansi();
    lib.path = ModulePath();
    lib.helpDir = lib.path.substr(0, lib.path.find_last_of("\\/") + 1);
    const UINT count = tl->GetTypeInfoCount();
    for (UINT i = 0; i < count; ++i) {
        TYPEKIND kind;
        if (FAILED(tl->GetTypeInfoType(i, &kind)) || (kind != TKIND_INTERFACE && kind != TKIND_DISPATCH)) continue;
        ComPtr<ITypeInfo> ti;
        TYPEATTR* ta = nullptr;
        if (FAILED(tl->GetTypeInfo(i, ti.Put())) || FAILED(ti->GetTypeAttr(&ta))) return false;
        const bool dual = (ta->wTypeFlags & TYPEFLAG_FDUAL) != 0;
        const bool automation = (ta->wTypeFlags & TYPEFLAG_FOLEAUTOMATION) != 0;
        InterfaceRegistration itf{GuidText(ta->guid), {}, kind == TKIND_DISPATCH && !dual};
        ti->ReleaseTypeAttr(ta);
        if (kind == TKIND_INTERFACE && !automation && !dual) continue;
        Bstr name;
        if (SUCCEEDED(ti->GetDocumentation(MEMBERID_NIL, name.Put(), nullptr, nullptr, nullptr))) itf.name = name.Ansi();
        interfaces.push_back(std::move(itf));
    }
    return true;
}

// Removes the container keys below Software\\Classes that registration
// created when nothing is left in them.
void RemoveEmptyContainers() {
    for (const char* name : {"CLSID", "Interface", "TypeLib", ""}) {
        std::string path = std::string(kPerUser.prefix) + name;
        if (!*name) path.pop_back();  // the Classes key itself
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) continue;
        DWORD subkeys = 1, values = 1;
        RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr);
        RegCloseKey(key);
        if (subkeys == 0 && values == 0) RegDeleteKeyA(HKEY_CURRENT_USER, path.c_str());
    }
}

HRESULT UnregisterForUser() {
    ComPtr<ITypeLib> tl;
    if (FAILED(ModuleTypeLib(tl.Put())) || !g_factories) return E_FAIL;
    bool ok = true;
    for (ClassFactory* f : *g_factories) {
        ClassRegistration reg;
        if (!ClassRegistrationOf(tl.Get(), f->Info(), reg) || !ApplySteps(UnregisterSteps(reg), kPerUser)) ok = false;
    }
    TypeLibRegistration lib;
    std::vector<InterfaceRegistration> interfaces;
    if (!TypeLibEntries(tl.Get(), lib, interfaces) || !ApplySteps(TypeLibUnregisterSteps(lib, interfaces), kPerUser))
        ok = false;
    RemoveEmptyContainers();
    return ok ? S_OK : E_FAIL;
}

HRESULT RegisterForUser() {
    ComPtr<ITypeLib> tl;
    if (FAILED(ModuleTypeLib(tl.Put())) || !g_factories) return E_FAIL;
    TypeLibRegistration lib;
    std::vector<InterfaceRegistration> interfaces;
    bool ok = TypeLibEntries(tl.Get(), lib, interfaces) && ApplySteps(TypeLibRegisterSteps(lib, interfaces), kPerUser);
    for (ClassFactory* f : *g_factories) {
        if (!ok) break;
        ClassRegistration reg;
        ok = ClassRegistrationOf(tl.Get(), f->Info(), reg) && ApplySteps(RegisterSteps(reg, lib.path), kPerUser);
    }
    if (ok) return S_OK;
    // Nothing half-written stays behind.
    UnregisterForUser();
    return E_FAIL;
}

}  // namespace

// regsvr32 /n /i:user registers for the calling user only (no administrator
// rights needed), regsvr32 /u /n /i:user removes exactly that. Without a
// command line there is nothing to do beyond DllRegisterServer.
extern "C" HRESULT STDAPICALLTYPE DllInstall(BOOL install, LPCWSTR cmdLine) {
    if (cmdLine == nullptr || *cmdLine == 0) return S_OK;
    if (lstrcmpiW(cmdLine, L"user") != 0) return E_INVALIDARG;
    return install ? RegisterForUser() : UnregisterForUser();
}
