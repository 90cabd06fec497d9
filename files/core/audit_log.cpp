#include "files/core/audit_log.h"

namespace zunda::core {

const char kDefaultLogHeader[] =
    "\"Typ\";\"Datum\";\"Uhrzeit\";\"Programm\";\"Tool\";\"Prozedure\";\"Benutzer\";\"Arbeitsplatz\";\"Meldung\"";

std::string LogTypeText(long type) {
    static const char* const kTexts[] = {
        "INFORMATION", "DEBUG",          "DLL DEBUG",   "DEBUG TOOL",  "EVENT",        "EVENT",
        "LOGIN",       "LOGOUT",         "DATABASE ERROR", "ERROR",    "STRING ERROR", "DATE ERROR",
        "FILE ERROR",  "ADMIN ERROR",    "LOGIN ERROR", "LOGOUT ERROR", "LIZENZ ERROR", "WARNING",
    };
    if (type < 0 || type >= static_cast<long>(sizeof(kTexts) / sizeof(kTexts[0]))) return std::string();
    return kTexts[type];
}

char SeparatorStandIn(std::string_view separator) { return !separator.empty() && separator[0] == ';' ? ',' : ';'; }

std::string OneLine(std::string text, char standIn) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = standIn;
    return text;
}

std::string HeaderForSeparator(std::string_view header, std::string_view oldSep, std::string_view newSep,
                               StrTools& tools) {
    const char from = oldSep.empty() ? ';' : oldSep[0];
    const char to = newSep.empty() ? ';' : newSep[0];
    if (from == to) return std::string(header);
    return tools.Replace(header, from, to);
}

std::string BuildLogLine(const LogFields& f, const LogTime& time, std::string_view sep) {
    std::string line;
    const std::string_view parts[] = {f.typeText, time.date, time.time, f.program, f.tool,
                                      f.procedure, f.user,   "",        f.message};
    for (size_t i = 0; i < sizeof(parts) / sizeof(parts[0]); ++i) {
        if (i > 0) line.append(sep);
        line.append(parts[i]);
    }
    return line;
}

namespace {

struct Attempt {
    std::unique_ptr<LogFile> file;
    OpenStatus status = OpenStatus::Failed;
    std::string reason;
};

Attempt TryOpen(LogFileSystem& fs, const std::string& name, std::string_view header) {
    Attempt a;
    if (!fs.Exists(name)) {
        a.file = fs.CreateNew(name, a.status, a.reason);
        if (a.file) {
            // Only the writer that created the file writes its header, and
            // nobody else can write before it: the file is held exclusively.
            std::string line(header);
            line += "\r\n";
            a.file->Write(line);
            a.status = OpenStatus::Opened;
            return a;
        }
        if (a.status != OpenStatus::Exists) return a;
    }
    a.file = fs.OpenExisting(name, a.status, a.reason);
    if (a.file) a.status = OpenStatus::Opened;
    return a;
}

}  // namespace

std::unique_ptr<LogFile> OpenLogFile(LogFileSystem& fs, const std::string& name, std::string_view header,
                                     std::uint32_t patienceMs) {
    const std::uint32_t start = fs.Milliseconds();
    for (std::uint32_t round = 0;; ++round) {
        Attempt a = TryOpen(fs, name, header);
        if (a.file) return std::move(a.file);
        if (a.status == OpenStatus::Failed) throw LogOpenError(a.reason);
        // Busy, or created or removed by another writer between the test and the open.
        if (fs.Milliseconds() - start >= patienceMs) {
            if (a.reason.empty()) a.reason = "The log file \"" + name + "\" stays in use by another writer.";
            throw LogOpenError(a.reason);
        }
        if (a.status == OpenStatus::Busy) fs.Pause(round < 20 ? 1 : 4);
    }
}

void WriteLogEntry(LogSettings& s, LogFileSystem& fs, StrTools& tools, LogClient& client, std::string tool,
                   std::string procedure, std::string message, long type) {
    if (s.separator.empty()) s.separator.push_back(';');
    const char sep = s.separator[0];
    const char standIn = SeparatorStandIn(s.separator);

    LogFields f;
    f.typeText = LogTypeText(type);
    // A separator inside a field would shift every later column, a line
    // break would start a line that reads as an entry of its own.
    f.tool = OneLine(tools.Replace(tool, sep, standIn), standIn);
    f.procedure = OneLine(tools.Replace(procedure, sep, standIn), standIn);
    f.message = OneLine(tools.Replace(message, sep, standIn), standIn);
    f.program = OneLine(tools.Replace(s.program, sep, standIn), standIn);
    f.user = OneLine(tools.Replace(s.user, sep, standIn), standIn);

    // An entry that cannot be written is reported and nothing else happens:
    // the file must open before the event and the debugger output. It is
    // held only for the write itself, so this first opening ends at once.
    if (client.Listening() || s.debugOutput) OpenLogFile(fs, s.fileName, s.header);

    client.OnWriteLog(f.tool, f.procedure, f.message, f.typeText, type);
    // The handler's texts stay on the entry's one line too.
    for (std::string* field : {&f.tool, &f.procedure, &f.message, &f.typeText}) *field = OneLine(std::move(*field), standIn);
    const std::string line = BuildLogLine(f, client.Now(), s.separator) + "\r\n";
    if (s.debugOutput) {
        std::string text = "--> [";
        text.append(f.procedure).append("][").append(f.tool).append("]: ").append(f.message);
        client.DebugOutput(text);
    }

    std::unique_ptr<LogFile> file = OpenLogFile(fs, s.fileName, s.header);
    if (!(type == kLogEventType && s.disableEvent)) file->Write(line);
}

}  // namespace zunda::core
