#include "machine/core/cpu.h"

#include "machine/core/trim.h"

#include <cstdio>
#include <optional>

namespace zunda::machine {
namespace {

constexpr VendorEntry kVendors[] = {
    {1, "GenuineIntel", "Intel Corporation", "Intel"},
    {2, "AuthenticAMD", "Advanced Micro Devices", "AMD"},
    {3, "CyrixInstead", "Cyrix Corporation", "Cyrix"},
    {4, "CentaurHauls", "IDT/Centaur", "IDT"},
    {5, "NexGenDriven", "NexGen Inc.", "NexGen"},
    {6, "UMC UMC UMC ", "United Microelectronics Corp", "UMC"},
    {7, "RiseRiseRise", "Rise Technology", "Rise"},
};

void AppendRegister(std::string& out, std::uint32_t r) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((r >> (8 * i)) & 0xFF));
}

std::string HexGroups(std::uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%04X-%04X", static_cast<unsigned>(v >> 16), static_cast<unsigned>(v & 0xFFFF));
    return buf;
}

bool Bit(std::uint32_t v, int bit) { return ((v >> bit) & 1u) != 0; }

std::array<std::uint8_t, 16> DescriptorBytes(const CpuidRegs& r) {
    std::array<std::uint8_t, 16> out{};
    const std::uint32_t regs[4] = {r.eax, r.ebx, r.ecx, r.edx};
    for (int i = 0; i < 16; ++i) out[i] = static_cast<std::uint8_t>((regs[i / 4] >> (8 * (i % 4))) & 0xFF);
    return out;
}

ModelEntry M(const char* name, const char* code, std::int32_t transistors) { return {name, code, transistors}; }

// The code names keep their two spellings of micrometres; "\xB5" is the
// micro sign of the ANSI code page.
std::optional<ModelEntry> Intel(const Signature& s, std::int32_t l2) {
    const int f = s.family, m = s.model;
    if (f == 4) {
        switch (m) {
        case 0:
        case 1: return M("i80486DX", "P4", 1250000);
        case 2: return M("i80486SX", "P23", 900000);
        case 3: return M("i80486DX2", "P24", 1250000);
        case 4: return M("i80486SL", "P23", 900000);
        case 5: return M("i80486SX2", "P23", 900000);
        case 7: return M("i80486DX2WB", "P24", 1250000);
        case 8: return M("i80486DX4", "P24C", 1600000);
        case 9: return M("i80486DX4WB", "P24C", 1600000);
        default: return std::nullopt;
        }
    }
    if (f == 5) {
        switch (m) {
        case 0: return M("Pentium", "P5 (0,80\xB5m)", 3100000);
        case 1:
        case 2: return M("Pentium", "P54C (0,50\xB5m)", 3100000);
        case 3: return M("Pentium", "P24T", 0);
        case 4: return M("Pentium MMX", "P55C (0,28\xB5m)", 4500000);
        case 5: return M("DX4", "", 0);
        case 6: return M("Pentium", "P5", 0);
        case 7: return M("Pentium", "P54C (0,35\xB5m)", 3100000);
        case 8: return M("Pentium MMX (mobile)", "Tillamook (0,25\xB5m)", 4500000);
        default: return M("Pentium", "", 0);
        }
    }
    if (f == 6) {
        switch (m) {
        case 0: return M("Pentium Pro", "P6 (0.50 \xB5m)", 5500000);
        case 1: return M("Pentium Pro", "P6 (0.35 \xB5m)", 5500000);
        case 3: return M(s.type == 1 ? "Pentium II OverDrive" : "Pentium II", "Klamath (0.35 \xB5m)", 7500000);
        case 4: return M("Pentium II", "P55CT (P54 OverDrive)", 3100000);
        case 5:
            if (l2 > 512) return M("Pentium II Xeon", "Deschutes (0.25 \xB5m)", 7500000);
            if (l2 >= 1) return M("Pentium II", "Deschutes (0,25\xB5m)", 7500000);
            return M("Celeron", "Covington (0,25\xB5m)", 7500000);
        case 6:
            if (l2 >= 256) return M("Pentium II PE (mobile)", "Dixon (0.25 \xB5m)", 27400000);
            return M("Celeron A", "Mendocino (0.25 \xB5m)", 19000000);
        case 7:
            if (l2 > 512) return M("Pentium III Xeon", "Tanner (0.25 \xB5m)", 9500000);
            return M("Pentium III", "Katmai (0.25 \xB5m)", 9500000);
        case 8: return M("Pentium III E", "Coppermine (0.18 \xB5m)", 28100000);
        default: return M("Pentium II", "", 0);  // 2, and 9 and above
        }
    }
    if (f == 7 || f == 8) {
        switch (s.brand) {
        case 1: return M("Celeron", "", 0);
        case 3: return M("Pentium III Xeon", "", 0);
        case 4: return M("Pentium IV", "", 0);
        default: return M(l2 < 1024 ? "Pentium III" : "Pentium III Xeon", "", 0);
        }
    }
    if (f == 10) return M("Pentium III Xeon", "", 0);
    if (f == 15) return M("Pentium IV", "", 0);
    return std::nullopt;
}

