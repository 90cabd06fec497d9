// The registry entries that register and unregister one object class, in the
// order they are written or removed. All keys are below HKEY_CLASSES_ROOT.
#pragma once

#include <string>
#include <vector>

namespace zunda {

struct RegistryStep {
    enum class Kind { SetString, DeleteKey };
    Kind kind;
    std::string key;
    std::string name;   // value name; empty for the default value
    std::string value;  // for SetString
    bool operator==(const RegistryStep&) const = default;
};

struct ClassRegistration {
    std::string clsid;        // "{9FC6AEA0-6C00-44C5-B881-D300B953B376}"
    std::string progId;       // "Zunda.MxStrUtils"
    std::string description;  // "MxStrUtils Object"
    std::string libid;        // "{778AA618-...}"
    int versionMajor = 1;
    int versionMinor = 0;
};

std::vector<RegistryStep> RegisterSteps(const ClassRegistration& c, const std::string& serverPath);
// On 64-bit Windows the 32-bit and the 64-bit build register side by side:
// each writes its CLSID keys into its own registry view, but the ProgID keys
// are shared by both views. With otherViewRegisters (the other view still
// holds a registration of this class), unregistration leaves them in place.
std::vector<RegistryStep> UnregisterSteps(const ClassRegistration& c, bool otherViewRegisters = false);

// Unregistering the type library of one build while the other build stays
// registered: the shared TypeLib entry loses only this build's path
// ("win32" or "win64" below the locale key, locale in hexadecimal); the
// entries of the other build, FLAGS and HELPDIR stay.
RegistryStep TypeLibPathStep(const std::string& libid, int versionMajor, int versionMinor, unsigned lcid,
                             bool win64);

// The keys that type library registration writes for one interface, in the
// order they are removed.
std::vector<RegistryStep> InterfaceUnregisterSteps(const std::string& iid);

// Per-user registration (below HKEY_CURRENT_USER\Software\Classes, for
// users without administrator rights) writes the type library's entries
// itself, so that unregistration removes exactly what was written.
struct TypeLibRegistration {
    std::string libid;        // "{778AA618-...}"
    std::string description;  // the library's help string
    int versionMajor = 1;
    int versionMinor = 0;
    unsigned lcid = 0;
    bool win64 = false;
    std::string path;         // the file holding the type library
    std::string helpDir;
};
struct InterfaceRegistration {
    std::string iid;
    std::string name;
    bool dispatchOnly = false;  // a pure dispatch interface (events): the dispatch marshaler
};
std::vector<RegistryStep> TypeLibRegisterSteps(const TypeLibRegistration& t,
                                               const std::vector<InterfaceRegistration>& interfaces);
std::vector<RegistryStep> TypeLibUnregisterSteps(const TypeLibRegistration& t,
                                                 const std::vector<InterfaceRegistration>& interfaces);

// The server path as it is written: a path holding a blank is replaced by its
// short form (shortPath), when one is known.
std::string ServerPathForRegistry(const std::string& path, const std::string& shortPath);

}  // namespace zunda
