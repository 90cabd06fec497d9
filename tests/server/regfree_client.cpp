// A client that uses Zunda.dll without any registration: its own manifest
// names the assembly "Zunda", whose manifest lies beside the DLL in the
// client's folder. It creates every object class the DLL serves by CLSID and
// by ProgID, calls a member late-bound and early-bound, uses classes that
// create other library objects themselves, and does the same on a thread of
// its own that carries the creator's activation context.
//
// Prints one line per failed check and "N passed, M failed" at the end;
// the exit code is the number of failures.
#include <windows.h>
#include <oleauto.h>

#include "Zunda.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const char* what, HRESULT hr = S_OK) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        std::printf("FAILED: %s (0x%08lx)\n", what, static_cast<unsigned long>(hr));
    }
}

struct Class {
    std::wstring name;
    CLSID clsid;
    IID defaultIid;  // the class's default (non-source) interface
};

IID DefaultInterface(ITypeInfo* coclass, UINT count) {
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        HREFTYPE ref = 0;
        ITypeInfo* itf = nullptr;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || (flags & IMPLTYPEFLAG_FSOURCE) ||
            !(flags & IMPLTYPEFLAG_FDEFAULT) || FAILED(coclass->GetRefTypeOfImplType(i, &ref)) ||
            FAILED(coclass->GetRefTypeInfo(ref, &itf)))
            continue;
        TYPEATTR* ta = nullptr;
        IID iid = IID_IUnknown;
        if (SUCCEEDED(itf->GetTypeAttr(&ta))) {
            iid = ta->guid;
            itf->ReleaseTypeAttr(ta);
        }
        itf->Release();
        return iid;
    }
    return IID_IUnknown;
}

std::vector<Class> ClassesOf(const wchar_t* dll) {
    std::vector<Class> out;
    ITypeLib* tl = nullptr;
    const HRESULT hr = LoadTypeLibEx(dll, REGKIND_NONE, &tl);
    Check(SUCCEEDED(hr), "the type library embedded in Zunda.dll loads", hr);
    if (FAILED(hr)) return out;
    for (UINT i = 0; i < tl->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        if (FAILED(tl->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
        ITypeInfo* ti = nullptr;
        if (FAILED(tl->GetTypeInfo(i, &ti))) continue;
        TYPEATTR* ta = nullptr;
        BSTR name = nullptr;
        if (SUCCEEDED(ti->GetTypeAttr(&ta)) && SUCCEEDED(ti->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr))) {
            out.push_back({name, ta->guid, DefaultInterface(ti, ta->cImplTypes)});
        }
        SysFreeString(name);
        if (ta) ti->ReleaseTypeAttr(ta);
        ti->Release();
    }
    tl->Release();
    return out;
}

// Every class by CLSID and by ProgID. A class the DLL does not serve answers
// CLASS_E_CLASSNOTAVAILABLE from the DLL itself, which still shows that the
// activation context found the DLL; anything else is a failure.
int CreateEveryClass(const std::vector<Class>& classes, bool quiet) {
    int served = 0;
    for (const Class& c : classes) {
        const std::wstring progId = L"Zunda." + c.name;
        CLSID fromProgId{};
        HRESULT hr = CLSIDFromProgID(progId.c_str(), &fromProgId);
        const std::string label(c.name.begin(), c.name.end());
        Check(SUCCEEDED(hr), ("CLSIDFromProgID Zunda." + label).c_str(), hr);
        IUnknown* unk = nullptr;
        hr = CoCreateInstance(c.clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&unk));
        if (SUCCEEDED(hr)) {
            ++served;
            unk->Release();
            // What the ProgID names must be the same class. (Wine's
            // activation context answers an alias GUID for a ProgID rather
            // than the CLSID itself, so compare what the objects are.)
            void* itf = nullptr;
            hr = CoCreateInstance(fromProgId, nullptr, CLSCTX_INPROC_SERVER, c.defaultIid, &itf);
            Check(SUCCEEDED(hr), ("Zunda." + label + " creates an object with the class's default interface").c_str(), hr);
            if (itf) static_cast<IUnknown*>(itf)->Release();
        } else {
            Check(hr == CLASS_E_CLASSNOTAVAILABLE, ("CoCreateInstance " + label).c_str(), hr);
        }
    }
    if (!quiet) std::printf("created %d of %d classes without registration\n", served, static_cast<int>(classes.size()));
    return served;
}

