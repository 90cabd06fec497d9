// MxMemory: the memory status and system info, read fresh on every access.
#include "machine/core/memory.h"
#include "server/win/frame.h"

namespace zunda {
namespace {

machine::MemoryStatus ReadMemoryStatus() {
    MEMORYSTATUS m;
    ZeroMemory(&m, sizeof(m));
    m.dwLength = sizeof(m);
    GlobalMemoryStatus(&m);
    SYSTEM_INFO si;
    ZeroMemory(&si, sizeof(si));
    GetSystemInfo(&si);
    machine::MemoryStatus s;
    s.totalPhys = m.dwTotalPhys;
    s.availPhys = m.dwAvailPhys;
    s.totalPageFile = m.dwTotalPageFile;
    s.availPageFile = m.dwAvailPageFile;
    s.totalVirtual = m.dwTotalVirtual;
    s.availVirtual = m.dwAvailVirtual;
    s.memoryLoad = m.dwMemoryLoad;
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
