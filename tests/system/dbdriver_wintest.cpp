// MxDBDriver from a client: the four catalogues against registry fixtures of
// the test prefix (an OLE DB provider, a DAO engine, ODBC drivers marked
// installed in different cases, a driver without extensions after one with
// them, an engine folder with mixed-case DLL names), and the lists kept.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

#include <algorithm>
#include <memory>

ZUNDA_TEST_IMPLEMENTED(MxDBDriver);

namespace zunda::test {
namespace {

void SetString(HKEY root, const std::string& key, const char* name, const std::string& value) {
    HKEY k = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr), ERROR_SUCCESS);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

// Removes a key with everything below it.
void DeleteTree(HKEY root, const std::string& key) {
    HKEY k = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_ALL_ACCESS, &k) != ERROR_SUCCESS) return;
    char name[256];
    DWORD len = sizeof(name);
    std::vector<std::string> children;
    for (DWORD i = 0; RegEnumKeyExA(k, i, name, &len, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS; ++i) {
        children.push_back(name);
        len = sizeof(name);
    }
    RegCloseKey(k);
    for (const std::string& c : children) DeleteTree(root, key + "\\" + c);
    RegDeleteKeyA(root, key.c_str());
}

const char* const kAdo = "CLSID\\{5A0D7E57-0000-4000-8000-00000000AD01}";
const char* const kDao = "CLSID\\{5A0D7E57-0000-4000-8000-00000000DA01}";
const char* const kOdbc = "SOFTWARE\\ODBC\\odbcinst.ini";
const char* const kBde = "SOFTWARE\\Borland\\Database Engine";

struct Entry {
    std::wstring file, desc, desc2, key;
};

std::vector<Entry> Entries(IMxFileList* list) {
    std::vector<Entry> out;
    const long n = Read(list, &IMxFileList::get_iCount);
    for (long i = 0; i < n; ++i) {
        ComPtr<IMxFileRecord> r;
        EXPECT_EQ(list->get_clFileRecord(i, r.Put()), S_OK);
        out.push_back({ReadText(r.Get(), &IMxFileRecord::get_fiFilename),
                       ReadText(r.Get(), &IMxFileRecord::get_wstrExtDescription),
                       ReadText(r.Get(), &IMxFileRecord::get_wstrExtDescription2),
                       ReadText(r.Get(), &IMxFileRecord::get_wstrRegKey)});
    }
    return out;
}
const Entry* ByKey(const std::vector<Entry>& entries, const std::wstring& key) {
    for (const Entry& e : entries)
        if (e.key == key) return &e;
    return nullptr;
}

class DbDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::make_unique<TestDir>("db-fixture");
        dir->Write("bde\\IdApi32.DLL", "x");
        dir->Write("bde\\sqlora8.dll", "yy");
        dir->Write("bde\\readme.txt", "z");
        dir->Write("ado.dll", "ado");
        SetString(HKEY_CLASSES_ROOT, kAdo, "", "Zunda Test Provider");
        SetString(HKEY_CLASSES_ROOT, std::string(kAdo) + "\\InprocServer32", "", *dir / "ado.dll");
        SetString(HKEY_CLASSES_ROOT, std::string(kAdo) + "\\OLE DB Provider", "", "Zunda OLE DB");
        SetString(HKEY_CLASSES_ROOT, kDao, "", "DAO.DBEngine.Zunda");
        SetString(HKEY_CLASSES_ROOT, std::string(kDao) + "\\InprocServer32", "", "C:\\dao\\zdao.dll");
        SetString(HKEY_CLASSES_ROOT, std::string(kDao) + "\\ProgID", "", "Zunda.DAOEngineTest");
        SetString(HKEY_CLASSES_ROOT, "Zunda.DAOEngineTest", "", "Zunda DAO engine");
        const std::string drivers = std::string(kOdbc) + "\\ODBC Drivers";
        SetString(HKEY_LOCAL_MACHINE, drivers, "Zunda Text", "Installed");
        SetString(HKEY_LOCAL_MACHINE, drivers, "Zunda Bare", "INSTALLED");
        SetString(HKEY_LOCAL_MACHINE, drivers, "Zunda Gone", "Removed");
        SetString(HKEY_LOCAL_MACHINE, std::string(kOdbc) + "\\Zunda Text", "Driver", "C:\\odbc\\ztext.dll");
        SetString(HKEY_LOCAL_MACHINE, std::string(kOdbc) + "\\Zunda Text", "FileExtns", "*.txt,*.csv");
        SetString(HKEY_LOCAL_MACHINE, std::string(kOdbc) + "\\Zunda Bare", "Setup", "C:\\odbc\\zsetup.dll");
        SetString(HKEY_LOCAL_MACHINE, kBde, "DLLPATH", *dir / "BDE\\");
        driver = Create<IMxDBDriver>(CLSID_MxDBDriver);
        ASSERT_TRUE(driver);
    }
    void TearDown() override {
        driver.Reset();
        DeleteTree(HKEY_CLASSES_ROOT, kAdo);
        DeleteTree(HKEY_CLASSES_ROOT, kDao);
        DeleteTree(HKEY_CLASSES_ROOT, "Zunda.DAOEngineTest");
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kOdbc) + "\\ODBC Drivers").c_str(), 0, KEY_ALL_ACCESS, &k) ==
            ERROR_SUCCESS) {
            for (const char* v : {"Zunda Text", "Zunda Bare", "Zunda Gone"}) RegDeleteValueA(k, v);
            RegCloseKey(k);
        }
        DeleteTree(HKEY_LOCAL_MACHINE, (std::string(kOdbc) + "\\Zunda Text").c_str());
        DeleteTree(HKEY_LOCAL_MACHINE, (std::string(kOdbc) + "\\Zunda Bare").c_str());
        DeleteTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\Borland");
        dir.reset();
    }
    ComPtr<IMxFileList> List(HRESULT (STDMETHODCALLTYPE IMxDBDriver::*get)(IMxFileList**)) {
        ComPtr<IMxFileList> l;
        EXPECT_EQ((driver.Get()->*get)(l.Put()), S_OK);
        return l;
    }
    std::unique_ptr<TestDir> dir;
    ComPtr<IMxDBDriver> driver;
};

