// MxFileList from a client: the list operations and their failures, null
// records, gathering in the caller's thread and on the worker (200 files
// against the file system's own answers), changes while a worker runs,
// Waitfor and WM_QUIT, and the file utilities' list conversions.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

#include <cstdio>

ZUNDA_TEST_IMPLEMENTED(MxFileList);

namespace zunda::test {
namespace {

int g_posted = 0;
LRESULT CALLBACK CountingWindow(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == WM_USER + 1) ++g_posted;
    return DefWindowProcA(h, m, w, l);
}

class FileListTest : public ::testing::Test {
protected:
    void SetUp() override {
        list = Create<IMxFileList>(CLSID_MxFileList);
        ASSERT_TRUE(list);
    }
    long Add(const std::string& name, bool info = false, bool thread = false) {
        long index = -2;
        EXPECT_EQ(list->Add(Bstr(name), ToVariantBool(info), ToVariantBool(thread), &index), S_OK);
        return index;
    }
    std::wstring Name(long index) {
        BSTR s = nullptr;
        EXPECT_EQ(list->get_fiFiles(index, &s), S_OK);
        return Take(s);
    }
    long Count() { return Read(list.Get(), &IMxFileList::get_iCount); }
    bool Ready() { return Read(list.Get(), &IMxFileList::get_boThreadReady) != VARIANT_FALSE; }
    std::wstring LastError() {
        BSTR s = nullptr;
        EXPECT_EQ(list->get_wstrLastErrorMessage(&s), S_OK);
        return Take(s);
    }
    ComPtr<IMxFileList> list;
};

TEST_F(FileListTest, OrderedEntriesFoundWithoutRegardToCase) {
    TestDir dir("fl-basic");
    dir.Write("a.txt", "a");
    EXPECT_EQ(Add(dir / "a.txt"), 0);
    EXPECT_EQ(Add(dir / "missing.txt"), 1);  // listed although it does not exist
    EXPECT_EQ(Add(dir / "c.txt"), 2);
    EXPECT_EQ(Count(), 3);
    long index = 7;
    VARIANT_BOOL found = VARIANT_FALSE;
    EXPECT_EQ(list->IndexOf(Bstr(dir / "MISSING.TXT"), &index), S_OK);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(list->Find(Bstr(dir / "none"), &index, &found), S_OK);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(found, VARIANT_FALSE);
    EXPECT_EQ(list->Find(Bstr(dir / "c.TXT"), &index, &found), S_OK);
    EXPECT_EQ(index, 2);
    EXPECT_NE(found, VARIANT_FALSE);

    EXPECT_EQ(list->Delete(0), S_OK);
    EXPECT_EQ(Name(0), dir.W("missing.txt"));
    EXPECT_EQ(list->DeleteEx(Bstr(dir / "C.txt")), S_OK);
    EXPECT_EQ(Count(), 1);
    EXPECT_EQ(list->put_fiFiles(0, Bstr(dir / "a.txt")), S_OK);
    EXPECT_EQ(Name(0), dir.W("a.txt"));

    ComPtr<IMxFileRecord> record;
    ASSERT_EQ(list->get_clFileRecord(0, record.Put()), S_OK);
    ComPtr<IMxFileRecord> other = Create<IMxFileRecord>(CLSID_MxFileRecord);
    EXPECT_EQ(list->AddEx(other.Get()), S_OK);
    EXPECT_EQ(list->put_clFileRecord(0, other.Get()), S_OK);
    ComPtr<IMxFileRecord> again;
    ASSERT_EQ(list->get_clFileRecord(0, again.Put()), S_OK);
    EXPECT_EQ(again.Get(), other.Get());  // the same object, not a copy
    EXPECT_EQ(list->Clear(), S_OK);
    EXPECT_EQ(Count(), 0);
}

TEST_F(FileListTest, FailuresAreFailureResultsWithTheIndexText) {
    list->put_boRaiseErrors(VARIANT_FALSE);
    Add("C:\\x.txt");
    BSTR s = nullptr;
    for (long bad : {-1L, 1L, 0x7FFFFFFFL}) {
        EXPECT_EQ(list->get_fiFiles(bad, &s), E_UNEXPECTED);
        EXPECT_EQ(s, nullptr);
        ErrorInfoText info = TakeErrorInfo();
        wchar_t expected[80];
        swprintf(expected, 80, L"Listenindex \x00FC" L"berschreitet das Maximum (%ld)", bad);
        EXPECT_EQ(info.description, expected);
        EXPECT_EQ(LastError(), std::wstring(L"[Get_fiFiles]: ") + expected);
        EXPECT_EQ(list->Delete(bad), E_UNEXPECTED);
        EXPECT_EQ(list->put_fiFiles(bad, Bstr(L"y")), E_UNEXPECTED);
    }
    EXPECT_EQ(list->DeleteEx(Bstr(L"C:\\not-listed")), E_UNEXPECTED);
    // Null records are refused, put or added.
    EXPECT_EQ(list->AddEx(nullptr), E_POINTER);
    EXPECT_EQ(list->put_clFileRecord(0, nullptr), E_POINTER);
    EXPECT_EQ(Count(), 1);
    VARIANT_BOOL found;
    EXPECT_EQ(list->Find(Bstr(L"x"), nullptr, &found), E_POINTER);
    // Late-bound callers see the failure as an exception.
    ComPtr<IDispatch> d = list.As<IDispatch>();
    CallResult r = PropGet(d.Get(), L"fiFiles", {Var(5L)});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
}

TEST_F(FileListTest, GatheringInTheCallersThreadSetsTheFlag) {
    EXPECT_FALSE(Ready());
    EXPECT_EQ(list->GetAllFileInfos(VARIANT_FALSE), S_OK);  // an empty list
    EXPECT_TRUE(Ready());
    TestDir dir("fl-direct");
    dir.Write("one.txt", "12345");
    Add(dir / "one.txt");
    Add(dir / "vanished.txt");
    EXPECT_EQ(list->GetAllFileInfos(VARIANT_FALSE), S_OK);
    ComPtr<IMxFileRecord> r;
    ASSERT_EQ(list->get_clFileRecord(0, r.Put()), S_OK);
    EXPECT_EQ(Read(r.Get(), &IMxFileRecord::get_iSize), 5u);
    ASSERT_EQ(list->get_clFileRecord(1, r.Put()), S_OK);
    EXPECT_EQ(Read(r.Get(), &IMxFileRecord::get_iSize), 0u);
}

TEST_F(FileListTest, WorkerGathers200FilesLikeTheFileSystemSaysAndChangesDoNotHurtIt) {
    TestDir dir("fl-worker");
    for (int i = 0; i < 200; ++i) {
        char name[32];
        std::snprintf(name, sizeof(name), "f%03d.dat", i);
        dir.Write(name, std::string(static_cast<size_t>(i * 37), 'x'));
        Add(dir / name);
    }
    EXPECT_EQ(list->GetAllFileInfos(VARIANT_TRUE), S_OK);
    VARIANT_BOOL ready = VARIANT_FALSE;
    EXPECT_EQ(list->Waitfor(60, &ready), S_OK);
    ASSERT_NE(ready, VARIANT_FALSE);
    for (long i = 0; i < 200; ++i) {
        ComPtr<IMxFileRecord> r;
        ASSERT_EQ(list->get_clFileRecord(i, r.Put()), S_OK);
        const std::wstring name = ReadText(r.Get(), &IMxFileRecord::get_fiFilename);
        WIN32_FILE_ATTRIBUTE_DATA data;
        ASSERT_TRUE(GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data));
        EXPECT_EQ(Read(r.Get(), &IMxFileRecord::get_iSize), static_cast<UINT64>(data.nFileSizeLow));
        EXPECT_EQ(Read(r.Get(), &IMxFileRecord::get_iAttributes), static_cast<long>(data.dwFileAttributes));
        SYSTEMTIME st;
        FileTimeToSystemTime(&data.ftLastWriteTime, &st);
        double expected = 0;
        SystemTimeToVariantTime(&st, &expected);  // whole seconds
        EXPECT_NEAR(Read(r.Get(), &IMxFileRecord::get_dtModified), expected, 1.0 / 86400);
    }

