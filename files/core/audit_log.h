// The audit log: one separator-delimited line per entry, appended to a log
// file that starts with a header line when this writer created it. Several
// writers (objects or processes) may share one file: each entry holds the
// file exclusively only while it is written, and a writer that finds the file
// held waits a short, bounded time for it.
#pragma once

#include "files/core/str_tools.h"
#include "server/core/failure.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace zunda::core {

// The nine quoted German column names joined by ";".
extern const char kDefaultLogHeader[];

constexpr long kLogEventType = 5;  // the entries that boDisableEvent suppresses

// The text of the first column for an entry type; empty for unknown types.
std::string LogTypeText(long type);

// The character that replaces the separator inside the fields: "," for a
// separator that starts with ";", ";" for every other one.
char SeparatorStandIn(std::string_view separator);

// The text with CR and LF replaced by the stand-in: an entry is one line.
std::string OneLine(std::string text, char standIn);

// The header after the separator changed from oldSep to newSep: the first
// character of the old one replaced by the first of the new one. An empty
// separator counts as ";", the one an entry would use.
std::string HeaderForSeparator(std::string_view header, std::string_view oldSep, std::string_view newSep,
                               StrTools& tools);

struct LogTime {
    std::string date;  // short date of the locale
    std::string time;  // long time of the locale
};

struct LogFields {
    std::string typeText, program, tool, procedure, user, message;
};

// Type, date, time, program, tool, procedure, user, an empty workstation
// column and message, joined by the separator (no line end).
std::string BuildLogLine(const LogFields& fields, const LogTime& time, std::string_view separator);

// An open log file, closed when destroyed.
class LogFile {
public:
    virtual ~LogFile() = default;
    // Appends the bytes; throws Failure with the system's reason.
    virtual void Write(std::string_view bytes) = 0;
};

enum class OpenStatus { Opened, Exists, Missing, Busy, Failed };

class LogFileSystem {
public:
    virtual ~LogFileSystem() = default;
    virtual bool Exists(const std::string& name) = 0;
    // Creates the file for exclusive writing; Exists when it is there already.
    virtual std::unique_ptr<LogFile> CreateNew(const std::string& name, OpenStatus& status, std::string& reason) = 0;
    // Opens an existing file for exclusive writing at its end; Missing when it is gone.
    virtual std::unique_ptr<LogFile> OpenExisting(const std::string& name, OpenStatus& status, std::string& reason) = 0;
    virtual std::uint32_t Milliseconds() = 0;  // a steady clock
    virtual void Pause(std::uint32_t ms) = 0;
};

// The log file could not be opened for an entry.
class LogOpenError : public Failure {
public:
    using Failure::Failure;
};

// Opens the log for one entry. A missing file is created with the header
// line, written only by the writer whose exclusive creation succeeded. While
// another writer holds the file, the open is retried for up to patienceMs.
std::unique_ptr<LogFile> OpenLogFile(LogFileSystem& fs, const std::string& name, std::string_view header,
                                     std::uint32_t patienceMs = 2000);

// What an entry asks of the object that writes it.
class LogClient {
public:
    virtual ~LogClient() = default;
    // Whether OnWriteLog reaches anybody (a connected sink).
    virtual bool Listening() const { return true; }
    // The client's chance to rewrite the texts of the entry.
    virtual void OnWriteLog(std::string& tool, std::string& procedure, std::string& message, std::string& typeText,
                            long type) = 0;
    virtual void DebugOutput(const std::string& text) = 0;
    // Date and time of one reading of the clock.
    virtual LogTime Now() = 0;
};

struct LogSettings {
    std::string fileName;
    std::string separator = ";";
    std::string header = kDefaultLogHeader;
    std::string program;
    std::string user;
    bool disableEvent = false;
    bool debugOutput = false;
};

// Writes one entry. An empty separator becomes ";" first. Throws
// LogOpenError when the file cannot be opened (before OnWriteLog and the
// debugger output), Failure for other failures.
void WriteLogEntry(LogSettings& settings, LogFileSystem& fs, StrTools& tools, LogClient& client, std::string tool,
                   std::string procedure, std::string message, long type);

}  // namespace zunda::core
