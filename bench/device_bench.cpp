// MxDevice.GetInfo against a plain registry walk of the same keys and values,
// on a fixture tree of 500 and of 5,000 device instances written by this
// program (run it in a prefix of its own: bench/run-device-bench.sh). Prints
// the times, their ratio, and how the time grows from 500 to 5,000 devices.
#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "Zunda.h"

namespace {

const char kEnum[] = "SYSTEM\\CurrentControlSet\\Enum";
const char kBench[] = "SYSTEM\\CurrentControlSet\\Enum\\ZBENCH";
const char kClassRoot[] = "SYSTEM\\CurrentControlSet\\Control\\Class";
const char kGuid[] = "{5A4E4442-0000-4000-8000-000000000001}";
const char kServices[] = "SYSTEM\\CurrentControlSet\\Services\\";

void SetString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

HKEY Create(const std::string& path) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
    return key;
}

void WriteTree(int devices) {
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kBench);
    HKEY cls = Create(std::string(kClassRoot) + "\\" + kGuid);
    SetString(cls, "", "Bench devices");
    SetString(cls, "Icon", "-1");
    SetString(cls, "Class", "System");
    RegCloseKey(cls);
    HKEY drv = Create(std::string(kClassRoot) + "\\" + kGuid + "\\0000");
    SetString(drv, "DriverDate", "1-1-2001");
    SetString(drv, "DriverVersion", "1.0");
    SetString(drv, "ProviderName", "Bench");
    RegCloseKey(drv);
    HKEY svc = Create(std::string(kServices) + "zbench");
    SetString(svc, "DisplayName", "Bench driver");
    SetString(svc, "Group", "Base");
    DWORD type = 1;
    RegSetValueExA(svc, "Type", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&type), sizeof(type));
    RegCloseKey(svc);
    static const char hw[] = "ZBENCH\\DEV\0ZBENCH\\GENERIC\0";
    for (int i = 0; i < devices; ++i) {
        char path[128];
        std::snprintf(path, sizeof(path), "%s\\DEV%05d\\0000", kBench, i);
        HKEY k = Create(path);
        SetString(k, "Class", i % 3 ? "System" : "Net");
        SetString(k, "ClassGUID", kGuid);
        SetString(k, "DeviceDesc", "Bench device");
        SetString(k, "FriendlyName", "Bench device " + std::to_string(i));
        SetString(k, "Mfg", "Bench");
        SetString(k, "Service", "zbench");
        SetString(k, "LocationInformation", "Slot " + std::to_string(i));
        SetString(k, "Driver", std::string(kGuid) + "\\0000");
        RegSetValueExA(k, "HardwareID", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(hw), sizeof(hw));
        RegCloseKey(k);
        RegCloseKey(Create(std::string(path) + "\\Control"));
    }
}

std::vector<std::string> Subkeys(HKEY key) {
    std::vector<std::string> out;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof(name);
        if (RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        out.emplace_back(name, len);
    }
    return out;
}

std::string Value(HKEY key, const char* name) {
    char buffer[1024];
    DWORD size = sizeof(buffer), type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return std::string();
    return std::string(buffer, size);
}

