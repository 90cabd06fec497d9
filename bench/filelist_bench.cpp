// Gathering file information for 10,000 files: MxFileList (in the calling
// thread and on its worker) against the system's Scripting.FileSystemObject
// walking the same folder and reading each file's size and dates, in the
// same run. Prints files per second of each and the ratios.
// Usage: filelist_bench.exe [folder] [count]
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include "Zunda.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

double Seconds() {
    LARGE_INTEGER f, now;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(f.QuadPart);
}

HRESULT Call(IDispatch* d, const wchar_t* name, WORD flags, VARIANT* result, VARIANTARG* args = nullptr,
             UINT count = 0) {
    DISPID id = 0;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    HRESULT hr = d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPPARAMS dp = {args, nullptr, count, 0};
    return d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result, nullptr, nullptr);
}

std::vector<std::wstring> MakeFiles(const std::wstring& dir, int count) {
    CreateDirectoryW(dir.c_str(), nullptr);
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        wchar_t name[64];
        swprintf(name, 64, L"\\file%05d.dat", i);
        const std::wstring full = dir + name;
        names.push_back(full);
        if (GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        HANDLE h = CreateFileW(full.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(h, name, static_cast<DWORD>(i % 64), &written, nullptr);
        CloseHandle(h);
    }
    return names;
}

// Files per second of MxFileList: adding the names, gathering, reading size and dates.
double FileList(const std::vector<std::wstring>& names, bool thread, double& checksum) {
    IMxFileList* list = nullptr;
    if (FAILED(CoCreateInstance(CLSID_MxFileList, nullptr, CLSCTX_INPROC_SERVER, IID_IMxFileList,
                                reinterpret_cast<void**>(&list))))
        return 0;
    const double start = Seconds();
    for (const std::wstring& n : names) {
        BSTR b = SysAllocString(n.c_str());
        long index = 0;
        list->Add(b, VARIANT_FALSE, VARIANT_FALSE, &index);
        SysFreeString(b);
    }
    list->GetAllFileInfos(thread ? VARIANT_TRUE : VARIANT_FALSE);
    VARIANT_BOOL ready = VARIANT_FALSE;
    if (thread) list->Waitfor(600, &ready);
    long count = 0;
    list->get_iCount(&count);
    for (long i = 0; i < count; ++i) {
        IMxFileRecord* r = nullptr;
        if (FAILED(list->get_clFileRecord(i, &r))) continue;
        UINT64 size = 0;
        DATE created = 0, modified = 0;
        r->get_iSize(&size);
        r->get_dtCreated(&created);
        r->get_dtModified(&modified);
        checksum += static_cast<double>(size) + created + modified;
        r->Release();
    }
    const double elapsed = Seconds() - start;
    list->Release();
    return static_cast<double>(names.size()) / elapsed;
}

// Files per second of the system's file system object over the same folder.
double FileSystemObject(const std::wstring& dir, double& checksum) {
    CLSID clsid;
    IDispatch* fso = nullptr;
    if (FAILED(CLSIDFromProgID(L"Scripting.FileSystemObject", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, reinterpret_cast<void**>(&fso))))
        return 0;
    const double start = Seconds();
    long files = 0;
    VARIANT arg, folder, list, en;
    VariantInit(&arg);
    VariantInit(&folder);
    VariantInit(&list);
    VariantInit(&en);
    arg.vt = VT_BSTR;
    arg.bstrVal = SysAllocString(dir.c_str());
    if (SUCCEEDED(Call(fso, L"GetFolder", DISPATCH_METHOD, &folder, &arg, 1)) &&
        SUCCEEDED(Call(folder.pdispVal, L"Files", DISPATCH_PROPERTYGET, &list))) {
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        if (SUCCEEDED(list.pdispVal->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                            &en, nullptr, nullptr))) {
            IEnumVARIANT* e = nullptr;
            en.punkVal->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&e));
            VARIANT item;
            VariantInit(&item);
            ULONG got = 0;
            while (e && e->Next(1, &item, &got) == S_OK && got == 1) {
                for (const wchar_t* p : {L"Size", L"DateCreated", L"DateLastModified"}) {
                    VARIANT v;
                    VariantInit(&v);
                    Call(item.pdispVal, p, DISPATCH_PROPERTYGET, &v);
                    VariantChangeType(&v, &v, 0, VT_R8);
                    checksum += v.dblVal;
                    VariantClear(&v);
                }
                ++files;
                VariantClear(&item);
            }
            if (e) e->Release();
        }
    }
    const double elapsed = Seconds() - start;
    VariantClear(&arg);
    VariantClear(&folder);
    VariantClear(&list);
    VariantClear(&en);
    fso->Release();
    return elapsed > 0 ? static_cast<double>(files) / elapsed : 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (FAILED(CoInitialize(nullptr))) return 2;
    std::wstring dir = L"C:\\zunda-bench\\files";
    int count = 10000;
    if (argc > 1) {
        const std::string a = argv[1];
        dir.assign(a.begin(), a.end());
    }
    if (argc > 2) count = atoi(argv[2]);
    const std::vector<std::wstring> names = MakeFiles(dir, count);
    double sum1 = 0, sum2 = 0, sum3 = 0;
    // The file system object first, so both see a warm cache of the folder.
    FileSystemObject(dir, sum1);
    const double fso = FileSystemObject(dir, sum1);
    const double direct = FileList(names, false, sum2);
    const double worker = FileList(names, true, sum3);
    std::printf("files: %d\n", count);
    std::printf("Scripting.FileSystemObject: %10.0f files/s (baseline)\n", fso);
    std::printf("MxFileList, calling thread: %10.0f files/s, ratio %.2f\n", direct, fso > 0 ? direct / fso : 0);
    std::printf("MxFileList, worker thread:  %10.0f files/s, ratio %.2f\n", worker, fso > 0 ? worker / fso : 0);
    CoUninitialize();
    return fso > 0 && direct > 0 && worker > 0 ? 0 : 1;
}
