// Load test of the audit log: four processes, each with its own
// MxAuditLogFile on one log file, write 500 entries each at full speed. The
// file must end with one header and every entry exactly once, whole.
#include "tests/support/win/com_test.h"
#include "tests/support/win/files_testdir.h"

#include <cstdio>
#include <map>
#include <set>

namespace zunda::test {
namespace {

constexpr int kWriters = 4;
constexpr int kEntries = 500;
constexpr DWORD kTimeLimitMs = 120000;
const char kWorkerVariable[] = "ZUNDA_AUDITLOG_WORKER";

// One writer: started by the test below as a process of its own, with
// "<log file>|<writer number>|<start event name>" in the environment.
TEST(AuditLogLoad, DISABLED_Worker) {
    char workerText[1024] = {};
    ASSERT_GT(GetEnvironmentVariableA(kWorkerVariable, workerText, sizeof(workerText)), 0u);
    std::string s = workerText;
    size_t a = s.find('|'), b = s.rfind('|');
    ASSERT_NE(a, b);
    const std::string file = s.substr(0, a), writer = s.substr(a + 1, b - a - 1), event = s.substr(b + 1);

    ComPtr<IMxAuditLogFile> log = Create<IMxAuditLogFile>(CLSID_MxAuditLogFile);
    ASSERT_TRUE(log);
    BSTR name = SysAllocString(Widen(file).c_str());
    log->put_fiFilename(name);
    SysFreeString(name);
    BSTR tool = SysAllocString(Widen("writer " + writer).c_str());
    BSTR proc = SysAllocString(L"Load");

    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, event.c_str());
    ASSERT_TRUE(go);
    ASSERT_EQ(WaitForSingleObject(go, 60000), WAIT_OBJECT_0);
    CloseHandle(go);
    int failed = 0;
    for (int i = 0; i < kEntries; ++i) {
        BSTR message = SysAllocString(Widen("writer " + writer + " entry " + std::to_string(i)).c_str());
        VARIANT_BOOL ok = VARIANT_FALSE;
        if (FAILED(log->WriteLog(tool, proc, message, tlInformation, &ok)) || ok == VARIANT_FALSE) ++failed;
        SysFreeString(message);
    }
    SysFreeString(tool);
    SysFreeString(proc);
    EXPECT_EQ(failed, 0);
}

TEST(AuditLogLoad, FourProcessesLoseNothing) {
    TestDir dir("auditlog-load");
    const std::string file = dir / "shared.csv";
    char exe[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(nullptr, exe, MAX_PATH), 0u);
    const std::string event = "ZundaAuditLogLoad" + std::to_string(GetCurrentProcessId());
    HANDLE go = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
    ASSERT_TRUE(go);

    std::vector<HANDLE> workers;
    for (int w = 0; w < kWriters; ++w) {
        SetEnvironmentVariableA(kWorkerVariable, (file + "|" + std::to_string(w) + "|" + event).c_str());
        std::string command = std::string("\"") + exe +
                              "\" --gtest_brief=1 --gtest_also_run_disabled_tests --gtest_filter=AuditLogLoad.DISABLED_Worker";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi);
        EXPECT_TRUE(started) << GetLastError();
        if (!started) continue;
        CloseHandle(pi.hThread);
        workers.push_back(pi.hProcess);
    }
    SetEnvironmentVariableA(kWorkerVariable, nullptr);
    ASSERT_EQ(workers.size(), static_cast<size_t>(kWriters));
    Sleep(500);  // let every writer reach the start line
    const DWORD start = GetTickCount();
    SetEvent(go);
    DWORD waited = WaitForMultipleObjects(static_cast<DWORD>(workers.size()), workers.data(), TRUE, kTimeLimitMs);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "writers did not finish in time";
    for (HANDLE h : workers) {
        DWORD code = 0;
        if (waited != WAIT_OBJECT_0) TerminateProcess(h, 99);
        GetExitCodeProcess(h, &code);
        EXPECT_EQ(code, 0u) << "a writer failed";
        CloseHandle(h);
    }
    CloseHandle(go);

    // One header first, then every entry of every writer once and whole.
    const std::string text = dir.Read("shared.csv");
    const std::string header =
        "\"Typ\";\"Datum\";\"Uhrzeit\";\"Programm\";\"Tool\";\"Prozedure\";\"Benutzer\";\"Arbeitsplatz\";\"Meldung\"";
    int headers = 0, entries = 0, malformed = 0, duplicates = 0;
    std::set<std::pair<int, int>> seen;
    size_t pos = 0;
    bool firstIsHeader = false;
    while (pos < text.size()) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) {
            ++malformed;  // a line without its end
            break;
        }
        const std::string line = text.substr(pos, end - pos);
        if (line == header) {
            ++headers;
            firstIsHeader = firstIsHeader || pos == 0;
        } else {
            int writer = -1, entry = -1;
            int fields = 1;
            for (char c : line) fields += c == ';';
            size_t m = line.rfind(';');
            if (fields == 9 && line.rfind("INFORMATION;", 0) == 0 &&
                std::sscanf(line.c_str() + m + 1, "writer %d entry %d", &writer, &entry) == 2 &&
                line.substr(m + 1) == "writer " + std::to_string(writer) + " entry " + std::to_string(entry)) {
                ++entries;
                if (!seen.insert({writer, entry}).second) ++duplicates;
            } else {
                ++malformed;
            }
        }
        pos = end + 2;
    }
    const int lost = kWriters * kEntries - static_cast<int>(seen.size());
    std::printf("audit log load: %d writers x %d entries in %lu ms: %d header(s), %d entry lines, %d lost, "
                "%d duplicated, %d malformed\n",
                kWriters, kEntries, static_cast<unsigned long>(elapsed), headers, entries, lost, duplicates, malformed);
    EXPECT_EQ(headers, 1);
    EXPECT_TRUE(firstIsHeader);
    EXPECT_EQ(entries, kWriters * kEntries);
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(duplicates, 0);
    EXPECT_EQ(malformed, 0);
}

}  // namespace
}  // namespace zunda::test
