// MxDrive: the logical drives as MxDriveRecord objects, by position and by
// drive letter. Refresh replaces every record with a new one.
#include "machine/win/drive_win32.h"
#include "server/core/failure.h"
#include "server/win/frame.h"

#include <cstdio>
#include <vector>

namespace zunda {

class TMxDrive final : public Object<TMxDrive, IMxDrive> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDrive, &IID_IMxDrive, &DIID_IMxEvents, L"Zunda.MxDrive", "MxDrive",
                                     ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP get_clDrives(long index, IMxDriveRecord** out) override {
        return Guarded("Get_clDrives", out, static_cast<IMxDriveRecord*>(nullptr), [&] {
            if (index < 0 || static_cast<size_t>(index) >= records_.size()) {
                char text[96];
                std::snprintf(text, sizeof(text), "Listenindex \xFC" "berschreitet das Maximum (%ld)", index);
                throw Failure(text);
            }
            return records_[static_cast<size_t>(index)].Copy();
        });
    }
    STDMETHODIMP get_clDrivesBySign(BSTR sign, IMxDriveRecord** out) override {
        return Guarded("Get_clDrivesBySign", out, static_cast<IMxDriveRecord*>(nullptr), [&] {
            const std::string wanted = Upper(ToAnsiName(sign));
            for (const ComPtr<IMxDriveRecord>& r : records_) {
                BSTR own = nullptr;
                Check(r->get_wstrDriveSign(&own));
                const std::string letter = Upper(ToAnsi(own));
                SysFreeString(own);
                if (letter == wanted) return r.Copy();
            }
            return static_cast<IMxDriveRecord*>(nullptr);
        });
    }
    STDMETHODIMP get_iCount(long* out) override {
        return Get(out, [&] { return static_cast<long>(records_.size()); });
    }
    STDMETHODIMP get_wstrAvailableDrives(BSTR* out) override {
        return Get(out, [&] { return AnsiToBstr(AvailableDriveLetters()); });
    }
    STDMETHODIMP Refresh() override {
        return GuardedVoid("Refresh", [&] {
            ClearList();
            for (char letter : AvailableDriveLetters()) {
                try {
                    ComPtr<IMxDriveRecord> record = CreateLibraryObject<IMxDriveRecord>(CLSID_MxDriveRecord);
                    BSTR sign = AnsiToBstr(std::string(1, letter));
                    const HRESULT hr = record->Refresh(sign);
                    SysFreeString(sign);
                    Check(hr);
                    records_.push_back(record);
                } catch (const RaisedError&) {
                    throw;
                } catch (const std::exception& e) {
                    ReportError("AddNew", e.what());
                    break;
                }
            }
        });
    }

private:
    static std::string Upper(std::string text) {
        if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
        return text;
    }
    void ClearList() {
        try {
            while (!records_.empty()) records_.pop_back();  // last to first
        } catch (const std::exception& e) {
            ReportError("ClearList", e.what());
        }
    }

    std::vector<ComPtr<IMxDriveRecord>> records_;
};

ZUNDA_CLASS(TMxDrive);

}  // namespace zunda