std::optional<ModelEntry> Amd(const Signature& s) {
    const int f = s.family, m = s.model;
    if (f == 4) {
        switch (m) {
        case 0: return M("Am486DX", "P4", 1250000);
        case 3:
        case 7: return M("Am486DX2", "P24", 1250000);
        case 8:
        case 9: return M("Am486DX4", "P24C", 1250000);
        case 14:
        case 15: return M("Am5x86", "X5", 1600000);
        default: return std::nullopt;
        }
    }
    if (f == 5) {
        switch (m) {
        case 0: return M("K5", "SSA5 (0.50-0.35 \xB5m)", 4300000);
        case 1:
        case 2:
        case 3: return M("K5-5k86 (PR120, PR133)", "5k86 (0.35 \xB5m)", 4300000);
        case 6: return M("K6", "K6 (0.30 \xB5m)", 8800000);
        case 7: return M("K6", "Little Foot (0.25 \xB5m)", 8800000);
        case 8: return M("K6-II", "Chomper (0.25 \xB5m)", 9300000);
        case 9: return M("K6-III", "Slarptooth (0.25 \xB5m)", 21300000);
        case 13: return M("K6-II+/K6-III+", "", 0);
        default: return std::nullopt;
        }
    }
    if (f == 6) return M("K7", "Athlon (0.25-0.18 \xB5m)", 22000000);
    return std::nullopt;
}

std::optional<ModelEntry> Cyrix(const Signature& s, std::int32_t mhz) {
    const int f = s.family, m = s.model;
    if (f == 4) {
        switch (m) {
        case 0:
            if (mhz == 20 || mhz == 66) return M("Cx486SLC/DLC", "M0.5", 600000);
            if (mhz == 33 || mhz == 50) return M("Cx486S", "M0.6", 600000);
            if (mhz >= 67) return M("Cx486DX/DX2/DX4", "M0.7", 1100000);
            return std::nullopt;
        case 4: return M("Media GX", "Gx86", 24000000);
        case 9: return M("5x86", "M0.9 or M1sc (0.65 \xB5m)", 20000000);
        default: return std::nullopt;
        }
    }
    if (f == 5) {
        if (m == 2) return M("6x86 and 6x86L", "M1 (0.65 \xB5m) and M1L (0.35 \xB5m)", 30000000);
        if (m == 4) return M("MediaGXm", "GXm", 24000000);
        return std::nullopt;
    }
    if (f == 6) {
        if (m == 0) {
            if (mhz >= 225) return M("M-II (PR300-433)", "M2 (0.35-0.25 \xB5m)", 65000000);
            return M("6x86MX (PR166-266)", "M2 (0.35 \xB5m)", 65000000);
        }
        if (m == 5) return M("VIA Cyrix III", "", 0);
    }
    return std::nullopt;
}

