// MxDevice: the devices of the registry's device tree as MxDeviceRecord
// objects, ordered by class and optionally filtered to one class, and the
// distinct values of one value across the driver keys of a device class.
#include "devices/core/device_tree.h"
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "server/win/record_list.h"
#include "system/win/registry_win32.h"

#include <vector>

namespace zunda {
namespace {

bool IsNT() {
    ComPtr<IMxMachine> machine = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
    VARIANT_BOOL nt = VARIANT_FALSE;
    Check(machine->get_boIsNT(&nt));
    return nt != VARIANT_FALSE;
}

void PutText(IMxDeviceRecord* r, HRESULT (STDMETHODCALLTYPE IMxDeviceRecord::*put)(BSTR), const std::string& text) {
    Check((r->*put)(Bstr::FromAnsi(text)));
}

// A new record made through the class factory and filled while writeable.
ComPtr<IMxDeviceRecord> MakeRecord(IClassFactory* factory, const devices::DeviceRecord& d) {
    ComPtr<IMxDeviceRecord> r;
    Check(factory->CreateInstance(nullptr, IID_IMxDeviceRecord, reinterpret_cast<void**>(r.Put())));
    Check(r->put_boWriteable(VARIANT_TRUE));
    PutText(r.Get(), &IMxDeviceRecord::put_wstrClassName, d.className);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrClassDesc, d.classDesc);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrClassIcon, d.classIcon);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrFriendlyName, d.friendlyName);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrDescription, d.description);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrGUID, d.guid);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrManufacturer, d.manufacturer);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrLocation, d.location);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrHardwareID, d.hardwareId);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrDriverDate, d.driverDate);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrDriverVersion, d.driverVersion);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrDriverProvider, d.driverProvider);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrService, d.service);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrServiceName, d.serviceName);
    PutText(r.Get(), &IMxDeviceRecord::put_wstrServiceGroup, d.serviceGroup);
    Check(r->put_iServiceType(static_cast<long>(d.serviceType)));
    PutText(r.Get(), &IMxDeviceRecord::put_wstrRegKey, d.regKey);
    Check(r->put_tyDeviceClass(static_cast<TYP_DeviceClass>(d.deviceClass)));
    Check(r->put_boWriteable(VARIANT_FALSE));
    return r;
}

}  // namespace

class TMxDevice final : public Object<TMxDevice, IMxDevice> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxDevice, &IID_IMxDevice, &DIID_IMxEvents, L"Zunda.MxDevice", "MxDevices",
                                     ErrorEvent::ModuleProcedureMessage, true};

    STDMETHODIMP get_iDeviceCount(long* out) override {
        return Get(out, [&] { return filtered_.Count(); });
    }
    STDMETHODIMP put_iDeviceCount(long) override { return S_OK; }
    STDMETHODIMP get_tyFiltered(TYP_DeviceClass* out) override {
        return Get(out, [&] { return static_cast<TYP_DeviceClass>(filter_); });
    }
    STDMETHODIMP put_tyFiltered(TYP_DeviceClass value) override {
        return Call([&] {
            filter_ = static_cast<int>(value);
            Filter();
        });
    }
    STDMETHODIMP get_clDevice(long index, IMxDeviceRecord** out) override {
        return Guarded("Get_clDevice", out, static_cast<IMxDeviceRecord*>(nullptr), [&] { return filtered_.At(index); });
    }
    STDMETHODIMP put_clDevice(long index, IMxDeviceRecord* record) override {
        return Call([&] {
            filtered_.Peek(index);  // the list index message for a bad index
            if (!record) throw ComError(E_POINTER, "No device record.");
            filtered_.Set(index, ComPtr<IMxDeviceRecord>(record));
        });
    }
    STDMETHODIMP GetInfo() override {
        return GuardedVoid("GetInfo", [&] {
            ClearList();
            try {
                const devices::Layout layout{IsNT()};
                const std::vector<devices::DeviceRecord> found = devices::ReadDeviceTree(SystemRegistry(), layout);
                ComPtr<IClassFactory> factory;
                Check(CoGetClassObject(CLSID_MxDeviceRecord, CLSCTX_INPROC_SERVER, nullptr, IID_IClassFactory,
                                       reinterpret_cast<void**>(factory.Put())));
                for (const devices::DeviceRecord& d : found) records_.Add(MakeRecord(factory.Get(), d));
            } catch (...) {
                Filter();  // what was read up to the failure stays listed
                throw;
            }
            Filter();
        });
    }
    STDMETHODIMP GetClassDevices(BSTR startKey, BSTR className, BSTR valueName, IMxStringlist** list,
                                 BSTR* out) override {
        if (!list) return E_POINTER;
        *list = nullptr;
        return Guarded("GetClassDevices", out, BSTR{nullptr}, [&] {
            ComPtr<IMxStringlist> values = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            *list = values.Copy();
            const devices::ClassValues found = devices::ReadClassValues(
                SystemRegistry(), devices::Layout{IsNT()}, ToAnsi(startKey), ToAnsi(className), ToAnsi(valueName));
            for (const std::string& v : found.values) {
                const Bstr text = Bstr::FromAnsi(v);
                long at = -1, added = 0;
                Check(values->IndexOf(text, &at));
                if (at == -1) Check(values->Add(text, &added));
            }
            return Bstr::FromAnsi(found.classKey);
        });
    }

private:
    void ClearList() {
        filtered_.Clear();
        records_.Clear();
    }
    void Filter() {
        filtered_.Clear();
        for (const ComPtr<IMxDeviceRecord>& r : records_) {
            TYP_DeviceClass c = tdcNone;
            if (FAILED(r->get_tyDeviceClass(&c))) continue;
            if (devices::PassesFilter(static_cast<int>(c), filter_)) filtered_.Add(r);
        }
    }

    RecordList<IMxDeviceRecord> records_;
    RecordList<IMxDeviceRecord> filtered_;
    int filter_ = devices::kClassNone;
};

ZUNDA_CLASS(TMxDevice);

}  // namespace zunda
