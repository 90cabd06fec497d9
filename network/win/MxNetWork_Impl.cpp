// MxNetWork: NetBIOS LANAs and MAC addresses, WinSock data and the local
// addresses, the installed protocols, clients and services, the network
// adapter devices, and the workgroups of the network neighbourhood.
#include "machine/core/os_version.h"
#include "network/core/components.h"
#include "network/win/network_win32.h"
#include "server/core/failure.h"
#include "server/win/frame.h"
#include "server/win/record_list.h"

#include <cstdio>

namespace zunda {

class TMxNetWork final : public Object<TMxNetWork, IMxNetWork> {
public:
    static constexpr ClassInfo kInfo{&CLSID_MxNetWork, &IID_IMxNetWork, &DIID_IMxEvents, L"Zunda.MxNetWork",
                                     "MxNetWork", ErrorEvent::ModuleProcedureMessage, true};

    void Initialize() {
        // What cannot be created now is created by the first member that needs it.
        try {
            lanas_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            addresses_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            macs_ = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
            machine_ = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
            devices_ = CreateLibraryObject<IMxDevice>(CLSID_MxDevice);
        } catch (const std::exception&) {
        }
        ResetLana();  // raising is off at creation: a failure is only recorded
    }

    // ------------------------------------------------ workgroups
    STDMETHODIMP get_clWorkgroup(long index, IMxNetWorkgroup** out) override {
        return Guarded("Get_clWorkgroup", out, static_cast<IMxNetWorkgroup*>(nullptr),
                       [&] { return workgroups_.At(index); });
    }
    STDMETHODIMP get_iWorkgroupCount(long* out) override {
        return Get(out, [&] { return workgroups_.Count(); });
    }
    STDMETHODIMP ReadWorkgroups() override {
        return Call([&] {
            workgroups_.Clear();
            // What the neighbourhood cannot give is simply not listed.
            try {
                ReadNeighbourhood();
            } catch (const std::exception&) {
            }
        });
    }

    // ------------------------------------------------ NetBIOS
    STDMETHODIMP get_strlLana(IMxStringlist** out) override {
        return OwnedList(nullptr, lanas_, out, [&](const AddText& add) {
            if (const auto lanas = net::EnumerateLanas(netbios_))
                for (std::uint8_t lana : *lanas) add(std::to_string(lana));
        });
    }
    STDMETHODIMP get_iLana(long* out) override {
        return Get(out, [&] { return lana_; });
    }
    STDMETHODIMP put_iLana(long value) override {
        return GuardedVoid("Set_iLana", [&] {
            if (!net::ValidLana(value)) {
                char text[64];
                std::snprintf(text, sizeof(text), "Invalid LANA number (%ld)", value);
                throw Failure(text);
            }
            lana_ = value;
            ResetLana();
        });
    }
    STDMETHODIMP get_wstrMAC(BSTR* out) override {
        return Get(out, [&] {
            const net::AdapterStatus status = net::QueryAdapterStatus(netbios_, CurrentLana());
            if (status.code != 0) {
                ReportError("ShowMacaddress", net::ReturnCodeText(status.code));
                return Text("Error");
            }
            return Text(net::MacText(status.address));
        });
    }
    STDMETHODIMP get_strlAll_MAC(IMxStringlist** out) override {
        return OwnedList("Get_strlAll_MAC", macs_, out, [&](const AddText& add) {
            const auto all = net::AllMacAddresses(netbios_, lana_, [&](std::uint8_t code) {
                ReportError("ShowMacaddress", net::ReturnCodeText(code));
            });
            for (const std::string& mac : all) add(mac);
        });
    }

    // ------------------------------------------------ WinSock
    STDMETHODIMP get_wstrWinSock_Description(BSTR* out) override {
        return Guarded("Get_wstrWinSock_Description", out, BSTR{nullptr}, [&] {
            net::WinSockSession session(sockets_);
            return Text(session.Started() ? session.Data().description : net::kWinSockUnavailable);
        });
    }
    STDMETHODIMP get_wstrWinSock_Status(BSTR* out) override {
        return Guarded("Get_wstrWinSock_Status", out, BSTR{nullptr}, [&] {
            net::WinSockSession session(sockets_);
            return Text(session.Started() ? session.Data().status : net::kWinSockUnavailable);
        });
    }
    STDMETHODIMP get_iWinSock_MajorVersion(long* out) override {
        return Guarded("Get_iWinSock_MajorVersion", out, 0L, [&] {
            net::WinSockSession session(sockets_);
            return session.Started() ? net::MajorVersion(session.Data().highVersion) : 0L;
        });
    }
    STDMETHODIMP get_iWinSock_MinorVersion(long* out) override {
        return Guarded("Get_iWinSock_MinorVersion", out, 0L, [&] {
            net::WinSockSession session(sockets_);
            return session.Started() ? net::MinorVersion(session.Data().highVersion) : 0L;
        });
    }
    STDMETHODIMP get_strlAll_IPs(IMxStringlist** out) override {
        return OwnedList("Get_strlAll_IPs", addresses_, out, [&](const AddText& add) {
            for (const std::string& a : net::Distinct(net::LocalAddresses(sockets_))) add(a);
        });
    }
    STDMETHODIMP get_wstrLocalIP(BSTR* out) override {
        return Guarded("Get_wstrLocalIP", out, BSTR{nullptr}, [&] {
            const std::vector<std::string> all = net::LocalAddresses(sockets_);
            return Text(all.empty() ? std::string() : all.back());
        });
    }
    STDMETHODIMP GetIPAddress(BSTR host, long* error, BSTR* out) override {
        if (!error) return E_POINTER;
        *error = 0;
        return Guarded("GetIPAddress", out, BSTR{nullptr}, [&] {
            // A name the code page holds only as a look-alike is not the one asked for.
            std::string name;
            bool exact = true;
            try {
                name = ToAnsiName(host);
            } catch (const Failure&) {
                exact = false;
            }
            const net::HostAddress found = net::ResolveHost(sockets_, name, exact);
            *error = found.error;
            return Text(found.text);
        });
    }

