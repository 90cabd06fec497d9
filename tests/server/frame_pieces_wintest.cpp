// The shared pieces every class is built from: the owned BSTR, the
// system-error helper, the record of flags and the record list with its
// index message.
#include "server/win/flag_record.h"
#include "server/win/record_list.h"
#include "tests/support/win/com_test.h"

#include <array>
#include <new>
#include <vector>

namespace zunda::test {
namespace {

TEST(OwnedBstr, OwnsMovesAndHandsOut) {
    zunda::Bstr a = zunda::Bstr::FromWide(L"abc");
    ASSERT_NE(a.Get(), nullptr);
    EXPECT_EQ(SysStringLen(a), 3u);
    zunda::Bstr b = std::move(a);
    EXPECT_EQ(a.Get(), nullptr);
    EXPECT_EQ(b.View(), L"abc");
    BSTR raw = b.Release();
    EXPECT_EQ(b.Get(), nullptr);
    zunda::Bstr c(raw);  // adopts it again and frees it at the end
    EXPECT_EQ(c.View(), L"abc");
    *c.Put() = SysAllocString(L"x");  // Put frees what was held first
    EXPECT_EQ(c.View(), L"x");

    // Empty texts are empty strings, not null ones.
    EXPECT_NE(zunda::Bstr::FromAnsi("").Get(), nullptr);
    EXPECT_NE(zunda::Bstr::FromWide(std::wstring_view()).Get(), nullptr);
    EXPECT_EQ(zunda::Bstr::FromAnsi("").View(), L"");
}

TEST(OwnedBstr, AnsiTextRoundTripsThroughTheSystemCodePage) {
    const std::wstring wide = L"Gr\u00fc\u00dfe";  // in every Western code page
    const std::string ansi = ToAnsi(wide);
    zunda::Bstr b = zunda::Bstr::FromAnsi(ansi);
    if (GetACP() == 1252) {
        EXPECT_EQ(ansi, "Gr\xFC\xDF" "e");
        EXPECT_EQ(b.View(), wide);
    }
    EXPECT_EQ(b.Ansi(), ansi);
}

TEST(OwnedBstr, AStringTooLargeToAllocateIsOutOfMemory) {
    // The system refuses the length before it reads a character.
    const wchar_t one = L'x';
    const std::wstring_view huge(&one, 0xFFFFFFF0u);
    EXPECT_THROW(zunda::Bstr::FromWide(huge), std::bad_alloc);
}

TEST(SystemError, ThrowsTheSystemMessageAfterTheContext) {
    try {
        ThrowSystemError(ERROR_FILE_NOT_FOUND, "Cannot open file \"x\". ");
        FAIL() << "no exception";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file \"x\". " + SystemMessage(ERROR_FILE_NOT_FOUND));
    }
    SetLastError(ERROR_ACCESS_DENIED);
    try {
        ThrowLastError();
        FAIL() << "no exception";
    } catch (const Failure& e) {
        EXPECT_EQ(std::string(e.what()), SystemMessage(ERROR_ACCESS_DENIED));
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}

struct ThreeFlags {
    VARIANT_BOOL a, b, c;
};

TEST(FlagRecord, FillsTheFieldsInOrderAndRefusesAnotherCount) {
    const ThreeFlags r = FlagRecord<ThreeFlags>(std::vector<bool>{true, false, true});
    EXPECT_EQ(r.a, VARIANT_TRUE);
    EXPECT_EQ(r.b, VARIANT_FALSE);
    EXPECT_EQ(r.c, VARIANT_TRUE);
    const ThreeFlags f = FlagRecord<ThreeFlags>(std::array<bool, 3>{false, true, false});
    EXPECT_EQ(f.a, VARIANT_FALSE);
    EXPECT_EQ(f.b, VARIANT_TRUE);
    EXPECT_THROW(FlagRecord<ThreeFlags>(std::vector<bool>{true, true}), Failure);
    EXPECT_THROW(FlagRecord<ThreeFlags>(std::vector<bool>(4, true)), Failure);
}

// A record that notes when it is released for the last time.
class Record final : public IUnknown {
public:
    Record(int id, std::vector<int>& released) : id_(id), released_(released) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid != IID_IUnknown) return E_NOINTERFACE;
        *ppv = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        if (--refs_ == 0) {
            released_.push_back(id_);
            delete this;
            return 0;
        }
        return refs_;
    }
    int Id() const { return id_; }
    ULONG Refs() const { return refs_; }

private:
    ULONG refs_ = 1;
    int id_;
    std::vector<int>& released_;
};

// The index message as a client reads it: converted to the system code
// page and back, whatever that code page is.
std::wstring ClientIndexMessage(long index) {
    const std::u16string text = ListIndexMessage(index);
    return std::wstring(zunda::Bstr::FromAnsi(ToAnsi(text)).View());
}

TEST(RecordList, HandsOutNewReferencesAndChecksTheIndex) {
    std::vector<int> released;
    RecordList<IUnknown> list;
    for (int id = 1; id <= 3; ++id) list.Add(ComPtr<IUnknown>(new Record(id, released), false));
    EXPECT_EQ(list.Count(), 3);

    IUnknown* second = list.At(1);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(static_cast<Record*>(second)->Id(), 2);
    EXPECT_EQ(static_cast<Record*>(second)->Refs(), 2u);  // the list's and ours
    IUnknown* found = list.Find([](IUnknown* r) { return static_cast<Record*>(r)->Id() == 3; });
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(list.Find([](IUnknown*) { return false; }), nullptr);

    for (long bad : {-1L, 3L, 1000L}) {
        try {
            list.At(bad);
            ADD_FAILURE() << bad;
        } catch (const Failure& e) {
            EXPECT_EQ(std::wstring(zunda::Bstr::FromAnsi(e.what()).View()), ClientIndexMessage(bad));
        }
    }

    list.Clear();  // last to first; the references handed out stay alive
    EXPECT_EQ(released, (std::vector<int>{1}));
    EXPECT_EQ(list.Count(), 0);
    second->Release();
    found->Release();
    EXPECT_EQ(released, (std::vector<int>{1, 2, 3}));
}

// The objects' index messages are built as UTF-16 and converted to the
// system code page: in 1252 the text keeps its umlaut, in any other code
// page it is that page's nearest text (never another letter, as a fixed
// 8-bit umlaut would be in 1251).
TEST(ListIndexCodePage, ObjectsReportTheMessageInTheSystemCodePage) {
    const std::wstring expected = ClientIndexMessage(7);
    if (GetACP() == 1252) {
        EXPECT_EQ(expected, L"Listenindex \u00fcberschreitet das Maximum (7)");
    } else {
        EXPECT_EQ(expected.find(L'\u044c'), std::wstring::npos) << "a fixed 8-bit umlaut";
    }

    ComPtr<IMxDrive> drives = Create<IMxDrive>(CLSID_MxDrive);
    ASSERT_TRUE(drives);
    ComPtr<IMxDriveRecord> r;
    EXPECT_EQ(drives->get_clDrives(7, r.Put()), S_OK);
    zunda::Bstr text;
    ASSERT_EQ(drives->get_wstrLastErrorMessage(text.Put()), S_OK);
    EXPECT_EQ(text.View(), L"[Get_clDrives]: " + expected);

    ComPtr<IMxStringlist> list = Create<IMxStringlist>(CLSID_MxStringlist);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->get_Strings(7, text.Put()), S_OK);
    ASSERT_EQ(list->get_wstrLastErrorMessage(text.Put()), S_OK);
    EXPECT_EQ(text.View(), L"[Get_Strings]: " + expected);
}

}  // namespace
}  // namespace zunda::test
