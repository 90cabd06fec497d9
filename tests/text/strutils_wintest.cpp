// MxStrUtils through the real library: early-bound calls with the declared
// signatures, late-bound calls (character-pointer parameters included) and
// the way its direct-result members report failures.
#include "tests/support/win/catalogue.h"
#include "tests/text/text_wintest.h"

ZUNDA_TEST_IMPLEMENTED(MxStrUtils);

namespace zunda::test {
namespace {

class StrUtilsTest : public ::testing::Test {
protected:
    void SetUp() override {
        s = Create<IMxStrUtils>(CLSID_MxStrUtils);
        ASSERT_TRUE(s);
        d = s.As<IDispatch>();
        ASSERT_TRUE(d);
    }
    ComPtr<IMxStrUtils> s;
    ComPtr<IDispatch> d;
};

TEST_F(StrUtilsTest, EarlyBoundMembersOtherObjectsRelyOn) {
    EXPECT_EQ(Take(s->StrReplace(Bstr(L"a-b-c"), const_cast<LPWSTR>(L"-"), const_cast<LPWSTR>(L"+"))), L"a+b+c");
    EXPECT_EQ(Take(s->StrReplace(Bstr(L"C:/a/b"), const_cast<LPWSTR>(L"/x"), const_cast<LPWSTR>(L"\\"))), L"C:\\a\\b");
    EXPECT_EQ(Take(s->StrGetToken(Bstr(L"a;b;c"), Bstr(L";"), 2)), L"b");
    EXPECT_EQ(Take(s->StrGetToken(Bstr(L"a;b;c"), Bstr(L";"), 4)), L"");
    EXPECT_EQ(Take(s->StrGetToken(nullptr, nullptr, 1)), L"");
    EXPECT_EQ(s->StrTokenExists(Bstr(L"a;b"), Bstr(L";")), VARIANT_TRUE);
    EXPECT_EQ(s->StrTokenExists(Bstr(L"abc"), Bstr(L"")), VARIANT_FALSE);
    EXPECT_EQ(s->StrTokenExists(nullptr, nullptr), VARIANT_FALSE);
    EXPECT_EQ(s->StrLastPos(const_cast<LPWSTR>(L"\\"), Bstr(L"C:\\dir\\file.txt")), 7);
    EXPECT_EQ(s->StrLastPos(nullptr, Bstr(L"abc")), 0);
    EXPECT_EQ(s->StrLastPos(const_cast<LPWSTR>(L"a"), nullptr), 0);
    EXPECT_EQ(s->StrToBool(Bstr(L" ja ")), VARIANT_TRUE);
    EXPECT_EQ(s->StrToBool(Bstr(L"yes")), VARIANT_FALSE);
    EXPECT_EQ(s->StrToBool(nullptr), VARIANT_FALSE);
    EXPECT_EQ(Take(s->BoolToStr(5)), L"TRUE");
    EXPECT_EQ(s->StrHowManyToken(Bstr(L"a;;b"), Bstr(L";")), 2);
    EXPECT_EQ(Take(s->StrDeleteToken(Bstr(L"a;b;c"), Bstr(L";"), 2)), L"a;c");
    EXPECT_EQ(Take(s->StrInsertToken(Bstr(L""), Bstr(L";"), 1, Bstr(L"X"))), L"X;");
    EXPECT_EQ(Take(s->StrSetToken(Bstr(L"abc"), Bstr(L";"), 2, Bstr(L"X"))), L"abc;X");
}

TEST_F(StrUtilsTest, EarlyBoundEditsAndTests) {
    EXPECT_EQ(Take(s->StrAddChar(Bstr(L"abc"), const_cast<LPWSTR>(L"\""))), L"\"abc\"");
    EXPECT_EQ(Take(s->StrDeleteChar(Bstr(L"a-b"), const_cast<LPWSTR>(L"-"))), L"ab");
    EXPECT_EQ(s->StrContains(Bstr(L"xyz"), Bstr(L"abcz")), VARIANT_TRUE);
    EXPECT_EQ(Take(s->StrLeft(Bstr(L"abc"), 5)), L"");
    EXPECT_EQ(Take(s->StrRight(Bstr(L"abc"), 2)), L"bc");
    EXPECT_EQ(Take(s->StrTrimNull(Bstr(L"  00120 "))), L"120");
    EXPECT_EQ(Take(s->StrTrimLeftEx(Bstr(L"xxx"), Bstr(L"x"))), L"xxx");
    EXPECT_EQ(s->StrBetween(Bstr(L"b"), Bstr(L"a"), Bstr(L"c")), VARIANT_TRUE);
    EXPECT_EQ(Take(s->StrDelete(Bstr(L"a-b-c"), Bstr(L"-"))), L"abc");
    EXPECT_EQ(Take(s->Copy2Symb(Bstr(L" Name=Wert"), Bstr(L"="))), L" Name");
    BSTR out = nullptr;
    EXPECT_EQ(s->CopyAfterSymb(Bstr(L"Name=Wert"), Bstr(L"="), &out), S_OK);
    EXPECT_EQ(Take(out), L"Wert");
    EXPECT_EQ(s->StrReplaceEx(Bstr(L" a-b"), Bstr(L"-"), Bstr(L"+"), &out), S_OK);
    EXPECT_EQ(Take(out), L" a+b");
    EXPECT_EQ(s->CopyAfterSymb(nullptr, nullptr, &out), S_OK);
    EXPECT_EQ(Take(out), L"");
    EXPECT_EQ(s->CopyAfterSymb(Bstr(L"a"), Bstr(L"b"), nullptr), E_POINTER);
    EXPECT_EQ(s->StrIsTyp(Bstr(L"abc")), tsAlpha);
    EXPECT_EQ(s->StrIsTyp(Bstr(L"1 234,5")), tsNumber);
    EXPECT_EQ(s->StrIsTyp(Bstr(L"abc1")), tsAlphanum);
    EXPECT_EQ(s->StrIsTyp(Bstr(L"<>")), tsUnknown);
    EXPECT_EQ(s->StrIsAlpha(Bstr(L"")), VARIANT_FALSE);
    EXPECT_EQ(s->StrIsNumber(nullptr), VARIANT_FALSE);
    EXPECT_EQ(s->StrIsAlphaNum(Bstr(L"abc1")), VARIANT_TRUE);
}

TEST_F(StrUtilsTest, CharactersAreClassifiedByTheirCodePageByte) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252, have " << GetACP();
    struct Case {
        const wchar_t* c;
        VARIANT_BOOL alpha, number, sign;
    } cases[] = {
        {L"a", VARIANT_TRUE, VARIANT_FALSE, VARIANT_FALSE},
        {L"\u00E4", VARIANT_TRUE, VARIANT_FALSE, VARIANT_FALSE},
        {L"7", VARIANT_FALSE, VARIANT_TRUE, VARIANT_FALSE},
        {L" ", VARIANT_FALSE, VARIANT_TRUE, VARIANT_FALSE},
        {L"\u00DF", VARIANT_TRUE, VARIANT_FALSE, VARIANT_TRUE},
        {L"\u20AC", VARIANT_FALSE, VARIANT_FALSE, VARIANT_TRUE},
        {L"\u4E30", VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE},  // low byte '0'
        {L"\u0141", VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE},  // low byte 'A'; best fit would say 'L'
        {L"\u2030", VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE},
        {L"", VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE},
        {nullptr, VARIANT_FALSE, VARIANT_FALSE, VARIANT_FALSE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.c ? static_cast<int>(c.c[0]) : -1);
        LPWSTR p = const_cast<LPWSTR>(c.c);
        EXPECT_EQ(s->CharIsAlpha(p), c.alpha);
        EXPECT_EQ(s->CharIsNumber(p), c.number);
        EXPECT_EQ(s->CharIsSign(p), c.sign);
    }
}

TEST_F(StrUtilsTest, LateBoundCharacterParametersTakeStringsAndCodes) {
    CallResult r = Method(d.Get(), L"StrReplace", {Var(L"a-b-c"), Var(L"-"), Var(L"+")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_BSTR);
    EXPECT_EQ(r.value.Str(), L"a+b+c");
    // Only the first character of a longer text counts; a number is a character code.
    r = Method(d.Get(), L"StrReplace", {Var(L"a-b-c"), Var(L"-x"), Var(43L)});
    EXPECT_EQ(r.value.Str(), L"a+b+c");
    r = Method(d.Get(), L"StrLastPos", {Var(L"\\"), Var(L"C:\\dir\\file")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_I4);
    EXPECT_EQ(r.value.lVal, 7);
    r = Method(d.Get(), L"CharIsAlpha", {Var(L"x")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_BOOL);
    EXPECT_EQ(r.value.boolVal, VARIANT_TRUE);
    r = Method(d.Get(), L"CharIsAlpha", {Var(static_cast<long>('7'))});
    EXPECT_EQ(r.value.boolVal, VARIANT_FALSE);
    r = Method(d.Get(), L"CharIsNumber", {Var(static_cast<long>('7'))});
    EXPECT_EQ(r.value.boolVal, VARIANT_TRUE);
    // No character: a null, an empty text.
    r = Method(d.Get(), L"CharIsSign", {NullArg()});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.boolVal, VARIANT_FALSE);
    r = Method(d.Get(), L"StrAddChar", {Var(L"abc"), Var(L"")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), L"abc");
    r = Method(d.Get(), L"StrDeleteChar", {Var(L"a-b"), Var(L"-")});
    EXPECT_EQ(r.value.Str(), L"ab");
    // Something that is neither text nor number is refused.
    Var array;
    array.vt = VT_ARRAY | VT_I4;
    array.parray = SafeArrayCreateVector(VT_I4, 0, 1);
    r = Method(d.Get(), L"CharIsAlpha", {array});
    EXPECT_EQ(r.hr, DISP_E_TYPEMISMATCH);
    r = Method(d.Get(), L"CharIsAlpha", {});
    EXPECT_NE(r.hr, S_OK);
}

TEST_F(StrUtilsTest, LateBoundOtherMembers) {
    CallResult r = Method(d.Get(), L"StrGetToken", {Var(L"a;b;c"), Var(L";"), Var(3L)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), L"c");
    r = Method(d.Get(), L"StrIsTyp", {Var(L"12")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.lVal, tsNumber);
    r = Method(d.Get(), L"CopyAfterSymb", {Var(L"Name=Wert"), Var(L"==")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), L"Name=Wert");
    r = Method(d.Get(), L"StrReplaceEx", {Var(L"a-b-c"), Var(L"-"), Var(L"")});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), L"abc");
    r = Method(d.Get(), L"StrToBool", {Var(L"WAHR")});
    EXPECT_EQ(r.value.boolVal, VARIANT_TRUE);
}

TEST_F(StrUtilsTest, TextsOutsideTheCodePageSurviveTheUnicodeMembers) {
    const std::wstring text = L"\u4E2D;\u6587;\u0416";
    EXPECT_EQ(Take(s->StrGetToken(Bstr(text), Bstr(L";"), 2)), L"\u6587");
    EXPECT_EQ(Take(s->StrSetToken(Bstr(text), Bstr(L";"), 3, Bstr(L"\u0436"))), L"\u4E2D;\u6587;\u0436");
    EXPECT_EQ(Take(s->StrLeft(Bstr(text), 1)), L"\u4E2D");
    EXPECT_EQ(s->StrLastPos(const_cast<LPWSTR>(L"\u6587"), Bstr(text)), 3);
}

TEST_F(StrUtilsTest, CompressionRoundTripsRawAndPrintable) {
    std::wstring text;
    for (int i = 0; i < 300; ++i) text += L"Zeile " + std::to_wstring(i) + L": \u00C4rger mit \u20AC;\r\n";
    for (const std::wstring& t : {std::wstring(), std::wstring(L"a"), text})
        for (VARIANT_BOOL crypt : {VARIANT_FALSE, VARIANT_TRUE}) {
            SCOPED_TRACE(t.size());
            std::wstring packed = Take(s->StrCompress(Bstr(t), crypt));
            ASSERT_FALSE(packed.empty());
            if (crypt) {
                EXPECT_EQ(packed.back(), L'.');
            }
            if (t.size() > 100) {
                EXPECT_LT(packed.size(), t.size() / 4);
            }
            EXPECT_EQ(Take(s->StrDeCompress(Bstr(packed), crypt)), t);
        }
    // Late-bound, as a script would.
    CallResult r = Method(d.Get(), L"StrCompress", {Var(text.c_str()), Var::Bool(true)});
    ASSERT_EQ(r.hr, S_OK);
    r = Method(d.Get(), L"StrDeCompress", {r.value, Var::Bool(true)});
    ASSERT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), text);
}