    // ------------------------------------------------ devices
    STDMETHODIMP get_clAdapters(IMxDevice** out) override {
        return Guarded("Get_clAdapters", out, static_cast<IMxDevice*>(nullptr), [&] {
            ComPtr<IMxDevice> adapters = CreateLibraryObject<IMxDevice>(CLSID_MxDevice);
            Check(adapters->put_tyFiltered(tdcNet));
            Check(adapters->GetInfo());
            return adapters.Detach();
        });
    }
    STDMETHODIMP get_strlProtocols(IMxStringlist** out) override {
        return Guarded("Get_strlProtocols", out, static_cast<IMxStringlist*>(nullptr),
                       [&] { return ComponentList(net::kProtocolClass); });
    }
    STDMETHODIMP get_strlClients(IMxStringlist** out) override {
        return Guarded("Get_strlClients", out, static_cast<IMxStringlist*>(nullptr),
                       [&] { return ComponentList(net::kClientClass); });
    }
    STDMETHODIMP get_strlServices(IMxStringlist** out) override {
        return Guarded("Get_strlServices", out, static_cast<IMxStringlist*>(nullptr),
                       [&] { return ComponentList(net::kServiceClass); });
    }

private:
    static Bstr Text(const std::string& text) { return Bstr::FromAnsi(text); }

    std::uint8_t CurrentLana() const { return static_cast<std::uint8_t>(lana_ & 0xFF); }

    // Resets the current LANA; a failure goes to the error routine.
    void ResetLana() {
        const std::uint8_t code = net::ResetLana(netbios_, CurrentLana());
        if (code != 0) ReportError("Reset", net::ReturnCodeText(code));
    }

    IMxMachine* Machine() {
        if (!machine_) machine_ = CreateLibraryObject<IMxMachine>(CLSID_MxMachine);
        return machine_.Get();
    }

    // The installed components of one class, as MxDevice lists them below
    // the start key of this Windows version.
    IMxStringlist* ComponentList(const char* className) {
        TYP_OS os = toUnknown;
        VARIANT_BOOL nt = VARIANT_FALSE;
        Check(Machine()->get_tyOperatingSystem(&os));
        Check(Machine()->get_boIsNT(&nt));
        const net::ComponentKey where = net::ComponentClassKey(os, nt != VARIANT_FALSE);
        if (!devices_) devices_ = CreateLibraryObject<IMxDevice>(CLSID_MxDevice);
        const Bstr key = Bstr::FromAnsi(where.startKey), name = Bstr::FromAnsi(className),
                   value = Bstr::FromAnsi(where.valueName);
        Bstr first;
        ComPtr<IMxStringlist> list;
        Check(devices_->GetClassDevices(key, name, value, list.Put(), first.Put()));
        if (!list) throw Failure("No list of " + std::string(className) + " components.");
        return list.Detach();
    }

    void ReadNeighbourhood() {
        Bstr computer;
        Check(Machine()->get_wstrComputername(computer.Put()));
        const std::u16string name(U16View(computer));
        TYP_OS os = toUnknown;
        Check(Machine()->get_tyOperatingSystem(&os));

        ShellNamespace shell;
        net::NeighbourhoodList listing;
        net::ListNeighbourhood(shell, name, os == toWinNT3 || os == toWinNT4, listing);
        for (long i = 0; i < listing.Count(); ++i) {
            ComPtr<IMxNetWorkgroup> group = CreateLibraryObject<IMxNetWorkgroup>(CLSID_MxNetWorkgroup);
            Check(group->put_wstrName(Bstr::FromAnsi(listing.Get(i))));
            const net::WorkgroupList& computers = listing.Computers(i);
            for (long j = 0; j < computers.Count(); ++j) {
                // A name of blanks only is no computer (and AddComputer refuses it).
                if (computers.Get(j).empty()) continue;
                Check(group->AddComputer(Bstr::FromAnsi(computers.Get(j))));
            }
            workgroups_.Add(group);
        }
    }

    Win32NetBios netbios_;
    Win32WinSock sockets_;
    long lana_ = 0;
    ComPtr<IMxStringlist> lanas_, addresses_, macs_;
    ComPtr<IMxMachine> machine_;
    ComPtr<IMxDevice> devices_;
    RecordList<IMxNetWorkgroup> workgroups_;
};

ZUNDA_CLASS(TMxNetWork);

}  // namespace zunda
