// MxAuditLogFile writing real log files: header and entry lines, separators,
// the OnWriteLog and OnError events, and what happens when the file is held
// by another writer or cannot be created.
#include "tests/support/win/catalogue.h"
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

ZUNDA_TEST_IMPLEMENTED(MxAuditLogFile);

namespace zunda::test {
namespace {

const std::string kHeader =
    "\"Typ\";\"Datum\";\"Uhrzeit\";\"Programm\";\"Tool\";\"Prozedure\";\"Benutzer\";\"Arbeitsplatz\";\"Meldung\"";

std::vector<std::string> Split(const std::string& text, const std::string& sep) {
    std::vector<std::string> out;
    size_t pos = 0;
    for (;;) {
        size_t at = text.find(sep, pos);
        out.push_back(text.substr(pos, at == std::string::npos ? std::string::npos : at - pos));
        if (at == std::string::npos) return out;
        pos = at + sep.size();
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines = Split(text, "\r\n");
    EXPECT_EQ(lines.back(), "") << "the file ends with CR LF";
    lines.pop_back();
    return lines;
}

std::string Today() {
    char buf[128] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buf, sizeof(buf));
    return buf;
}

class AuditLog : public ::testing::Test {
protected:
    void SetUp() override {
        log = Create<IMxAuditLogFile>(CLSID_MxAuditLogFile);
        ASSERT_TRUE(log);
        name = dir / "audit.csv";
        log->put_fiFilename(Bstr(name));
    }
    VARIANT_BOOL Write(const wchar_t* tool, const wchar_t* proc, const wchar_t* message, long type) {
        VARIANT_BOOL ok = 0;
        EXPECT_EQ(log->WriteLog(Bstr(tool), Bstr(proc), Bstr(message), static_cast<TYP_LogFile>(type), &ok), S_OK);
        return ok;
    }
    std::wstring LastError() {
        BSTR s = nullptr;
        log->get_wstrLastErrorMessage(&s);
        return Take(s);
    }
    std::string Prop(HRESULT (STDMETHODCALLTYPE IMxAuditLogFile::*get)(BSTR*)) {
        BSTR s = nullptr;
        EXPECT_EQ((log.Get()->*get)(&s), S_OK);
        int n = WideCharToMultiByte(CP_ACP, 0, s, static_cast<int>(SysStringLen(s)), nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n), '\0');
        WideCharToMultiByte(CP_ACP, 0, s, static_cast<int>(SysStringLen(s)), out.data(), n, nullptr, nullptr);
        SysFreeString(s);
        return out;
    }

    TestDir dir{"auditlog"};
    std::string name;
    ComPtr<IMxAuditLogFile> log;
};

TEST_F(AuditLog, InitialProperties) {
    EXPECT_EQ(Prop(&IMxAuditLogFile::get_wstrSeperator), ";");
    EXPECT_EQ(Prop(&IMxAuditLogFile::get_wstrHeader), kHeader);
    EXPECT_EQ(kHeader.size(), 89u);
    EXPECT_EQ(Prop(&IMxAuditLogFile::get_wstrUsername), "");
    LONG size = 0;
    log->get_iMaxFileSize(&size);
    EXPECT_EQ(size, 5);
    VARIANT_BOOL b = -1;
    log->get_boDisableEvent(&b);
    EXPECT_EQ(b, VARIANT_FALSE);
    log->put_boOutputDebugString(5);
    log->get_boOutputDebugString(&b);
    EXPECT_EQ(b, VARIANT_TRUE);
}

TEST_F(AuditLog, FirstEntryCreatesTheFileWithTheHeaderLaterOnesAppend) {
    log->put_wstrProgram(Bstr(L"Programm"));
    log->put_wstrUsername(Bstr(L"J\u00fcrgen"));
    log->put_iMaxFileSize(1);  // stored only: the file grows past it
    const std::string before = Today();
    EXPECT_EQ(Write(L"A;B", L"Proc", L"Meldung \u00e4", 9), VARIANT_TRUE);
    EXPECT_EQ(Write(L"T", L"P", L"zwei", 0), VARIANT_TRUE);
    const std::string after = Today();
    std::vector<std::string> lines = Lines(dir.Read("audit.csv"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], kHeader);
    std::vector<std::string> f = Split(lines[1], ";");
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[0], "ERROR");
    EXPECT_TRUE(f[1] == before || f[1] == after) << f[1];
    EXPECT_FALSE(f[2].empty());
    EXPECT_EQ(std::vector<std::string>(f.begin() + 3, f.end()),
              (std::vector<std::string>{"Programm", "A,B", "Proc", "J\xFCrgen", "", "Meldung \xE4"}));
    EXPECT_EQ(Split(lines[2], ";")[0], "INFORMATION");

