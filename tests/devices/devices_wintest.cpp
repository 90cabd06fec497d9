// MxDevice and MxDeviceRecord from a C++ client: the record's write
// protection and AssignObj, the index errors and the filter on the system's
// own tree, and (in the fixture runs of wine-devices.sh) the records of an
// imported device tree against the records an independent reader expects.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <cstdlib>
#include <fstream>

ZUNDA_TEST_IMPLEMENTED(MxDevice);
ZUNDA_TEST_IMPLEMENTED(MxDeviceRecord);

namespace zunda::test {
namespace {

void PutText(IMxDeviceRecord* r, HRESULT (STDMETHODCALLTYPE IMxDeviceRecord::*put)(BSTR), const wchar_t* text) {
    BSTR b = SysAllocString(text);
    EXPECT_EQ((r->*put)(b), S_OK);
    SysFreeString(b);
}

std::wstring LastError(IMxDevice* d) {
    BSTR s = nullptr;
    EXPECT_EQ(d->get_wstrLastErrorMessage(&s), S_OK);
    return Take(s);
}

TEST(MxDeviceRecordTest, NewRecordIsEmptyAndStoresOnlyWhileWriteable) {
    ComPtr<IMxDeviceRecord> r = Create<IMxDeviceRecord>(CLSID_MxDeviceRecord);
    ASSERT_TRUE(r);
    EXPECT_FALSE(r.As<IDispatch>());
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrClassName), L"");
    EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_iServiceType), 0);
    EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_tyDeviceClass), tdcBattery);
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrDeviceClass), L"Battery");
    EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_boWriteable), VARIANT_FALSE);

    PutText(r.Get(), &IMxDeviceRecord::put_wstrFriendlyName, L"ignored");
    EXPECT_EQ(r->put_iServiceType(5), S_OK);
    EXPECT_EQ(r->put_tyDeviceClass(tdcNet), S_OK);
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrFriendlyName), L"");
    EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_iServiceType), 0);
    EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_tyDeviceClass), tdcBattery);

    ASSERT_EQ(r->put_boWriteable(VARIANT_TRUE), S_OK);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrFriendlyName, L"Named");
    EXPECT_EQ(r->put_iServiceType(5), S_OK);
    EXPECT_EQ(r->put_tyDeviceClass(tdcNet), S_OK);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrDeviceClass, L"never stored");
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrFriendlyName), L"Named");
    EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_iServiceType), 5);
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrDeviceClass), L"Net");
    EXPECT_EQ(r->put_tyDeviceClass(tdcNone), S_OK);
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrDeviceClass), L"");
    EXPECT_EQ(r->put_tyDeviceClass(static_cast<TYP_DeviceClass>(1000)), S_OK);
    EXPECT_EQ(ReadText(r.Get(), &IMxDeviceRecord::get_wstrDeviceClass), L"");
    EXPECT_EQ(r->get_wstrGUID(nullptr), E_POINTER);
}

