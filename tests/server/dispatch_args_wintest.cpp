// Hostile late-bound callers of the object frame: arguments a member does
// not take, named arguments it does not have, and null name arrays. Each is
// refused with the dispatcher's own error before the member runs.
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

namespace zunda::test {
namespace {

DISPID IdOf(IDispatch* d, const wchar_t* name) {
    DISPID id = DISPID_UNKNOWN;
    LPOLESTR n = const_cast<LPOLESTR>(name);
    EXPECT_EQ(d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "no member";
    return id;
}

// Calls a member with the arguments (first argument first) and the DISPIDs
// of the named ones, which come first in the argument array.
HRESULT Call(IDispatch* d, DISPID id, WORD flags, std::vector<Var> args, std::vector<DISPID> named, UINT* argErr = nullptr,
             VARIANT* result = nullptr) {
    std::vector<VARIANTARG> reversed(args.rbegin(), args.rend());
    DISPPARAMS dp = {reversed.empty() ? nullptr : reversed.data(), named.empty() ? nullptr : named.data(),
                     static_cast<UINT>(reversed.size()), static_cast<UINT>(named.size())};
    EXCEPINFO ei = {};
    UINT err = 0;
    Var ignored;
    HRESULT hr = d->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &dp, result ? result : &ignored, &ei, &err);
    SysFreeString(ei.bstrSource);
    SysFreeString(ei.bstrDescription);
    SysFreeString(ei.bstrHelpFile);
    if (argErr) *argErr = err;
    return hr;
}

TEST(FrameDispatch, ExtraPositionalArgumentsAreRefused) {
    ComPtr<IDispatch> s = CreateByProgId(L"Zunda.MxStrUtils");
    const DISPID token = IdOf(s.Get(), L"StrGetToken");
    Var result;
    EXPECT_EQ(Call(s.Get(), token, DISPATCH_METHOD, {Var(L"a;b"), Var(L";"), Var(2L)}, {}, nullptr, &result), S_OK);
    EXPECT_EQ(std::wstring(result.bstrVal), L"b");
    EXPECT_EQ(Call(s.Get(), token, DISPATCH_METHOD, {Var(L"a;b"), Var(L";"), Var(2L), Var(99L)}, {}),
              DISP_E_BADPARAMCOUNT);
    // A member the frame calls itself (a character-pointer parameter) too.
    EXPECT_EQ(Call(s.Get(), IdOf(s.Get(), L"CharIsAlpha"), DISPATCH_METHOD, {Var(L"a"), Var(L"b")}, {}),
              DISP_E_BADPARAMCOUNT);

    ComPtr<IDispatch> list = CreateByProgId(L"Zunda.MxStringlist");
    LONG index = 0;
    ComPtr<IMxStringlist> l = list.As<IMxStringlist>();
    l->Add(Bstr(L"kept"), &index);
    EXPECT_EQ(Call(list.Get(), IdOf(list.Get(), L"Clear"), DISPATCH_METHOD, {Var(1L)}, {}), DISP_E_BADPARAMCOUNT);
    LONG count = 0;
    l->get_Count(&count);
    EXPECT_EQ(count, 1) << "the refused call did not run";
    // Property reads take no argument either; scripts ask for method or property at once.
    EXPECT_EQ(Call(list.Get(), IdOf(list.Get(), L"Count"), DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Var(1L)}, {}),
              DISP_E_BADPARAMCOUNT);
}

TEST(FrameDispatch, UnknownNamedArgumentsAreRefusedThePutValueIsNot) {
    ComPtr<IDispatch> list = CreateByProgId(L"Zunda.MxStringlist");
    ComPtr<IMxStringlist> l = list.As<IMxStringlist>();
    LONG index = 0;
    l->Add(Bstr(L"b"), &index);
    l->Add(Bstr(L"a"), &index);
    UINT argErr = 99;
    EXPECT_EQ(Call(list.Get(), IdOf(list.Get(), L"Clear"), DISPATCH_METHOD, {Var(1L)}, {5}), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(Call(list.Get(), IdOf(list.Get(), L"Sort"), DISPATCH_METHOD, {Var(1L)}, {0}, &argErr),
              DISP_E_PARAMNOTFOUND);
    ComPtr<IDispatch> s = CreateByProgId(L"Zunda.MxStrUtils");
    EXPECT_EQ(Call(s.Get(), IdOf(s.Get(), L"StrGetToken"), DISPATCH_METHOD, {Var(L"x"), Var(L"a;b"), Var(L";")},
                   {7}, &argErr),
              DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(argErr, 0u) << "the position of the refused name";
    BSTR first = nullptr;
    l->get_Strings(0, &first);
    EXPECT_EQ(Take(first), L"b") << "the list was not sorted";

    // A property put names its value DISPID_PROPERTYPUT; a method may not.
    ComPtr<IDispatch> log = CreateByProgId(L"Zunda.MxAuditLogFile");
    const DISPID disable = IdOf(log.Get(), L"boDisableEvent");
    EXPECT_EQ(Call(log.Get(), disable, DISPATCH_PROPERTYPUT, {Var::Bool(true)}, {DISPID_PROPERTYPUT}), S_OK);
    EXPECT_EQ(Call(log.Get(), disable, DISPATCH_PROPERTYPUT, {Var::Bool(true)}, {3}), DISP_E_PARAMNOTFOUND);
    EXPECT_EQ(Call(list.Get(), IdOf(list.Get(), L"Sort"), DISPATCH_METHOD, {}, {}), S_OK);
    EXPECT_EQ(Call(s.Get(), IdOf(s.Get(), L"StrGetToken"), DISPATCH_METHOD, {Var(L";")}, {DISPID_PROPERTYPUT}),
              DISP_E_PARAMNOTFOUND);

    // Malformed argument arrays.
    DISPPARAMS broken = {nullptr, nullptr, 2, 0};
    Var r;
    EXPECT_EQ(list->Invoke(IdOf(list.Get(), L"Sort"), IID_NULL, 0, DISPATCH_METHOD, &broken, &r, nullptr, nullptr),
              E_INVALIDARG);
}

TEST(FrameDispatch, GetIDsOfNamesChecksItsArrays) {
    ComPtr<IDispatch> s = CreateByProgId(L"Zunda.MxStrUtils");
    DISPID id = 0;
    EXPECT_EQ(s->GetIDsOfNames(IID_NULL, nullptr, 0, LOCALE_USER_DEFAULT, nullptr), E_INVALIDARG);
    EXPECT_EQ(s->GetIDsOfNames(IID_NULL, nullptr, 1, LOCALE_USER_DEFAULT, &id), E_INVALIDARG);
    LPOLESTR name = const_cast<LPOLESTR>(L"StrGetToken");
    EXPECT_EQ(s->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, nullptr), E_POINTER);
    LPOLESTR none = nullptr;
    EXPECT_EQ(s->GetIDsOfNames(IID_NULL, &none, 1, LOCALE_USER_DEFAULT, &id), E_INVALIDARG);
    EXPECT_EQ(s->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
}

}  // namespace
}  // namespace zunda::test
