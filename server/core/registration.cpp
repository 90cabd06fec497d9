#include "server/core/registration.h"

#include <cstdio>

namespace zunda {

std::vector<RegistryStep> RegisterSteps(const ClassRegistration& c, const std::string& serverPath) {
    using K = RegistryStep::Kind;
    const std::string clsidKey = "CLSID\\" + c.clsid;
    const std::string inproc = clsidKey + "\\InprocServer32";
    const std::string version = std::to_string(c.versionMajor) + "." + std::to_string(c.versionMinor);
    return {
        {K::SetString, clsidKey, "", c.description},
        {K::SetString, inproc, "", serverPath},
        {K::SetString, inproc, "ThreadingModel", "Apartment"},
        {K::SetString, c.progId, "", c.description},
        {K::SetString, c.progId + "\\Clsid", "", c.clsid},
        {K::SetString, clsidKey + "\\ProgID", "", c.progId},
        {K::SetString, clsidKey + "\\Version", "", version},
        {K::SetString, clsidKey + "\\TypeLib", "", c.libid},
    };
}

std::vector<RegistryStep> UnregisterSteps(const ClassRegistration& c, bool otherViewRegisters) {
    using K = RegistryStep::Kind;
    const std::string clsidKey = "CLSID\\" + c.clsid;
    std::vector<RegistryStep> steps = {
        {K::DeleteKey, clsidKey + "\\Version", "", ""},
        {K::DeleteKey, clsidKey + "\\TypeLib", "", ""},
        {K::DeleteKey, clsidKey + "\\ProgID", "", ""},
    };
    if (!otherViewRegisters) {
        steps.push_back({K::DeleteKey, c.progId + "\\Clsid", "", ""});
        steps.push_back({K::DeleteKey, c.progId, "", ""});
    }
    steps.push_back({K::DeleteKey, clsidKey + "\\InprocServer32", "", ""});
    steps.push_back({K::DeleteKey, clsidKey, "", ""});
    return steps;
}

RegistryStep TypeLibPathStep(const std::string& libid, int versionMajor, int versionMinor, unsigned lcid,
                             bool win64) {
    char locale[16];
    std::snprintf(locale, sizeof locale, "%x", lcid);
    return {RegistryStep::Kind::DeleteKey,
            "TypeLib\\" + libid + "\\" + std::to_string(versionMajor) + "." + std::to_string(versionMinor) + "\\" +
                locale + (win64 ? "\\win64" : "\\win32"),
            "", ""};
}

std::vector<RegistryStep> InterfaceUnregisterSteps(const std::string& iid) {
    using K = RegistryStep::Kind;
    const std::string key = "Interface\\" + iid;
    return {
        {K::DeleteKey, key + "\\ProxyStubClsid", "", ""},
        {K::DeleteKey, key + "\\ProxyStubClsid32", "", ""},
        {K::DeleteKey, key + "\\TypeLib", "", ""},
        {K::DeleteKey, key, "", ""},
    };
}

std::string ServerPathForRegistry(const std::string& path, const std::string& shortPath) {
    if (path.find(' ') != std::string::npos && !shortPath.empty()) return shortPath;
    return path;
}

namespace {

std::string Hex(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%x", value);
    return text;
}

std::string TypeLibVersionKey(const TypeLibRegistration& t) {
    return "TypeLib\\" + t.libid + "\\" + std::to_string(t.versionMajor) + "." + std::to_string(t.versionMinor);
}

// The automation marshalers: the universal one for dual and vtable
// interfaces, the dispatch one for pure dispatch interfaces.
constexpr const char* kUniversalMarshaler = "{00020424-0000-0000-C000-000000000046}";
constexpr const char* kDispatchMarshaler = "{00020420-0000-0000-C000-000000000046}";

}  // namespace

std::vector<RegistryStep> TypeLibRegisterSteps(const TypeLibRegistration& t,
                                               const std::vector<InterfaceRegistration>& interfaces) {
    using K = RegistryStep::Kind;
    const std::string key = TypeLibVersionKey(t);
    const std::string version = std::to_string(t.versionMajor) + "." + std::to_string(t.versionMinor);
    std::vector<RegistryStep> steps = {
        {K::SetString, key, "", t.description},
        {K::SetString, key + "\\" + Hex(t.lcid) + (t.win64 ? "\\win64" : "\\win32"), "", t.path},
        {K::SetString, key + "\\FLAGS", "", "0"},
        {K::SetString, key + "\\HELPDIR", "", t.helpDir},
    };
    for (const InterfaceRegistration& i : interfaces) {
        const std::string ikey = "Interface\\" + i.iid;
        const char* marshaler = i.dispatchOnly ? kDispatchMarshaler : kUniversalMarshaler;
        steps.push_back({K::SetString, ikey, "", i.name});
        steps.push_back({K::SetString, ikey + "\\ProxyStubClsid", "", marshaler});
        steps.push_back({K::SetString, ikey + "\\ProxyStubClsid32", "", marshaler});
        steps.push_back({K::SetString, ikey + "\\TypeLib", "", t.libid});
        steps.push_back({K::SetString, ikey + "\\TypeLib", "Version", version});
    }
    return steps;
}

std::vector<RegistryStep> TypeLibUnregisterSteps(const TypeLibRegistration& t,
                                                 const std::vector<InterfaceRegistration>& interfaces) {
    using K = RegistryStep::Kind;
    std::vector<RegistryStep> steps;
    for (const InterfaceRegistration& i : interfaces) {
        const std::vector<RegistryStep> one = InterfaceUnregisterSteps(i.iid);
        steps.insert(steps.end(), one.begin(), one.end());
    }
    const std::string key = TypeLibVersionKey(t);
    const std::string locale = key + "\\" + Hex(t.lcid);
    steps.push_back({K::DeleteKey, locale + (t.win64 ? "\\win64" : "\\win32"), "", ""});
    steps.push_back({K::DeleteKey, locale, "", ""});
    steps.push_back({K::DeleteKey, key + "\\FLAGS", "", ""});
    steps.push_back({K::DeleteKey, key + "\\HELPDIR", "", ""});
    steps.push_back({K::DeleteKey, key, "", ""});
    steps.push_back({K::DeleteKey, "TypeLib\\" + t.libid, "", ""});
    return steps;
}

}  // namespace zunda
