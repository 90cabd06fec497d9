// The server's entry points and registration, seen from a client process.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"

#include <map>

ZUNDA_TEST_IMPLEMENTED(MxBaseInterface);

namespace zunda::test {
namespace {

const wchar_t kLibid[] = L"{778AA618-11D3-4B05-BD00-10C330340EF1}";

// Reads a string value below HKEY_CLASSES_ROOT; nullopt-like "\x1" when the key or value is missing.
const std::wstring kMissing = L"<missing>";
std::wstring ReadString(const std::wstring& key, const wchar_t* value = nullptr) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return kMissing;
    wchar_t buf[1024] = {};
    DWORD size = sizeof(buf) - sizeof(wchar_t);
    DWORD type = 0;
    LONG rc = RegQueryValueExW(h, value, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) return kMissing;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << "value type";
    return buf;
}
bool KeyExists(const std::wstring& key) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

struct ClassEntry {
    std::wstring name, clsid, description;
};

std::vector<ClassEntry> Classes() {
    std::vector<ClassEntry> out;
    ComPtr<ITypeLib> lib;
    GUID libid;
    CLSIDFromString(const_cast<LPOLESTR>(kLibid), &libid);
    EXPECT_EQ(LoadRegTypeLib(libid, 1, 0, 0x409, lib.Put()), S_OK);
    if (!lib) return out;
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        TYPEKIND k;
        lib->GetTypeInfoType(i, &k);
        if (k != TKIND_COCLASS) continue;
        ComPtr<ITypeInfo> ti;
        lib->GetTypeInfo(i, ti.Put());
        TYPEATTR* ta = nullptr;
        ti->GetTypeAttr(&ta);
        wchar_t g[40];
        StringFromGUID2(ta->guid, g, 40);
        ti->ReleaseTypeAttr(ta);
        BSTR n = nullptr, d = nullptr;
        ti->GetDocumentation(MEMBERID_NIL, &n, &d, nullptr, nullptr);
        out.push_back({Take(n), g, Take(d)});
    }
    return out;
}

// Every registry entry that belongs to one class.
std::map<std::wstring, std::wstring> Snapshot(const ClassEntry& c) {
    const std::wstring k = L"CLSID\\" + c.clsid;
    const std::wstring progId = L"Zunda." + c.name;
    return {
        {L"clsid", ReadString(k)},
        {L"inproc", ReadString(k + L"\\InprocServer32")},
        {L"threading", ReadString(k + L"\\InprocServer32", L"ThreadingModel")},
        {L"progid", ReadString(progId)},
        {L"progid-clsid", ReadString(progId + L"\\Clsid")},
        {L"clsid-progid", ReadString(k + L"\\ProgID")},
        {L"version", ReadString(k + L"\\Version")},
        {L"typelib", ReadString(k + L"\\TypeLib")},
    };
}

using ExportFn = HRESULT(STDAPICALLTYPE*)();
using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

class ServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = ReadString(L"CLSID\\{C52324D2-0DD2-4D14-95E4-CC7DDE9C46F9}\\InprocServer32");
        ASSERT_NE(path, kMissing) << "the server is not registered";
        module = LoadLibraryW(path.c_str());
        ASSERT_TRUE(module);
        getClassObject = reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        canUnload = reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllCanUnloadNow")));
        registerServer = reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
        unregisterServer = reinterpret_cast<ExportFn>(reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer")));
        ASSERT_TRUE(getClassObject && canUnload && registerServer && unregisterServer);
    }
    void TearDown() override {
        if (module) FreeLibrary(module);
    }
    std::wstring path;
    HMODULE module = nullptr;
    GetClassObjectFn getClassObject = nullptr;
    ExportFn canUnload = nullptr, registerServer = nullptr, unregisterServer = nullptr;
};

