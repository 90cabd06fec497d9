// MxPath from a client: the folders against the prefix's "Shell Folders"
// keys and the system's directory calls, the registry paths, ParsePath and
// the report.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

ZUNDA_TEST_IMPLEMENTED(MxPath);

namespace zunda::test {
namespace {

class PathTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = Create<IMxPath>(CLSID_MxPath);
        ASSERT_TRUE(path);
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IMxPath::*get)(BSTR*)) { return ReadText(path.Get(), get); }
    std::wstring Parse(const std::wstring& in) {
        BSTR out = nullptr;
        EXPECT_EQ(path->ParsePath(Bstr(in), &out), S_OK);
        return Take(out);
    }
    ComPtr<IMxPath> path;
};

TEST_F(PathTest, FoldersAreTheShellFoldersOfTheRegistry) {
    const char* user = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    const std::pair<HRESULT (STDMETHODCALLTYPE IMxPath::*)(BSTR*), const char*> userFolders[] = {
        {&IMxPath::get_wstrPersonal, "Personal"}, {&IMxPath::get_wstrAppData, "AppData"},
        {&IMxPath::get_wstrDesktopDir, "Desktop"}, {&IMxPath::get_wstrDesktop, "Desktop"},
        {&IMxPath::get_wstrFavorites, "Favorites"}, {&IMxPath::get_wstrStartMenu, "Start Menu"},
        {&IMxPath::get_wstrPrograms, "Programs"}, {&IMxPath::get_wstrStartup, "Startup"},
        {&IMxPath::get_wstrRecent, "Recent"}, {&IMxPath::get_wstrTemplates, "Templates"},
    };
    for (const auto& [get, value] : userFolders) {
        const std::wstring expected = RegText(HKEY_CURRENT_USER, user, value);
        if (expected.empty()) continue;  // the prefix has no such entry
        // Wine's shell ends folders that link to the host's (Documents) with a backslash.
        std::wstring got = Text(get);
        if (got.size() > 3 && got.back() == L'\\') got.pop_back();
        EXPECT_EQ(_wcsicmp(got.c_str(), expected.c_str()), 0) << value << ": " << ToAnsi(got.c_str(), got.size());
    }
    const std::wstring common =
        RegText(HKEY_LOCAL_MACHINE, user, "Common Desktop");
    if (!common.empty()) {
        EXPECT_EQ(_wcsicmp(Text(&IMxPath::get_wstrCommonDesktopDir).c_str(), common.c_str()), 0);
    }
    // Folders without a file-system path read as empty.
    for (auto get : {&IMxPath::get_wstrDrives, &IMxPath::get_wstrPrinters, &IMxPath::get_wstrBitBucket,
                     &IMxPath::get_wstrControls, &IMxPath::get_wstrNetwork, &IMxPath::get_wstrInternet})
        EXPECT_EQ(Text(get), L"");
}

TEST_F(PathTest, DirectoriesAreTheSystemsAnswers) {
    char buf[1024] = {};
    GetWindowsDirectoryA(buf, sizeof(buf));
    EXPECT_EQ(Text(&IMxPath::get_wstrWindows), Widen(buf));
    EXPECT_EQ(Text(&IMxPath::get_wstrSystemRoot), Widen(buf));
    GetTempPathA(sizeof(buf), buf);
    EXPECT_EQ(Text(&IMxPath::get_wstrTemp), Widen(buf));
    GetCurrentDirectoryA(sizeof(buf), buf);
    EXPECT_EQ(Text(&IMxPath::get_wstrCurrent), Widen(buf));
    // A current directory near the path limit comes back whole.
    TestDir dir("pa-long");
    std::string deep = dir.Path();
    while (deep.size() < 240) {
        deep += "\\abcdefghijklmnopqrstuvwxyz";
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    const std::wstring current = Text(&IMxPath::get_wstrCurrent);
    SetCurrentDirectoryA(saved);
    EXPECT_EQ(current, Widen(deep));
}

TEST_F(PathTest, RegistryPathsAndParsePath) {
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    EXPECT_EQ(Text(&IMxPath::get_wstrProgramFiles), RegText(HKEY_LOCAL_MACHINE, key, "ProgramFilesDir"));
    EXPECT_EQ(Text(&IMxPath::get_wstrCommonFiles), RegText(HKEY_LOCAL_MACHINE, key, "CommonFilesDir"));
    const std::wstring windows = Text(&IMxPath::get_wstrWindows);
    EXPECT_EQ(Parse(L"%windir%\\system"), windows + L"\\system");
    EXPECT_EQ(Parse(L"  C:\\plain  "), L"C:\\plain");
    EXPECT_EQ(Parse(L"%USERSPROFILE%"), Text(&IMxPath::get_wstrPersonal));
    EXPECT_EQ(Parse(L"%WINDIR%;%WINDIR%"), windows + L";%WINDIR%");
    EXPECT_EQ(Parse(L"%SystemDrive%\\x"), L"%SystemDrive%\\x");
    EXPECT_EQ(Parse(L""), L"");
    BSTR out = nullptr;
    EXPECT_EQ(path->ParsePath(nullptr, &out), S_OK);
    EXPECT_EQ(Take(out), L"");
}

TEST_F(PathTest, ReportListsEveryPathInItsOrder) {
    ComPtr<IMxStringlist> report;
    ASSERT_EQ(path->GetReport(report.Put()), S_OK);
    const std::vector<std::wstring> lines = ListItems(report.Get());
    ASSERT_EQ(lines.size(), 38u);
    EXPECT_EQ(lines[0], L"System;" + Text(&IMxPath::get_wstrSystemRoot));
    EXPECT_EQ(lines[1].rfind(L"AppData;", 0), 0u);
    EXPECT_EQ(lines[37], L"Windows;" + Text(&IMxPath::get_wstrWindows));
    EXPECT_EQ(lines[17], L"Favorites;" + Text(&IMxPath::get_wstrFavorites));
    EXPECT_EQ(lines[16], L"Drives;");
    // Each call gives a new list.
    ComPtr<IMxStringlist> again;
    ASSERT_EQ(path->GetReport(again.Put()), S_OK);
    EXPECT_NE(again.Get(), report.Get());
    // Late-bound, as scripts read it.
    ComPtr<IDispatch> d = path.As<IDispatch>();
    EXPECT_EQ(PropGet(d.Get(), L"wstrWindows").value.Str(), Text(&IMxPath::get_wstrWindows));
}

}  // namespace
}  // namespace zunda::test