    // An existing file is never given a header, whatever wstrHeader says now.
    log->put_wstrHeader(Bstr(L"NEW HEADER"));
    Write(L"T", L"P", L"drei", 17);
    lines = Lines(dir.Read("audit.csv"));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], kHeader);
    EXPECT_EQ(Split(lines[3], ";")[0], "WARNING");
}

TEST_F(AuditLog, SeparatorsInsideTheFieldsNeverShiftAColumn) {
    struct Case {
        const wchar_t* separator;
        std::string sep;
        std::string header;
        std::vector<std::string> fields;  // program, tool, procedure, user, message
    } cases[] = {
        {L",", ",", "\"Typ\",\"Datum\"", {"p;1", "a;b", "c;d", "u;1", "x;y|z"}},
        {L"|", "|", "\"Typ\"|\"Datum\"", {"p;1", "a;b", "c;d", "u;1", "x,y;z"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.sep);
        TestDir own("auditlog-sep");
        ComPtr<IMxAuditLogFile> l = Create<IMxAuditLogFile>(CLSID_MxAuditLogFile);
        l->put_fiFilename(Bstr(own / "log.csv"));
        l->put_wstrSeperator(Bstr(c.separator));
        BSTR header = nullptr;
        l->get_wstrHeader(&header);
        EXPECT_EQ(Take(header).substr(0, 13), Widen(c.header));
        const std::wstring s(c.separator);
        l->put_wstrProgram(Bstr(L"p" + s + L"1"));
        l->put_wstrUsername(Bstr(L"u" + s + L"1"));
        VARIANT_BOOL ok = 0;
        l->WriteLog(Bstr(L"a" + s + L"b"), Bstr(L"c;d"), Bstr(L"x,y|z"), tlDebug, &ok);
        EXPECT_EQ(ok, VARIANT_TRUE);
        std::vector<std::string> lines = Lines(own.Read("log.csv"));
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0].substr(0, 13), c.header);
        std::vector<std::string> f = Split(lines[1], c.sep);
        ASSERT_EQ(f.size(), 9u);
        EXPECT_EQ((std::vector<std::string>{f[3], f[4], f[5], f[6], f[8]}), c.fields);
        EXPECT_EQ(f[7], "");
    }

    // An empty separator is taken as ";" at the next entry.
    log->put_wstrSeperator(Bstr(L""));
    EXPECT_EQ(Prop(&IMxAuditLogFile::get_wstrHeader), kHeader);
    Write(L"T", L"P", L"M", 0);
    EXPECT_EQ(Prop(&IMxAuditLogFile::get_wstrSeperator), ";");
    EXPECT_EQ(Split(Lines(dir.Read("audit.csv"))[1], ";").size(), 9u);
}

TEST_F(AuditLog, LineBreaksInsideFieldsGiveOneLine) {
    log->put_wstrProgram(Bstr(L"Prog\r\nERROR"));
    EXPECT_EQ(Write(L"Tool\r\nERROR;01.01.2000;00:00:00;X;Y;Z;admin;;forged", L"P\n", L"M\r", tlInformation),
              VARIANT_TRUE);
    std::vector<std::string> lines = Lines(dir.Read("audit.csv"));
    ASSERT_EQ(lines.size(), 2u) << "one header and one entry line";
    std::vector<std::string> f = Split(lines[1], ";");
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[3], "Prog,,ERROR");
    EXPECT_EQ(f[4], "Tool,,ERROR,01.01.2000,00:00:00,X,Y,Z,admin,,forged");
    EXPECT_EQ(f[5], "P,");
    EXPECT_EQ(f[8], "M,");
}

