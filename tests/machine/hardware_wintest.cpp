// MxCPU, MxMemory, MxDrive and MxDriveRecord from a client, against the
// processor and the system calls of the same process; the records and the
// IUnknown-only drive records late-bound.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <cpuid.h>
#include <cstring>

ZUNDA_TEST_IMPLEMENTED(MxCPU);
ZUNDA_TEST_IMPLEMENTED(MxMemory);
ZUNDA_TEST_IMPLEMENTED(MxDrive);
ZUNDA_TEST_IMPLEMENTED(MxDriveRecord);

namespace zunda::test {
namespace {

TEST(MxCPUTest, SignatureVendorAndFeaturesAreTheProcessors) {
    ComPtr<IMxCPU> cpu = Create<IMxCPU>(CLSID_MxCPU);
    ASSERT_TRUE(cpu);
    unsigned a, b, c, d;
    __cpuid(0, a, b, c, d);
    char vendor[13] = {};
    std::memcpy(vendor, &b, 4);
    std::memcpy(vendor + 4, &d, 4);
    std::memcpy(vendor + 8, &c, 4);
    EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrVendorCPUID), std::wstring(vendor, vendor + 12));
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iLevel), static_cast<long>(a));
    __cpuid(1, a, b, c, d);
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iStepping), static_cast<long>(a & 15));
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iModel), static_cast<long>((a >> 4) & 15));
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iFamily), static_cast<long>((a >> 8) & 15));
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iTyp), static_cast<long>((a >> 12) & 3));
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_iBrand), static_cast<long>(b & 255));

    Rec_CPU_Features f{};
    ASSERT_EQ(cpu->get_rcFeatures(&f), S_OK);
    EXPECT_EQ(f.boFPU, (d & 1) ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(f.boTSC, (d & (1u << 4)) ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(f.boMMX, (d & (1u << 23)) ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(f.boSIMD, (d & (1u << 25)) ? VARIANT_TRUE : VARIANT_FALSE);
    EXPECT_EQ(f.boFDiv, VARIANT_FALSE);
    EXPECT_EQ(Read(cpu.Get(), &IMxCPU::get_boFDIVBug), VARIANT_FALSE);
    if (!(d & (1u << 18))) {
        EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrSerialNumber), L"");
    }
    EXPECT_GT(Read(cpu.Get(), &IMxCPU::get_iFrequency), 0);
    BSTR e = nullptr;
    cpu->get_wstrLastErrorMessage(&e);
    EXPECT_EQ(Take(e), L"");
}

TEST(MxCPUTest, GetInfosAgainGivesTheSameValues) {
    ComPtr<IMxCPU> cpu = Create<IMxCPU>(CLSID_MxCPU);
    ASSERT_TRUE(cpu);
    const std::wstring brand = ReadText(cpu.Get(), &IMxCPU::get_wstrVendorIDCPUID);
    const std::wstring model = ReadText(cpu.Get(), &IMxCPU::get_wstrVendorID);
    const long mhz = Read(cpu.Get(), &IMxCPU::get_iFrequency);
    const std::wstring reg = ReadText(cpu.Get(), &IMxCPU::get_wstrVendorReg);
    ASSERT_EQ(cpu->GetInfos(), S_OK);
    EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrVendorIDCPUID), brand);
    EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrVendorID), model);
    EXPECT_EQ(ReadText(cpu.Get(), &IMxCPU::get_wstrVendorReg), reg);
    EXPECT_NEAR(Read(cpu.Get(), &IMxCPU::get_iFrequency), mhz, mhz / 50 + 20);
    EXPECT_FALSE(brand.empty());
    EXPECT_NE(brand.front(), L' ');
    EXPECT_NE(brand.back(), L' ');
}

