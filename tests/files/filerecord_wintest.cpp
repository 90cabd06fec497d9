// MxFileRecord from a client: name parts and the bare-name search, the
// information of fixture programs (version tables in two languages, console
// and GUI programs, a DOS program, no version, a damaged version resource),
// a 5 GiB sparse file, exact file times, and gathering on a worker.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

#include <winioctl.h>

#include <fstream>

ZUNDA_TEST_IMPLEMENTED(MxFileRecord);

namespace zunda::test {
namespace {

std::string Cwd() {
    char buf[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof(buf), buf);
    return buf;
}

// Reads a whole file into bytes; the test programs lie beside win_tests.exe.
std::string ReadBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class FileRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        record = Create<IMxFileRecord>(CLSID_MxFileRecord);
        ASSERT_TRUE(record);
    }
    bool Set(const std::string& name, bool info = true, bool thread = false) {
        VARIANT_BOOL found = VARIANT_FALSE;
        EXPECT_EQ(record->SetFilename(Bstr(name), ToVariantBool(info), ToVariantBool(thread), &found), S_OK);
        return found != VARIANT_FALSE;
    }
    std::wstring Text(HRESULT (STDMETHODCALLTYPE IMxFileRecord::*get)(BSTR*)) { return ReadText(record.Get(), get); }
    ComPtr<IMxFileRecord> record;
};

TEST_F(FileRecordTest, NamePartsAndTheBareNameSearch) {
    TestDir dir("fr-names");
    dir.Write("report.txt", "hello");
    EXPECT_TRUE(Set("  " + (dir / "report.txt") + " \t", false));
    EXPECT_EQ(Text(&IMxFileRecord::get_fiFilename), dir.W("report.txt"));
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrExtension), L"txt");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrPath), Widen(dir.Path() + "\\"));
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrName), L"report");
    EXPECT_EQ(Read(record.Get(), &IMxFileRecord::get_iSize), 0u);  // names only

    // A bare name is found in the Windows folders.
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    EXPECT_TRUE(Set("notepad.exe", false));
    const std::wstring path = Text(&IMxFileRecord::get_wstrPath);
    EXPECT_EQ(_wcsnicmp(path.c_str(), Widen(windows).c_str(), wcslen(Widen(windows).c_str())), 0) << path;
    EXPECT_EQ(Text(&IMxFileRecord::get_fiFilename), path + L"notepad.exe");

    // Nothing that is not a file is found: empty names (the Windows folder
    // itself), folders, wildcards, missing and over-long names.
    for (const std::string& bad : {std::string(), std::string("   "), dir.Path(), dir / "*.txt", dir / "missing.txt",
                                   dir / std::string(300, 'a'), std::string("System32")}) {
        EXPECT_FALSE(Set(bad)) << bad;
        EXPECT_EQ(Read(record.Get(), &IMxFileRecord::get_iSize), 0u);
        EXPECT_EQ(Text(&IMxFileRecord::get_wstrVersion), L"");
    }
    VARIANT_BOOL found = VARIANT_TRUE;
    EXPECT_EQ(record->SetFilename(nullptr, VARIANT_TRUE, VARIANT_FALSE, &found), S_OK);
    EXPECT_EQ(found, VARIANT_FALSE);
}

TEST_F(FileRecordTest, ProgramsGiveTheirTypeAndVersionTexts) {
    const std::string console = Cwd() + "\\program-console.exe";
    ASSERT_TRUE(Set(console));
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrBinaryType), L"Win32 Console Executable");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrVersion), L"1.2.3.4");
    // The first table (German) wins where both tables hold a key.
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrCompanyName), L"Beispiel GmbH");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrDescription), L"Testprogramm");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrComments), L"Kommentar");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrInternalName), L"program");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrLegalCopyright), L"(c) Example");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrProductName), L"Fixture");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrProductVersion), L"5.6.7.8");
    const std::string bytes = ReadBytes(console);
    EXPECT_EQ(Read(record.Get(), &IMxFileRecord::get_iSize), bytes.size());
    EXPECT_EQ(Read(record.Get(), &IMxFileRecord::get_iAttributes) & FILE_ATTRIBUTE_DIRECTORY, 0);

    ASSERT_TRUE(Set(Cwd() + "\\program-gui.exe"));
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrBinaryType), L"Win32 Executable");

    TestDir dir("fr-types");
    // A DOS program: an MZ header and nothing after it.
    std::string dos(64, '\0');
    dos[0] = 'M';
    dos[1] = 'Z';
    dos[8] = 4;  // header paragraphs
    dos[2] = 64;
    dos[4] = 1;
    dir.Write("dos.exe", dos);
    ASSERT_TRUE(Set(dir / "dos.exe"));
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrBinaryType), L"DOS Executable");

    dir.Write("plain.txt", "no program");
    ASSERT_TRUE(Set(dir / "plain.txt"));
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrBinaryType), L"");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrVersion), L"No Version Information found (" + dir.W("plain.txt") + L").");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrCompanyName), L"");
    EXPECT_EQ(Read(record.Get(), &IMxFileRecord::get_iSize), 10u);
    // Looking up the associated icon leaves the record's name alone.
    Read(record.Get(), &IMxFileRecord::get_iIconHandle);
    EXPECT_EQ(Text(&IMxFileRecord::get_fiFilename), dir.W("plain.txt"));
}