TEST(MxDeviceRecordTest, AssignObjCopiesEveryValueButTheWriteFlag) {
    ComPtr<IMxDeviceRecord> from = Create<IMxDeviceRecord>(CLSID_MxDeviceRecord);
    ComPtr<IMxDeviceRecord> to = Create<IMxDeviceRecord>(CLSID_MxDeviceRecord);
    ASSERT_TRUE(from && to);
    ASSERT_EQ(from->put_boWriteable(VARIANT_TRUE), S_OK);
    using P = HRESULT (STDMETHODCALLTYPE IMxDeviceRecord::*)(BSTR);
    using G = HRESULT (STDMETHODCALLTYPE IMxDeviceRecord::*)(BSTR*);
    const std::tuple<P, G, const wchar_t*> texts[] = {
        {&IMxDeviceRecord::put_wstrClassName, &IMxDeviceRecord::get_wstrClassName, L"Ports"},
        {&IMxDeviceRecord::put_wstrClassDesc, &IMxDeviceRecord::get_wstrClassDesc, L"desc"},
        {&IMxDeviceRecord::put_wstrClassIcon, &IMxDeviceRecord::get_wstrClassIcon, L"-23"},
        {&IMxDeviceRecord::put_wstrFriendlyName, &IMxDeviceRecord::get_wstrFriendlyName, L"COM1"},
        {&IMxDeviceRecord::put_wstrDescription, &IMxDeviceRecord::get_wstrDescription, L"Port"},
        {&IMxDeviceRecord::put_wstrGUID, &IMxDeviceRecord::get_wstrGUID, L"{G}"},
        {&IMxDeviceRecord::put_wstrManufacturer, &IMxDeviceRecord::get_wstrManufacturer, L"M"},
        {&IMxDeviceRecord::put_wstrLocation, &IMxDeviceRecord::get_wstrLocation, L"L"},
        {&IMxDeviceRecord::put_wstrHardwareID, &IMxDeviceRecord::get_wstrHardwareID, L"H"},
        {&IMxDeviceRecord::put_wstrDriverDate, &IMxDeviceRecord::get_wstrDriverDate, L"1-1-2000"},
        {&IMxDeviceRecord::put_wstrDriverVersion, &IMxDeviceRecord::get_wstrDriverVersion, L"1.0"},
        {&IMxDeviceRecord::put_wstrDriverProvider, &IMxDeviceRecord::get_wstrDriverProvider, L"P"},
        {&IMxDeviceRecord::put_wstrService, &IMxDeviceRecord::get_wstrService, L"Serial"},
        {&IMxDeviceRecord::put_wstrServiceName, &IMxDeviceRecord::get_wstrServiceName, L"Serial driver"},
        {&IMxDeviceRecord::put_wstrServiceGroup, &IMxDeviceRecord::get_wstrServiceGroup, L"Extended base"},
        {&IMxDeviceRecord::put_wstrRegKey, &IMxDeviceRecord::get_wstrRegKey, L"SYSTEM\\X"},
    };
    for (const auto& [put, get, text] : texts) PutText(from.Get(), put, text);
    ASSERT_EQ(from->put_iServiceType(16), S_OK);
    ASSERT_EQ(from->put_tyDeviceClass(tdcPorts), S_OK);

    ASSERT_EQ(to->AssignObj(from.Get()), S_OK);  // read-only target: copied all the same
    for (const auto& [put, get, text] : texts) EXPECT_EQ(ReadText(to.Get(), get), text);
    EXPECT_EQ(Read(to.Get(), &IMxDeviceRecord::get_iServiceType), 16);
    EXPECT_EQ(Read(to.Get(), &IMxDeviceRecord::get_tyDeviceClass), tdcPorts);
    EXPECT_EQ(ReadText(to.Get(), &IMxDeviceRecord::get_wstrDeviceClass), L"Ports");
    EXPECT_EQ(Read(to.Get(), &IMxDeviceRecord::get_boWriteable), VARIANT_FALSE);
    EXPECT_EQ(to->AssignObj(nullptr), E_POINTER);
    EXPECT_EQ(ReadText(to.Get(), &IMxDeviceRecord::get_wstrClassName), L"Ports");
}

TEST(MxDeviceTest, IndexErrorsFilterAndRecordProtectionOnTheSystemTree) {
    ComPtr<IMxDevice> d = Create<IMxDevice>(CLSID_MxDevice);
    ASSERT_TRUE(d);
    EXPECT_EQ(Read(d.Get(), &IMxDevice::get_tyFiltered), tdcNone);
    EXPECT_EQ(Read(d.Get(), &IMxDevice::get_iDeviceCount), 0);
    ASSERT_EQ(d->GetInfo(), S_OK);
    EXPECT_EQ(LastError(d.Get()), L"");
    const long all = Read(d.Get(), &IMxDevice::get_iDeviceCount);
    EXPECT_EQ(d->put_iDeviceCount(all + 5), S_OK);
    EXPECT_EQ(Read(d.Get(), &IMxDevice::get_iDeviceCount), all);

    long previous = -1;
    for (long i = 0; i < all; ++i) {  // ordered by class
        ComPtr<IMxDeviceRecord> r;
        ASSERT_EQ(d->get_clDevice(i, r.Put()), S_OK);
        ASSERT_TRUE(r);
        const long cls = Read(r.Get(), &IMxDeviceRecord::get_tyDeviceClass);
        EXPECT_GE(cls, previous);
        previous = cls;
        EXPECT_FALSE(ReadText(r.Get(), &IMxDeviceRecord::get_wstrClassName).empty());
        EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_boWriteable), VARIANT_FALSE);
    }

    for (long bad : {-1L, all, all + 1000000L}) {
        ComPtr<IMxDeviceRecord> r;
        EXPECT_EQ(d->get_clDevice(bad, r.Put()), S_OK);
        EXPECT_FALSE(r);
        EXPECT_EQ(LastError(d.Get()),
                  L"[Get_clDevice]: Listenindex \u00FCberschreitet das Maximum (" + std::to_wstring(bad) + L")");
        ComPtr<IMxDeviceRecord> other = Create<IMxDeviceRecord>(CLSID_MxDeviceRecord);
        EXPECT_EQ(d->put_clDevice(bad, other.Get()), E_UNEXPECTED);
    }
    ASSERT_EQ(d->put_boRaiseErrors(VARIANT_TRUE), S_OK);
    ComPtr<IMxDeviceRecord> none;
    EXPECT_EQ(d->get_clDevice(-1, none.Put()), E_UNEXPECTED);
    EXPECT_EQ(TakeErrorInfo().description, L"[Get_clDevice]: Listenindex \u00FCberschreitet das Maximum (-1)");

    ASSERT_EQ(d->put_tyFiltered(tdcNet), S_OK);
    const long nets = Read(d.Get(), &IMxDevice::get_iDeviceCount);
    for (long i = 0; i < nets; ++i) {
        ComPtr<IMxDeviceRecord> r;
        ASSERT_EQ(d->get_clDevice(i, r.Put()), S_OK);
        EXPECT_EQ(Read(r.Get(), &IMxDeviceRecord::get_tyDeviceClass), tdcNet);
    }
    ASSERT_EQ(d->put_tyFiltered(static_cast<TYP_DeviceClass>(99)), S_OK);  // stored without a range check
    EXPECT_EQ(Read(d.Get(), &IMxDevice::get_tyFiltered), 99);
    EXPECT_EQ(Read(d.Get(), &IMxDevice::get_iDeviceCount), 0);
    ASSERT_EQ(d->put_tyFiltered(tdcNone), S_OK);
    EXPECT_EQ(Read(d.Get(), &IMxDevice::get_iDeviceCount), all);
}