TEST_F(AuditLog, TypesAndSuppressedEvents) {
    log->put_boDisableEvent(VARIANT_TRUE);
    Write(L"T", L"P", L"suppressed", tlEvent);
    Write(L"T", L"P", L"always", tlAlwaysEvent);
    Write(L"T", L"P", L"beyond", 18);
    Write(L"T", L"P", L"negative", -1);
    Write(L"T", L"P", L"licence", tlLicenseError);
    std::vector<std::string> lines = Lines(dir.Read("audit.csv"));
    ASSERT_EQ(lines.size(), 5u);  // the header and four entries
    EXPECT_EQ(Split(lines[1], ";")[0], "EVENT");
    EXPECT_EQ(Split(lines[1], ";")[8], "always");
    EXPECT_EQ(Split(lines[2], ";")[0], "");
    EXPECT_EQ(Split(lines[3], ";")[0], "");
    EXPECT_EQ(Split(lines[4], ";")[0], "LIZENZ ERROR");
}

TEST_F(AuditLog, OnWriteLogMayRewriteTheEntry) {
    RecordingSink* sink = new RecordingSink(DIID_IMxAuditLogFileEvents);
    sink->writeBack = {{0, L"NewTool"}, {2, L""}, {3, L"CUSTOM"}};
    DWORD cookie = 0;
    ASSERT_EQ(Advise(log.Get(), DIID_IMxAuditLogFileEvents, sink, &cookie), S_OK);
    EXPECT_EQ(Write(L"A;B", L"Proc", L"gone", tlError), VARIANT_TRUE);
    ASSERT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(sink->calls[0].id, 8);
    EXPECT_EQ(sink->calls[0].args, (std::vector<std::wstring>{L"A,B", L"Proc", L"gone", L"ERROR", L"9"}));
    std::vector<std::string> f = Split(Lines(dir.Read("audit.csv"))[1], ";");
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[0], "CUSTOM");
    EXPECT_EQ(f[4], "NewTool");
    EXPECT_EQ(f[8], "");

    // The suppressed entry still goes through the event.
    sink->calls.clear();
    sink->writeBack.clear();
    log->put_boDisableEvent(VARIANT_TRUE);
    Write(L"T", L"P", L"M", tlEvent);
    EXPECT_EQ(sink->calls.size(), 1u);
    EXPECT_EQ(Lines(dir.Read("audit.csv")).size(), 2u);
    Unadvise(log.Get(), DIID_IMxAuditLogFileEvents, cookie);
    sink->Release();

    // A failing handler does not disturb the entry.
    RecordingSink* failing = new RecordingSink(DIID_IMxAuditLogFileEvents, RecordingSink::Mode::Fail);
    ASSERT_EQ(Advise(log.Get(), DIID_IMxAuditLogFileEvents, failing, &cookie), S_OK);
    EXPECT_EQ(Write(L"T", L"P", L"kept", tlInformation), VARIANT_TRUE);
    EXPECT_EQ(Split(Lines(dir.Read("audit.csv"))[2], ";")[8], "kept");
    Unadvise(log.Get(), DIID_IMxAuditLogFileEvents, cookie);
    failing->Release();
}

DWORD WINAPI CloseLater(void* handle) {
    Sleep(300);
    CloseHandle(static_cast<HANDLE>(handle));
    return 0;
}