TEST(MxCPUTest, FeaturesRecordLateBound) {
    ComPtr<IDispatch> cpu = CreateByProgId(L"Zunda.MxCPU");
    ASSERT_TRUE(cpu);
    CallResult r = PropGet(cpu.Get(), L"rcFeatures");
    ASSERT_EQ(r.hr, S_OK);
    ASSERT_EQ(r.value.vt, VT_RECORD);
    BSTR name = nullptr;
    ASSERT_EQ(r.value.pRecInfo->GetName(&name), S_OK);
    EXPECT_EQ(Take(name), L"Rec_CPU_Features");
    VARIANT v;
    VariantInit(&v);
    BSTR field = SysAllocString(L"boTSC");
    ASSERT_EQ(r.value.pRecInfo->GetField(r.value.pvRecord, field, &v), S_OK);
    SysFreeString(field);
    unsigned a, b, c, d;
    __cpuid(1, a, b, c, d);
    EXPECT_EQ(v.vt, VT_BOOL);
    EXPECT_EQ(v.boolVal, (d & (1u << 4)) ? VARIANT_TRUE : VARIANT_FALSE);
    VariantClear(&v);
    // Texts with the micro sign reach the client as U+00B5.
    CallResult code = PropGet(cpu.Get(), L"wstrCodename");
    ASSERT_EQ(code.hr, S_OK);
    const std::wstring text = code.value.Str();
    if (text.find(L"m)") != std::wstring::npos) {
        EXPECT_NE(text.find(L'\u00B5'), std::wstring::npos);
    }
}

// The system's own memory figures, saturated to 32 bits.
long Saturated(unsigned long long v) { return static_cast<long>(v > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<unsigned>(v)); }

TEST(MxMemoryTest, FiguresAreTheSystemsSaturatedTo32Bits) {
    ComPtr<IMxMemory> mem = Create<IMxMemory>(CLSID_MxMemory);
    ASSERT_TRUE(mem);
    // The 64-bit figures: GlobalMemoryStatus caps them at 2 GiB in a 32-bit
    // process that is not large-address aware (as this test program), where
    // the 32-bit DLL reports what the 64-bit one does.
    MEMORYSTATUSEX m = {};
    m.dwLength = sizeof(m);
    ASSERT_TRUE(GlobalMemoryStatusEx(&m));
    SYSTEM_INFO si = {};
    GetSystemInfo(&si);
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iPhysicalTotal), Saturated(m.ullTotalPhys));
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iVirtualTotal), Saturated(m.ullTotalVirtual));
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iPageFileTotal), Saturated(m.ullTotalPageFile));
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iPageSize), static_cast<long>(si.dwPageSize));
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iAllocGranularity), static_cast<long>(si.dwAllocationGranularity));
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iMinAppAddress),
              Saturated(reinterpret_cast<ULONG_PTR>(si.lpMinimumApplicationAddress)));
    EXPECT_EQ(Read(mem.Get(), &IMxMemory::get_iMaxAppAddress),
              Saturated(reinterpret_cast<ULONG_PTR>(si.lpMaximumApplicationAddress)));
    const long load = Read(mem.Get(), &IMxMemory::get_iMemoryLoad);
    EXPECT_GE(load, 0);
    EXPECT_LE(load, 100);
    // Free figures move; they stay within their totals where both fit.
    const long physFree = Read(mem.Get(), &IMxMemory::get_iPhysicalFree);
    if (m.ullTotalPhys <= 0x7FFFFFFF) {
        EXPECT_LE(physFree, static_cast<long>(m.ullTotalPhys));
    }
    // What a script sees late-bound.
    ComPtr<IDispatch> d = mem.As<IDispatch>();
    CallResult r = PropGet(d.Get(), L"iPhysicalTotal");
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_I4);
    EXPECT_EQ(r.value.lVal, Saturated(m.ullTotalPhys));
}

class MxDriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        drives = Create<IMxDrive>(CLSID_MxDrive);
        ASSERT_TRUE(drives);
    }
    std::wstring LastError() {
        BSTR e = nullptr;
        drives->get_wstrLastErrorMessage(&e);
        return Take(e);
    }
    ComPtr<IMxDrive> drives;
};