TEST(MxDeviceTest, PutReplacesTheFilteredEntryAndRecordsAreSharedNotCopied) {
    ComPtr<IMxDevice> d = Create<IMxDevice>(CLSID_MxDevice);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->GetInfo(), S_OK);
    if (Read(d.Get(), &IMxDevice::get_iDeviceCount) == 0) GTEST_SKIP() << "no devices in this prefix";
    ComPtr<IMxDeviceRecord> a, b;
    ASSERT_EQ(d->get_clDevice(0, a.Put()), S_OK);
    ASSERT_EQ(d->get_clDevice(0, b.Put()), S_OK);
    EXPECT_EQ(a.Get(), b.Get());
    PutText(a.Get(), &IMxDeviceRecord::put_wstrFriendlyName, L"changed?");
    EXPECT_NE(ReadText(b.Get(), &IMxDeviceRecord::get_wstrFriendlyName), L"changed?");
    ASSERT_EQ(a->put_boWriteable(VARIANT_TRUE), S_OK);
    PutText(a.Get(), &IMxDeviceRecord::put_wstrFriendlyName, L"changed");
    EXPECT_EQ(ReadText(b.Get(), &IMxDeviceRecord::get_wstrFriendlyName), L"changed");

    ComPtr<IMxDeviceRecord> mine = Create<IMxDeviceRecord>(CLSID_MxDeviceRecord);
    ASSERT_EQ(d->put_clDevice(0, mine.Get()), S_OK);
    ComPtr<IMxDeviceRecord> now;
    ASSERT_EQ(d->get_clDevice(0, now.Put()), S_OK);
    EXPECT_EQ(now.Get(), mine.Get());
    EXPECT_EQ(d->put_clDevice(0, nullptr), E_POINTER);
}

TEST(MxDeviceTest, LateBoundRecordArrivesAsUnknownAndClassDevicesOfNoClassAreEmpty) {
    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxDevice");
    ASSERT_TRUE(d);
    ASSERT_EQ(Method(d.Get(), L"GetInfo").hr, S_OK);
    CallResult count = PropGet(d.Get(), L"iDeviceCount");
    ASSERT_EQ(count.hr, S_OK);
    if (count.value.lVal > 0) {
        CallResult r = PropGet(d.Get(), L"clDevice", {Var(0L)});
        ASSERT_EQ(r.hr, S_OK);
        EXPECT_EQ(r.value.vt, VT_UNKNOWN);
    }
    ComPtr<IMxDevice> dev = d.As<IMxDevice>();
    ComPtr<IMxStringlist> list;
    BSTR start = SysAllocString(L"SYSTEM\\CurrentControlSet\\Control\\Class");
    BSTR cls = SysAllocString(L"NoSuchClassAnywhere");
    BSTR value = SysAllocString(L"DriverDesc");
    BSTR key = nullptr;
    EXPECT_EQ(dev->GetClassDevices(start, cls, value, list.Put(), &key), S_OK);
    EXPECT_EQ(Take(key), L"");
    ASSERT_TRUE(list);
    EXPECT_TRUE(ListItems(list.Get()).empty());
    EXPECT_EQ(dev->GetClassDevices(start, cls, value, nullptr, &key), E_POINTER);
    SysFreeString(start);
    SysFreeString(cls);
    SysFreeString(value);
}

