#include "server/core/registration.h"

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

std::vector<RegistryStep> UnregisterSteps(const ClassRegistration& c) {
    using K = RegistryStep::Kind;
    const std::string clsidKey = "CLSID\\" + c.clsid;
    return {
        {K::DeleteKey, clsidKey + "\\Version", "", ""},
        {K::DeleteKey, clsidKey + "\\TypeLib", "", ""},
        {K::DeleteKey, clsidKey + "\\ProgID", "", ""},
        {K::DeleteKey, c.progId + "\\Clsid", "", ""},
        {K::DeleteKey, c.progId, "", ""},
        {K::DeleteKey, clsidKey + "\\InprocServer32", "", ""},
        {K::DeleteKey, clsidKey, "", ""},
    };
}

std::string ServerPathForRegistry(const std::string& path, const std::string& shortPath) {
    if (path.find(' ') != std::string::npos && !shortPath.empty()) return shortPath;
    return path;
}

}  // namespace zunda
