// MxAuditLogFile: appends one separator-delimited line per WriteLog to a log
// file that several writers may share. The entry itself is built by the
// portable audit log core; this class holds the properties, fires OnWriteLog
// and OnError, and gives the core the system's files, clock and debugger.
#include "files/core/audit_log.h"
#include "files/win/str_tools_com.h"
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "server/win/win32_file.h"

namespace zunda {

namespace {

// Log files opened for exclusive writing, one entry at a time.
class Win32LogFile final : public core::LogFile {
public:
    explicit Win32LogFile(FileHandle f) : f_(std::move(f)) {}
    void Write(std::string_view bytes) override {
        DWORD error = WriteAll(f_.Get(), bytes);
        if (error) ThrowSystemError(error);
    }

private:
    FileHandle f_;
};

class Win32LogFileSystem final : public core::LogFileSystem {
public:
    bool Exists(const std::string& name) override {
        DWORD a = GetFileAttributesA(name.c_str());
        return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
    }
    std::unique_ptr<core::LogFile> CreateNew(const std::string& name, core::OpenStatus& status,
                                             std::string& reason) override {
        return Open(name, CREATE_NEW, status, reason);
    }
    std::unique_ptr<core::LogFile> OpenExisting(const std::string& name, core::OpenStatus& status,
                                                std::string& reason) override {
        return Open(name, OPEN_EXISTING, status, reason);
    }
    std::uint32_t Milliseconds() override { return GetTickCount(); }
    void Pause(std::uint32_t ms) override { Sleep(ms); }

private:
    static std::unique_ptr<core::LogFile> Open(const std::string& name, DWORD disposition, core::OpenStatus& status,
                                               std::string& reason) {
        DWORD error = 0;
        FileHandle f = OpenFileAnsi(name, GENERIC_WRITE, 0, disposition, &error);
        if (f.Valid()) {
            LARGE_INTEGER zero{};
            if (disposition == CREATE_NEW || SetFilePointerEx(f.Get(), zero, nullptr, FILE_END)) {
                status = core::OpenStatus::Opened;
                return std::make_unique<Win32LogFile>(std::move(f));
            }
            error = GetLastError();
        }
        switch (error) {
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS: status = core::OpenStatus::Exists; break;
        case ERROR_FILE_NOT_FOUND: status = core::OpenStatus::Missing; break;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: status = core::OpenStatus::Busy; break;
        default: status = core::OpenStatus::Failed; break;
        }
        reason = SystemMessage(error);
        return nullptr;
    }
};

}  // namespace

class TMxAuditLogFile final : public Object<TMxAuditLogFile, IMxAuditLogFile> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxAuditLogFile, &IID_IMxAuditLogFile, &DIID_IMxAuditLogFileEvents,
                                        L"Zunda.MxAuditLogFile", "MxAuditLogFile", ErrorEvent::ProcedureMessage, true};

    void Initialize() { tools_.Create(); }

    STDMETHODIMP get_fiFilename(TFilename* Value) override { return GetText(Value, log_.fileName); }
    STDMETHODIMP put_fiFilename(TFilename Value) override {
        return Call([&] {
            // A name that does not convert exactly or is too long is kept for
            // reading back, but no entry is written under it.
            std::string problem;
            std::string name;
            try {
                name = FileNameArg(Value);
            } catch (const Failure& e) {
                problem = e.what();
                name = ToAnsi(Value);
            }
            log_.fileName = std::move(name);
            fileNameProblem_ = std::move(problem);
        });
    }
    STDMETHODIMP get_wstrUsername(BSTR* Value) override { return GetText(Value, log_.user); }
    STDMETHODIMP put_wstrUsername(BSTR Value) override { return Store(log_.user, Value); }
    STDMETHODIMP get_wstrProgram(BSTR* Value) override { return GetText(Value, log_.program); }
    STDMETHODIMP put_wstrProgram(BSTR Value) override { return Store(log_.program, Value); }
    STDMETHODIMP get_boDisableEvent(VARIANT_BOOL* Value) override {
        return Get(Value, [&] { return ToVariantBool(log_.disableEvent); });
    }
    STDMETHODIMP put_boDisableEvent(VARIANT_BOOL Value) override {
        log_.disableEvent = Value != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_boOutputDebugString(VARIANT_BOOL* Value) override {
        return Get(Value, [&] { return ToVariantBool(log_.debugOutput); });
    }
    STDMETHODIMP put_boOutputDebugString(VARIANT_BOOL Value) override {
        log_.debugOutput = Value != VARIANT_FALSE;
        return S_OK;
    }
    STDMETHODIMP get_wstrSeperator(BSTR* Value) override { return GetText(Value, log_.separator); }
    STDMETHODIMP put_wstrSeperator(BSTR Value) override {
        return GuardedVoid("wstrSeperator", [&] {
            std::string separator = ToAnsi(Value);
            if (separator == log_.separator) return;
            // The header of a file yet to be created follows the separator.
            log_.header = core::HeaderForSeparator(log_.header, log_.separator, separator, tools_);
            log_.separator = std::move(separator);
        });
    }
    STDMETHODIMP get_iMaxFileSize(LONG* Value) override {
        return Get(Value, [&] { return maxFileSize_; });
    }
    STDMETHODIMP put_iMaxFileSize(LONG Value) override {
        maxFileSize_ = Value;
        return S_OK;
    }
    STDMETHODIMP get_wstrHeader(BSTR* Value) override { return GetText(Value, log_.header); }
    STDMETHODIMP put_wstrHeader(BSTR Value) override { return Store(log_.header, Value); }

    STDMETHODIMP WriteLog(BSTR wstrTool, BSTR wstrProcedure, BSTR wstrMessage, TYP_LogFile tyTyp,
                          VARIANT_BOOL* Value) override {
        if (!Value) return E_POINTER;
        *Value = VARIANT_FALSE;
        return Call([&] {
            // A failure raised by the inner error routine is reported once
            // more under WriteLog, so its text nests.
            try {
                Step("WriteLog", [&] {
                    try {
                        if (!fileNameProblem_.empty()) throw core::LogOpenError(fileNameProblem_);
                        Win32LogFileSystem fs;
                        Client client(*this);
                        core::WriteLogEntry(log_, fs, tools_, client, ToAnsi(wstrTool), ToAnsi(wstrProcedure),
                                            ToAnsi(wstrMessage), static_cast<long>(tyTyp));
                        *Value = VARIANT_TRUE;
                    } catch (const core::LogOpenError& e) {
                        ReportError("OpenLogFile", e.what());
                    }
                });
            } catch (const RaisedError& e) {
                ReportError("WriteLog", e.what());
            }
        });
    }

private:
    // What an entry needs from this object: the OnWriteLog event, the
    // debugger output and one reading of the local clock.
    class Client final : public core::LogClient {
    public:
        explicit Client(TMxAuditLogFile& owner) : owner_(owner) {}
        bool Listening() const override {
            ConnectionPoint* point = owner_.Point();
            return point && point->Connected();
        }
        void OnWriteLog(std::string& tool, std::string& procedure, std::string& message, std::string& typeText,
                        long type) override {
            ConnectionPoint* point = owner_.Point();
            if (!point || !point->Connected()) return;
            std::string* texts[4] = {&tool, &procedure, &message, &typeText};
            Bstr b[4];
            VARIANTARG args[5];
            // Last argument first: tyTyp, then the four texts by reference;
            // the handler may replace them.
            args[0].vt = VT_I4;
            args[0].lVal = type;
            for (int i = 0; i < 4; ++i) {
                args[4 - i].vt = VT_BYREF | VT_BSTR;
                args[4 - i].pbstrVal = b[i].Put();
                *args[4 - i].pbstrVal = Bstr::FromAnsi(*texts[i]).Release();
            }
            owner_.FireEvent(8, args, 5);
            for (int i = 0; i < 4; ++i) *texts[i] = b[i].Ansi();
        }
        void DebugOutput(const std::string& text) override { OutputDebugStringA(text.c_str()); }
        core::LogTime Now() override {
            SYSTEMTIME now;
            GetLocalTime(&now);
            char date[128] = {}, time[128] = {};
            GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &now, nullptr, date, sizeof(date));
            GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &now, nullptr, time, sizeof(time));
            return {date, time};
        }

    private:
        TMxAuditLogFile& owner_;
    };

    HRESULT Store(std::string& field, BSTR value) {
        return Call([&] { field = ToAnsi(value); });
    }

    core::LogSettings log_;
    std::string fileNameProblem_;  // why log_.fileName is not used, when it is not
    LONG maxFileSize_ = 5;
    ComStrTools tools_;
};

ZUNDA_CLASS(TMxAuditLogFile);

}  // namespace zunda