    // Clear, delete and put while a worker runs: nothing is freed under it,
    // and the latest gathering alone sets the flag.
    for (int round = 0; round < 5; ++round) {
        EXPECT_EQ(list->GetAllFileInfos(VARIANT_TRUE), S_OK);
        EXPECT_EQ(list->Delete(0), S_OK);
        EXPECT_EQ(list->put_fiFiles(0, Bstr(dir / "f199.dat")), S_OK);
        EXPECT_EQ(list->GetAllFileInfos(VARIANT_TRUE), S_OK);
        EXPECT_EQ(list->Clear(), S_OK);
        EXPECT_EQ(list->Waitfor(60, &ready), S_OK);
        EXPECT_NE(ready, VARIANT_FALSE);
        for (int i = 0; i < 20; ++i) Add(dir / "f001.dat");
    }
    list.Reset();  // released while nothing runs any more, or while a worker still holds it
    EXPECT_EQ(LibraryCanUnloadSoon(), S_OK);
}

TEST_F(FileListTest, WaitforTimesOutAndStopsOnQuit) {
    VARIANT_BOOL ready = VARIANT_TRUE;
    DWORD begin = GetTickCount();
    EXPECT_EQ(list->Waitfor(1, &ready), S_OK);  // never started
    DWORD took = GetTickCount() - begin;
    EXPECT_EQ(ready, VARIANT_FALSE);
    EXPECT_GE(took, 1000u);
    EXPECT_LT(took, 3000u);

    // On a ready list every timeout answers at once, 0, negative and huge ones too.
    EXPECT_EQ(list->GetAllFileInfos(VARIANT_FALSE), S_OK);
    for (long timeout : {0L, -5L, static_cast<long>(0x80000000u), 0x7FFFFFFFL}) {
        begin = GetTickCount();
        EXPECT_EQ(list->Waitfor(timeout, &ready), S_OK);
        EXPECT_NE(ready, VARIANT_FALSE);
        EXPECT_LT(GetTickCount() - begin, 100u);
    }
    list = Create<IMxFileList>(CLSID_MxFileList);

    // WM_QUIT ends the wait at once and stays for the caller's own loop.
    PostQuitMessage(7);
    begin = GetTickCount();
    EXPECT_EQ(list->Waitfor(0x7FFFFFFF, &ready), S_OK);
    EXPECT_EQ(ready, VARIANT_FALSE);
    EXPECT_LT(GetTickCount() - begin, 1000u);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 7u);

    // A posted message is dispatched while waiting.
    g_posted = 0;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &CountingWindow;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ZundaWaitTest";
    RegisterClassA(&wc);
    HWND window = CreateWindowA("ZundaWaitTest", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(window);
    PostMessageA(window, WM_USER + 1, 0, 0);
    EXPECT_EQ(list->Waitfor(1, &ready), S_OK);
    EXPECT_EQ(g_posted, 1);
    DestroyWindow(window);
}