TEST_F(ServerTest, ImplementedClassesAreRegisteredAndCreatableOthersAreNot) {
    std::vector<ClassEntry> classes = Classes();
    ASSERT_EQ(classes.size(), 26u);
    for (const ClassEntry& c : classes) {
        SCOPED_TRACE(std::string(c.name.begin(), c.name.end()));
        std::map<std::wstring, std::wstring> s = Snapshot(c);
        CLSID clsid;
        CLSIDFromString(const_cast<LPOLESTR>(c.clsid.c_str()), &clsid);
        ComPtr<IUnknown> object;
        HRESULT created = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                           reinterpret_cast<void**>(object.Put()));
        if (IsImplemented(c.name.c_str())) {
            EXPECT_EQ(s[L"clsid"], c.description);
            EXPECT_EQ(s[L"inproc"], path);
            EXPECT_EQ(s[L"threading"], L"Apartment");
            EXPECT_EQ(s[L"progid"], c.description);
            EXPECT_EQ(s[L"progid-clsid"], c.clsid);
            EXPECT_EQ(s[L"clsid-progid"], L"Zunda." + c.name);
            EXPECT_EQ(s[L"version"], L"1.0");
            EXPECT_EQ(s[L"typelib"], kLibid);
            EXPECT_EQ(created, S_OK);
        } else {
            EXPECT_FALSE(KeyExists(L"CLSID\\" + c.clsid));
            EXPECT_FALSE(KeyExists(L"Zunda." + c.name));
            EXPECT_NE(created, S_OK);
            ComPtr<IClassFactory> factory;
            EXPECT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())),
                      CLASS_E_CLASSNOTAVAILABLE);
        }
    }
}

TEST_F(ServerTest, UnknownClassIsNotAvailable) {
    const GUID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClassObject(unknown, IID_IClassFactory, &out), static_cast<HRESULT>(0x80040111));
    EXPECT_EQ(out, nullptr);
    ComPtr<IUnknown> factory;
    EXPECT_EQ(getClassObject(CLSID_MxBaseInterface, IID_IDispatch, reinterpret_cast<void**>(factory.Put())),
              E_NOINTERFACE);
}

TEST_F(ServerTest, CanUnloadOnlyWithoutObjectsAndLocks) {
    EXPECT_EQ(canUnload(), S_OK);
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_MxBaseInterface, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())), S_OK);
    EXPECT_EQ(canUnload(), S_OK);  // a factory is no object
    ComPtr<IMxBaseInterface> object;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IMxBaseInterface, reinterpret_cast<void**>(object.Put())), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    ComPtr<IMxBaseInterface> second(object.Get());
    object.Reset();
    EXPECT_EQ(canUnload(), S_FALSE);
    second.Reset();
    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);
    // No aggregation.
    ComPtr<IUnknown> outer;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(outer.Put())), S_OK);
    ComPtr<IUnknown> aggregated;
    EXPECT_EQ(factory->CreateInstance(outer.Get(), IID_IUnknown, reinterpret_cast<void**>(aggregated.Put())),
              CLASS_E_NOAGGREGATION);
}