void LateBoundToken() {
    CLSID clsid{};
    IDispatch* d = nullptr;
    HRESULT hr = CLSIDFromProgID(L"Zunda.MxStrUtils", &clsid);
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&d));
    Check(SUCCEEDED(hr), "MxStrUtils by ProgID as IDispatch", hr);
    if (FAILED(hr)) return;
    LPOLESTR name = const_cast<LPOLESTR>(L"StrGetToken");
    DISPID id = 0;
    hr = d->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id);
    Check(SUCCEEDED(hr), "GetIDsOfNames StrGetToken", hr);
    VARIANT args[3];
    for (VARIANT& a : args) VariantInit(&a);
    V_VT(&args[2]) = VT_BSTR;
    V_BSTR(&args[2]) = SysAllocString(L"a;b;c");
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = SysAllocString(L";");
    V_VT(&args[0]) = VT_I4;
    V_I4(&args[0]) = 2;
    DISPPARAMS params{args, nullptr, 3, 0};
    VARIANT result;
    VariantInit(&result);
    hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, nullptr, nullptr);
    Check(SUCCEEDED(hr) && V_VT(&result) == VT_BSTR && std::wstring(V_BSTR(&result)) == L"b",
          "late-bound StrGetToken(\"a;b;c\", \";\", 2) is \"b\"", hr);
    VariantClear(&result);
    for (VARIANT& a : args) VariantClear(&a);
    d->Release();
}

void EarlyBoundToken() {
    IMxStrUtils* s = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_MxStrUtils, nullptr, CLSCTX_INPROC_SERVER, IID_IMxStrUtils,
                                  reinterpret_cast<void**>(&s));
    Check(SUCCEEDED(hr), "MxStrUtils early-bound", hr);
    if (FAILED(hr)) return;
    BSTR text = SysAllocString(L"x|y|z");
    BSTR sep = SysAllocString(L"|");
    BSTR token = s->StrGetToken(text, sep, 3);
    Check(token != nullptr && std::wstring(token) == L"z", "early-bound StrGetToken is \"z\"");
    SysFreeString(token);
    SysFreeString(sep);
    SysFreeString(text);
    s->Release();
}

// Classes that create other library objects by CLSID: the drive list makes
// one drive record per letter, the audit log its file and string helpers.
void NestedCreation(const wchar_t* logName) {
    IMxDrive* drives = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_MxDrive, nullptr, CLSCTX_INPROC_SERVER, IID_IMxDrive,
                                  reinterpret_cast<void**>(&drives));
    Check(SUCCEEDED(hr), "MxDrive", hr);
    if (SUCCEEDED(hr)) {
        hr = drives->Refresh();
        long count = 0;
        drives->get_iCount(&count);
        IMxDriveRecord* first = nullptr;
        if (count > 0) drives->get_clDrives(0, &first);
        Check(SUCCEEDED(hr) && count > 0 && first != nullptr, "MxDrive.Refresh creates its drive records", hr);
        if (first) first->Release();
        drives->Release();
    }
    IMxAuditLogFile* log = nullptr;
    hr = CoCreateInstance(CLSID_MxAuditLogFile, nullptr, CLSCTX_INPROC_SERVER, IID_IMxAuditLogFile,
                          reinterpret_cast<void**>(&log));
    Check(SUCCEEDED(hr), "MxAuditLogFile", hr);
    if (SUCCEEDED(hr)) {
        BSTR file = SysAllocString(logName);
        log->put_fiFilename(file);
        BSTR tool = SysAllocString(L"regfree"), proc = SysAllocString(L"Nested"), msg = SysAllocString(L"written");
        VARIANT_BOOL ok = VARIANT_FALSE;
        hr = log->WriteLog(tool, proc, msg, tlInformation, &ok);
        Check(SUCCEEDED(hr) && ok == VARIANT_TRUE, "MxAuditLogFile.WriteLog uses its helper objects", hr);
        SysFreeString(file);
        SysFreeString(tool);
        SysFreeString(proc);
        SysFreeString(msg);
        log->Release();
    }
}

