// MxDrive: the logical drives as MxDriveRecord objects, by position and by
// drive letter. Refresh replaces every record with a new one.
#include "machine/win/drive_win32.h"
#include "server/win/frame.h"
#include "server/win/record_list.h"

namespace zunda {

class TMxDrive final : public Object<TMxDrive, IMxDrive> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDrive, &IID_IMxDrive, &DIID_IMxEvents, L"Zunda.MxDrive", "MxDrive",
                                     ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP get_clDrives(long index, IMxDriveRecord** out) override {
        return Guarded("Get_clDrives", out, static_cast<IMxDriveRecord*>(nullptr), [&] { return records_.At(index); });
    }
    STDMETHODIMP get_clDrivesBySign(BSTR sign, IMxDriveRecord** out) override {
        return Guarded("Get_clDrivesBySign", out, static_cast<IMxDriveRecord*>(nullptr), [&] {
            const std::string wanted = Upper(ToAnsiName(sign));
            return records_.Find([&](IMxDriveRecord* r) {
                Bstr own;
                Check(r->get_wstrDriveSign(own.Put()));
                return Upper(own.Ansi()) == wanted;
            });
        });
    }
    STDMETHODIMP get_iCount(long* out) override {
        return Get(out, [&] { return records_.Count(); });
    }
    STDMETHODIMP get_wstrAvailableDrives(BSTR* out) override {
        return Get(out, [&] { return Bstr::FromAnsi(AvailableDriveLetters()); });
    }
    STDMETHODIMP Refresh() override {
        return GuardedVoid("Refresh", [&] {
            records_.Clear();
            for (char letter : AvailableDriveLetters()) {
                const bool added = Step("AddNew", [&] {
                    ComPtr<IMxDriveRecord> record = CreateLibraryObject<IMxDriveRecord>(CLSID_MxDriveRecord);
                    Check(record->Refresh(Bstr::FromAnsi(std::string(1, letter))));
                    records_.Add(std::move(record));
                });
                if (!added) break;
            }
        });
    }

private:
    static std::string Upper(std::string text) {
        if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }

    RecordList<IMxDriveRecord> records_;
};

ZUNDA_CLASS(TMxDrive);

}  // namespace zunda