std::optional<ModelEntry> Others(std::int32_t vendor, const Signature& s) {
    const int f = s.family, m = s.model;
    switch (vendor) {
    case 4:
        if (f != 5) return std::nullopt;
        if (m == 4) return M("WinChip", "C6 (0.35 \xB5m)", 54000000);
        if (m == 8) return M("WinChip 2x", "W2x (0.35-0.25 \xB5m)", 59000000);
        if (m == 9) return M("WinChip 3", "W3 (0.25 \xB5m)", 90000000);
        return std::nullopt;
    case 5:
        if (f != 5) return std::nullopt;
        if (m == 0) return M("Nx586", "Nx5x86 (0.50-0.44 \xB5m)", 35000000);
        if (m == 6) return M("Nx686", "HA (0,50\xB5m)", 60000000);
        return std::nullopt;
    case 6: {
        if (f != 4) return std::nullopt;
        static const char* kNames[] = {"", "U5D", "U5S", "U486DX2", "U486SX2"};
        return M(m >= 1 && m <= 4 ? kNames[m] : "", "U5D and U5S", 12000000);
    }
    case 7:
        if (f == 4 && (m == 0 || m == 2)) return M("mP6", "mP6 (0.25-0.18 \xB5m)", 36000000);
        return std::nullopt;
    default: return std::nullopt;
    }
}

// Runs one block of GetInfos; its failure is reported after it ended.
template <class F>
void Block(const std::function<void(const std::string&)>& report, F&& work) {
    std::optional<std::string> failure;
    try {
        work();
    } catch (const std::exception& e) {
        failure = e.what();
    }
    if (failure) report(*failure);
}

}  // namespace

Signature DecodeSignature(const CpuidRegs& r) {
    Signature s;
    s.stepping = static_cast<std::int32_t>(r.eax & 15);
    s.model = static_cast<std::int32_t>((r.eax >> 4) & 15);
    s.family = static_cast<std::int32_t>((r.eax >> 8) & 15);
    s.type = static_cast<std::int32_t>((r.eax >> 12) & 3);
    s.brand = static_cast<std::int32_t>(r.ebx & 255);
    return s;
}

std::string VendorString(const CpuidRegs& r) {
    std::string out;
    AppendRegister(out, r.ebx);
    AppendRegister(out, r.edx);
    AppendRegister(out, r.ecx);
    return out;
}

const VendorEntry* FindVendor(std::string_view vendorString) {
    for (const VendorEntry& v : kVendors)
        if (vendorString == v.vendorString) return &v;
    return nullptr;
}

void DecodeFeatures(std::uint32_t ext, std::uint32_t std, Features& f) {
    f[f3DNOW] = Bit(ext, 31);
    f[fEX_3DNOW] = Bit(ext, 30);
    f[fEXMMX] = Bit(ext, 22) || Bit(ext, 24);
    const std::pair<Feature, int> standard[] = {
        {fSIMD, 25}, {fXSR, 24}, {fMMX, 23}, {fSERIAL, 18}, {fPSE36, 17}, {fPAT, 16}, {fCMOV, 15},
        {fMCA, 14},  {fPGE, 13}, {fMTRR, 12}, {fSEP, 11},   {fAPIC, 9},   {fCX8, 8},  {fMCE, 7},
        {fPAE, 6},   {fMSR, 5},  {fTSC, 4},   {fPSE, 3},    {fDE, 2},     {fVME, 1},  {fFPU, 0},
    };
    for (auto [feature, bit] : standard) f[feature] = Bit(std, bit);
}

std::string SerialText(const CpuidRegs& first, const CpuidRegs& second) {
    return HexGroups(first.eax) + "-" + HexGroups(second.edx) + "-" + HexGroups(second.ecx);
}

std::string BrandString(const CpuidRegs& a, const CpuidRegs& b, const CpuidRegs& c) {
    std::string out;
    for (const CpuidRegs* r : {&a, &b, &c}) {
        AppendRegister(out, r->eax);
        AppendRegister(out, r->ebx);
        AppendRegister(out, r->ecx);
        AppendRegister(out, r->edx);
    }
    return TrimLow(out);
}

Caches IntelCaches(const CpuidRegs& last) {
    Caches c;
    const std::array<std::uint8_t, 16> d = DescriptorBytes(last);
    for (int i = 1; i < 16; ++i) {
        switch (d[i]) {
        case 0x40: c.level2 = 0; break;
        case 0x41: c.level2 = 128; break;
        case 0x42:
        case 0x82: c.level2 = 256; break;
        case 0x43:
        case 0x83: c.level2 = 512; break;
        case 0x44:
        case 0x84: c.level2 = 1024; break;
        case 0x45:
        case 0x85: c.level2 = 2048; break;
        default: break;
        }
    }
    for (int i = 0; i < 16; ++i) {
        if (d[i] == 0x0A) c.level1Data = 8;
        if (d[i] == 0x0C) c.level1Data = 16;
        if (d[i] == 0x06) c.level1Code = 8;
        if (d[i] == 0x08) c.level1Code = 16;
        if (d[i] == 0x80) c.level1 = 16;
    }
    return c;
}