TEST_F(AuditLog, AnEntryThatCannotBeWrittenIsReportedNotLost) {
    Write(L"T", L"P", L"first", 0);
    // Held by another writer for a moment: the entry waits and is written.
    HANDLE held = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    HANDLE closer = CreateThread(nullptr, 0, CloseLater, held, 0, nullptr);
    EXPECT_EQ(Write(L"T", L"P", L"waited", 0), VARIANT_TRUE);
    WaitForSingleObject(closer, INFINITE);
    CloseHandle(closer);
    EXPECT_EQ(Lines(dir.Read("audit.csv")).size(), 3u);

    // Held for good: false after a bounded wait, and the reason is reported.
    held = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    DWORD start = GetTickCount();
    EXPECT_EQ(Write(L"T", L"P", L"lost", 0), VARIANT_FALSE);
    DWORD waited = GetTickCount() - start;
    CloseHandle(held);
    EXPECT_GE(waited, 1900u);
    EXPECT_LT(waited, 5000u);
    std::wstring message = LastError();
    EXPECT_EQ(message.rfind(L"[OpenLogFile]: ", 0), 0u);
    EXPECT_GT(message.size(), 16u);
    EXPECT_EQ(Lines(dir.Read("audit.csv")).size(), 3u);

    // A file that cannot be created fails at once, through the sink when there is one.
    log->put_fiFilename(Bstr(dir / "no-such-dir\\log.csv"));
    RecordingSink* sink = new RecordingSink(DIID_IMxAuditLogFileEvents);
    DWORD cookie = 0;
    ASSERT_EQ(Advise(log.Get(), DIID_IMxAuditLogFileEvents, sink, &cookie), S_OK);
    log->put_boRaiseErrors(VARIANT_TRUE);
    start = GetTickCount();
    EXPECT_EQ(Write(L"T", L"P", L"M", 0), VARIANT_FALSE);
    EXPECT_LT(GetTickCount() - start, 1000u);
    ASSERT_EQ(sink->calls.size(), 1u);  // OnError only: no OnWriteLog for an entry never written
    EXPECT_EQ(sink->calls[0].id, 2);
    ASSERT_EQ(sink->calls[0].args.size(), 2u);
    EXPECT_EQ(sink->calls[0].args[0], L"OpenLogFile");
    EXPECT_EQ(LastError(), L"[OpenLogFile]: " + sink->calls[0].args[1]);
    Unadvise(log.Get(), DIID_IMxAuditLogFileEvents, cookie);
    sink->Release();

    // Raised without a sink: the text nests under WriteLog.
    VARIANT_BOOL ok = VARIANT_TRUE;
    EXPECT_EQ(log->WriteLog(Bstr(L"T"), Bstr(L"P"), Bstr(L"M"), tlError, &ok), E_UNEXPECTED);
    EXPECT_EQ(ok, VARIANT_FALSE);
    ErrorInfoText info = TakeErrorInfo();
    EXPECT_EQ(info.description.rfind(L"[WriteLog]: [OpenLogFile]: ", 0), 0u) << info.description;
    EXPECT_EQ(info.source, L"Zunda.MxAuditLogFile");
    EXPECT_EQ(LastError(), info.description);
}

TEST(AuditLogDebugOutput, EntriesGoToTheDebuggerWhenAsked) {
    // Under Wine the text shows on stderr with WINEDEBUG=+debugstr; the
    // extra run of this test checks it there.
    TestDir dir("auditlog-debug");
    ComPtr<IMxAuditLogFile> log = Create<IMxAuditLogFile>(CLSID_MxAuditLogFile);
    log->put_fiFilename(Bstr(dir / "log.csv"));
    log->put_boOutputDebugString(VARIANT_TRUE);
    log->put_boDisableEvent(VARIANT_TRUE);
    VARIANT_BOOL ok = 0;
    log->WriteLog(Bstr(L"DbgTool"), Bstr(L"DbgProc"), Bstr(L"suppressed but shown"), tlEvent, &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
}

}  // namespace
}  // namespace zunda::test

namespace zunda::test {
namespace {

// With the German formats of tests/files/wine-locale-de.sh the date and time
// columns follow the user's short date and long time formats.
TEST(AuditLogGerman, DateAndTimeFollowTheUserFormats) {
    char date[32] = {}, time[32] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, date, sizeof(date));
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIMEFORMAT, time, sizeof(time));
    if (std::string(date) != "dd.MM.yyyy" || std::string(time) != "HH:mm:ss")
        GTEST_SKIP() << "only with the German formats";
    TestDir dir("auditlog-de");
    ComPtr<IMxAuditLogFile> log = Create<IMxAuditLogFile>(CLSID_MxAuditLogFile);
    log->put_fiFilename(Bstr(dir / "log.csv"));
    VARIANT_BOOL ok = 0;
    log->WriteLog(Bstr(L"T"), Bstr(L"P"), Bstr(L"Gr\u00fc\u00dfe"), tlLogin, &ok);
    EXPECT_EQ(ok, VARIANT_TRUE);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char today[16];
    wsprintfA(today, "%02d.%02d.%04d", now.wDay, now.wMonth, now.wYear);
    std::vector<std::string> f = Split(Lines(dir.Read("log.csv"))[1], ";");
    ASSERT_EQ(f.size(), 9u);
    EXPECT_EQ(f[0], "LOGIN");
    EXPECT_EQ(f[1], today);
    ASSERT_EQ(f[2].size(), 8u);  // HH:mm:ss
    EXPECT_EQ(f[2][2], ':');
    EXPECT_EQ(f[2][5], ':');
    EXPECT_EQ(f[8], "Gr\xFC\xDF" "e");
}

}  // namespace
}  // namespace zunda::test