// A damaged compressed text is a failure, never a wrong result. These members
// have no guard: the text of the last failure stays, error information is
// published, and late-bound callers see an exception.
TEST_F(StrUtilsTest, DamagedCompressedTextFailsWithoutTouchingTheMessage) {
    std::wstring packed = Take(s->StrCompress(Bstr(L"Ein Text, der sich wiederholt, wiederholt, wiederholt."), VARIANT_TRUE));
    const std::wstring damaged = packed.substr(0, packed.size() / 2) + L".";
    ASSERT_EQ(s->put_wstrLastErrorMessage(Bstr(L"earlier")), S_OK);
    for (bool raise : {false, true}) {
        SCOPED_TRACE(raise);
        ASSERT_EQ(s->put_boRaiseErrors(raise ? VARIANT_TRUE : VARIANT_FALSE), S_OK);
        SetErrorInfo(0, nullptr);
        BSTR out = s->StrDeCompress(Bstr(damaged), VARIANT_TRUE);
        EXPECT_EQ(SysStringLen(out), 0u);
        SysFreeString(out);
        ErrorInfoText info = TakeErrorInfo();
        EXPECT_TRUE(info.present);
        EXPECT_EQ(info.source, L"Zunda.MxStrUtils");
        EXPECT_FALSE(info.description.empty());
        EXPECT_EQ(Take(s->StrDeCompress(Bstr(L"abc"), VARIANT_FALSE)), L"");
        CallResult r = Method(d.Get(), L"StrDeCompress", {Var(damaged.c_str()), Var::Bool(true)});
        EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
        EXPECT_EQ(r.source, L"Zunda.MxStrUtils");
        EXPECT_FALSE(r.description.empty());
        EXPECT_EQ(LastError(d.Get()), L"earlier");
    }
    // A connected sink hears nothing of it either: the member has no error routine.
    auto* sink = new RecordingSink(DIID_IMxEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(s.Get(), DIID_IMxEvents, sink, &cookie), S_OK);
    SysFreeString(s->StrDeCompress(Bstr(damaged), VARIANT_TRUE));
    EXPECT_TRUE(sink->calls.empty());
    EXPECT_EQ(Unadvise(s.Get(), DIID_IMxEvents, cookie), S_OK);
    sink->Release();
    SetErrorInfo(0, nullptr);
    // A failure does not stick to the next late-bound call.
    CallResult r = Method(d.Get(), L"StrLeft", {Var(L"abc"), Var(2L)});
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.Str(), L"ab");
}

}  // namespace
}  // namespace zunda::test
