// MxDeviceRecord: one device of the device tree. A plain COM object (its
// interface derives from IUnknown only) whose setters store only while the
// record is writeable; AssignObj copies another record whatever that says.
#include "devices/core/device_tree.h"
#include "server/win/frame.h"

namespace zunda {

class TMxDeviceRecord final : public Object<TMxDeviceRecord, IMxDeviceRecord> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDeviceRecord, &IID_IMxDeviceRecord, nullptr, L"Zunda.MxDeviceRecord",
                                     nullptr, ErrorEvent::None, false};

    STDMETHODIMP get_wstrClassName(BSTR* v) override { return GetText(v, r_.className); }
    STDMETHODIMP put_wstrClassName(BSTR v) override { return SetText(r_.className, v); }
    STDMETHODIMP get_wstrClassDesc(BSTR* v) override { return GetText(v, r_.classDesc); }
    STDMETHODIMP put_wstrClassDesc(BSTR v) override { return SetText(r_.classDesc, v); }
    STDMETHODIMP get_wstrClassIcon(BSTR* v) override { return GetText(v, r_.classIcon); }
    STDMETHODIMP put_wstrClassIcon(BSTR v) override { return SetText(r_.classIcon, v); }
    STDMETHODIMP get_wstrFriendlyName(BSTR* v) override { return GetText(v, r_.friendlyName); }
    STDMETHODIMP put_wstrFriendlyName(BSTR v) override { return SetText(r_.friendlyName, v); }
    STDMETHODIMP get_wstrDescription(BSTR* v) override { return GetText(v, r_.description); }
    STDMETHODIMP put_wstrDescription(BSTR v) override { return SetText(r_.description, v); }
    STDMETHODIMP get_wstrGUID(BSTR* v) override { return GetText(v, r_.guid); }
    STDMETHODIMP put_wstrGUID(BSTR v) override { return SetText(r_.guid, v); }
    STDMETHODIMP get_wstrManufacturer(BSTR* v) override { return GetText(v, r_.manufacturer); }
    STDMETHODIMP put_wstrManufacturer(BSTR v) override { return SetText(r_.manufacturer, v); }
    STDMETHODIMP get_wstrLocation(BSTR* v) override { return GetText(v, r_.location); }
    STDMETHODIMP put_wstrLocation(BSTR v) override { return SetText(r_.location, v); }
    STDMETHODIMP get_wstrHardwareID(BSTR* v) override { return GetText(v, r_.hardwareId); }
    STDMETHODIMP put_wstrHardwareID(BSTR v) override { return SetText(r_.hardwareId, v); }
    STDMETHODIMP get_wstrDriverDate(BSTR* v) override { return GetText(v, r_.driverDate); }
    STDMETHODIMP put_wstrDriverDate(BSTR v) override { return SetText(r_.driverDate, v); }
    STDMETHODIMP get_wstrDriverVersion(BSTR* v) override { return GetText(v, r_.driverVersion); }
    STDMETHODIMP put_wstrDriverVersion(BSTR v) override { return SetText(r_.driverVersion, v); }
    STDMETHODIMP get_wstrDriverProvider(BSTR* v) override { return GetText(v, r_.driverProvider); }
    STDMETHODIMP put_wstrDriverProvider(BSTR v) override { return SetText(r_.driverProvider, v); }
    STDMETHODIMP get_wstrService(BSTR* v) override { return GetText(v, r_.service); }
    STDMETHODIMP put_wstrService(BSTR v) override { return SetText(r_.service, v); }
    STDMETHODIMP get_wstrServiceName(BSTR* v) override { return GetText(v, r_.serviceName); }
    STDMETHODIMP put_wstrServiceName(BSTR v) override { return SetText(r_.serviceName, v); }
    STDMETHODIMP get_wstrServiceGroup(BSTR* v) override { return GetText(v, r_.serviceGroup); }
    STDMETHODIMP put_wstrServiceGroup(BSTR v) override { return SetText(r_.serviceGroup, v); }
    STDMETHODIMP get_iServiceType(long* v) override {
        return Get(v, [&] { return static_cast<long>(r_.serviceType); });
    }
    STDMETHODIMP put_iServiceType(long v) override {
        if (writeable_) r_.serviceType = static_cast<std::int32_t>(v);
        return S_OK;
    }
    STDMETHODIMP get_wstrRegKey(BSTR* v) override { return GetText(v, r_.regKey); }
    STDMETHODIMP put_wstrRegKey(BSTR v) override { return SetText(r_.regKey, v); }
    STDMETHODIMP get_tyDeviceClass(TYP_DeviceClass* v) override {
        return Get(v, [&] { return static_cast<TYP_DeviceClass>(r_.deviceClass); });
    }
    STDMETHODIMP put_tyDeviceClass(TYP_DeviceClass v) override {
        if (writeable_) r_.deviceClass = static_cast<int>(v);
        return S_OK;
    }
    STDMETHODIMP get_wstrDeviceClass(BSTR* v) override { return GetText(v, devices::ClassNameOf(r_.deviceClass)); }
    STDMETHODIMP put_wstrDeviceClass(BSTR) override { return S_OK; }
    STDMETHODIMP get_boWriteable(VARIANT_BOOL* v) override {
        return Get(v, [&] { return ToVariantBool(writeable_); });
    }
    STDMETHODIMP put_boWriteable(VARIANT_BOOL v) override {
        writeable_ = v != 0;
        return S_OK;
    }

    STDMETHODIMP AssignObj(IMxDeviceRecord* from) override {
        if (!from) return E_POINTER;
        return Call([&] {
            devices::DeviceRecord r;
            r.className = Read(from, &IMxDeviceRecord::get_wstrClassName);
            r.classDesc = Read(from, &IMxDeviceRecord::get_wstrClassDesc);
            r.classIcon = Read(from, &IMxDeviceRecord::get_wstrClassIcon);
            r.friendlyName = Read(from, &IMxDeviceRecord::get_wstrFriendlyName);
            r.description = Read(from, &IMxDeviceRecord::get_wstrDescription);
            r.guid = Read(from, &IMxDeviceRecord::get_wstrGUID);
            r.manufacturer = Read(from, &IMxDeviceRecord::get_wstrManufacturer);
            r.location = Read(from, &IMxDeviceRecord::get_wstrLocation);
            r.hardwareId = Read(from, &IMxDeviceRecord::get_wstrHardwareID);
            r.driverDate = Read(from, &IMxDeviceRecord::get_wstrDriverDate);
            r.driverVersion = Read(from, &IMxDeviceRecord::get_wstrDriverVersion);
            r.driverProvider = Read(from, &IMxDeviceRecord::get_wstrDriverProvider);
            r.service = Read(from, &IMxDeviceRecord::get_wstrService);
            r.serviceName = Read(from, &IMxDeviceRecord::get_wstrServiceName);
            r.serviceGroup = Read(from, &IMxDeviceRecord::get_wstrServiceGroup);
            long type = 0;
            Check(from->get_iServiceType(&type));
            r.serviceType = static_cast<std::int32_t>(type);
            r.regKey = Read(from, &IMxDeviceRecord::get_wstrRegKey);
            TYP_DeviceClass cls = tdcBattery;
            Check(from->get_tyDeviceClass(&cls));
            r.deviceClass = static_cast<int>(cls);
            r_ = std::move(r);  // all or nothing
        });
    }

private:
    HRESULT SetText(std::string& field, BSTR value) {
        return Call([&] {
            if (writeable_) field = ToAnsi(value);
        });
    }
    static std::string Read(IMxDeviceRecord* from, HRESULT (STDMETHODCALLTYPE IMxDeviceRecord::*get)(BSTR*)) {
        Bstr text;
        Check((from->*get)(text.Put()));
        return text.Ansi();
    }

    devices::DeviceRecord r_;
    bool writeable_ = false;
};

ZUNDA_CLASS(TMxDeviceRecord);

}  // namespace zunda
