// MxMemory: the memory status and system info, read fresh on every access.
#include "machine/core/memory.h"
#include "server/win/frame.h"

namespace zunda {
namespace {

// The 64-bit figures where the system has them (Windows 2000 on, resolved at
// run time for the older ones): in a 32-bit host process that is not large-
// address aware, GlobalMemoryStatus caps every figure at 2 GiB, where the
// 32-bit DLL must report what the 64-bit one reports.
bool ReadMemoryStatusEx(machine::MemoryStatus& s) {
    using StatusExFn = BOOL(WINAPI*)(MEMORYSTATUSEX*);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    auto statusEx = kernel ? reinterpret_cast<StatusExFn>(
                                 reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")))
                           : nullptr;
    MEMORYSTATUSEX m;
    ZeroMemory(&m, sizeof(m));
    m.dwLength = sizeof(m);
    if (!statusEx || !statusEx(&m)) return false;
    s.totalPhys = m.ullTotalPhys;
    s.availPhys = m.ullAvailPhys;
    s.totalPageFile = m.ullTotalPageFile;
    s.availPageFile = m.ullAvailPageFile;
    s.totalVirtual = m.ullTotalVirtual;
    s.availVirtual = m.ullAvailVirtual;
    s.memoryLoad = m.dwMemoryLoad;
    return true;
}

machine::MemoryStatus ReadMemoryStatus() {
    machine::MemoryStatus s;
    if (!ReadMemoryStatusEx(s)) {
        MEMORYSTATUS m;
        ZeroMemory(&m, sizeof(m));
        m.dwLength = sizeof(m);
        GlobalMemoryStatus(&m);
        s.totalPhys = m.dwTotalPhys;
        s.availPhys = m.dwAvailPhys;
        s.totalPageFile = m.dwTotalPageFile;
        s.availPageFile = m.dwAvailPageFile;
        s.totalVirtual = m.dwTotalVirtual;
        s.availVirtual = m.dwAvailVirtual;
        s.memoryLoad = m.dwMemoryLoad;
    }
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof(si));
    GetSystemInfo(&si);
    s.allocationGranularity = si.dwAllocationGranularity;
    s.maxAppAddress = reinterpret_cast<std::uintptr_t>(si.lpMaximumApplicationAddress);
    s.minAppAddress = reinterpret_cast<std::uintptr_t>(si.lpMinimumApplicationAddress);
    s.pageSize = si.dwPageSize;
    return s;
}

}  // namespace

class TMxMemory final : public Object<TMxMemory, IMxMemory> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxMemory, &IID_IMxMemory, &DIID_IMxEvents, L"Zunda.MxMemory",
                                     "MxMemory", ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP get_iPhysicalTotal(long* out) override { return Field(out, machine::kPhysicalTotal); }
    STDMETHODIMP get_iPhysicalFree(long* out) override { return Field(out, machine::kPhysicalFree); }
    STDMETHODIMP get_iVirtualTotal(long* out) override { return Field(out, machine::kVirtualTotal); }
    STDMETHODIMP get_iVirtualFree(long* out) override { return Field(out, machine::kVirtualFree); }
    STDMETHODIMP get_iPageFileTotal(long* out) override { return Field(out, machine::kPageFileTotal); }
    STDMETHODIMP get_iPageFileFree(long* out) override { return Field(out, machine::kPageFileFree); }
    STDMETHODIMP get_iMemoryLoad(long* out) override { return Field(out, machine::kMemoryLoad); }
    STDMETHODIMP get_iAllocGranularity(long* out) override { return Field(out, machine::kAllocGranularity); }
    STDMETHODIMP get_iMaxAppAddress(long* out) override { return Field(out, machine::kMaxAppAddress); }
    STDMETHODIMP get_iMinAppAddress(long* out) override { return Field(out, machine::kMinAppAddress); }
    STDMETHODIMP get_iPageSize(long* out) override { return Field(out, machine::kPageSize); }

private:
    HRESULT Field(long* out, int selector) {
        return Guarded("GetMemoryStatus", out, 0L,
                       [&] { return static_cast<long>(machine::MemoryValue(ReadMemoryStatus(), selector)); });
    }
};

ZUNDA_CLASS(TMxMemory);

}  // namespace zunda