TEST_F(MxDriveTest, RefreshListsEveryLogicalDriveAsNewRecords) {
    EXPECT_EQ(Read(drives.Get(), &IMxDrive::get_iCount), 0);
    const std::wstring letters = ReadText(drives.Get(), &IMxDrive::get_wstrAvailableDrives);
    char buffer[256] = {};
    GetLogicalDriveStringsA(255, buffer);
    std::wstring expected;
    for (const char* p = buffer; *p; p += std::strlen(p) + 1) expected.push_back(static_cast<wchar_t>(std::toupper(*p)));
    EXPECT_EQ(letters, expected);
    ASSERT_NE(letters.find(L'C'), std::wstring::npos);

    ASSERT_EQ(drives->Refresh(), S_OK);
    ASSERT_EQ(Read(drives.Get(), &IMxDrive::get_iCount), static_cast<long>(letters.size()));
    ComPtr<IMxDriveRecord> first;
    ASSERT_EQ(drives->get_clDrives(0, first.Put()), S_OK);
    ASSERT_TRUE(first);
    EXPECT_EQ(ReadText(first.Get(), &IMxDriveRecord::get_wstrDriveSign), letters.substr(0, 1));
    ASSERT_EQ(drives->Refresh(), S_OK);
    EXPECT_EQ(Read(drives.Get(), &IMxDrive::get_iCount), static_cast<long>(letters.size()));
    ComPtr<IMxDriveRecord> again;
    ASSERT_EQ(drives->get_clDrives(0, again.Put()), S_OK);
    EXPECT_NE(again.Get(), first.Get());  // new objects; the old one stays usable
    EXPECT_EQ(ReadText(first.Get(), &IMxDriveRecord::get_wstrDriveSign), letters.substr(0, 1));
    EXPECT_EQ(LastError(), L"");
}

TEST_F(MxDriveTest, RecordOfDriveCMatchesTheSystem) {
    ASSERT_EQ(drives->Refresh(), S_OK);
    BSTR c = SysAllocString(L"c");
    ComPtr<IMxDriveRecord> r;
    ASSERT_EQ(drives->get_clDrivesBySign(c, r.Put()), S_OK);
    SysFreeString(c);
    ASSERT_TRUE(r);
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrDriveSign), L"C");
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_tyMedia), tmFixed);
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_boIsMediaPresent), VARIANT_TRUE);
    char label[256] = {}, fs[256] = {};
    DWORD serial = 0, maxLen = 0, flags = 0;
    ASSERT_TRUE(GetVolumeInformationA("C:\\", label, 255, &serial, &maxLen, &flags, fs, 255));
    wchar_t serialText[16];
    wsprintfW(serialText, L"%04X-%04X", serial >> 16, serial & 0xFFFF);
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrSerialNumber), serialText);
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrVolumeLabel), std::wstring(label, label + std::strlen(label)));
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrFileSystem), std::wstring(fs, fs + std::strlen(fs)));
    DWORD spc = 0, bps = 0, freeClusters = 0, total = 0;
    ASSERT_TRUE(GetDiskFreeSpaceA("C:\\", &spc, &bps, &freeClusters, &total));
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_iSectorsPerCluster), static_cast<long>(spc));
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_iBytesPerSector), static_cast<long>(bps));
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_iTotalClusters), static_cast<long>(total));
    ULARGE_INTEGER avail, bytes, totalFree;
    ASSERT_TRUE(GetDiskFreeSpaceExA("C:\\", &avail, &bytes, &totalFree));
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_iCapacity), bytes.QuadPart);
    const unsigned __int64 free = Read(r.Get(), &IMxDriveRecord::get_iFreeSpace);
    EXPECT_NEAR(static_cast<double>(free), static_cast<double>(avail.QuadPart), 256.0 * 1024 * 1024);
    EXPECT_GT(bytes.QuadPart, 0xFFFFFFFFull) << "the 64-bit figures are exercised only by a disk above 4 GiB";

    // The record rereads itself; an empty argument changes nothing.
    BSTR blank = SysAllocString(L"  ");
    EXPECT_EQ(r->Refresh(blank), S_OK);
    EXPECT_EQ(r->Refresh(nullptr), S_OK);
    SysFreeString(blank);
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrDriveSign), L"C");
}

