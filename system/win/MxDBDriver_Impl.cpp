// MxDBDriver: the installed database components as four file lists (OLE DB
// providers, DAO engines, ODBC drivers, engine DLLs), each record carrying
// the component's description and registry key in its free texts.
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "server/win/worker.h"
#include "system/core/db_catalogue.h"
#include "system/win/registry_win32.h"

namespace zunda {
namespace {

class Win32DllFolder final : public utils::DllFolder {
public:
    bool DirectoryExists(const std::string& dir) override {
        const DWORD attributes = GetFileAttributesA(dir.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::vector<std::string> Dlls(const std::string& dir) override {
        std::vector<std::string> out;
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA((dir + "*.dll").c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return out;
        do {
            if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) out.push_back(data.cFileName);
        } while (FindNextFileA(find, &data));
        FindClose(find);
        return out;
    }
};

void SetText(IMxFileRecord* record, HRESULT (STDMETHODCALLTYPE IMxFileRecord::*put)(BSTR), const std::string& text) {
    Check((record->*put)(Bstr::FromAnsi(text)));
}

}  // namespace

class TMxDBDriver final : public Object<TMxDBDriver, IMxDBDriver> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDBDriver, &IID_IMxDBDriver, &DIID_IMxEvents, L"Zunda.MxDBDriver",
                                     "MxDBDriver", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        try {
            for (ComPtr<IMxFileList>& list : lists_) list = CreateLibraryObject<IMxFileList>(CLSID_MxFileList);
        } catch (const std::exception&) {
            // Created again when needed; members fail until then.
        }
    }

    STDMETHODIMP get_clADOProvider(IMxFileList** out) override { return List(out, kAdo); }
    STDMETHODIMP get_clDAODriver(IMxFileList** out) override { return List(out, kDao); }
    STDMETHODIMP get_clODBCDriver(IMxFileList** out) override { return List(out, kOdbc); }
    STDMETHODIMP get_clBDEDriver(IMxFileList** out) override { return List(out, kBde); }

    STDMETHODIMP GetInfos(VARIANT_BOOL fileInfo, VARIANT_BOOL thread, VARIANT_BOOL waitForThread) override {
        return Call([&] {
            for (int i = 0; i < 4; ++i) Check(Need(i)->Clear());
            reg::Registry& registry = SystemRegistry();
            AddEntries(kAdo, utils::AdoProviders(registry), false);
            AddEntries(kDao, utils::DaoEngines(registry), false);
            AddEntries(kOdbc, utils::OdbcDrivers(registry), true);
            Win32DllFolder folder;
            for (const std::string& dll : utils::BdeDlls(registry, folder)) Add(kBde, dll);
            if (!fileInfo) return;
            for (int i = 0; i < 4; ++i) Check(lists_[i]->GetAllFileInfos(thread));
            if (thread && waitForThread) WaitAll();
        });
    }

private:
    enum { kAdo, kDao, kOdbc, kBde };

    HRESULT List(IMxFileList** out, int which) {
        return Get(out, [&] {
            IMxFileList* list = Need(which);
            list->AddRef();
            return list;
        });
    }
    IMxFileList* Need(int which) {
        if (!lists_[which]) lists_[which] = CreateLibraryObject<IMxFileList>(CLSID_MxFileList);
        return lists_[which].Get();
    }

    ComPtr<IMxFileRecord> Add(int which, const std::string& file) {
        long index = 0;
        Check(lists_[which]->Add(Bstr::FromAnsi(file), VARIANT_FALSE, VARIANT_FALSE, &index));
        ComPtr<IMxFileRecord> record;
        Check(lists_[which]->get_clFileRecord(index, record.Put()));
        return record;
    }

    void AddEntries(int which, const std::vector<utils::CatalogueEntry>& entries, bool withDriverName) {
        for (const utils::CatalogueEntry& e : entries) {
            ComPtr<IMxFileRecord> record = Add(which, e.file);
            SetText(record.Get(), &IMxFileRecord::put_wstrExtDescription, e.description);
            if (withDriverName) SetText(record.Get(), &IMxFileRecord::put_wstrExtDescription2, e.description2);
            SetText(record.Get(), &IMxFileRecord::put_wstrRegKey, e.regKey);
        }
    }

    // Until every list is ready; a WM_QUIT for the caller ends the wait early.
    void WaitAll() {
        for (;;) {
            bool all = true;
            for (ComPtr<IMxFileList>& list : lists_) {
                VARIANT_BOOL ready = VARIANT_FALSE;
                Check(list->get_boThreadReady(&ready));
                if (ready) continue;
                all = false;
                Check(list->Waitfor(1, &ready));
            }
            if (all) return;
            MSG msg;
            if (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return;
        }
    }

    ComPtr<IMxFileList> lists_[4];
};

ZUNDA_CLASS(TMxDBDriver);

}  // namespace zunda