// The file list gathers its records on its own worker thread, and a file
// record gathers on one of its own: both must finish without any
// registration, the list's ready flag must come up, and the sizes must be
// those of the files.
void WorkerGathering() {
    IMxFileList* list = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_MxFileList, nullptr, CLSCTX_INPROC_SERVER, IID_IMxFileList,
                                  reinterpret_cast<void**>(&list));
    Check(SUCCEEDED(hr), "MxFileList created for a gathering on its worker", hr);
    if (FAILED(hr)) return;
    const wchar_t* files[] = {L"C:\\regfree\\Zunda.dll", L"C:\\regfree\\Zunda.manifest",
                              L"C:\\regfree\\regfree_client.exe"};
    for (const wchar_t* f : files) {
        BSTR name = SysAllocString(f);
        long index = -1;
        hr = list->Add(name, VARIANT_FALSE, VARIANT_FALSE, &index);
        SysFreeString(name);
        Check(SUCCEEDED(hr), "MxFileList.Add creates its record without registration", hr);
    }
    hr = list->GetAllFileInfos(VARIANT_TRUE);
    Check(SUCCEEDED(hr), "MxFileList.GetAllFileInfos starts its worker", hr);
    VARIANT_BOOL ready = VARIANT_FALSE;
    hr = list->Waitfor(40, &ready);
    Check(SUCCEEDED(hr) && ready == VARIANT_TRUE, "the file list's worker finishes and sets the ready flag", hr);
    for (long i = 0; i < 3; ++i) {
        IMxFileRecord* record = nullptr;
        unsigned __int64 size = 0;
        if (SUCCEEDED(list->get_clFileRecord(i, &record)) && record) {
            record->get_iSize(&size);
            record->Release();
        }
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW(files[i], GetFileExInfoStandard, &data);
        const unsigned __int64 real = (static_cast<unsigned __int64>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        Check(real > 0 && size == real, "a record gathered on the list's worker has the file's size");
    }
    list->Release();

    IMxFileRecord* record = nullptr;
    hr = CoCreateInstance(CLSID_MxFileRecord, nullptr, CLSCTX_INPROC_SERVER, IID_IMxFileRecord,
                          reinterpret_cast<void**>(&record));
    Check(SUCCEEDED(hr), "MxFileRecord created", hr);
    if (FAILED(hr)) return;
    BSTR name = SysAllocString(files[0]);
    VARIANT_BOOL found = VARIANT_FALSE;
    hr = record->SetFilename(name, VARIANT_TRUE, VARIANT_TRUE, &found);
    SysFreeString(name);
    Check(SUCCEEDED(hr) && found == VARIANT_TRUE, "MxFileRecord.SetFilename gathers on its worker", hr);
    unsigned __int64 size = 0;
    for (int i = 0; i < 100 && size == 0; ++i) {
        Sleep(50);
        record->get_iSize(&size);
    }
    Check(size > 0, "the file record's worker publishes the size");
    record->Release();
}

struct ThreadArgs {
    HANDLE context;
    const std::vector<Class>* classes;
    int served;
};

DWORD WINAPI Worker(void* p) {
    auto* args = static_cast<ThreadArgs*>(p);
    ULONG_PTR cookie = 0;
    // A null context is the process default (the application's manifest),
    // which every thread uses without activating it.
    const bool activated = args->context != nullptr && ActivateActCtx(args->context, &cookie);
    Check(args->context == nullptr || activated, "a worker thread activates its creator's activation context",
          HRESULT_FROM_WIN32(GetLastError()));
    if (SUCCEEDED(CoInitialize(nullptr))) {
        args->served = CreateEveryClass(*args->classes, true);
        NestedCreation(L"C:\\regfree\\worker.csv");
        WorkerGathering();
        CoUninitialize();
    }
    if (activated) DeactivateActCtx(0, cookie);
    return 0;
}

}  // namespace

int main() {
    if (FAILED(CoInitialize(nullptr))) return 1;
    wchar_t dll[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, dll, MAX_PATH);
    if (wchar_t* slash = wcsrchr(dll, L'\\')) wcscpy(slash + 1, L"Zunda.dll");

    // No registration may exist for this test to mean anything.
    HKEY key = nullptr;
    const bool registered = RegOpenKeyExW(HKEY_CLASSES_ROOT, L"Zunda.MxStrUtils", 0, KEY_READ, &key) == ERROR_SUCCESS;
    if (key) RegCloseKey(key);
    Check(!registered, "no registration of Zunda exists in this prefix");

    const std::vector<Class> classes = ClassesOf(dll);
    Check(classes.size() == 26, "the type library lists 26 object classes");
    const int served = CreateEveryClass(classes, false);
    Check(served == static_cast<int>(classes.size()), "the DLL serves every class through the activation context");
    LateBoundToken();
    EarlyBoundToken();
    NestedCreation(L"C:\\regfree\\main.csv");
    WorkerGathering();

    HANDLE context = nullptr;
    GetCurrentActCtx(&context);
    ThreadArgs args{context, &classes, 0};
    HANDLE thread = CreateThread(nullptr, 0, Worker, &args, 0, nullptr);
    Check(thread != nullptr, "worker thread starts");
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    Check(args.served == served, "the worker creates the same classes as the creator");
    if (context) ReleaseActCtx(context);

    CoUninitialize();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed;
}
