// The four driver catalogues over an in-memory registry.
#include "system/core/db_catalogue.h"
#include "tests/system/memory_registry.h"

#include <gtest/gtest.h>

#include <map>

namespace zunda::utils {
namespace {

using test::MemoryRegistry;

struct Fields {
    std::string file, description, description2, regKey;
    bool operator==(const Fields&) const = default;
};
std::vector<Fields> Of(const std::vector<CatalogueEntry>& entries) {
    std::vector<Fields> out;
    for (const auto& e : entries) out.push_back({e.file, e.description, e.description2, e.regKey});
    return out;
}
void PrintTo(const Fields& f, std::ostream* os) {
    *os << "{" << f.file << "|" << f.description << "|" << f.description2 << "|" << f.regKey << "}";
}

TEST(DbCatalogue, AdoProvidersAreClassesWithAnOleDbProviderKey) {
    MemoryRegistry r;
    const reg::Root cr = reg::kClassesRoot;
    r.SetString(cr, "CLSID\\{A}", "", "Provider A");
    r.SetString(cr, "CLSID\\{A}\\InprocServer32", "", "C:\\p\\a.dll");
    r.SetString(cr, "CLSID\\{A}\\OLE DB Provider", "", "A OLE DB Provider");
    // No InprocServer32: an entry with an empty file name, nothing taken from {A}.
    r.SetString(cr, "CLSID\\{B}", "", "Provider B");
    r.AddKey(cr, "CLSID\\{B}\\OLE DB Provider");
    r.SetString(cr, "CLSID\\{C}\\InprocServer32", "", "C:\\not-a-provider.dll");
    // A default value that is not a string is not read.
    r.SetDword(cr, "CLSID\\{D}", "", 5);
    r.SetString(cr, "CLSID\\{D}\\OLE DB Provider", "", "D");
    EXPECT_EQ(Of(AdoProviders(r)), (std::vector<Fields>{
                                        {"C:\\p\\a.dll", "Provider A", "A OLE DB Provider", "HKEY_CLASSES_ROOT\\CLSID\\{A}"},
                                        {"", "Provider B", "", "HKEY_CLASSES_ROOT\\CLSID\\{B}"},
                                        {"", "", "D", "HKEY_CLASSES_ROOT\\CLSID\\{D}"},
                                    }));
}

TEST(DbCatalogue, DaoEnginesAreFoundByTheirClassName) {
    MemoryRegistry r;
    const reg::Root cr = reg::kClassesRoot;
    r.SetString(cr, "CLSID\\{E1}", "", "dao.DBEngine.36");
    r.SetString(cr, "CLSID\\{E1}\\InprocServer32", "", "C:\\dao\\dao360.dll");
    r.SetString(cr, "CLSID\\{E1}\\ProgID", "", "DAO.DBEngine.36");
    r.SetString(cr, "DAO.DBEngine.36", "", "DAO DBEngine");
    r.SetString(cr, "CLSID\\{E2}", "", "DAO.DBEngine.35");  // no file, no ProgID: fields stay empty
    r.SetString(cr, "CLSID\\{E3}", "", "Something else");
    r.SetString(cr, "CLSID\\{E3}\\InprocServer32", "", "C:\\other.dll");
    EXPECT_EQ(Of(DaoEngines(r)), (std::vector<Fields>{
                                      {"C:\\dao\\dao360.dll", "dao.DBEngine.36", "DAO DBEngine", "HKEY_CLASSES_ROOT\\CLSID\\{E1}"},
                                      {"", "DAO.DBEngine.35", "", "HKEY_CLASSES_ROOT\\CLSID\\{E2}"},
                                  }));
}

TEST(DbCatalogue, OdbcDriversMarkedInstalledInAnyCase) {
    MemoryRegistry r;
    const reg::Root lm = reg::kLocalMachine;
    const std::string base = "SOFTWARE\\ODBC\\odbcinst.ini";
    r.SetString(lm, base + "\\ODBC Drivers", "Text Driver", "Installed");
    r.SetString(lm, base + "\\ODBC Drivers", "Old Driver", "Removed");
    r.SetString(lm, base + "\\ODBC Drivers", "Setup Only", "INSTALLED");
    r.SetString(lm, base + "\\ODBC Drivers", "Lower", "installed");
    r.SetString(lm, base + "\\Text Driver", "Driver", "C:\\odbc\\text.dll");
    r.SetString(lm, base + "\\Text Driver", "Setup", "C:\\odbc\\textsetup.dll");
    r.SetString(lm, base + "\\Text Driver", "FileExtns", "*.txt,*.csv");
    r.SetString(lm, base + "\\Old Driver", "Driver", "C:\\odbc\\old.dll");
    // After a driver with extensions, one without keeps none of them.
    r.SetString(lm, base + "\\Setup Only", "Setup", "C:\\odbc\\setup.dll");
    EXPECT_EQ(Of(OdbcDrivers(r)),
              (std::vector<Fields>{
                  {"C:\\odbc\\text.dll", "*.txt,*.csv", "Text Driver", "HKEY_LOCAL_MACHINE\\" + base + "\\Text Driver"},
                  {"C:\\odbc\\setup.dll", "", "Setup Only", "HKEY_LOCAL_MACHINE\\" + base + "\\Setup Only"},
                  {"", "", "Lower", "HKEY_LOCAL_MACHINE\\" + base + "\\Lower"},
              }));
    MemoryRegistry empty;
    EXPECT_TRUE(OdbcDrivers(empty).empty());
}

class Folder final : public DllFolder {
public:
    std::map<std::string, std::vector<std::string>> dirs;
    std::vector<std::string> asked;
    bool DirectoryExists(const std::string& dir) override { return dirs.count(dir) > 0; }
    std::vector<std::string> Dlls(const std::string& dir) override {
        asked.push_back(dir);
        return dirs[dir];
    }
};

TEST(DbCatalogue, EngineDllsComeFromTheDllPathFolder) {
    const std::string key = "SOFTWARE\\Borland\\Database Engine";
    for (const char* stored : {"C:\\Program Files\\Common Files\\BDE", "C:\\Program Files\\Common Files\\BDE\\"}) {
        MemoryRegistry r;
        r.SetString(reg::kLocalMachine, key, "DLLPATH", stored);
        Folder f;
        f.dirs["C:\\Program Files\\Common Files\\BDE\\"] = {"IDAPI32.DLL", "IdSql32.dll"};
        EXPECT_EQ(BdeDlls(r, f), (std::vector<std::string>{"C:\\Program Files\\Common Files\\BDE\\IDAPI32.DLL",
                                                           "C:\\Program Files\\Common Files\\BDE\\IdSql32.dll"}));
    }
    MemoryRegistry none;
    Folder f;
    EXPECT_TRUE(BdeDlls(none, f).empty());
    MemoryRegistry missingDir;
    missingDir.SetString(reg::kLocalMachine, key, "DLLPATH", "C:\\gone");
    EXPECT_TRUE(BdeDlls(missingDir, f).empty());
    EXPECT_TRUE(f.asked.empty());
}

}  // namespace
}  // namespace zunda::utils