TEST_F(ServerTest, UnlockWithoutLockLeavesTheCountAtZero) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(getClassObject(CLSID_MxBaseInterface, IID_IClassFactory, reinterpret_cast<void**>(factory.Put())), S_OK);
    ASSERT_EQ(canUnload(), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_EQ(factory->LockServer(TRUE), S_OK);
    EXPECT_EQ(canUnload(), S_FALSE) << "a lock is held";
    EXPECT_EQ(factory->LockServer(FALSE), S_OK);
    EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(ServerTest, RegisteringTwiceThenUnregisteringRemovesEverything) {
    std::vector<ClassEntry> classes = Classes();
    ASSERT_EQ(registerServer(), S_OK);
    std::vector<std::map<std::wstring, std::wstring>> first;
    for (const ClassEntry& c : classes) first.push_back(Snapshot(c));
    ASSERT_EQ(registerServer(), S_OK);
    for (size_t i = 0; i < classes.size(); ++i) EXPECT_EQ(Snapshot(classes[i]), first[i]);

    ASSERT_EQ(unregisterServer(), S_OK);
    for (const ClassEntry& c : classes) {
        EXPECT_FALSE(KeyExists(L"CLSID\\" + c.clsid)) << std::string(c.name.begin(), c.name.end());
        EXPECT_FALSE(KeyExists(L"Zunda." + c.name));
    }
    EXPECT_FALSE(KeyExists(std::wstring(L"TypeLib\\") + kLibid + L"\\1.0"));
    EXPECT_FALSE(KeyExists(L"Interface\\{BD8C4933-D6AF-4222-ACFC-66EE408BFE56}"));
    // Unregistering what is not registered is no error.
    EXPECT_EQ(unregisterServer(), S_OK);

    ASSERT_EQ(registerServer(), S_OK);
    for (size_t i = 0; i < classes.size(); ++i) EXPECT_EQ(Snapshot(classes[i]), first[i]);
    EXPECT_TRUE(KeyExists(std::wstring(L"TypeLib\\") + kLibid + L"\\1.0"));
}

TEST(MxBaseInterface, CarriesTheTwoBaseProperties) {
    ComPtr<IMxBaseInterface> base = Create<IMxBaseInterface>(CLSID_MxBaseInterface);
    ASSERT_TRUE(base);
    BSTR text = nullptr;
    ASSERT_EQ(base->get_wstrLastErrorMessage(&text), S_OK);
    EXPECT_EQ(Take(text), L"");
    VARIANT_BOOL raise = 1;
    ASSERT_EQ(base->get_boRaiseErrors(&raise), S_OK);
    EXPECT_EQ(raise, VARIANT_FALSE);

    BSTR hello = SysAllocString(L"Hallo \u00E4\u00F6\u00FC");
    ASSERT_EQ(base->put_wstrLastErrorMessage(hello), S_OK);
    SysFreeString(hello);
    ASSERT_EQ(base->get_wstrLastErrorMessage(&text), S_OK);
    EXPECT_EQ(Take(text), L"Hallo \u00E4\u00F6\u00FC");
    BSTR empty = SysAllocString(L"");
    ASSERT_EQ(base->put_wstrLastErrorMessage(empty), S_OK);
    SysFreeString(empty);
    ASSERT_EQ(base->get_wstrLastErrorMessage(&text), S_OK);
    EXPECT_EQ(Take(text), L"");
    ASSERT_EQ(base->put_wstrLastErrorMessage(nullptr), S_OK);

    ASSERT_EQ(base->put_boRaiseErrors(5), S_OK);
    ASSERT_EQ(base->get_boRaiseErrors(&raise), S_OK);
    EXPECT_EQ(raise, VARIANT_TRUE);
    ASSERT_EQ(base->put_boRaiseErrors(0), S_OK);
    ASSERT_EQ(base->get_boRaiseErrors(&raise), S_OK);
    EXPECT_EQ(raise, VARIANT_FALSE);

    // Late-bound, through the type information.
    ComPtr<IDispatch> d = base.As<IDispatch>();
    ASSERT_TRUE(d);
    EXPECT_EQ(PropPut(d.Get(), L"boRaiseErrors", Var(5L)), S_OK);
    CallResult r = PropGet(d.Get(), L"boRaiseErrors");
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_BOOL);
    EXPECT_EQ(r.value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(PropPut(d.Get(), L"wstrLastErrorMessage", Var(L"abc")), S_OK);
    EXPECT_EQ(PropGet(d.Get(), L"wstrLastErrorMessage").value.Str(), L"abc");
    EXPECT_EQ(PropGet(d.Get(), L"NoSuchMember").hr, DISP_E_UNKNOWNNAME);

    // What the object offers and what it does not.
    ComPtr<ISupportErrorInfo> sei = base.As<ISupportErrorInfo>();
    ASSERT_TRUE(sei);
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IMxBaseInterface), S_OK);
    EXPECT_EQ(sei->InterfaceSupportsErrorInfo(IID_IMxStrUtils), S_FALSE);
    EXPECT_FALSE(base.As<IMxStrUtils>());
    ComPtr<ITypeInfo> ti;
    ASSERT_EQ(d->GetTypeInfo(0, 0, ti.Put()), S_OK);
    TYPEATTR* ta = nullptr;
    ti->GetTypeAttr(&ta);
    EXPECT_EQ(ta->guid, IID_IMxBaseInterface);
    ti->ReleaseTypeAttr(ta);
}

}  // namespace
}  // namespace zunda::test