TEST_F(DbDriverTest, CataloguesComeFromTheRegistryWithTheirTexts) {
    ComPtr<IMxFileList> ado = List(&IMxDBDriver::get_clADOProvider);
    ASSERT_EQ(driver->GetInfos(VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE), S_OK);
    // The getters hand out the driver's own lists.
    EXPECT_EQ(List(&IMxDBDriver::get_clADOProvider).Get(), ado.Get());

    const std::vector<Entry> adoEntries = Entries(ado.Get());
    const Entry* a = ByKey(adoEntries, Widen(std::string("HKEY_CLASSES_ROOT\\") + kAdo));
    ASSERT_TRUE(a);
    EXPECT_EQ(a->file, dir->W("ado.dll"));
    EXPECT_EQ(a->desc, L"Zunda Test Provider");
    EXPECT_EQ(a->desc2, L"");

    const std::vector<Entry> dao = Entries(List(&IMxDBDriver::get_clDAODriver).Get());
    const Entry* d = ByKey(dao, Widen(std::string("HKEY_CLASSES_ROOT\\") + kDao));
    ASSERT_TRUE(d);
    EXPECT_EQ(d->file, L"C:\\dao\\zdao.dll");
    EXPECT_EQ(d->desc, L"DAO.DBEngine.Zunda");

    const std::vector<Entry> odbc = Entries(List(&IMxDBDriver::get_clODBCDriver).Get());
    const std::wstring base = Widen(std::string("HKEY_LOCAL_MACHINE\\") + kOdbc + "\\");
    const Entry* text = ByKey(odbc, base + L"Zunda Text");
    const Entry* bare = ByKey(odbc, base + L"Zunda Bare");
    ASSERT_TRUE(text && bare);
    EXPECT_FALSE(ByKey(odbc, base + L"Zunda Gone"));
    EXPECT_EQ(text->file, L"C:\\odbc\\ztext.dll");
    EXPECT_EQ(text->desc, L"*.txt,*.csv");
    EXPECT_EQ(text->desc2, L"Zunda Text");
    EXPECT_EQ(bare->file, L"C:\\odbc\\zsetup.dll");
    EXPECT_EQ(bare->desc, L"");  // nothing carried over from the driver before it
    EXPECT_EQ(bare->desc2, L"Zunda Bare");

    std::vector<std::wstring> bde;
    for (const Entry& e : Entries(List(&IMxDBDriver::get_clBDEDriver).Get())) bde.push_back(e.file);
    std::sort(bde.begin(), bde.end());
    EXPECT_EQ(bde, (std::vector<std::wstring>{Widen(*dir / "BDE\\IdApi32.DLL"), Widen(*dir / "BDE\\sqlora8.dll")}));

    // A second call gives the same lists, not doubled ones.
    const long count = Read(ado.Get(), &IMxFileList::get_iCount);
    ASSERT_EQ(driver->GetInfos(VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE), S_OK);
    EXPECT_EQ(Read(ado.Get(), &IMxFileList::get_iCount), count);
}

TEST_F(DbDriverTest, FileInformationOnWorkersWithWaiting) {
    ASSERT_EQ(driver->GetInfos(VARIANT_TRUE, VARIANT_TRUE, VARIANT_TRUE), S_OK);
    ComPtr<IMxFileList> bde = List(&IMxDBDriver::get_clBDEDriver);
    EXPECT_NE(Read(bde.Get(), &IMxFileList::get_boThreadReady), VARIANT_FALSE);
    ComPtr<IMxFileRecord> r;
    ASSERT_EQ(bde->get_clFileRecord(0, r.Put()), S_OK);
    EXPECT_GT(Read(r.Get(), &IMxFileRecord::get_iSize), 0u);

    // Late-bound without arguments: the defaults are false, so no information.
    ComPtr<IDispatch> d = driver.As<IDispatch>();
    EXPECT_EQ(Method(d.Get(), L"GetInfos").hr, S_OK);
    ASSERT_EQ(bde->get_clFileRecord(0, r.Put()), S_OK);
    EXPECT_EQ(Read(r.Get(), &IMxFileRecord::get_iSize), 0u);
}

}  // namespace
}  // namespace zunda::test
