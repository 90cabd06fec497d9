// The database driver catalogues: OLE DB providers, DAO engines, ODBC
// drivers and the DLLs of the database engine's folder, each read from the
// registry (and the file system) into one entry per component. Every
// component starts from empty fields, so nothing carries over from the one
// read before it.
#pragma once

#include "system/core/registry.h"

#include <string>
#include <vector>

namespace zunda::utils {

struct CatalogueEntry {
    std::string file;          // the component's DLL
    std::string description;   // class name (ADO, DAO) or file extensions (ODBC)
    std::string description2;  // provider name (ADO), engine name (DAO), driver name (ODBC)
    std::string regKey;        // "HKEY_..." + key path of the component
};

std::vector<CatalogueEntry> AdoProviders(reg::Registry& registry);
std::vector<CatalogueEntry> DaoEngines(reg::Registry& registry);
std::vector<CatalogueEntry> OdbcDrivers(reg::Registry& registry);

// The file system as the engine walk needs it.
class DllFolder {
public:
    virtual ~DllFolder() = default;
    virtual bool DirectoryExists(const std::string& dir) = 0;
    // Names (without folder) of the files matching "*.dll" in dir, any attributes.
    virtual std::vector<std::string> Dlls(const std::string& dir) = 0;
};
// Full paths of the DLLs in the folder named by the engine's "DLLPATH".
std::vector<std::string> BdeDlls(reg::Registry& registry, DllFolder& files);

}  // namespace zunda::utils
