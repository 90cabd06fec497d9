// Processor identification from CPUID: signature, vendor, feature flags,
// caches, brand string, serial text and the built-in model table. All of it
// works on register values, so recorded dumps stand in for a processor.
#pragma once

#include "machine/core/frequency.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zunda::machine {

struct CpuidRegs {
    std::uint32_t eax = 0, ebx = 0, ecx = 0, edx = 0;
};

// The fields of Rec_CPU_Features, in record order.
enum Feature : int {
    f3DNOW, fEX_3DNOW, fSIMD, fSERIAL, fXSR, fMMX, fPSE36, fPAT, fCMOV, fMCA, fPGE, fMTRR, fSEP,
    fAPIC, fCX8, fMCE, fPAE, fMSR, fTSC, fPSE, fDE, fVME, fFPU, fEXMMX, fFDiv, kFeatureCount
};
using Features = std::array<bool, kFeatureCount>;

struct Signature {
    std::int32_t stepping = 0, model = 0, family = 0, type = 0, brand = 0;
};

struct VendorEntry {
    std::int32_t index;
    const char* vendorString;
    const char* company;
    const char* shortName;
};

struct Caches {
    std::int32_t level1Data = 0, level1Code = 0, level1 = 0, level2 = 0;
};

struct ModelEntry {
    std::string name, codeName;
    std::int32_t transistors = 0;
};

// Everything GetInfos stores.
struct CpuInfo {
    std::string vendorReg, identifierReg;
    bool fdivBug = false;
    std::int32_t frequency = 0;
    Caches caches;
    std::int32_t level = 0;
    Signature signature;
    std::int32_t transistors = 0;
    std::int32_t vendorIndex = 0;
    Features features{};
    std::string codeName, serialNumber, vendorShort, vendorString, vendorCompany, modelName, brandString;
};

class CpuPlatform {
public:
    virtual ~CpuPlatform() = default;
    // A value of HARDWARE\DESCRIPTION\System\CentralProcessor\0, as MxUtils reads it.
    virtual std::string ProcessorRegString(const std::string& name) = 0;
    // Throws Failure when the processor has no CPUID instruction.
    virtual CpuidRegs Cpuid(std::uint32_t leaf) = 0;
    virtual TimingSource& Timing() = 0;
};

Signature DecodeSignature(const CpuidRegs& leaf1);
std::string VendorString(const CpuidRegs& leaf0);
// The table entry (1 to 7) of a vendor string, or nullptr.
const VendorEntry* FindVendor(std::string_view vendorString);
// Sets every field but fFDiv from the EDX of leaves 0x80000001 and 1.
void DecodeFeatures(std::uint32_t extendedEdx, std::uint32_t standardEdx, Features& out);
// "EEEE-EEEE-DDDD-DDDD-CCCC-CCCC" of EAX (first read), EDX and ECX (second read).
std::string SerialText(const CpuidRegs& first, const CpuidRegs& second);
// The 48 characters of leaves 0x80000002..4, trimmed.
std::string BrandString(const CpuidRegs& a, const CpuidRegs& b, const CpuidRegs& c);
// Cache sizes in KB for a vendor index; Intel's come from the descriptors of leaf 2.
Caches CachesFor(std::int32_t vendorIndex, const std::function<CpuidRegs(std::uint32_t)>& cpuid);
Caches IntelCaches(const CpuidRegs& lastLeaf2);
ModelEntry LookupModel(std::int32_t vendorIndex, const Signature& s, std::int32_t frequency, std::int32_t level2);
// Whether the floating-point unit divides 4195835 / 3145727 wrongly.
bool FdivFlaw();

// GetInfos: six blocks, each stopped by its own failure, which goes to
// `report` (that may throw to end the run) before the next block runs.
void GetInfos(CpuPlatform& platform, CpuInfo& info, const std::function<void(const std::string&)>& report);

}  // namespace zunda::machine
