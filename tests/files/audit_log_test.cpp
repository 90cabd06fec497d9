// The audit log's line builder, header rewrite and open-and-create flow over
// an in-memory file system with other writers simulated.
#include "files/core/audit_log.h"
#include "tests/files/str_tools_double.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace zunda::core {
namespace {

class MemoryLogFs : public LogFileSystem {
public:
    std::map<std::string, std::string> files;
    int busyOpens = 0;        // this many opens find the file held by another writer
    bool createdByOther = false;  // another writer creates the file between the test and the creation
    std::string failure;      // every open fails with this reason
    std::uint32_t clock = 0;
    std::uint32_t paused = 0;
    int creations = 0;

    class File : public LogFile {
    public:
        File(MemoryLogFs& fs, std::string name) : fs_(fs), name_(std::move(name)) {}
        void Write(std::string_view bytes) override { fs_.files[name_].append(bytes); }

    private:
        MemoryLogFs& fs_;
        std::string name_;
    };

    bool Exists(const std::string& name) override { return files.count(name) > 0; }
    std::unique_ptr<LogFile> CreateNew(const std::string& name, OpenStatus& status, std::string& reason) override {
        if (!failure.empty()) return Fail(OpenStatus::Failed, failure, status, reason);
        if (createdByOther) {
            createdByOther = false;
            files[name] = "HEADER OF THE OTHER WRITER\r\n";
        }
        if (files.count(name)) return Fail(OpenStatus::Exists, "The file exists.", status, reason);
        ++creations;
        files[name];
        return std::make_unique<File>(*this, name);
    }
    std::unique_ptr<LogFile> OpenExisting(const std::string& name, OpenStatus& status, std::string& reason) override {
        if (!failure.empty()) return Fail(OpenStatus::Failed, failure, status, reason);
        if (busyOpens > 0) {
            --busyOpens;
            return Fail(OpenStatus::Busy, "The process cannot access the file because it is being used by another process.",
                        status, reason);
        }
        if (!files.count(name)) return Fail(OpenStatus::Missing, "The file is gone.", status, reason);
        return std::make_unique<File>(*this, name);
    }
    std::uint32_t Milliseconds() override { return clock; }
    void Pause(std::uint32_t ms) override {
        clock += ms;
        paused += ms;
    }

private:
    static std::unique_ptr<LogFile> Fail(OpenStatus s, const std::string& why, OpenStatus& status, std::string& reason) {
        status = s;
        reason = why;
        return nullptr;
    }
};

class RecordingClient : public LogClient {
public:
    std::vector<std::vector<std::string>> events;
    std::vector<std::string> debug;
    int clockReads = 0;
    std::function<void(std::string&, std::string&, std::string&, std::string&)> rewrite;

