// Soak: every creatable class is created, used and released 10,000 times.
// Committed private memory and the handle count must stay flat between the
// first and the last thousand rounds, and afterwards the DLL must be ready
// to unload. The figures are printed per class.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace zunda::test {
namespace {

// Committed private memory of the process, by walking its address space
// (the memory counters of the process are not filled in under every host).
size_t PrivateBytes() {
    size_t total = 0;
    MEMORY_BASIC_INFORMATION mbi;
    const char* p = nullptr;
    while (VirtualQuery(p, &mbi, sizeof(mbi)) == sizeof(mbi)) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        const char* next = static_cast<const char*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= p) break;
        p = next;
    }
    return total;
}

// Bytes of live heap blocks in every heap of the process: unlike committed
// pages, this moves with each block that a round leaves behind.
size_t HeapBytes() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

// The process's handle count; where the host does not count them, the
// number of the next free handle slot, which climbs as handles leak.
DWORD Handles() {
    DWORD n = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &n) && n != 0) return n;
    HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    n = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(probe) / 4);
    CloseHandle(probe);
    return n;
}

struct Target {
    std::wstring name;
    CLSID clsid;
    IID iid;
    bool dispatch;
    std::vector<DISPID> getters;  // parameterless properties that are cheap to read
};

std::vector<Target> Targets() {
    std::vector<Target> out;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (wchar_t* slash = wcsrchr(path, L'\\')) wcscpy(slash + 1, L"Zunda.dll");
    ComPtr<ITypeLib> tl;
    if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, tl.Put()))) return out;
    for (UINT i = 0; i < tl->GetTypeInfoCount(); ++i) {
        TYPEKIND kind;
        ComPtr<ITypeInfo> ti;
        if (FAILED(tl->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS || FAILED(tl->GetTypeInfo(i, ti.Put())))
            continue;
        BSTR name = nullptr;
        ti->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
        Target t{Take(name), {}, IID_IUnknown, false, {}};
        if (!IsImplemented(t.name.c_str())) continue;
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        t.clsid = ta->guid;
        for (UINT k = 0; k < ta->cImplTypes; ++k) {
            INT flags = 0;
            HREFTYPE ref = 0;
            ComPtr<ITypeInfo> itf;
            ti->GetImplTypeFlags(k, &flags);
            if (!(flags & IMPLTYPEFLAG_FDEFAULT) || (flags & IMPLTYPEFLAG_FSOURCE) ||
                FAILED(ti->GetRefTypeOfImplType(k, &ref)) || FAILED(ti->GetRefTypeInfo(ref, itf.Put())))
                continue;
            TYPEATTR* ia = nullptr;
            itf->GetTypeAttr(&ia);
            t.iid = ia->guid;
            t.dispatch = ia->typekind == TKIND_DISPATCH;
            // The base properties where the class has them, else its first
            // two parameterless text properties.
            for (UINT f = 0; f < ia->cFuncs && t.getters.size() < 2; ++f) {
                FUNCDESC* fd = nullptr;
                if (FAILED(itf->GetFuncDesc(f, &fd))) continue;
                if (fd->invkind == INVOKE_PROPERTYGET && fd->cParams == 0 && !(fd->wFuncFlags & FUNCFLAG_FRESTRICTED) &&
                    (fd->memid == 1000 || fd->memid == 1001 || fd->elemdescFunc.tdesc.vt == VT_BSTR))
                    t.getters.push_back(fd->memid);
                itf->ReleaseFuncDesc(fd);
            }
            itf->ReleaseTypeAttr(ia);
        }
        ti->ReleaseTypeAttr(ta);
        out.push_back(t);
    }
    return out;
}

void Round(const Target& t) {
    IUnknown* object = nullptr;
    ASSERT_EQ(CoCreateInstance(t.clsid, nullptr, CLSCTX_INPROC_SERVER, t.iid, reinterpret_cast<void**>(&object)),
              S_OK);
    if (t.dispatch) {
        auto* d = static_cast<IDispatch*>(object);
        for (DISPID id : t.getters) {
            DISPPARAMS none{nullptr, nullptr, 0, 0};
            Var result;
            d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr);
        }
    }
    IUnknown* again = nullptr;
    if (SUCCEEDED(object->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&again)))) again->Release();
    object->Release();
}

TEST(Soak, DISABLED_EveryClassTenThousandRoundsStaysFlat) {
    const std::vector<Target> targets = Targets();
    ASSERT_FALSE(targets.empty());
    const int kRounds = 10000;
    for (const Target& t : targets) {
        const DWORD started = GetTickCount();
        size_t bytesAt1000 = 0, heapAt1000 = 0;
        DWORD handlesAt1000 = 0;
        for (int i = 0; i < kRounds; ++i) {
            Round(t);
            if (i == 999) {
                bytesAt1000 = PrivateBytes();
                heapAt1000 = HeapBytes();
                handlesAt1000 = Handles();
            }
        }
        const size_t bytesAtEnd = PrivateBytes();
        const size_t heapAtEnd = HeapBytes();
        const DWORD handlesAtEnd = Handles();
        const long long growth = static_cast<long long>(bytesAtEnd) - static_cast<long long>(bytesAt1000);
        const long long heapGrowth = static_cast<long long>(heapAtEnd) - static_cast<long long>(heapAt1000);
        std::printf("soak %-16ls %d rounds in %lu ms: private bytes %zu -> %zu (%+lld), heap in use %zu -> %zu "
                    "(%+lld), handles %lu -> %lu\n",
                    t.name.c_str(), kRounds, static_cast<unsigned long>(GetTickCount() - started), bytesAt1000,
                    bytesAtEnd, growth, heapAt1000, heapAtEnd, heapGrowth,
                    static_cast<unsigned long>(handlesAt1000), static_cast<unsigned long>(handlesAtEnd));
        // 9,000 rounds that each kept as little as 64 bytes would add over 500 KiB.
        EXPECT_LT(growth, 512 * 1024) << "memory grows with " << std::string(t.name.begin(), t.name.end());
        EXPECT_LT(heapGrowth, 512 * 1024) << "heap grows with " << std::string(t.name.begin(), t.name.end());
        EXPECT_LE(handlesAtEnd, handlesAt1000 + 8) << "handles grow with "
                                                   << std::string(t.name.begin(), t.name.end());
    }
    HMODULE dll = GetModuleHandleW(L"Zunda.dll");
    ASSERT_NE(dll, nullptr);
    using CanUnload = HRESULT(STDAPICALLTYPE*)();
    auto canUnload = reinterpret_cast<CanUnload>(reinterpret_cast<void*>(GetProcAddress(dll, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
}  // namespace zunda::test
