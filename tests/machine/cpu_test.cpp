// CPU identification over recorded CPUID dumps.
#include "machine/core/cpu.h"
#include "server/core/failure.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

namespace zunda::machine {
namespace {

using Dump = std::map<std::uint32_t, CpuidRegs>;

// This development machine's first processor, read from /dev/cpu/0/cpuid.
const Dump kXeon = {
    {0x00000000, {0x00000024, 0x756E6547, 0x6C65746E, 0x49656E69}},
    {0x00000001, {0x000A0671, 0x00020800, 0xFFFA3203, 0x1F8BFBFF}},
    {0x00000002, {0x00FEFF01, 0x000000F0, 0x00000000, 0x00000000}},
    {0x80000001, {0x00000000, 0x00000000, 0x00000121, 0x2C100800}},
    {0x80000002, {0x65746E49, 0x2952286C, 0x6F655820, 0x2952286E}},
    {0x80000003, {0x6F725020, 0x73736563, 0x0000726F, 0x00000000}},
    {0x80000004, {0x00000000, 0x00000000, 0x00000000, 0x00000000}},
    {0x80000005, {0x00000000, 0x00000000, 0x00000000, 0x00000000}},
};

CpuidRegs VendorRegs(const char* v, std::uint32_t level = 2) {
    auto reg = [&](int at) {
        std::uint32_t r = 0;
        for (int i = 0; i < 4; ++i) r |= static_cast<std::uint32_t>(static_cast<unsigned char>(v[at + i])) << (8 * i);
        return r;
    };
    return {level, reg(0), reg(8), reg(4)};
}

// A Pentium III (Coppermine) with the serial number switched on.
const Dump kPentium3 = {
    {0x00000000, VendorRegs("GenuineIntel")},
    {0x00000001, {0x00000683, 0x00000002, 0x00000000, 0x0387FBFF}},
    {0x00000002, {0x03020101, 0x00000000, 0x00000000, 0x0C040843}},
};

// An AMD K6-2 with 3DNow! and its level-1 caches in leaf 0x80000005.
const Dump kK6 = {
    {0x00000000, VendorRegs("AuthenticAMD", 1)},
    {0x00000001, {0x0000058C, 0x00000000, 0x00000000, 0x008021BF}},
    {0x80000001, {0x0000058C, 0x00000000, 0x00000000, 0x80C029BF}},
    {0x80000002, {0x2D444D41, 0x7428364B, 0x3320296D, 0x72702044}},
    {0x80000003, {0x7365636F, 0x00726F73, 0x00000000, 0x00000000}},
    {0x80000004, {0x00000000, 0x00000000, 0x00000000, 0x00000000}},
    {0x80000005, {0x00000000, 0x00000000, 0x20020220, 0x20020220}},
};

class FakeTiming final : public TimingSource {
public:
    bool CounterFrequency(std::uint64_t& hz) override {
        hz = 10000000;
        return true;
    }
    std::uint64_t Counter() override { return counter += 7; }
    std::uint64_t TimeStamp() override { return counter * 260; }  // 2600 MHz
    bool GetPriority(int& p) override {
        p = 0;
        return true;
    }
    void SetPriority(int) override {}
    std::uint64_t counter = 0;
};

class FakeCpu final : public CpuPlatform {
public:
    explicit FakeCpu(Dump d) : dump(std::move(d)) {}
    std::string ProcessorRegString(const std::string& name) override {
        return name == "VendorIdentifier" ? "GenuineIntel" : "x86 Family 6 Model 7 Stepping 1";
    }
    CpuidRegs Cpuid(std::uint32_t leaf) override {
        ++calls[leaf];
        if (leaf == failLeaf) throw Failure("fault in leaf");
        if (leaf == 2 && !leaf2Sequence.empty()) {
            CpuidRegs r = leaf2Sequence.front();
            if (leaf2Sequence.size() > 1) leaf2Sequence.erase(leaf2Sequence.begin());
            return r;
        }
        auto it = dump.find(leaf);
        return it == dump.end() ? CpuidRegs{} : it->second;
    }
    TimingSource& Timing() override { return timing; }
    Dump dump;
    std::vector<CpuidRegs> leaf2Sequence;
    std::map<std::uint32_t, int> calls;
    std::uint32_t failLeaf = 0xFFFFFFFF;
    FakeTiming timing;
};

CpuInfo Identify(FakeCpu& cpu, std::vector<std::string>* reports = nullptr) {
    CpuInfo info;
    GetInfos(cpu, info, [&](const std::string& m) {
        if (reports) reports->push_back(m);
    });
    return info;
}

TEST(Cpu, IdentifiesThisMachinesRecordedDump) {
    FakeCpu cpu(kXeon);
    std::vector<std::string> reports;
    CpuInfo i = Identify(cpu, &reports);
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(i.vendorReg, "GenuineIntel");
    EXPECT_EQ(i.vendorString, "GenuineIntel");
    EXPECT_EQ(i.vendorIndex, 1);
    EXPECT_EQ(i.vendorShort, "Intel");
    EXPECT_EQ(i.vendorCompany, "Intel Corporation");
    EXPECT_EQ(i.level, 0x24);
    EXPECT_EQ(i.signature.family, 6);
    EXPECT_EQ(i.signature.model, 7);  // the extended model bits are not part of it
    EXPECT_EQ(i.signature.stepping, 1);
    EXPECT_EQ(i.signature.type, 0);
    EXPECT_EQ(i.signature.brand, 0);
    EXPECT_EQ(i.brandString, "Intel(R) Xeon(R) Processor");
    EXPECT_EQ(i.frequency, 2600);
    // No classic descriptors: no sizes, hence the table's row without a level 2.
    EXPECT_EQ(i.caches.level2, 0);
    EXPECT_EQ(i.caches.level1, 0);
    EXPECT_EQ(i.modelName, "Pentium III");
    EXPECT_EQ(i.codeName, "Katmai (0.25 \xB5m)");
    EXPECT_EQ(i.transistors, 9500000);
    EXPECT_TRUE(i.features[fFPU] && i.features[fTSC] && i.features[fMMX] && i.features[fSIMD] && i.features[fXSR]);
    EXPECT_TRUE(i.features[fCMOV] && i.features[fAPIC] && i.features[fPAE] && i.features[fPSE36]);
    EXPECT_FALSE(i.features[fSERIAL] || i.features[f3DNOW] || i.features[fEX_3DNOW] || i.features[fEXMMX]);
    EXPECT_EQ(i.serialNumber, "");
    EXPECT_FALSE(i.features[fFDiv]);
    EXPECT_FALSE(i.fdivBug);
}

TEST(Cpu, FeatureBitsLandInTheirFields) {
    const std::pair<Feature, int> standard[] = {
        {fSIMD, 25}, {fXSR, 24}, {fMMX, 23}, {fSERIAL, 18}, {fPSE36, 17}, {fPAT, 16}, {fCMOV, 15},
        {fMCA, 14},  {fPGE, 13}, {fMTRR, 12}, {fSEP, 11},   {fAPIC, 9},   {fCX8, 8},  {fMCE, 7},
        {fPAE, 6},   {fMSR, 5},  {fTSC, 4},   {fPSE, 3},    {fDE, 2},     {fVME, 1},  {fFPU, 0}};
    for (auto [feature, bit] : standard) {
        Features f{};
        DecodeFeatures(0, 1u << bit, f);
        for (int k = 0; k < kFeatureCount; ++k) EXPECT_EQ(f[k], k == feature) << "bit " << bit << " field " << k;
    }
    const std::pair<int, Feature> extended[] = {{31, f3DNOW}, {30, fEX_3DNOW}, {22, fEXMMX}, {24, fEXMMX}};
    for (auto [bit, feature] : extended) {
        Features f{};
        DecodeFeatures(1u << bit, 0, f);
        for (int k = 0; k < kFeatureCount; ++k) EXPECT_EQ(f[k], k == feature) << "extended bit " << bit;
    }
    Features none{};
    DecodeFeatures(0xFFFFFFFFu & ~((1u << 31) | (1u << 30) | (1u << 22) | (1u << 24)), 0x00000400u, none);
    EXPECT_EQ(none, Features{});  // bit 10 of leaf 1 is no field
}

TEST(Cpu, SerialNumberAndCachesOfAPentiumIII) {
    EXPECT_EQ(SerialText({0x00000683, 0, 0, 0x0383FBFF}, {0x00000683, 0, 0x00000000, 0x0383FBFF}),
              "0000-0683-0383-FBFF-0000-0000");
    EXPECT_EQ(SerialText({0xDEADBEEF, 0, 0, 0}, {0, 0, 0xA1B2C3D4, 0x12345678}), "DEAD-BEEF-1234-5678-A1B2-C3D4");

    FakeCpu cpu(kPentium3);
    CpuInfo i = Identify(cpu);
    EXPECT_TRUE(i.features[fSERIAL]);
    EXPECT_EQ(i.serialNumber, "0000-0683-0387-FBFF-0000-0000");
    EXPECT_EQ(i.caches.level2, 512);
    EXPECT_EQ(i.caches.level1Data, 16);
    EXPECT_EQ(i.caches.level1Code, 16);
    EXPECT_EQ(i.caches.level1, 0);
    EXPECT_EQ(i.modelName, "Pentium III E");
    EXPECT_EQ(i.codeName, "Coppermine (0.18 \xB5m)");
    EXPECT_EQ(i.signature.brand, 2);
}

TEST(Cpu, IntelDescriptorRules) {
    struct Case {
        CpuidRegs regs;
        Caches expected;
    } cases[] = {
        // Level 2 from bytes 1 to 15 only, the last one wins.
        {{0x00004101, 0, 0, 0x45000000}, {0, 0, 0, 2048}},
        {{0x00000041, 0, 0, 0}, {0, 0, 0, 0}},             // byte 0 is the count, not a descriptor
        {{0x00004201, 0x00000040, 0, 0}, {0, 0, 0, 0}},    // 0x40 after 0x42: no level 2
        {{0x00008301, 0x00000084, 0, 0x00000085}, {0, 0, 0, 2048}},
        // Level 1 over all bytes, the last match wins.
        {{0x0C0A0601, 0x00000008, 0, 0}, {16, 16, 0, 0}},
        {{0x0A0C0801, 0x00000006, 0, 0}, {8, 8, 0, 0}},
        {{0x00800001, 0, 0, 0}, {0, 0, 16, 0}},
    };
    for (const Case& c : cases) {
        Caches got = IntelCaches(c.regs);
        EXPECT_EQ(got.level1Data, c.expected.level1Data) << std::hex << c.regs.eax;
        EXPECT_EQ(got.level1Code, c.expected.level1Code) << std::hex << c.regs.eax;
        EXPECT_EQ(got.level1, c.expected.level1) << std::hex << c.regs.eax;
        EXPECT_EQ(got.level2, c.expected.level2) << std::hex << c.regs.eax;
    }
    // The count byte says how often to execute leaf 2; the last execution counts.
    FakeCpu twice(kPentium3);
    twice.leaf2Sequence = {{0x00004302, 0, 0, 0}, {0x00004401, 0, 0, 0}};
    EXPECT_EQ(CachesFor(1, [&](std::uint32_t l) { return twice.Cpuid(l); }).level2, 1024);
    EXPECT_EQ(twice.calls[2], 2);
    FakeCpu none(kPentium3);
    none.leaf2Sequence = {{0x44434200, 0x0C080680, 0, 0}};  // count 0: no descriptors at all
    Caches zero = CachesFor(1, [&](std::uint32_t l) { return none.Cpuid(l); });
    EXPECT_EQ(zero.level2 + zero.level1 + zero.level1Data + zero.level1Code, 0);
}

TEST(Cpu, AmdAndCyrixCaches) {
    FakeCpu k6(kK6);
    CpuInfo i = Identify(k6);
    EXPECT_EQ(i.vendorIndex, 2);
    EXPECT_EQ(i.vendorShort, "AMD");
    EXPECT_EQ(i.caches.level1Data, 32);
    EXPECT_EQ(i.caches.level1Code, 32);
    EXPECT_EQ(i.caches.level1, 64);
    EXPECT_EQ(i.caches.level2, 0);
    EXPECT_TRUE(i.features[f3DNOW]);
    EXPECT_TRUE(i.features[fEXMMX]);
    EXPECT_EQ(i.brandString, "AMD-K6(tm) 3D processor");
    EXPECT_EQ(i.modelName, "K6-II");
    EXPECT_EQ(i.codeName, "Chomper (0.25 \xB5m)");

    auto cyrix = [](std::uint32_t ecx) {
        return CachesFor(3, [&](std::uint32_t) { return CpuidRegs{0, 0, ecx, 0x80808080}; });
    };
    EXPECT_EQ(cyrix(0x00800000).level1, 16);
    EXPECT_EQ(cyrix(0x00000000).level1, 0);
    EXPECT_EQ(cyrix(0x80000000).level1Data, 0);
    EXPECT_EQ(CachesFor(4, [](std::uint32_t) { return CpuidRegs{0x80808080, 0x80808080, 0x80808080, 0x80808080}; }).level1, 0);
}

TEST(Cpu, ModelTable) {
    struct Case {
        int vendor, family, model, type, brand, mhz, l2;
        const char* name;
        const char* code;
        int transistors;
    } cases[] = {
        {1, 4, 1, 0, 0, 33, 0, "i80486DX", "P4", 1250000},
        {1, 4, 6, 0, 0, 33, 0, "", "", 0},  // no row
        {1, 5, 4, 0, 0, 200, 0, "Pentium MMX", "P55C (0,28\xB5m)", 4500000},
        {1, 5, 12, 0, 0, 200, 0, "Pentium", "", 0},
        {1, 6, 3, 1, 0, 300, 512, "Pentium II OverDrive", "Klamath (0.35 \xB5m)", 7500000},
        {1, 6, 3, 0, 0, 300, 512, "Pentium II", "Klamath (0.35 \xB5m)", 7500000},
        {1, 6, 5, 0, 0, 400, 1024, "Pentium II Xeon", "Deschutes (0.25 \xB5m)", 7500000},
        {1, 6, 5, 0, 0, 400, 512, "Pentium II", "Deschutes (0,25\xB5m)", 7500000},
        {1, 6, 5, 0, 0, 300, 0, "Celeron", "Covington (0,25\xB5m)", 7500000},
        {1, 6, 6, 0, 0, 400, 256, "Pentium II PE (mobile)", "Dixon (0.25 \xB5m)", 27400000},
        {1, 6, 6, 0, 0, 400, 128, "Celeron A", "Mendocino (0.25 \xB5m)", 19000000},
        {1, 6, 7, 0, 0, 500, 2048, "Pentium III Xeon", "Tanner (0.25 \xB5m)", 9500000},
        {1, 6, 2, 0, 0, 500, 0, "Pentium II", "", 0},
        {1, 6, 11, 0, 0, 500, 0, "Pentium II", "", 0},
        {1, 7, 0, 0, 1, 500, 0, "Celeron", "", 0},
        {1, 8, 0, 0, 3, 500, 0, "Pentium III Xeon", "", 0},
        {1, 8, 0, 0, 4, 500, 0, "Pentium IV", "", 0},
        {1, 8, 0, 0, 2, 500, 512, "Pentium III", "", 0},
        {1, 8, 0, 0, 2, 500, 1024, "Pentium III Xeon", "", 0},
        {1, 10, 0, 0, 0, 500, 0, "Pentium III Xeon", "", 0},
        {1, 15, 2, 0, 0, 2000, 0, "Pentium IV", "", 0},
        {1, 9, 0, 0, 0, 500, 0, "", "", 0},
        {2, 4, 15, 0, 0, 133, 0, "Am5x86", "X5", 1600000},
        {2, 5, 9, 0, 0, 400, 0, "K6-III", "Slarptooth (0.25 \xB5m)", 21300000},
        {2, 5, 13, 0, 0, 500, 0, "K6-II+/K6-III+", "", 0},
        {2, 6, 4, 0, 0, 1000, 0, "K7", "Athlon (0.25-0.18 \xB5m)", 22000000},
        {2, 15, 4, 0, 0, 2000, 0, "", "", 0},
        {3, 4, 0, 0, 0, 66, 0, "Cx486SLC/DLC", "M0.5", 600000},
        {3, 4, 0, 0, 0, 33, 0, "Cx486S", "M0.6", 600000},
        {3, 4, 0, 0, 0, 100, 0, "Cx486DX/DX2/DX4", "M0.7", 1100000},
        {3, 4, 0, 0, 0, 40, 0, "", "", 0},  // 40 MHz fits no row
        {3, 6, 0, 0, 0, 225, 0, "M-II (PR300-433)", "M2 (0.35-0.25 \xB5m)", 65000000},
        {3, 6, 0, 0, 0, 200, 0, "6x86MX (PR166-266)", "M2 (0.35 \xB5m)", 65000000},
        {4, 5, 8, 0, 0, 200, 0, "WinChip 2x", "W2x (0.35-0.25 \xB5m)", 59000000},
        {5, 5, 6, 0, 0, 200, 0, "Nx686", "HA (0,50\xB5m)", 60000000},
        {6, 4, 3, 0, 0, 33, 0, "U486DX2", "U5D and U5S", 12000000},
        {6, 4, 9, 0, 0, 33, 0, "", "U5D and U5S", 12000000},
        {7, 4, 2, 0, 0, 200, 0, "mP6", "mP6 (0.25-0.18 \xB5m)", 36000000},
        {0, 6, 7, 0, 0, 500, 0, "", "", 0},
    };
    for (const Case& c : cases) {
        Signature s;
        s.family = c.family;
        s.model = c.model;
        s.type = c.type;
        s.brand = c.brand;
        ModelEntry e = LookupModel(c.vendor, s, c.mhz, c.l2);
        SCOPED_TRACE(std::to_string(c.vendor) + "/" + std::to_string(c.family) + "/" + std::to_string(c.model));
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.codeName, c.code);
        EXPECT_EQ(e.transistors, c.transistors);
    }
}

TEST(Cpu, UnknownVendorKeepsTheEarlierCompanyName) {
    FakeCpu cpu(kXeon);
    CpuInfo info = Identify(cpu);
    cpu.dump[0] = VendorRegs("GenuineTMx86");
    GetInfos(cpu, info, [](const std::string&) {});
    EXPECT_EQ(info.vendorString, "GenuineTMx86");
    EXPECT_EQ(info.vendorIndex, 0);
    EXPECT_EQ(info.vendorShort, "");
    EXPECT_EQ(info.vendorCompany, "Intel Corporation");
    EXPECT_EQ(info.modelName, "");
    EXPECT_EQ(info.codeName, "");
    EXPECT_EQ(FindVendor("UMC UMC UMC ")->index, 6);
    EXPECT_EQ(FindVendor("UMC UMC UMC"), nullptr);
    EXPECT_EQ(FindVendor("genuineintel"), nullptr);
}

TEST(Cpu, AFailingBlockIsReportedAndTheOthersStillRun) {
    FakeCpu cpu(kPentium3);
    CpuInfo before = Identify(cpu);
    cpu.failLeaf = 0x80000001u;
    cpu.dump[1].eax = 0x00000686;  // a new stepping that the signature block picks up
    std::vector<std::string> reports;
    CpuInfo info = before;
    GetInfos(cpu, info, [&](const std::string& m) { reports.push_back(m); });
    EXPECT_EQ(reports, std::vector<std::string>{"fault in leaf"});
    EXPECT_EQ(info.signature.stepping, 6);
    EXPECT_EQ(info.features, before.features);  // the failed block kept its values
    EXPECT_EQ(info.modelName, "Pentium III E");

    // A report that raises ends the run.
    CpuInfo fresh;
    cpu.failLeaf = 1;
    EXPECT_THROW(GetInfos(cpu, fresh, [](const std::string& m) { throw std::runtime_error(m); }), std::runtime_error);
    EXPECT_EQ(fresh.vendorString, "");
}

TEST(Cpu, FdivOfThisProcessorIsExact) {
    EXPECT_FALSE(FdivFlaw());
}

}  // namespace
}  // namespace zunda::machine
