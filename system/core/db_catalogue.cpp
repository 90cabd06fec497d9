#include "system/core/db_catalogue.h"

#include <cctype>

namespace zunda::utils {
namespace {

std::string UpperAscii(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::unique_ptr<reg::Key> Open(reg::Registry& registry, reg::Root root, const std::string& path) {
    std::unique_ptr<reg::Key> key;
    if (registry.Open(root, path, reg::kRead, key) != reg::kOk) key.reset();
    return key;
}

// A string value (plain or expandable) of an open key; empty otherwise.
std::string StringValue(reg::Key* key, const std::string& name, bool* found = nullptr) {
    if (found) *found = false;
    if (!key) return std::string();
    reg::Data data;
    if (key->Query(name, data) != reg::kOk) return std::string();
    if (data.type != reg::kString && data.type != reg::kExpandString) return std::string();
    if (found) *found = true;
    return reg::StringOf(data);
}

std::string DefaultOf(reg::Registry& registry, reg::Root root, const std::string& path) {
    std::unique_ptr<reg::Key> key = Open(registry, root, path);
    return StringValue(key.get(), "");
}

std::vector<std::string> ClassIds(reg::Registry& registry) {
    std::vector<std::string> ids;
    std::unique_ptr<reg::Key> clsid = Open(registry, reg::kClassesRoot, "CLSID");
    if (clsid) clsid->Subkeys(ids);  // what was listed before a failure still counts
    return ids;
}

}  // namespace

std::vector<CatalogueEntry> AdoProviders(reg::Registry& registry) {
    std::vector<CatalogueEntry> out;
    for (const std::string& id : ClassIds(registry)) {
        const std::string path = "CLSID\\" + id;
        std::unique_ptr<reg::Key> key = Open(registry, reg::kClassesRoot, path);
        if (!key || !Open(registry, reg::kClassesRoot, path + "\\OLE DB Provider")) continue;
        CatalogueEntry e;
        e.description = StringValue(key.get(), "");
        e.file = DefaultOf(registry, reg::kClassesRoot, path + "\\InprocServer32");
        e.description2 = DefaultOf(registry, reg::kClassesRoot, path + "\\OLE DB Provider");
        e.regKey = "HKEY_CLASSES_ROOT\\" + path;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<CatalogueEntry> DaoEngines(reg::Registry& registry) {
    std::vector<CatalogueEntry> out;
    for (const std::string& id : ClassIds(registry)) {
        const std::string path = "CLSID\\" + id;
        std::unique_ptr<reg::Key> key = Open(registry, reg::kClassesRoot, path);
        bool isString = false;
        const std::string name = StringValue(key.get(), "", &isString);
        if (!isString || UpperAscii(name).find("DAO.DBENGINE") == std::string::npos) continue;
        CatalogueEntry e;
        e.description = name;
        e.file = DefaultOf(registry, reg::kClassesRoot, path + "\\InprocServer32");
        const std::string progId = DefaultOf(registry, reg::kClassesRoot, path + "\\ProgID");
        if (!progId.empty()) e.description2 = DefaultOf(registry, reg::kClassesRoot, progId);
        e.regKey = "HKEY_CLASSES_ROOT\\" + path;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<CatalogueEntry> OdbcDrivers(reg::Registry& registry) {
    std::vector<CatalogueEntry> out;
    const std::string base = "SOFTWARE\\ODBC\\odbcinst.ini";
    std::unique_ptr<reg::Key> list = Open(registry, reg::kLocalMachine, base + "\\ODBC Drivers");
    if (!list) return out;
    std::vector<std::pair<std::string, reg::Data>> values;
    list->Values(values);
    for (const auto& [driver, data] : values) {
        if (data.type != reg::kString && data.type != reg::kExpandString) continue;
        if (UpperAscii(reg::StringOf(data)) != "INSTALLED") continue;
        const std::string path = base + "\\" + driver;
        std::unique_ptr<reg::Key> key = Open(registry, reg::kLocalMachine, path);
        CatalogueEntry e;
        bool hasDriver = false;
        e.file = StringValue(key.get(), "Driver", &hasDriver);
        if (!hasDriver) e.file = StringValue(key.get(), "Setup");
        e.description = StringValue(key.get(), "FileExtns");
        e.description2 = driver;
        e.regKey = "HKEY_LOCAL_MACHINE\\" + path;
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<std::string> BdeDlls(reg::Registry& registry, DllFolder& files) {
    std::vector<std::string> out;
    std::unique_ptr<reg::Key> key = Open(registry, reg::kLocalMachine, "SOFTWARE\\Borland\\Database Engine");
    bool found = false;
    std::string dir = StringValue(key.get(), "DLLPATH", &found);
    if (!found || dir.empty()) return out;
    if (dir.back() == '\\') dir.pop_back();
    dir += '\\';
    if (!files.DirectoryExists(dir)) return out;
    for (const std::string& name : files.Dlls(dir)) out.push_back(dir + name);
    return out;
}

}  // namespace zunda::utils
