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

}  // namespace zunda