TEST_F(FileListTest, FileUtilsConvertListsBothWays) {
    ComPtr<IMxFileUtils> utils = Create<IMxFileUtils>(CLSID_MxFileUtils);
    ComPtr<IMxStringlist> names = Create<IMxStringlist>(CLSID_MxStringlist);
    long index = 0;
    names->Add(Bstr(L"C:\\a.txt"), &index);
    names->Add(Bstr(L"C:\\b.txt"), &index);
    ComPtr<IMxFileList> files;
    ASSERT_EQ(utils->MxStringListToFileList(names.Get(), files.Put()), S_OK);
    ASSERT_TRUE(files);
    EXPECT_EQ(Read(files.Get(), &IMxFileList::get_iCount), 2);
    ComPtr<IMxStringlist> back;
    ASSERT_EQ(utils->MxFileListToStringlist(files.Get(), back.Put()), S_OK);
    EXPECT_EQ(ListItems(back.Get()), (std::vector<std::wstring>{L"C:\\a.txt", L"C:\\b.txt"}));
}

}  // namespace
}  // namespace zunda::test

namespace zunda::test {
namespace {

// Run by tests/files/wine-filelist-stat.sh: gathers the files of the folder
// it names on the worker and writes "name size modified-seconds" lines for
// the script to compare with the host's own stat.
TEST(FileListStat, DISABLED_GatherForTheHostsStat) {
    char folder[MAX_PATH] = {}, output[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableA("ZUNDA_STAT_DIR", folder, MAX_PATH), 0u);
    ASSERT_GT(GetEnvironmentVariableA("ZUNDA_STAT_OUT", output, MAX_PATH), 0u);
    ComPtr<IMxFileList> list = Create<IMxFileList>(CLSID_MxFileList);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((std::string(folder) + "\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        long index = 0;
        ASSERT_EQ(list->Add(Bstr(std::string(folder) + "\\" + data.cFileName), VARIANT_FALSE, VARIANT_FALSE, &index),
                  S_OK);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    ASSERT_EQ(list->GetAllFileInfos(VARIANT_TRUE), S_OK);
    VARIANT_BOOL ready = VARIANT_FALSE;
    ASSERT_EQ(list->Waitfor(120, &ready), S_OK);
    ASSERT_NE(ready, VARIANT_FALSE);
    FILE* out = std::fopen(output, "w");
    ASSERT_TRUE(out);
    const long n = Read(list.Get(), &IMxFileList::get_iCount);
    for (long i = 0; i < n; ++i) {
        ComPtr<IMxFileRecord> r;
        ASSERT_EQ(list->get_clFileRecord(i, r.Put()), S_OK);
        const std::wstring name = ReadText(r.Get(), &IMxFileRecord::get_wstrName) + L"." +
                                  ReadText(r.Get(), &IMxFileRecord::get_wstrExtension);
        const double modified = Read(r.Get(), &IMxFileRecord::get_dtModified);
        std::fprintf(out, "%ls %llu %.3f\n", name.c_str(),
                     static_cast<unsigned long long>(Read(r.Get(), &IMxFileRecord::get_iSize)),
                     (modified - 25569.0) * 86400.0);
    }
    std::fclose(out);
}

}  // namespace
}  // namespace zunda::test
