// MxDriveRecord: one drive, read by Refresh and kept until the next one. A
// plain COM object: its interface derives from IUnknown only.
#include "machine/core/drive.h"
#include "machine/win/drive_win32.h"
#include "server/win/frame.h"

namespace zunda {

class TMxDriveRecord final : public Object<TMxDriveRecord, IMxDriveRecord> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDriveRecord, &IID_IMxDriveRecord, nullptr, L"Zunda.MxDriveRecord",
                                     nullptr, ErrorEvent::None, false};

    STDMETHODIMP get_wstrVolumeLabel(BSTR* out) override { return GetText(out, r_.label); }
    STDMETHODIMP get_wstrSerialNumber(BSTR* out) override { return GetText(out, r_.serialNumber); }
    STDMETHODIMP get_wstrFileSystem(BSTR* out) override { return GetText(out, r_.fileSystem); }
    STDMETHODIMP get_wstrDriveSign(BSTR* out) override {
        return GetText(out, r_.letter ? std::string(1, r_.letter) : std::string());
    }
    STDMETHODIMP get_iFreeClusters(long* out) override { return GetNumber(out, r_.geometry.freeClusters); }
    STDMETHODIMP get_iTotalClusters(long* out) override { return GetNumber(out, r_.geometry.totalClusters); }
    STDMETHODIMP get_iSectorsPerCluster(long* out) override { return GetNumber(out, r_.geometry.sectorsPerCluster); }
    STDMETHODIMP get_iBytesPerSector(long* out) override { return GetNumber(out, r_.geometry.bytesPerSector); }
    STDMETHODIMP get_iFreeSpace(unsigned __int64* out) override {
        return Get(out, [&] { return static_cast<unsigned __int64>(r_.freeSpace); });
    }
    STDMETHODIMP get_iCapacity(unsigned __int64* out) override {
        return Get(out, [&] { return static_cast<unsigned __int64>(r_.capacity); });
    }
    STDMETHODIMP get_tyMedia(TYP_Drive_Media* out) override {
        return Get(out, [&] { return static_cast<TYP_Drive_Media>(r_.media); });
    }
    STDMETHODIMP get_boIsMediaPresent(VARIANT_BOOL* out) override {
        return Get(out, [&] { return ToVariantBool(r_.mediumPresent); });
    }
    STDMETHODIMP Refresh(BSTR sign) override {
        return Call([&] {
            Win32Drives drives;
            machine::RefreshDrive(r_, drives, ToAnsiName(sign));
        });
    }

private:
    machine::DriveRecord r_;
};

ZUNDA_CLASS(TMxDriveRecord);

}  // namespace zunda
