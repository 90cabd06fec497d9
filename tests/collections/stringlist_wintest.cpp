// MxStringlist as clients see it: the error convention with its two-argument
// OnError, OnChange after every change, files, and the byte-array variant.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

#include <functional>

ZUNDA_TEST_IMPLEMENTED(MxStringlist);

namespace zunda::test {
namespace {

constexpr DISPID kOnChange = 1;
constexpr DISPID kOnError = 2;

const wchar_t kIndexMessage[] = L"Listenindex \u00fcberschreitet das Maximum (";

ComPtr<IMxStringlist> NewList(std::initializer_list<const wchar_t*> items = {}) {
    ComPtr<IMxStringlist> l = Create<IMxStringlist>(CLSID_MxStringlist);
    for (const wchar_t* s : items) {
        BSTR b = SysAllocString(s);
        LONG index = 0;
        EXPECT_EQ(l->Add(b, &index), S_OK);
        SysFreeString(b);
    }
    return l;
}

std::wstring LastError(IMxStringlist* l) {
    BSTR s = nullptr;
    l->get_wstrLastErrorMessage(&s);
    return Take(s);
}

TEST(MxStringlist, IndexOutsideTheListFollowsTheErrorConvention) {
    ComPtr<IMxStringlist> l = NewList({L"a", L"b"});
    BSTR s = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(l->get_Strings(2, &s), S_OK);
    EXPECT_EQ(s, nullptr);
    EXPECT_EQ(LastError(l.Get()), std::wstring(L"[Get_Strings]: ") + kIndexMessage + L"2)");

    struct Case {
        const wchar_t* member;
        std::function<HRESULT()> call;
    } cases[] = {
        {L"Set_Strings", [&] { return l->put_Strings(-1, Bstr(L"x")); }},
        {L"Get_Names", [&] {
             BSTR n = nullptr;
             HRESULT hr = l->get_Names(5, &n);
             EXPECT_EQ(n, nullptr);
             return hr;
         }},
        {L"Delete", [&] { return l->Delete(2); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        EXPECT_EQ(c.call(), S_OK);
        EXPECT_EQ(LastError(l.Get()).substr(0, wcslen(c.member) + 4), std::wstring(L"[") + c.member + L"]: ");
    }
    EXPECT_EQ(ListItems(l.Get()), (std::vector<std::wstring>{L"a", L"b"}));

    // Raised: E_UNEXPECTED with the text as error information.
    l->put_boRaiseErrors(VARIANT_TRUE);
    EXPECT_EQ(l->Delete(7), E_UNEXPECTED);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_TRUE(info.present);
    EXPECT_EQ(info.description, std::wstring(L"[Delete]: ") + kIndexMessage + L"7)");
    EXPECT_EQ(info.source, L"Zunda.MxStringlist");

    // Late-bound, the same failure is an exception carrying the text.
    ComPtr<IDispatch> d = l.As<IDispatch>();
    CallResult r = PropGet(d.Get(), L"Strings", {Var(9L)});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.description, std::wstring(L"[Get_Strings]: ") + kIndexMessage + L"9)");
}

TEST(MxStringlist, SinkGetsOnErrorWithTwoArgumentsAndOnChangeAfterEveryChange) {
    ComPtr<IMxStringlist> l = NewList();
    RecordingSink* sink = new RecordingSink(DIID_IMxStringlistEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(l.Get(), DIID_IMxStringlistEvents, sink, &cookie), S_OK);
    l->put_boRaiseErrors(VARIANT_TRUE);  // never raised while a sink is connected

    TestDir dir("strl-events");
    dir.Write("in.txt", "x\r\ny\r\n");
    LONG index = 0;
    VARIANT_BOOL ok = 0;
    VARIANT bytes;
    VariantInit(&bytes);

    struct Step {
        const char* what;
        std::function<void()> run;
        bool changes;
    } steps[] = {
        {"Add", [&] { l->Add(Bstr(L"b"), &index); }, true},
        {"Add", [&] { l->Add(Bstr(L"A"), &index); }, true},
        {"put Strings", [&] { l->put_Strings(0, Bstr(L"c")); }, true},
        {"put Values", [&] { l->put_Values(Bstr(L"k"), Bstr(L"v")); }, true},
        {"put Values, nothing to delete", [&] { l->put_Values(Bstr(L"none"), Bstr(L"")); }, false},
        {"Sort", [&] { l->Sort(); }, true},
        {"IndexOf", [&] { l->IndexOf(Bstr(L"c"), &index); }, false},
        {"Find", [&] { l->Find(Bstr(L"c"), &index, &ok); }, false},
        {"SaveToVariant", [&] { l->SaveToVariant(&bytes, &ok); }, false},
        {"Delete", [&] { l->Delete(0); }, true},
        {"LoadFromVariant", [&] { l->LoadFromVariant(bytes, &ok); }, true},
        {"LoadFromFile", [&] { l->LoadFromFile(Bstr(dir.W("in.txt")), &ok); }, true},
        {"SaveToFile", [&] { l->SaveToFile(Bstr(dir.W("out.txt")), &ok); }, false},
        {"Clear", [&] { l->Clear(); }, true},
        {"Clear of an empty list", [&] { l->Clear(); }, false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        sink->calls.clear();
        s.run();
        ASSERT_EQ(sink->calls.size(), s.changes ? 1u : 0u);
        if (s.changes) {
            EXPECT_EQ(sink->calls[0].id, kOnChange);
            EXPECT_TRUE(sink->calls[0].args.empty());
        }
    }
    VariantClear(&bytes);
    EXPECT_EQ(dir.Read("out.txt"), "x\r\ny\r\n");

    sink->calls.clear();
    BSTR s = nullptr;
    EXPECT_EQ(l->get_Strings(0, &s), S_OK);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].id, kOnError);
    EXPECT_EQ(sink->calls[0].args, (std::vector<std::wstring>{L"Get_Strings", std::wstring(kIndexMessage) + L"0)"}));

    // A failing handler changes nothing for the caller.
    Unadvise(l.Get(), DIID_IMxStringlistEvents, cookie);
    sink->Release();
    RecordingSink* failing = new RecordingSink(DIID_IMxStringlistEvents, RecordingSink::Mode::Fail);
    ASSERT_EQ(Advise(l.Get(), DIID_IMxStringlistEvents, failing, &cookie), S_OK);
    EXPECT_EQ(l->Add(Bstr(L"z"), &index), S_OK);
    EXPECT_EQ(index, 0);
    EXPECT_EQ(l->Delete(3), S_OK);
    EXPECT_EQ(failing->calls.size(), 2u);
    Unadvise(l.Get(), DIID_IMxStringlistEvents, cookie);
    failing->Release();
}

TEST(MxStringlist, SearchesIgnoreCaseInTheSystemLocale) {
    ComPtr<IMxStringlist> l = NewList({L"pear", L"\u00e4pfel", L"Apple", L"apple", L"banana"});
    LONG index = 0;
    EXPECT_EQ(l->IndexOf(Bstr(L"\u00c4PFEL"), &index), S_OK);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(l->IndexOf(Bstr(L"kiwi"), &index), S_OK);
    EXPECT_EQ(index, -1);  // missing is -1, not the failure value

    ASSERT_EQ(l->Sort(), S_OK);
    std::vector<std::wstring> sorted = ListItems(l.Get());
    for (size_t i = 1; i < sorted.size(); ++i)
        EXPECT_LE(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, sorted[i - 1].c_str(), -1, sorted[i].c_str(), -1),
                  CSTR_EQUAL);
    VARIANT_BOOL found = 0;
    index = -1;
    EXPECT_EQ(l->Find(Bstr(L"APPLE"), &index, &found), S_OK);
    EXPECT_EQ(found, VARIANT_TRUE);
    EXPECT_EQ(sorted[static_cast<size_t>(index)].size(), 5u);
    EXPECT_EQ(CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, sorted[static_cast<size_t>(index)].c_str(), -1,
                             L"apple", -1),
              CSTR_EQUAL);
    EXPECT_TRUE(index == 0 || CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE,
                                             sorted[static_cast<size_t>(index) - 1].c_str(), -1, L"apple", -1) ==
                                  CSTR_LESS_THAN);
    EXPECT_EQ(l->Find(Bstr(L"cherry"), &index, &found), S_OK);
    EXPECT_EQ(found, VARIANT_FALSE);
    EXPECT_EQ(sorted[static_cast<size_t>(index) - 1], L"banana");
}