    void OnWriteLog(std::string& tool, std::string& procedure, std::string& message, std::string& typeText,
                    long type) override {
        events.push_back({tool, procedure, message, typeText, std::to_string(type)});
        if (rewrite) rewrite(tool, procedure, message, typeText);
    }
    void DebugOutput(const std::string& text) override { debug.push_back(text); }
    LogTime Now() override {
        ++clockReads;
        return {"31.12.2003", "23:59:59"};
    }
};

struct Log {
    LogSettings settings;
    MemoryLogFs fs;
    test::StrToolsDouble tools;
    RecordingClient client;
    Log() { settings.fileName = "C:\\log.csv"; }
    void Write(const std::string& tool, const std::string& proc, const std::string& msg, long type) {
        WriteLogEntry(settings, fs, tools, client, tool, proc, msg, type);
    }
    std::string Text() { return fs.files[settings.fileName]; }
};

TEST(AuditLog, TypeTextsAndHeader) {
    EXPECT_EQ(std::string(kDefaultLogHeader).size(), 89u);
    EXPECT_EQ(LogTypeText(0), "INFORMATION");
    EXPECT_EQ(LogTypeText(2), "DLL DEBUG");
    EXPECT_EQ(LogTypeText(4), "EVENT");
    EXPECT_EQ(LogTypeText(5), "EVENT");
    EXPECT_EQ(LogTypeText(13), "ADMIN ERROR");
    EXPECT_EQ(LogTypeText(16), "LIZENZ ERROR");
    EXPECT_EQ(LogTypeText(17), "WARNING");
    EXPECT_EQ(LogTypeText(18), "");
    EXPECT_EQ(LogTypeText(-1), "");
}

TEST(AuditLog, FirstEntryCreatesTheFileWithTheHeaderLaterOnesAppend) {
    Log log;
    log.settings.program = "Prog";
    log.settings.user = "Anna";
    log.Write("A;B", "Proc", "Hello", 9);
    log.Write("T", "P", "second", 0);
    EXPECT_EQ(log.Text(), std::string(kDefaultLogHeader) +
                              "\r\n"
                              "ERROR;31.12.2003;23:59:59;Prog;A,B;Proc;Anna;;Hello\r\n"
                              "INFORMATION;31.12.2003;23:59:59;Prog;T;P;Anna;;second\r\n");
    EXPECT_EQ(log.client.clockReads, 2);  // one reading of the clock per entry
    EXPECT_EQ(log.fs.creations, 1);
}

TEST(AuditLog, SeparatorsInsideEveryFieldAreReplaced) {
    struct Case {
        const char* separator;
        const char* line;
    } cases[] = {
        {";", "DEBUG;31.12.2003;23:59:59;p,rog;a,b|c;pro,c;us,er;;m,e"},
        {",", "DEBUG,31.12.2003,23:59:59,p;rog,a;b|c,pro;c,us;er,,m;e"},
        {"|", "DEBUG|31.12.2003|23:59:59|p;rog|a,b;c|pro;c|us;er||m;e"},
        // a longer separator that starts with ";"
        {";;", "DEBUG;;31.12.2003;;23:59:59;;p,rog;;a,b|c;;pro,c;;us,er;;;;m,e"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.separator);
        const char sep = c.separator[0];
        Log log;
        log.settings.separator = c.separator;
        log.settings.program = std::string("p") + sep + "rog";
        log.settings.user = std::string("us") + sep + "er";
        log.Write("a,b|c", std::string("pro") + sep + "c", std::string("m") + sep + "e", 1);
        const std::string text = log.Text();
        EXPECT_EQ(text.substr(text.find("\r\n") + 2), std::string(c.line) + "\r\n");
    }
}

TEST(AuditLog, EventRewritesAndSuppressedEntries) {
    Log log;
    log.client.rewrite = [](std::string& tool, std::string&, std::string& message, std::string& type) {
        tool = "T2";
        message.clear();
        type = "CUSTOM";
    };
    log.settings.debugOutput = true;
    log.Write("T", "P", "M", 17);
    ASSERT_EQ(log.client.events.size(), 1u);
    EXPECT_EQ(log.client.events[0], (std::vector<std::string>{"T", "P", "M", "WARNING", "17"}));
    EXPECT_EQ(log.client.debug, (std::vector<std::string>{"--> [P][T2]: "}));
    EXPECT_NE(log.Text().find("\r\nCUSTOM;31.12.2003;23:59:59;;T2;P;;;\r\n"), std::string::npos);

    // tlEvent with boDisableEvent: event and debug output, but no line; tlAlwaysEvent is written.
    log.client.rewrite = nullptr;
    log.settings.disableEvent = true;
    const std::string before = log.Text();
    log.Write("T", "P", "suppressed", 5);
    EXPECT_EQ(log.Text(), before);
    EXPECT_EQ(log.client.events.size(), 2u);
    EXPECT_EQ(log.client.debug.size(), 2u);
    log.Write("T", "P", "always", 4);
    EXPECT_NE(log.Text().find("EVENT;31.12.2003;23:59:59;;T;P;;;always\r\n"), std::string::npos);

    // An empty separator becomes ";".
    log.settings.separator.clear();
    log.Write("x", "y", "z", 99);
    EXPECT_EQ(log.settings.separator, ";");
    EXPECT_NE(log.Text().find("\r\n;31.12.2003;23:59:59;;x;y;;;z\r\n"), std::string::npos);
}

TEST(AuditLog, LineBreaksInsideFieldsNeverStartAnotherEntry) {
    Log log;
    log.settings.program = "p\r\nq";
    log.settings.user = "u\n";
    log.Write("t\r\nINFORMATION;01.01.2000;00:00:00;forged", "P\r", "m\r\n\r\n", 0);
    // A handler's texts stay on the line as well.
    log.client.rewrite = [](std::string& tool, std::string&, std::string& message, std::string& type) {
        tool = "\nT";
        message = "x\r\nERROR;fake";
        type = "TYPE\r\n";
    };
    log.settings.separator = "|";
    log.Write("T", "P", "M", 0);
    const std::string text = log.Text();
    EXPECT_EQ(text.substr(text.find("\r\n") + 2),
              "INFORMATION;31.12.2003;23:59:59;p,,q;t,,INFORMATION,01.01.2000,00:00:00,forged;P,;u,;;m,,,,\r\n"
              "TYPE;;|31.12.2003|23:59:59|p;;q|;T|P|u;||x;;ERROR;fake\r\n");
}

TEST(AuditLog, AnEntryWhoseFileDoesNotOpenFiresNoEventAndWritesNoDebugOutput) {
    Log log;
    log.settings.debugOutput = true;
    log.fs.failure = "Access is denied.";
    try {
        log.Write("T", "P", "M", 0);
        FAIL() << "no failure";
    } catch (const LogOpenError& e) {
        EXPECT_STREQ(e.what(), "Access is denied.");
    }
    EXPECT_TRUE(log.client.events.empty());
    EXPECT_TRUE(log.client.debug.empty());
    EXPECT_EQ(log.client.clockReads, 0);
    log.fs.failure.clear();
    log.Write("T", "P", "M", 0);
    EXPECT_EQ(log.client.events.size(), 1u);
    EXPECT_EQ(log.client.debug.size(), 1u);
}

TEST(AuditLog, HeaderIsWrittenOnlyByTheWriterThatCreatedTheFile) {
    Log log;
    log.fs.createdByOther = true;  // found missing, but created by someone else before us
    log.Write("T", "P", "M", 0);
    EXPECT_EQ(log.Text(), "HEADER OF THE OTHER WRITER\r\nINFORMATION;31.12.2003;23:59:59;;T;P;;;M\r\n");
    EXPECT_EQ(log.fs.creations, 0);
}

TEST(AuditLog, AHeldFileIsRetriedForABoundedTime) {
    Log log;
    log.fs.files[log.settings.fileName] = "H\r\n";
    log.fs.busyOpens = 5;
    log.Write("T", "P", "waited", 0);
    EXPECT_NE(log.Text().find("waited"), std::string::npos);
    EXPECT_GT(log.fs.paused, 0u);

    Log held;
    held.fs.files[held.settings.fileName] = "H\r\n";
    held.fs.busyOpens = 1000000;
    try {
        held.Write("T", "P", "lost", 0);
        FAIL() << "no failure";
    } catch (const LogOpenError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The process cannot access the file because it is being used by another process.");
    }
    EXPECT_GE(held.fs.clock, 2000u);
    EXPECT_LT(held.fs.clock, 2100u);
    EXPECT_EQ(held.Text(), "H\r\n");

    Log broken;
    broken.fs.failure = "The system cannot find the path specified.";
    EXPECT_THROW(broken.Write("T", "P", "M", 0), LogOpenError);
    EXPECT_EQ(broken.fs.paused, 0u);  // no waiting for what will not change
}

TEST(AuditLog, HeaderFollowsTheSeparator) {
    test::StrToolsDouble tools;
    const std::string h = kDefaultLogHeader;
    const std::string commas = HeaderForSeparator(h, ";", ",", tools);
    EXPECT_EQ(commas.find(';'), std::string::npos);
    EXPECT_EQ(commas.substr(0, 14), "\"Typ\",\"Datum\",");
    EXPECT_EQ(HeaderForSeparator(h, ";", ";", tools), h);
    EXPECT_EQ(HeaderForSeparator(h, ";", "", tools), h);   // empty means ";"
    EXPECT_EQ(HeaderForSeparator(commas, "", ",", tools), commas);
    EXPECT_EQ(HeaderForSeparator(commas, ",", "|x", tools).substr(0, 14), "\"Typ\"|\"Datum\"|");
}

}  // namespace
}  // namespace zunda::core
