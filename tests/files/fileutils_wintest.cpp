// MxFileUtils against the real file system of the test prefix: path texts,
// the MFile handles, shell operations, versions, sizes, recursive deletion and
// batch renaming, with the error convention of a direct-result object.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

#include <functional>

ZUNDA_TEST_IMPLEMENTED(MxFileUtils);

namespace zunda::test {
namespace {

class FileUtils : public ::testing::Test {
protected:
    void SetUp() override {
        f = Create<IMxFileUtils>(CLSID_MxFileUtils);
        ASSERT_TRUE(f);
    }
    std::wstring LastError() {
        BSTR s = nullptr;
        f->get_wstrLastErrorMessage(&s);
        return Take(s);
    }
    void ClearError() { f->put_wstrLastErrorMessage(Bstr(L"")); }
    // The file's bytes as MFileWriteLN left them.
    ComPtr<IMxFileUtils> f;
};

TEST_F(FileUtils, PathTexts) {
    EXPECT_EQ(Take(f->Addslash(Bstr(L""))), L"");
    EXPECT_EQ(Take(f->Addslash(Bstr(L"C:\\dir"))), L"C:\\dir\\");
    EXPECT_EQ(Take(f->RemoveSlash(Bstr(L"C:\\dir\\"))), L"C:\\dir");
    EXPECT_EQ(Take(f->Addslash(nullptr)), L"");  // a null BSTR is an empty text
    EXPECT_EQ(Take(f->ExtractFileNameOnly(Bstr(L"C:\\d\\a.txt1.txt"))), L"a.txt1");
    EXPECT_EQ(Take(f->ExtractFileNameOnly(Bstr(L"C:\\d\\x.txt.txt"))), L"x.txt");
    EXPECT_EQ(Take(f->ExtractLastDirName(Bstr(L"C:\\a\\b\\"))), L"b");
    EXPECT_EQ(Take(f->ExtractLastDirName(Bstr(L"C:\\"))), L"");
    EXPECT_EQ(Take(f->ReplaceExt(Bstr(L"C:\\d\\my.file.txt"), Bstr(L"bak"))), L"C:\\d\\my.bak");
    EXPECT_EQ(Take(f->ReplaceExt(Bstr(L"C:\\d\\my.file.txt"), Bstr(L".bak"))), L"C:\\d\\my.bak");
    EXPECT_EQ(LastError(), L"");

    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxFileUtils");
    EXPECT_EQ(Method(d.Get(), L"Addslash", {Var(L"C:\\x")}).value.Str(), L"C:\\x\\");
    EXPECT_EQ(Method(d.Get(), L"ReplaceExt", {Var(L"C:\\d\\n.a.b"), Var(L"c")}).value.Str(), L"C:\\d\\n.c");
}

TEST_F(FileUtils, DirectoriesAndDrives) {
    TestDir dir("fu-drives");
    dir.Write("file.txt", "x");
    EXPECT_EQ(f->DirExists(Bstr(dir.Path())), VARIANT_TRUE);
    EXPECT_EQ(f->DirExists(Bstr(dir / "file.txt")), VARIANT_FALSE);
    EXPECT_EQ(f->DirExists(Bstr(dir / "none")), VARIANT_FALSE);

    char before[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, before);
    const UINT modeBefore = SetErrorMode(0);
    SetErrorMode(modeBefore);
    char c[] = "C", cColon[] = "c:\\", q[] = "Q", digit[] = "1", empty[] = "";
    EXPECT_EQ(f->IsDriveReady(c), VARIANT_TRUE);
    EXPECT_EQ(f->IsDriveReady(cColon), VARIANT_TRUE);
    EXPECT_EQ(f->IsDriveReady(q), VARIANT_FALSE);  // no such drive in the prefix
    EXPECT_EQ(f->IsDriveReady(digit), VARIANT_FALSE);
    EXPECT_EQ(f->IsDriveReady(empty), VARIANT_FALSE);
    EXPECT_EQ(f->IsDriveReady(nullptr), VARIANT_FALSE);
    char after[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, after);
    EXPECT_STREQ(before, after);
    const UINT modeAfter = SetErrorMode(modeBefore);
    EXPECT_EQ(modeAfter, modeBefore);  // the error mode is restored

    // Late-bound with a script string for the character pointer.
    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxFileUtils");
    CallResult r = Method(d.Get(), L"IsDriveReady", {Var(L"C")});
    EXPECT_EQ(r.hr, S_OK);
    EXPECT_EQ(r.value.vt, VT_BOOL);
    EXPECT_EQ(r.value.boolVal, VARIANT_TRUE);
    EXPECT_EQ(Method(d.Get(), L"IsDriveReady", {Var(L"Q:")}).value.boolVal, VARIANT_FALSE);
}

TEST_F(FileUtils, LineFilesWriteExactBytesAndReadBackEveryLine) {
    TestDir dir("fu-lines");
    const std::string name = dir / "lines.txt";
    LONG h = f->MFileOpen(Bstr(name), tfaGENERIC_WRITE, static_cast<TYP_FileShareMode>(0), tfcCreate_Always);
    ASSERT_GT(h, 0);
    f->MFileWriteLN(h, Bstr(L"erste Zeile \u00e4"));
    f->MFileWriteLN(h, Bstr(L""));
    f->MFileWriteLN(h, Bstr(L"third"));
    EXPECT_EQ(f->MFileGetPointer(h), 24);
    f->MFileClose(&h);
    EXPECT_EQ(h, 0);
    EXPECT_EQ(dir.Read("lines.txt"), "erste Zeile \xE4\r\n\r\nthird\r\n");
    EXPECT_EQ(LastError(), L"");

    // Appending after MFileSeek.
    h = f->MFileOpen(Bstr(name), tfaGENERIC_WRITE, static_cast<TYP_FileShareMode>(0), tfcOpen_Existing);
    f->MFileSeek(h);
    f->MFileWriteLN(h, Bstr(L"fourth"));
    f->MFileClose(&h);
    EXPECT_EQ(dir.Read("lines.txt"), "erste Zeile \xE4\r\n\r\nthird\r\nfourth\r\n");

    const std::vector<std::wstring> expected = {L"one", L"", L"three \u00fc", L"last"};
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"CR LF", "one\r\n\r\nthree \xFC\r\nlast\r\n"},
        {"LF", "one\n\nthree \xFC\nlast"},
        {"CR", "one\r\rthree \xFC\rlast\r"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write("in.txt", c.bytes);
        for (bool ex : {false, true}) {
            LONG r = f->MFileOpen(Bstr(dir / "in.txt"), tfaGENERIC_READ, tfsFILE_SHARE_READ, tfcOpen_Existing);
            ASSERT_GT(r, 0);
            std::vector<std::wstring> lines;
            for (int guard = 0; guard < 10 && f->MFileEOF(r) == VARIANT_FALSE; ++guard) {
                BSTR line = SysAllocString(L"previous");
                if (ex)
                    f->MFileReadLNEx(r, &line);
                else
                    f->MFileReadLN(r, &line);
                lines.push_back(Take(line));
            }
            EXPECT_EQ(lines, expected);
            EXPECT_EQ(f->MFileGetPointer(r), static_cast<LONG>(c.bytes.size()));
            BSTR atEnd = SysAllocString(L"previous");
            f->MFileReadLN(r, &atEnd);
            EXPECT_EQ(Take(atEnd), L"");
            f->MFileClose(&r);
        }
    }
    EXPECT_EQ(LastError(), L"");
}

TEST_F(FileUtils, HandleErrors) {
    TestDir dir("fu-handles");
    const std::string missing = dir / "missing.txt";
    EXPECT_EQ(f->MFileOpen(Bstr(missing), tfaGENERIC_READ, tfsFILE_SHARE_READ, tfcOpen_Existing), -1);
    EXPECT_EQ(LastError(), L"[MFileOpen]: Can\u00b4t open or create File \"" + Widen(missing) + L"\".");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    struct Case {
        const wchar_t* member;
        std::function<void()> call;
    } cases[] = {
        {L"MFileSeek", [&] { f->MFileSeek(0); }},
        {L"MFileEOF", [&] { EXPECT_EQ(f->MFileEOF(0), VARIANT_FALSE); }},
        {L"MFileWriteLN", [&] { f->MFileWriteLN(0, Bstr(L"x")); }},
        {L"MFileGetPointer", [&] { EXPECT_EQ(f->MFileGetPointer(0), 0); }},
        {L"MFileReadLN", [&] {
             BSTR line = SysAllocString(L"kept");
             f->MFileReadLN(0, &line);
             EXPECT_EQ(Take(line), L"kept");
         }},
        {L"MFileReadLNEx", [&] {
             BSTR line = SysAllocString(L"kept");
             f->MFileReadLNEx(0, &line);
             EXPECT_EQ(Take(line), L"kept");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.member);
        ClearError();
        c.call();
        EXPECT_EQ(LastError(), std::wstring(L"[") + c.member + L"]: No handle number found (0).");
    }

    // A handle that is no open file fails with the system's message.
    ClearError();
    f->MFileWriteLN(0x7FF0, Bstr(L"x"));
    std::wstring message = LastError();
    EXPECT_EQ(message.rfind(L"[MFileWriteLN]: ", 0), 0u);
    EXPECT_GT(message.size(), 17u);
    LONG zero = 0;
    ClearError();
    f->MFileClose(&zero);
    EXPECT_EQ(LastError(), L"");

    // A write to a handle opened for reading is no silent success.
    dir.Write("ro.txt", "abc");
    LONG r = f->MFileOpen(Bstr(dir / "ro.txt"), tfaGENERIC_READ, tfsFILE_SHARE_READ, tfcOpen_Existing);
    ClearError();
    f->MFileWriteLN(r, Bstr(L"lost"));
    EXPECT_EQ(LastError().rfind(L"[MFileWriteLN]: ", 0), 0u);
    f->MFileClose(&r);
    EXPECT_EQ(dir.Read("ro.txt"), "abc");

    // Only handles that MFileOpen gave out are acted on: a live handle of
    // the host (here an event) is neither written to nor closed, and a
    // handle already closed is not closed again.
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    LONG foreign = static_cast<LONG>(reinterpret_cast<INT_PTR>(event));
    ClearError();
    f->MFileClose(&foreign);
    EXPECT_EQ(LastError().rfind(L"[MFileClose]: ", 0), 0u);
    EXPECT_EQ(foreign, 0);
    f->MFileSeek(static_cast<LONG>(reinterpret_cast<INT_PTR>(event)));
    EXPECT_EQ(LastError().rfind(L"[MFileSeek]: ", 0), 0u);
    EXPECT_TRUE(SetEvent(event)) << "the host's handle was closed";
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    CloseHandle(event);

    // A handle opened through one object closes through another, once.
    LONG shared = f->MFileOpen(Bstr(dir / "ro.txt"), tfaGENERIC_READ, tfsFILE_SHARE_READ, tfcOpen_Existing);
    ASSERT_GT(shared, 0);
    ComPtr<IMxFileUtils> other = Create<IMxFileUtils>(CLSID_MxFileUtils);
    LONG again = shared;
    ClearError();
    other->MFileClose(&shared);
    EXPECT_EQ(LastError(), L"");
    f->MFileClose(&again);
    EXPECT_EQ(LastError().rfind(L"[MFileClose]: ", 0), 0u);
}

TEST_F(FileUtils, CopyMoveRenameAndDelete) {
    TestDir dir("fu-shell");
    dir.Write("a.txt", "content");
    dir.MakeDir("sub");

    ClearError();
    EXPECT_EQ(f->CopyFile(Bstr(dir / "none.txt"), Bstr(dir / "x.txt"), Bstr(L"Copy")), -1);
    EXPECT_EQ(LastError(), L"[CopyFile]: File \"" + dir.W("none.txt") + L"\" not found.");

    // A path longer than 255 characters: the name lists are sized to the names.
    std::string deep = "sub";
    while (dir.Path().size() + deep.size() < 200) deep += "\\directory-with-a-long-name";
    dir.MakeDir(deep);
    std::string file = deep + "\\copy";
    while (dir.Path().size() + 1 + file.size() < 254) file += "-x";
    file += ".txt";
    const std::string target = dir / file;
    ASSERT_GE(target.size(), 256u);
    ASSERT_LT(target.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(f->CopyFile(Bstr(dir / "a.txt"), Bstr(target), Bstr(L"Copy")), 0);
    EXPECT_EQ(dir.Read(file), "content");

    EXPECT_EQ(f->RenameFile(Bstr(dir / "a.txt"), Bstr(dir / "b.txt"), 0), 0);
    EXPECT_FALSE(dir.Exists("a.txt"));
    EXPECT_EQ(f->MoveFile(Bstr(dir / "b.txt"), Bstr(dir / "sub\\b.txt"), 0), 0);
    EXPECT_EQ(dir.Read("sub\\b.txt"), "content");

    // Without undo the file is deleted for good, not recycled.
    EXPECT_EQ(f->DeleteToRecycleBin(Bstr(dir / "sub\\b.txt"), 0, VARIANT_FALSE, VARIANT_TRUE), 0);
    EXPECT_FALSE(dir.Exists("sub\\b.txt"));

    for (const wchar_t* root : {L"", L"C:\\", L"C:", L"\\"}) {
        SCOPED_TRACE(root);
        ClearError();
        EXPECT_EQ(f->DeleteToRecycleBin(Bstr(root), 0, VARIANT_FALSE, VARIANT_TRUE), -1);
        EXPECT_EQ(LastError().rfind(L"[DeleteToRecycleBin]: ", 0), 0u);
    }
    EXPECT_TRUE(dir.Exists("sub"));
}

TEST_F(FileUtils, VersionsOfFilesWithAndWithoutResource) {
    TestDir dir("fu-version");
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string dll = std::string(cwd) + "\\versioned.dll";
    ASSERT_NE(GetFileAttributesA(dll.c_str()), INVALID_FILE_ATTRIBUTES) << "test data missing";
    LONG v[4] = {-1, -1, -1, -1};
    EXPECT_EQ(f->FileVersionEx(Bstr(dll), &v[0], &v[1], &v[2], &v[3]), VARIANT_TRUE);
    EXPECT_EQ(std::vector<LONG>(v, v + 4), (std::vector<LONG>{2, 15, 300, 40000}));
    EXPECT_EQ(Take(f->FileVersion(Bstr(dll))), L"2.15.300.40000");

    dir.Write("plain.txt", "no resource");
    LONG w[4] = {7, 7, 7, 7};
    ClearError();
    EXPECT_EQ(f->FileVersionEx(Bstr(dir / "plain.txt"), &w[0], &w[1], &w[2], &w[3]), VARIANT_FALSE);
    EXPECT_EQ(std::vector<LONG>(w, w + 4), (std::vector<LONG>{7, 7, 7, 7}));
    EXPECT_EQ(LastError(), L"");
    EXPECT_EQ(Take(f->FileVersion(Bstr(dir / "plain.txt"))),
              L"No Version Information found (" + dir.W("plain.txt") + L").");

    EXPECT_EQ(Take(f->FileVersion(Bstr(dir / "gone.dll"))), L"No Version Information found (" + dir.W("gone.dll") + L").");
    EXPECT_EQ(LastError(), L"[FileVersionEx]: File \"" + dir.W("gone.dll") + L"\" not found.");
}

TEST_F(FileUtils, EmptyFilesAndSizes) {
    TestDir dir("fu-sizes");
    EXPECT_EQ(f->CreateEmptyFile(Bstr(dir / "new.txt")), VARIANT_TRUE);
    EXPECT_EQ(dir.Read("new.txt"), "");
    ClearError();
    EXPECT_EQ(f->CreateEmptyFile(Bstr(dir / "new.txt")), VARIANT_FALSE);
    EXPECT_EQ(LastError(), L"");
    EXPECT_EQ(f->CreateEmptyFile(Bstr(dir / "no-dir\\new.txt")), VARIANT_FALSE);
    EXPECT_EQ(LastError().rfind(L"[CreateEmptyFile]: Systemfehler.  Code: 3.\r\n", 0), 0u) << LastError();

    dir.Write("five.txt", "12345");
    EXPECT_EQ(f->GetFileSize(Bstr(dir / "five.txt")), 5u);
    ComPtr<IDispatch> d = f.As<IDispatch>();
    CallResult late = Method(d.Get(), L"GetFileSize", {Var(dir.W("five.txt").c_str())});
    EXPECT_EQ(late.hr, S_OK);
    EXPECT_EQ(late.value.vt, VT_UI8);
    EXPECT_EQ(late.value.ullVal, 5u);
    ClearError();
    EXPECT_EQ(f->GetFileSize(Bstr(dir / "none.txt")), 0u);
    EXPECT_EQ(LastError(), L"[GetFileSize]: File \"" + dir.W("none.txt") + L"\" not found.");

    // 5 GiB, as a sparse file.
    HANDLE h = CreateFileA((dir / "big.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    size.QuadPart = 5LL << 30;
    bool sized = SetFilePointerEx(h, size, nullptr, FILE_BEGIN) && SetEndOfFile(h);
    CloseHandle(h);
    ASSERT_TRUE(sized);
    EXPECT_EQ(f->GetFileSize(Bstr(dir / "big.bin")), 5368709120ull);
}

TEST_F(FileUtils, DeltreeDeletesTheTreeAndKeepsWhatResists) {
    TestDir dir("fu-deltree");
    dir.Write("top\\a.txt", "a");
    dir.Write("top\\sub\\b.txt", "b");
    dir.Write("top\\sub\\deeper\\c.txt", "c");
    SetFileAttributesA((dir / "top\\a.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((dir / "top\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(f->Deltree(Bstr(dir / "top\\"), VARIANT_TRUE), VARIANT_TRUE);
    EXPECT_FALSE(dir.Exists("top"));

    dir.Write("keep\\a.txt", "a");
    dir.Write("keep\\held.txt", "held");
    dir.Write("keep\\sub\\z.txt", "z");
    HANDLE held = CreateFileA((dir / "keep\\held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ClearError();
    EXPECT_EQ(f->Deltree(Bstr(dir / "keep"), VARIANT_FALSE), VARIANT_FALSE);
    CloseHandle(held);
    EXPECT_TRUE(dir.Exists("keep\\held.txt"));
    EXPECT_FALSE(dir.Exists("keep\\a.txt"));
    EXPECT_FALSE(dir.Exists("keep\\sub"));
    EXPECT_TRUE(dir.Exists("keep"));
    EXPECT_EQ(LastError().rfind(L"[Deltree]: Cannot delete \"" + dir.W("keep\\held.txt") + L"\". ", 0), 0u)
        << LastError();

    ClearError();
    EXPECT_EQ(f->Deltree(Bstr(dir / "missing"), VARIANT_TRUE), VARIANT_FALSE);
    EXPECT_EQ(LastError().rfind(L"[Deltree]: ", 0), 0u);
}

TEST_F(FileUtils, BatchRenaming) {
    TestDir dir("fu-rename");
    dir.Write("a.txt", "a");
    dir.Write("c.txt", "c");
    ComPtr<IMxStringlist> list = Create<IMxStringlist>(CLSID_MxStringlist);
    LONG index = 0;
    list->Add(Bstr(dir / "a.txt" + ";" + dir / "b.txt"), &index);
    list->Add(Bstr(dir / "c.txt;" + dir / "d.txt"), &index);
    EXPECT_EQ(f->RenameFiles(list.Get()), VARIANT_TRUE);
    EXPECT_EQ(dir.Read("b.txt"), "a");
    EXPECT_EQ(dir.Read("d.txt"), "c");

    // A line without ";" stops the batch; what came before it is renamed.
    VARIANT v;
    VariantInit(&v);
    VARIANT_BOOL ok = 0;
    list->Clear();
    list->Add(Bstr(dir / "b.txt;" + dir / "e.txt"), &index);
    list->Add(Bstr(dir / "d.txt"), &index);
    list->Add(Bstr(dir / "e.txt;" + dir / "f.txt"), &index);
    list->SaveToVariant(&v, &ok);
    ClearError();
    EXPECT_EQ(f->RenameFilesEx(v), VARIANT_FALSE);
    VariantClear(&v);
    EXPECT_EQ(LastError(), L"[RenameFiles]: Sign \";\" not found.");
    EXPECT_TRUE(dir.Exists("e.txt"));
    EXPECT_TRUE(dir.Exists("d.txt"));

    // A rename that fails marks the batch, the next line still runs.
    list->Clear();
    list->Add(Bstr(dir / "gone.txt;" + dir / "x.txt"), &index);
    list->Add(Bstr(dir / "e.txt;" + dir / "g.txt"), &index);
    ClearError();
    EXPECT_EQ(f->RenameFiles(list.Get()), VARIANT_FALSE);
    EXPECT_TRUE(dir.Exists("g.txt"));
    EXPECT_EQ(LastError().rfind(L"[RenameFiles]: Cannot rename \"" + dir.W("gone.txt") + L"\"", 0), 0u);

    Var notBytes(L"a;b");
    EXPECT_EQ(f->RenameFilesEx(notBytes), VARIANT_FALSE);
    EXPECT_EQ(LastError().rfind(L"[RenameFiles]: ", 0), 0u);
    EXPECT_EQ(f->RenameFiles(nullptr), VARIANT_FALSE);
}

// A file list of the test's own, standing in for the real one.
class FakeFileList : public IMxFileList {
public:
    std::vector<std::wstring> files;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IMxBaseInterface || riid == IID_IMxFileList) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_wstrLastErrorMessage(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_wstrLastErrorMessage(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_boRaiseErrors(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_boRaiseErrors(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_fiFiles(LONG i, TFilename* v) override {
        if (i < 0 || i >= static_cast<LONG>(files.size())) return E_INVALIDARG;
        *v = SysAllocString(files[static_cast<size_t>(i)].c_str());
        return S_OK;
    }
    STDMETHODIMP put_fiFiles(LONG, TFilename) override { return E_NOTIMPL; }
    STDMETHODIMP get_iCount(LONG* v) override {
        *v = static_cast<LONG>(files.size());
        return S_OK;
    }
    STDMETHODIMP get_clFileRecord(LONG, IMxFileRecord**) override { return E_NOTIMPL; }
    STDMETHODIMP put_clFileRecord(LONG, IMxFileRecord*) override { return E_NOTIMPL; }
    STDMETHODIMP get_boThreadReady(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP Add(TFilename, VARIANT_BOOL, VARIANT_BOOL, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP Clear() override { return E_NOTIMPL; }
    STDMETHODIMP Delete(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteEx(TFilename) override { return E_NOTIMPL; }
    STDMETHODIMP Find(TFilename, LONG*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP IndexOf(TFilename, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP GetAllFileInfos(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP AddEx(IMxFileRecord*) override { return E_NOTIMPL; }
    STDMETHODIMP Waitfor(LONG, VARIANT_BOOL*) override { return E_NOTIMPL; }
    ULONG refs = 1;
};

TEST_F(FileUtils, ListConversions) {
    FakeFileList files;
    files.files = {L"C:\\a.txt", L"C:\\b \u00e4.txt"};
    IMxStringlist* out = reinterpret_cast<IMxStringlist*>(1);
    ASSERT_EQ(f->MxFileListToStringlist(&files, &out), S_OK);
    ASSERT_TRUE(out);
    LONG count = 0;
    out->get_Count(&count);
    EXPECT_EQ(count, 2);
    BSTR s = nullptr;
    out->get_Strings(1, &s);
    EXPECT_EQ(Take(s), L"C:\\b \u00e4.txt");
    out->Release();
    EXPECT_EQ(files.refs, 1u);

    files.files.push_back(L"");
    IMxStringlist* again = nullptr;
    ClearError();
    EXPECT_EQ(f->MxFileListToStringlist(nullptr, &again), S_OK);
    EXPECT_EQ(again, nullptr);
    EXPECT_EQ(LastError().rfind(L"[MxFileListToStringlist]: ", 0), 0u);

    // Without a registered file list the conversion fails through the error
    // convention with the system's message for the failed creation.
    ComPtr<IMxStringlist> list = Create<IMxStringlist>(CLSID_MxStringlist);
    IMxFileList* target = reinterpret_cast<IMxFileList*>(1);
    ClearError();
    HRESULT hr = f->MxStringListToFileList(list.Get(), &target);
    if (IsImplemented(L"MxFileList")) {
        EXPECT_EQ(hr, S_OK);
        if (target) target->Release();
    } else {
        EXPECT_EQ(hr, S_OK);
        EXPECT_EQ(target, nullptr);
        std::wstring message = LastError();
        EXPECT_EQ(message.rfind(L"[MxStringListToFileList]: ", 0), 0u);
        EXPECT_GT(message.size(), 27u);
    }
}

TEST_F(FileUtils, ErrorConventionOfADirectResultObject) {
    TestDir dir("fu-errors");
    RecordingSink* sink = new RecordingSink(DIID_IMxEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(f.Get(), DIID_IMxEvents, sink, &cookie), S_OK);
    f->put_boRaiseErrors(VARIANT_TRUE);
    EXPECT_EQ(f->GetFileSize(Bstr(dir / "none")), 0u);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].id, 1);
    EXPECT_EQ(sink->calls[0].args,
              (std::vector<std::wstring>{L"MxFileUtils", L"GetFileSize", L"File \"" + dir.W("none") + L"\" not found."}));
    Unadvise(f.Get(), DIID_IMxEvents, cookie);
    sink->Release();

    // Raised without a sink: early-bound callers get the failure value and
    // error information, late-bound callers an exception.
    EXPECT_EQ(f->CopyFile(Bstr(dir / "none"), Bstr(dir / "x"), Bstr(L"")), -1);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_TRUE(info.present);
    EXPECT_EQ(info.source, L"Zunda.MxFileUtils");
    EXPECT_EQ(info.description, L"[CopyFile]: File \"" + dir.W("none") + L"\" not found.");

    ComPtr<IDispatch> d = f.As<IDispatch>();
    CallResult r = Method(d.Get(), L"DirExists", {Var(dir.W("none").c_str())});
    EXPECT_EQ(r.hr, S_OK);  // no failure: just false
    r = Method(d.Get(), L"CreateEmptyFile", {Var(dir.W("no-dir\\x").c_str())});
    EXPECT_EQ(r.hr, DISP_E_EXCEPTION);
    EXPECT_EQ(r.description.rfind(L"[CreateEmptyFile]: Systemfehler.", 0), 0u);
}

}  // namespace
}  // namespace zunda::test

namespace zunda::test {
namespace {

// The recycle bin, run only by tests/files/wine-recycle.sh, which points the
// bin at a folder of its own and checks it from outside between the steps.
bool RecycleRunAllowed() {
    char marker[8] = {};
    return GetEnvironmentVariableA("ZUNDA_RECYCLE_TEST", marker, sizeof(marker)) > 0;
}

TEST(FileUtilsRecycle, DISABLED_DeleteWithUndo) {
    if (!RecycleRunAllowed()) GTEST_SKIP() << "only in the recycle bin run";
    ComPtr<IMxFileUtils> f = Create<IMxFileUtils>(CLSID_MxFileUtils);
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    const std::string name = std::string(cwd) + "\\zunda-recycled.txt";
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    BSTR b = SysAllocString(Widen(name).c_str());
    EXPECT_EQ(f->DeleteToRecycleBin(b, 0, VARIANT_TRUE, VARIANT_TRUE), 0);
    SysFreeString(b);
    EXPECT_EQ(GetFileAttributesA(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(FileUtilsRecycle, DISABLED_Empty) {
    if (!RecycleRunAllowed()) GTEST_SKIP() << "only in the recycle bin run";
    ComPtr<IMxFileUtils> f = Create<IMxFileUtils>(CLSID_MxFileUtils);
    EXPECT_EQ(f->EmptyRecycleBin(0), VARIANT_TRUE);
    BSTR s = nullptr;
    f->get_wstrLastErrorMessage(&s);
    EXPECT_EQ(Take(s), L"");
}

// Drives and roots, run only by tests/files/wine-roots.sh with the current
// directory on the root of a throwaway drive Y: and canary files there.
TEST(FileUtilsRoots, DISABLED_DrivesAndRootsAreNeverDeleted) {
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    char marker[8] = {};
    if (GetEnvironmentVariableA("ZUNDA_ROOTS_TEST", marker, sizeof(marker)) == 0 || std::string(cwd) != "Y:\\")
        GTEST_SKIP() << "only on the throwaway drive";
    ComPtr<IMxFileUtils> f = Create<IMxFileUtils>(CLSID_MxFileUtils);
    for (const wchar_t* p : {L"", L"\\", L"Y:", L"Y:\\", L"y:/", L".", L"Y:\\."}) {
        SCOPED_TRACE(p);
        BSTR b = SysAllocString(p);
        EXPECT_EQ(f->Deltree(b, VARIANT_FALSE), VARIANT_FALSE);
        EXPECT_EQ(f->DeleteToRecycleBin(b, 0, VARIANT_FALSE, VARIANT_TRUE), -1);
        SysFreeString(b);
    }
    EXPECT_NE(GetFileAttributesA("Y:\\canary.txt"), INVALID_FILE_ATTRIBUTES);
    // Links inside the tree are not followed: what they point at stays,
    // everything else of the tree goes. (Wine cannot remove a link to a
    // directory; on Windows the link goes and Deltree answers true.)
    BSTR tree = SysAllocString(L"Y:\\tree");
    f->Deltree(tree, VARIANT_FALSE);
    SysFreeString(tree);
    EXPECT_EQ(GetFileAttributesA("Y:\\tree\\sub\\file.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesA("Y:\\target\\precious.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("Y:\\target"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    // A link as the top: its target's content is never touched.
    BSTR alias = SysAllocString(L"Y:\\alias\\");
    f->Deltree(alias, VARIANT_TRUE);
    SysFreeString(alias);
    EXPECT_NE(GetFileAttributesA("Y:\\target\\precious.txt"), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace zunda::test