// ---------------------------------------------------------------- fixture runs (wine-devices.sh)

std::string Ansi(BSTR s) {
    const int n = WideCharToMultiByte(CP_ACP, 0, s, static_cast<int>(SysStringLen(s)), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, s, static_cast<int>(SysStringLen(s)), out.data(), n, nullptr, nullptr);
    SysFreeString(s);
    return out;
}

std::string Line(IMxDeviceRecord* r) {
    using G = HRESULT (STDMETHODCALLTYPE IMxDeviceRecord::*)(BSTR*);
    const G texts[] = {&IMxDeviceRecord::get_wstrClassName,     &IMxDeviceRecord::get_wstrClassDesc,
                       &IMxDeviceRecord::get_wstrClassIcon,     &IMxDeviceRecord::get_wstrFriendlyName,
                       &IMxDeviceRecord::get_wstrDescription,   &IMxDeviceRecord::get_wstrGUID,
                       &IMxDeviceRecord::get_wstrManufacturer,  &IMxDeviceRecord::get_wstrLocation,
                       &IMxDeviceRecord::get_wstrHardwareID,    &IMxDeviceRecord::get_wstrDriverDate,
                       &IMxDeviceRecord::get_wstrDriverVersion, &IMxDeviceRecord::get_wstrDriverProvider,
                       &IMxDeviceRecord::get_wstrService,       &IMxDeviceRecord::get_wstrServiceName,
                       &IMxDeviceRecord::get_wstrServiceGroup};
    std::string line;
    for (G g : texts) line += Ansi(Read(r, g)) + "\t";
    line += std::to_string(Read(r, &IMxDeviceRecord::get_iServiceType)) + "\t";
    line += Ansi(Read(r, &IMxDeviceRecord::get_wstrRegKey)) + "\t";
    line += std::to_string(Read(r, &IMxDeviceRecord::get_tyDeviceClass));
    return line;
}

TEST(MxDeviceFixture, RecordsAreWhatTheRegistryExportGives) {
    const char* expected = std::getenv("ZUNDA_DEVICE_EXPECT");
    if (!expected) GTEST_SKIP() << "runs in wine-devices.sh";
    std::ifstream in(expected, std::ios::binary);
    ASSERT_TRUE(in) << expected;
    std::vector<std::string> want;
    for (std::string line; std::getline(in, line);) want.push_back(line);
    ASSERT_FALSE(want.empty());

    ComPtr<IMxDevice> d = Create<IMxDevice>(CLSID_MxDevice);
    ASSERT_TRUE(d);
    ASSERT_EQ(d->GetInfo(), S_OK);
    EXPECT_EQ(LastError(d.Get()), L"");
    std::vector<std::string> got;
    const long n = Read(d.Get(), &IMxDevice::get_iDeviceCount);
    for (long i = 0; i < n; ++i) {
        ComPtr<IMxDeviceRecord> r;
        ASSERT_EQ(d->get_clDevice(i, r.Put()), S_OK);
        got.push_back(Line(r.Get()));
    }
    EXPECT_EQ(got, want);
}

TEST(MxDeviceFixture, ClassDevicesListTheDistinctDriverDescriptions) {
    const char* family = std::getenv("ZUNDA_DEVICE_FAMILY");
    if (!family) GTEST_SKIP() << "runs in wine-devices.sh";
    const bool nt = std::string(family) == "nt";
    ComPtr<IMxDevice> d = Create<IMxDevice>(CLSID_MxDevice);
    ASSERT_TRUE(d);
    BSTR start = SysAllocString(nt ? L"SYSTEM\\CurrentControlSet\\Control\\Class"
                                    : L"SYSTEM\\CurrentControlSet\\Services\\Class");
    BSTR cls = SysAllocString(L"net");
    BSTR value = SysAllocString(L"DriverDesc");
    ComPtr<IMxStringlist> list;
    BSTR key = nullptr;
    ASSERT_EQ(d->GetClassDevices(start, cls, value, list.Put(), &key), S_OK);
    SysFreeString(start);
    SysFreeString(cls);
    SysFreeString(value);
    ASSERT_TRUE(list);
    if (nt) {
        EXPECT_EQ(Take(key), L"{4D36E972-E325-11CE-BFC1-08002BE10318}");
        EXPECT_EQ(ListItems(list.Get()), (std::vector<std::wstring>{L"Zunda Test NIC", L"Other NIC"}));
    } else {
        EXPECT_EQ(Take(key), L"NET");
        EXPECT_EQ(ListItems(list.Get()), (std::vector<std::wstring>{L"Dial-Up Adapter"}));
    }
}

}  // namespace
}  // namespace zunda::test