Caches CachesFor(std::int32_t vendorIndex, const std::function<CpuidRegs(std::uint32_t)>& cpuid) {
    Caches c;
    if (vendorIndex == 1) {
        CpuidRegs r = cpuid(2);
        const std::uint32_t times = r.eax & 0xFF;
        if (times == 0) return c;
        for (std::uint32_t i = 1; i < times; ++i) r = cpuid(2);
        return IntelCaches(r);
    }
    if (vendorIndex == 2) {
        const CpuidRegs r = cpuid(0x80000005u);
        c.level1Data = static_cast<std::int32_t>(r.ecx >> 24);
        c.level1Code = static_cast<std::int32_t>(r.edx >> 24);
        c.level1 = c.level1Data + c.level1Code;
        return c;
    }
    if (vendorIndex == 3) {
        const CpuidRegs r = cpuid(0x80000005u);
        for (int i = 0; i < 4; ++i)
            if (((r.ecx >> (8 * i)) & 0xFF) == 0x80) c.level1 = 16;
    }
    return c;
}

ModelEntry LookupModel(std::int32_t vendorIndex, const Signature& s, std::int32_t frequency, std::int32_t level2) {
    std::optional<ModelEntry> e;
    switch (vendorIndex) {
    case 1: e = Intel(s, level2); break;
    case 2: e = Amd(s); break;
    case 3: e = Cyrix(s, frequency); break;
    default: e = Others(vendorIndex, s); break;
    }
    return e ? *e : ModelEntry{};
}

bool FdivFlaw() {
    // Volatile, so that the division runs on this processor at run time.
    volatile double x = 4195835.0;
    volatile double y = 3145727.0;
    const double q = x / y;
    volatile double r = q * y - x;
    return r != 0.0;
}

void GetInfos(CpuPlatform& p, CpuInfo& info, const std::function<void(const std::string&)>& report) {
    auto cpuid = [&](std::uint32_t leaf) { return p.Cpuid(leaf); };
    Block(report, [&] {
        info.vendorReg = p.ProcessorRegString("VendorIdentifier");
        info.identifierReg = p.ProcessorRegString("Identifier");
        info.frequency = MeasureFrequency(p.Timing()).nominal;
    });
    Block(report, [&] { info.signature = DecodeSignature(cpuid(1)); });
    Block(report, [&] {
        const CpuidRegs r = cpuid(0);
        info.level = static_cast<std::int32_t>(r.eax);
        info.vendorString = VendorString(r);
        info.vendorIndex = 0;
        info.vendorShort.clear();
        if (const VendorEntry* v = FindVendor(info.vendorString)) {
            info.vendorIndex = v->index;
            info.vendorShort = v->shortName;
            info.vendorCompany = v->company;
        }
    });
    Block(report, [&] {
        const std::uint32_t ext = cpuid(0x80000001u).edx;
        DecodeFeatures(ext, cpuid(1).edx, info.features);
        info.features[fFDiv] = FdivFlaw();
        if (info.features[fSERIAL]) {
            const CpuidRegs first = cpuid(1);
            info.serialNumber = SerialText(first, cpuid(1));
        }
    });
    Block(report, [&] {
        const CpuidRegs a = cpuid(0x80000002u), b = cpuid(0x80000003u), c = cpuid(0x80000004u);
        info.brandString = BrandString(a, b, c);
        info.fdivBug = FdivFlaw();
        info.caches = Caches{};
        info.caches = CachesFor(info.vendorIndex, cpuid);
    });
    Block(report, [&] {
        const ModelEntry e = LookupModel(info.vendorIndex, info.signature, info.frequency, info.caches.level2);
        info.modelName = e.name;
        info.codeName = e.codeName;
        info.transistors = e.transistors;
    });
}

}  // namespace zunda::machine