TEST(MxStringlist, ValuesByName) {
    ComPtr<IMxStringlist> l = NewList({L"Path=C:\\a=b", L"plain"});
    BSTR v = nullptr;
    EXPECT_EQ(l->get_Values(Bstr(L"PATH"), &v), S_OK);
    EXPECT_EQ(Take(v), L"C:\\a=b");
    EXPECT_EQ(l->get_Names(1, &v), S_OK);
    EXPECT_EQ(Take(v), L"");
    EXPECT_EQ(l->put_Values(Bstr(L"path"), Bstr(L"")), S_OK);
    EXPECT_EQ(l->put_Values(Bstr(L"new"), Bstr(L"1")), S_OK);
    EXPECT_EQ(ListItems(l.Get()), (std::vector<std::wstring>{L"plain", L"new=1"}));
}

TEST(MxStringlist, ByteArrayVariantRoundTrip) {
    ComPtr<IMxStringlist> empty = NewList();
    VARIANT v;
    VariantInit(&v);
    VARIANT_BOOL ok = 0;
    ASSERT_EQ(empty->SaveToVariant(&v, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    ASSERT_EQ(v.vt, VT_ARRAY | VT_UI1);
    LONG lower = 5, upper = 5;
    SafeArrayGetLBound(v.parray, 1, &lower);
    SafeArrayGetUBound(v.parray, 1, &upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, -1);

    ComPtr<IMxStringlist> l = NewList({L"one", L"two\r\nthree", L"", L"f\u00fcnf"});
    V_VT(&v) = VT_BSTR;  // whatever the variant held is replaced
    SafeArrayDestroy(v.parray);
    v.bstrVal = SysAllocString(L"old");
    ASSERT_EQ(l->SaveToVariant(&v, &ok), S_OK);
    ASSERT_EQ(v.vt, VT_ARRAY | VT_UI1);
    SafeArrayGetUBound(v.parray, 1, &upper);
    const std::string expected = "one\r\ntwo\r\nthree\r\n\r\nf\xFCnf\r\n";
    ASSERT_EQ(upper, static_cast<LONG>(expected.size()) - 1);
    EXPECT_EQ(std::string(static_cast<const char*>(v.parray->pvData), expected.size()), expected);

    ComPtr<IMxStringlist> copy = NewList({L"stale"});
    ASSERT_EQ(copy->LoadFromVariant(v, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(ListItems(copy.Get()), (std::vector<std::wstring>{L"one", L"two", L"three", L"", L"f\u00fcnf"}));

    // By reference, as script engines may pass it.
    VARIANT ref;
    ref.vt = VT_BYREF | VT_VARIANT;
    ref.pvarVal = &v;
    ComPtr<IMxStringlist> third = NewList();
    ASSERT_EQ(third->LoadFromVariant(ref, &ok), S_OK);
    EXPECT_EQ(ListItems(third.Get()).size(), 5u);
    VariantClear(&v);

    // What is not a byte array is a failure that leaves the list alone.
    Var notBytes(L"one\r\ntwo");
    ok = VARIANT_TRUE;
    ASSERT_EQ(copy->LoadFromVariant(notBytes, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(LastError(copy.Get()).rfind(L"[LoadFromVariant]: ", 0), 0u);
    EXPECT_EQ(ListItems(copy.Get()).size(), 5u);
    SAFEARRAYBOUND b[2] = {{2, 0}, {2, 0}};
    VARIANT twoDim;
    twoDim.vt = VT_ARRAY | VT_UI1;
    twoDim.parray = SafeArrayCreate(VT_UI1, 2, b);
    EXPECT_EQ(copy->LoadFromVariant(twoDim, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    VariantClear(&twoDim);
    EXPECT_EQ(ListItems(copy.Get()).size(), 5u);
}

TEST(MxStringlist, FilesKeepEveryLineAndAFailedLoadKeepsTheList) {
    TestDir dir("strl-files");
    dir.Write("mixed.txt", "a\rb\nc\r\n\r\nlast without end");
    ComPtr<IMxStringlist> l = NewList({L"keep"});
    VARIANT_BOOL ok = 0;
    ASSERT_EQ(l->LoadFromFile(Bstr(dir.W("mixed.txt")), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(ListItems(l.Get()), (std::vector<std::wstring>{L"a", L"b", L"c", L"", L"last without end"}));

    ASSERT_EQ(l->SaveToFile(Bstr(dir.W("saved.txt")), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_EQ(dir.Read("saved.txt"), "a\r\nb\r\nc\r\n\r\nlast without end\r\n");

    ok = VARIANT_TRUE;
    ASSERT_EQ(l->LoadFromFile(Bstr(dir.W("missing.txt")), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    std::wstring message = LastError(l.Get());
    EXPECT_EQ(message.rfind(L"[LoadFromFile]: ", 0), 0u);
    EXPECT_NE(message.find(L"missing.txt"), std::wstring::npos);
    EXPECT_EQ(ListItems(l.Get()).size(), 5u);

    ASSERT_EQ(l->SaveToFile(Bstr(dir.W("no-such-dir\\x.txt")), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(LastError(l.Get()).rfind(L"[SaveToFile]: ", 0), 0u);
}

TEST(MxStringlist, LateBoundMembers) {
    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxStringlist");
    ASSERT_TRUE(d);
    EXPECT_EQ(Method(d.Get(), L"Add", {Var(L"x")}).value.lVal, 0);
    EXPECT_EQ(Method(d.Get(), L"Add", {Var(L"y")}).value.lVal, 1);
    EXPECT_EQ(PropPut(d.Get(), L"Strings", Var(L"X2"), {Var(0L)}), S_OK);
    EXPECT_EQ(PropGet(d.Get(), L"Strings", {Var(0L)}).value.Str(), L"X2");
    EXPECT_EQ(PropGet(d.Get(), L"Count").value.lVal, 2);
    EXPECT_EQ(Method(d.Get(), L"IndexOf", {Var(L"Y")}).value.lVal, 1);
}

}  // namespace
}  // namespace zunda::test