// The offset of a wide text in bytes, or npos.
size_t FindWide(const std::string& bytes, const char* text) {
    std::string wide;
    for (const char* p = text; *p; ++p) {
        wide.push_back(*p);
        wide.push_back('\0');
    }
    return bytes.find(wide);
}

TEST_F(FileRecordTest, DamagedVersionResourcesKeepWhatWasReadBefore) {
    TestDir dir("fr-damaged");
    const std::string good = ReadBytes(Cwd() + "\\program-console.exe");
    struct Damage {
        const char* key;      // the block whose length is changed
        unsigned length;
        const wchar_t* company;  // what the record then reads
    } damages[] = {
        {"InternalName", 0xFFF0, L"Beispiel GmbH"},  // past the table and the resource
        {"InternalName", 3, L"Beispiel GmbH"},       // shorter than its own header
        {"040904E4", 0xFFFF, L"Beispiel GmbH"},
        {"StringFileInfo", 0x0001, L""},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.key);
        std::string bytes = good;
        const size_t key = FindWide(bytes, d.key);
        ASSERT_NE(key, std::string::npos);
        bytes[key - 6] = static_cast<char>(d.length & 0xFF);
        bytes[key - 5] = static_cast<char>(d.length >> 8);
        dir.Write("damaged.exe", bytes);
        ASSERT_TRUE(Set(dir / "damaged.exe"));
        EXPECT_EQ(Text(&IMxFileRecord::get_wstrCompanyName), d.company);
        EXPECT_EQ(Text(&IMxFileRecord::get_wstrVersion), L"1.2.3.4");
    }
}

TEST_F(FileRecordTest, LargeSparseFileAndExactTimes) {
    TestDir dir("fr-large");
    const std::string name = dir / "sparse.bin";
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 5ll << 30;
    ASSERT_TRUE(SetFilePointerEx(h, size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    // 2005-01-01 12:00:00.500 UTC, day 38353 of the automation calendar.
    SYSTEMTIME st = {2005, 1, 6, 1, 12, 0, 0, 500};
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &ft));
    CloseHandle(h);

    ASSERT_TRUE(Set(name));
    EXPECT_EQ(Read(record.Get(), &IMxFileRecord::get_iSize), 5ull << 30);
    EXPECT_NEAR(Read(record.Get(), &IMxFileRecord::get_dtModified), 38353.5 + 0.5 / 86400.0, 1e-9);
    EXPECT_GT(Read(record.Get(), &IMxFileRecord::get_dtCreated), 0.0);
}

TEST_F(FileRecordTest, WorkerGathersWithoutTheCallerPumping) {
    const std::string console = Cwd() + "\\program-console.exe";
    ASSERT_TRUE(Set(console, true, true));
    // No messages are pumped here: the worker must publish by itself.
    UINT64 size = 0;
    for (int i = 0; i < 200 && size == 0; ++i) {
        Sleep(25);
        size = Read(record.Get(), &IMxFileRecord::get_iSize);
    }
    EXPECT_EQ(size, ReadBytes(console).size());
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrProductName), L"Fixture");

    // A record released while its worker still runs lives until the worker ends.
    for (int i = 0; i < 20; ++i) {
        ComPtr<IMxFileRecord> r = Create<IMxFileRecord>(CLSID_MxFileRecord);
        VARIANT_BOOL found = VARIANT_FALSE;
        EXPECT_EQ(r->SetFilename(Bstr(console), VARIANT_TRUE, VARIANT_TRUE, &found), S_OK);
        // Renamed at once: the former gathering must not publish for the new name.
        EXPECT_EQ(r->SetFilename(Bstr(std::string("C:\\none.txt")), VARIANT_FALSE, VARIANT_FALSE, &found), S_OK);
        Sleep(i % 3);
        UINT64 s = 1;
        EXPECT_EQ(r->get_iSize(&s), S_OK);
        EXPECT_EQ(s, 0u);
    }
    record.Reset();
    EXPECT_EQ(LibraryCanUnloadSoon(), S_OK);
}

TEST_F(FileRecordTest, FreeTextsAndParseFilename) {
    EXPECT_EQ(record->put_wstrExtDescription(Bstr(L"desc")), S_OK);
    EXPECT_EQ(record->put_wstrRegKey(Bstr(L"HKEY_LOCAL_MACHINE\\x")), S_OK);
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrExtDescription), L"desc");
    EXPECT_EQ(Text(&IMxFileRecord::get_wstrRegKey), L"HKEY_LOCAL_MACHINE\\x");
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    BSTR parsed = nullptr;
    EXPECT_EQ(record->ParseFilename(Bstr(L"%WinDir%\\notepad.exe"), &parsed), S_OK);
    EXPECT_EQ(Take(parsed), Widen(std::string(windows) + "\\notepad.exe"));
    // Late-bound: the same record through IDispatch.
    ComPtr<IDispatch> d = record.As<IDispatch>();
    EXPECT_EQ(PropGet(d.Get(), L"wstrExtDescription").value.Str(), L"desc");
}

}  // namespace
}  // namespace zunda::test
