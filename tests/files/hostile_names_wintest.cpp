// Names a hostile caller passes to the file members: paths longer than the
// system's calls take (the shell's file operation among them) and names with
// characters the 8-bit code page lacks, which a best-fit conversion would turn
// into separators, wildcards or another drive's letter. Each is refused with
// a message and no other file is touched.
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

namespace zunda::test {
namespace {

std::wstring LastErrorOf(IMxBaseInterface* o) {
    BSTR s = nullptr;
    o->get_wstrLastErrorMessage(&s);
    return Take(s);
}

bool Contains(const std::wstring& text, const wchar_t* part) { return text.find(part) != std::wstring::npos; }

class HostileNames : public ::testing::Test {
protected:
    void SetUp() override {
        f = Create<IMxFileUtils>(CLSID_MxFileUtils);
        ASSERT_TRUE(f);
        dir.Write("ab.txt", "12345");
        dir.Write("victim.txt", "original");
        dir.MakeDir("sub");
    }
    std::wstring LastError() { return LastErrorOf(f.Get()); }
    void ClearError() { f->put_wstrLastErrorMessage(Bstr(L"")); }
    std::wstring D(const wchar_t* name) const { return dir.W("") + name; }

    TestDir dir{"hostile"};
    ComPtr<IMxFileUtils> f;
};

TEST_F(HostileNames, ShellOperationsRefusePathsLongerThanTheShellTakes) {
    const std::wstring src = dir.W("ab.txt");
    for (size_t length : {600u, 1000u, 40000u}) {
        SCOPED_TRACE(length);
        const std::wstring longName = D(L"") + std::wstring(length, L'd');
        ClearError();
        EXPECT_EQ(f->CopyFile(Bstr(src), Bstr(longName), Bstr(L"")), -1);
        EXPECT_EQ(LastError().rfind(L"[CopyFile]: Path too long", 0), 0u) << LastError();
        ClearError();
        EXPECT_EQ(f->MoveFile(Bstr(D(L"missing.txt")), Bstr(longName), 0), -1);
        EXPECT_EQ(LastError().rfind(L"[MoveFile]: Path too long", 0), 0u) << LastError();
        ClearError();
        EXPECT_EQ(f->RenameFile(Bstr(D(L"missing.txt")), Bstr(longName), 0), -1);
        EXPECT_EQ(LastError().rfind(L"[RenameFile]: Path too long", 0), 0u) << LastError();
        ClearError();
        EXPECT_EQ(f->CopyFile(Bstr(longName), Bstr(D(L"x.txt")), Bstr(L"")), -1);
        EXPECT_TRUE(Contains(LastError(), L"Path too long")) << LastError();
        ClearError();
        EXPECT_EQ(f->DeleteToRecycleBin(Bstr(longName), 0, VARIANT_FALSE, VARIANT_TRUE), -1);
        EXPECT_EQ(LastError().rfind(L"[DeleteToRecycleBin]: Path too long", 0), 0u) << LastError();
    }
    EXPECT_EQ(dir.Read("ab.txt"), "12345");

    // A destination folder that fits, but not with the source's name inside it.
    std::string folder = "sub";
    while (dir.Path().size() + folder.size() < 235) folder += "\\folder";
    dir.MakeDir(folder);
    const std::string longSource = std::string(40, 's') + ".txt";
    dir.Write(longSource, "long");
    ClearError();
    EXPECT_EQ(f->CopyFile(Bstr(dir / longSource), Bstr(dir / folder), Bstr(L"")), -1);
    EXPECT_TRUE(Contains(LastError(), L"Path too long")) << LastError();
    EXPECT_FALSE(dir.Exists(folder + "\\" + longSource));

    // A folder whose content would not fit at the destination stays where it is.
    dir.Write("tree\\" + std::string(60, 't') + ".txt", "deep");
    ClearError();
    EXPECT_EQ(f->MoveFile(Bstr(dir / "tree"), Bstr(dir / folder), 0), -1);
    EXPECT_TRUE(Contains(LastError(), L"Path too long: a path below")) << LastError();
    EXPECT_TRUE(dir.Exists("tree\\" + std::string(60, 't') + ".txt"));

    // What fits still works: the same file into a short folder.
    EXPECT_EQ(f->CopyFile(Bstr(dir / longSource), Bstr(dir / "sub"), Bstr(L"")), 0);
    EXPECT_EQ(dir.Read("sub\\" + longSource), "long");
}

TEST_F(HostileNames, OtherFileMembersReportTooLongPaths) {
    const std::wstring longName = D(L"") + std::wstring(600, L'd');
    ClearError();
    EXPECT_EQ(f->GetFileSize(Bstr(longName)), 0u);
    EXPECT_EQ(LastError().rfind(L"[GetFileSize]: Path too long", 0), 0u) << LastError();
    ClearError();
    EXPECT_EQ(f->MFileOpen(Bstr(longName), tfaGENERIC_READ, tfsFILE_SHARE_READ, tfcOpen_Existing), -1);
    EXPECT_EQ(LastError().rfind(L"[MFileOpen]: Path too long", 0), 0u) << LastError();
    ClearError();
    EXPECT_EQ(f->CreateEmptyFile(Bstr(longName)), VARIANT_FALSE);
    EXPECT_EQ(LastError().rfind(L"[CreateEmptyFile]: Path too long", 0), 0u) << LastError();
    ClearError();
    EXPECT_EQ(f->Deltree(Bstr(longName), VARIANT_TRUE), VARIANT_FALSE);
    EXPECT_EQ(LastError().rfind(L"[Deltree]: Path too long", 0), 0u) << LastError();

    ComPtr<IMxStringlist> list = Create<IMxStringlist>(CLSID_MxStringlist);
    ASSERT_TRUE(list);
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(list->SaveToFile(Bstr(longName), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_TRUE(Contains(LastErrorOf(list.Get()), L"Path too long")) << LastErrorOf(list.Get());
}

// Names with characters outside the code page: "中" has no mapping (a best
// fit gives "?", a wildcard that matches "ab.txt"), the fullwidth "＼" and "＊"
// have look-alikes ("\" and "*").
const wchar_t kUnmapped[] = L"a\u4e2d.txt";
const wchar_t kStar[] = L"\uff0a.txt";
const wchar_t kClimb[] = L"sub\uff3c..\uff3cvictim.txt";

TEST_F(HostileNames, NamesThatDoNotConvertExactlyAreRefusedByTheFileUtilities) {
    for (const wchar_t* name : {kUnmapped, kStar}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(name)));
        ClearError();
        EXPECT_EQ(f->GetFileSize(Bstr(D(name))), 0u);
        EXPECT_EQ(LastError().rfind(L"[GetFileSize]: The name \"", 0), 0u) << LastError();
        EXPECT_TRUE(Contains(LastError(), L"cannot represent exactly")) << LastError();

        ClearError();
        EXPECT_EQ(f->CopyFile(Bstr(D(name)), Bstr(D(L"copy.txt")), Bstr(L"")), -1);
        EXPECT_TRUE(Contains(LastError(), L"cannot represent exactly")) << LastError();
        EXPECT_FALSE(dir.Exists("copy.txt"));

        ClearError();
        EXPECT_EQ(f->DeleteToRecycleBin(Bstr(D(name)), 0, VARIANT_FALSE, VARIANT_TRUE), -1);
        EXPECT_TRUE(Contains(LastError(), L"cannot represent exactly")) << LastError();
        EXPECT_EQ(f->MoveFile(Bstr(D(name)), Bstr(D(L"moved.txt")), 0), -1);
        EXPECT_EQ(f->RenameFile(Bstr(D(L"ab.txt")), Bstr(D(name)), 0), -1);
        EXPECT_EQ(f->MFileOpen(Bstr(D(name)), tfaGENERIC_READ, tfsFILE_SHARE_READ, tfcOpen_Existing), -1);
        EXPECT_EQ(f->FileVersionEx(Bstr(D(name)), nullptr, nullptr, nullptr, nullptr), VARIANT_FALSE);
        EXPECT_EQ(f->Deltree(Bstr(D(name)), VARIANT_TRUE), VARIANT_FALSE);
    }
    EXPECT_EQ(dir.Read("ab.txt"), "12345");
    EXPECT_FALSE(dir.Exists("moved.txt"));

    // A NUL inside the name would end it early at "ab.txt".
    const std::wstring withNul = dir.W("ab.txt") + std::wstring(1, L'\0') + L"x";
    ClearError();
    EXPECT_EQ(f->GetFileSize(Bstr(withNul)), 0u);
    EXPECT_TRUE(Contains(LastError(), L"cannot represent exactly")) << LastError();

    // A drive letter with a look-alike is no drive letter; the true one still works.
    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxDrive");
    ComPtr<IMxDrive> drives = d.As<IMxDrive>();
    ASSERT_TRUE(drives);
    ASSERT_EQ(drives->Refresh(), S_OK);
    ComPtr<IMxDriveRecord> rec;
    EXPECT_EQ(drives->get_clDrivesBySign(Bstr(L"\uff23"), rec.Put()), S_OK);
    EXPECT_FALSE(rec);
    EXPECT_TRUE(Contains(LastErrorOf(drives.Get()), L"cannot represent exactly")) << LastErrorOf(drives.Get());
    EXPECT_EQ(drives->get_clDrivesBySign(Bstr(L"C"), rec.Put()), S_OK);
    EXPECT_TRUE(rec);
}

TEST_F(HostileNames, NamesInTheCodePageStillWork) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs code page 1252";
    dir.Write("\xE4\xDF.txt", "123");  // "äß.txt"
    EXPECT_EQ(f->GetFileSize(Bstr(D(L"\u00e4\u00df.txt"))), 3u);
    EXPECT_EQ(f->CopyFile(Bstr(D(L"\u00e4\u00df.txt")), Bstr(D(L"\u00fc.txt")), Bstr(L"")), 0);
    EXPECT_EQ(dir.Read("\xFC.txt"), "123");
}

TEST_F(HostileNames, StringListAndAuditLogRefuseSuchNamesAndTouchNoOtherFile) {
    ComPtr<IMxStringlist> list = Create<IMxStringlist>(CLSID_MxStringlist);
    ASSERT_TRUE(list);
    LONG index = 0;
    list->Add(Bstr(L"forged"), &index);
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(list->SaveToFile(Bstr(D(kClimb)), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_TRUE(Contains(LastErrorOf(list.Get()), L"[SaveToFile]: The name")) << LastErrorOf(list.Get());
    EXPECT_EQ(dir.Read("victim.txt"), "original");
    ok = VARIANT_TRUE;
    EXPECT_EQ(list->LoadFromFile(Bstr(D(kUnmapped)), &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    LONG count = 0;
    list->get_Count(&count);
    EXPECT_EQ(count, 1);

    ComPtr<IMxAuditLogFile> log = Create<IMxAuditLogFile>(CLSID_MxAuditLogFile);
    ASSERT_TRUE(log);
    dir.Write("other.csv", "");
    EXPECT_EQ(log->put_fiFilename(Bstr(D(L"sub\uff3c..\uff3cother.csv"))), S_OK);
    ok = VARIANT_TRUE;
    EXPECT_EQ(log->WriteLog(Bstr(L"T"), Bstr(L"P"), Bstr(L"M"), tlInformation, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_FALSE);
    EXPECT_EQ(LastErrorOf(log.Get()).rfind(L"[OpenLogFile]: The name", 0), 0u) << LastErrorOf(log.Get());
    EXPECT_EQ(dir.Read("other.csv"), "");
    // A proper name afterwards is used again.
    EXPECT_EQ(log->put_fiFilename(Bstr(D(L"own.csv"))), S_OK);
    EXPECT_EQ(log->WriteLog(Bstr(L"T"), Bstr(L"P"), Bstr(L"M"), tlInformation, &ok), S_OK);
    EXPECT_EQ(ok, VARIANT_TRUE);
    EXPECT_TRUE(dir.Exists("own.csv"));
}

}  // namespace
}  // namespace zunda::test