HKEY Open(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

// The same keys and values as the device walk, without any object around them.
size_t PlainWalk() {
    size_t found = 0, bytes = 0;
    HKEY root = Open(kEnum);
    if (!root) return 0;
    const std::vector<std::string> enumerators = Subkeys(root);
    RegCloseKey(root);
    for (const std::string& e : enumerators) {
        HKEY ek = Open(std::string(kEnum) + "\\" + e);
        if (!ek) continue;
        const std::vector<std::string> devices = Subkeys(ek);
        RegCloseKey(ek);
        for (const std::string& d : devices) {
            const std::string dp = std::string(kEnum) + "\\" + e + "\\" + d;
            HKEY dk = Open(dp);
            if (!dk) continue;
            const std::vector<std::string> instances = Subkeys(dk);
            RegCloseKey(dk);
            for (const std::string& in : instances) {
                const std::string ip = dp + "\\" + in;
                HKEY ik = Open(ip);
                if (!ik) continue;
                HKEY control = Open(ip + "\\Control");
                if (!control) {
                    RegCloseKey(ik);
                    continue;
                }
                RegCloseKey(control);
                for (const char* v : {"ClassGUID", "FriendlyName", "DeviceDesc", "Mfg", "Service",
                                      "LocationInformation", "Class", "Driver", "HardwareID"})
                    bytes += Value(ik, v).size();
                const std::string guid = Value(ik, "ClassGUID");
                const std::string driver = Value(ik, "Driver");
                const std::string service = Value(ik, "Service");
                RegCloseKey(ik);
                if (HKEY cr = Open(kClassRoot)) {
                    const std::vector<std::string> classes = Subkeys(cr);
                    RegCloseKey(cr);
                    for (const std::string& c : classes)
                        if (_stricmp(c.c_str(), guid.c_str()) == 0) {
                            if (HKEY ck = Open(std::string(kClassRoot) + "\\" + c)) {
                                bytes += Value(ck, "Icon").size() + Value(ck, "").size();
                                RegCloseKey(ck);
                            }
                            break;
                        }
                }
                if (HKEY dk2 = Open(std::string(kClassRoot) + "\\" + driver.c_str())) {
                    bytes += Value(dk2, "DriverDate").size() + Value(dk2, "DriverVersion").size() +
                             Value(dk2, "ProviderName").size();
                    RegCloseKey(dk2);
                }
                if (HKEY sk = Open(std::string(kServices) + service.c_str())) {
                    bytes += Value(sk, "Group").size() + Value(sk, "DisplayName").size() + Value(sk, "Type").size();
                    RegCloseKey(sk);
                }
                ++found;
            }
        }
    }
    return bytes ? found : 0;
}

double Seconds(LARGE_INTEGER a, LARGE_INTEGER b) {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(b.QuadPart - a.QuadPart) / static_cast<double>(f.QuadPart);
}

template <class F>
double Median(F&& run) {
    std::vector<double> times;
    for (int i = 0; i < 3; ++i) {
        LARGE_INTEGER a, b;
        QueryPerformanceCounter(&a);
        run();
        QueryPerformanceCounter(&b);
        times.push_back(Seconds(a, b));
    }
    std::sort(times.begin(), times.end());
    return times[1];
}

}  // namespace

int main() {
    CoInitialize(nullptr);
    IMxDevice* device = nullptr;
    if (FAILED(CoCreateInstance(CLSID_MxDevice, nullptr, CLSCTX_INPROC_SERVER, IID_IMxDevice,
                                reinterpret_cast<void**>(&device)))) {
        std::printf("MxDevice is not registered\n");
        return 1;
    }
    double perDevice[2] = {};
    const int sizes[2] = {500, 5000};
    std::printf("%8s %12s %12s %8s\n", "devices", "GetInfo s", "plain s", "ratio");
    for (int s = 0; s < 2; ++s) {
        WriteTree(sizes[s]);
        long listed = 0;
        size_t walked = 0;
        const double object = Median([&] {
            device->GetInfo();
            device->get_iDeviceCount(&listed);
        });
        const double plain = Median([&] { walked = PlainWalk(); });
        std::printf("%8d %12.4f %12.4f %8.2f   (listed %ld, walked %zu)\n", sizes[s], object, plain, object / plain,
                    listed, walked);
        perDevice[s] = object / sizes[s];
    }
    std::printf("growth 500 -> 5000: time per device x%.2f (1.00 is linear)\n", perDevice[1] / perDevice[0]);
    SHDeleteKeyA(HKEY_LOCAL_MACHINE, kBench);
    device->Release();
    CoUninitialize();
    return 0;
}