TEST_F(MxDriveTest, MissingDrivesAndIndexesFailTheDocumentedWay) {
    ASSERT_EQ(drives->Refresh(), S_OK);
    BSTR sign = SysAllocString(L"C:");
    ComPtr<IMxDriveRecord> r;
    EXPECT_EQ(drives->get_clDrivesBySign(sign, r.Put()), S_OK);
    SysFreeString(sign);
    EXPECT_FALSE(r);  // the whole text is compared
    EXPECT_EQ(LastError(), L"");
    const long count = Read(drives.Get(), &IMxDrive::get_iCount);
    EXPECT_EQ(drives->get_clDrives(count, r.Put()), S_OK);
    EXPECT_FALSE(r);
    EXPECT_EQ(LastError(), L"[Get_clDrives]: Listenindex \u00FCberschreitet das Maximum (" + std::to_wstring(count) + L")");
    EXPECT_EQ(drives->get_clDrives(-1, r.Put()), S_OK);
    EXPECT_FALSE(r);

    // With a sink the failure arrives as OnError("MxDrive", member, message).
    RecordingSink* sink = new RecordingSink(DIID_IMxEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(drives.Get(), DIID_IMxEvents, sink, &cookie), S_OK);
    drives->put_boRaiseErrors(VARIANT_TRUE);
    EXPECT_EQ(drives->get_clDrives(99, r.Put()), S_OK);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].id, 1);
    EXPECT_EQ(sink->calls[0].args,
              (std::vector<std::wstring>{L"MxDrive", L"Get_clDrives", L"Listenindex \u00FCberschreitet das Maximum (99)"}));
    EXPECT_EQ(Unadvise(drives.Get(), DIID_IMxEvents, cookie), S_OK);
    sink->Release();
    EXPECT_EQ(drives->get_clDrives(99, r.Put()), E_UNEXPECTED);
}

TEST_F(MxDriveTest, RecordsLateBoundAreIUnknownOnly) {
    ASSERT_EQ(drives->Refresh(), S_OK);
    ComPtr<IDispatch> d = drives.As<IDispatch>();
    CallResult r = PropGet(d.Get(), L"clDrivesBySign", {Var(L"C")});
    ASSERT_EQ(r.hr, S_OK);
    ASSERT_EQ(r.value.vt, VT_UNKNOWN);
    ASSERT_TRUE(r.value.punkVal);
    ComPtr<IMxDriveRecord> record;
    ASSERT_EQ(r.value.punkVal->QueryInterface(IID_IMxDriveRecord, reinterpret_cast<void**>(record.Put())), S_OK);
    EXPECT_EQ(ReadText(record.Get(), &IMxDriveRecord::get_wstrDriveSign), L"C");
    ComPtr<IDispatch> none;
    EXPECT_EQ(r.value.punkVal->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(none.Put())), E_NOINTERFACE);
    CallResult byIndex = PropGet(d.Get(), L"clDrives", {Var(0L)});
    ASSERT_EQ(byIndex.hr, S_OK);
    EXPECT_EQ(byIndex.value.vt, VT_UNKNOWN);
    CallResult missing = PropGet(d.Get(), L"clDrivesBySign", {Var(L"C:")});
    ASSERT_EQ(missing.hr, S_OK);
    EXPECT_TRUE(missing.value.vt == VT_UNKNOWN && !missing.value.punkVal);
    // A failure late-bound with raising on: the exception carries the text.
    ASSERT_EQ(PropPut(d.Get(), L"boRaiseErrors", Var::Bool(true)), S_OK);
    CallResult bad = PropGet(d.Get(), L"clDrives", {Var(1000L)});
    EXPECT_EQ(bad.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(bad.description, L"[Get_clDrives]: Listenindex \u00FCberschreitet das Maximum (1000)");
    EXPECT_EQ(bad.source, L"Zunda.MxDrive");
}

TEST(MxDriveRecordTest, CreatedAloneItHasNoDispatchAndReadsADrive) {
    ComPtr<IMxDriveRecord> r = Create<IMxDriveRecord>(CLSID_MxDriveRecord);
    ASSERT_TRUE(r);
    ComPtr<IDispatch> none;
    EXPECT_EQ(r->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(none.Put())), E_NOINTERFACE);
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrDriveSign), L"");
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_tyMedia), tmUnknown);
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_iCapacity), 0u);
    BSTR q = SysAllocString(L"Q");  // not mapped in the test prefix
    ASSERT_EQ(r->Refresh(q), S_OK);
    SysFreeString(q);
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_tyMedia), tmNotExists);
    EXPECT_EQ(Read(r.Get(), &IMxDriveRecord::get_boIsMediaPresent), VARIANT_FALSE);
    EXPECT_EQ(ReadText(r.Get(), &IMxDriveRecord::get_wstrVolumeLabel), L"");
}

}  // namespace
}  // namespace zunda::test
