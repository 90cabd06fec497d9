// MxUtils' registry rules over an in-memory registry.
#include "server/core/failure.h"
#include "system/core/reg_values.h"
#include "tests/system/memory_registry.h"

#include <gtest/gtest.h>

namespace zunda::utils {
namespace {

using test::MemoryRegistry;
const reg::Root HKLM = reg::kLocalMachine;
const reg::Root HKCU = reg::kCurrentUser;

class RegistryRules : public ::testing::Test {
protected:
    void SetUp() override {
        r.SetString(HKCU, "Software\\T", "Name", "Value");
        r.SetString(HKCU, "Software\\T", "", "default");
        r.Set(HKCU, "Software\\T", "Expand", reg::kExpandString, std::string("%TEMP%\\x\0", 10));
        r.SetDword(HKCU, "Software\\T", "Int", 0xFFFFFFFEu);
        r.Set(HKCU, "Software\\T", "Bin", reg::kBinary, std::string("AB\0C", 4));
        r.Set(HKCU, "Software\\T", "Multi", reg::kMultiString, std::string("First\0Second\0\0", 14));
    }
    MemoryRegistry r;
};

TEST_F(RegistryRules, ReadsGiveTheValueOrNothingWhenKeyOrValueIsMissing) {
    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\T", "Name"), "Value");
    EXPECT_EQ(ReadRegString(r, HKCU, "software\\t", "name"), "Value");
    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\T", ""), "default");
    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\T", "Expand"), "%TEMP%\\x");  // not expanded
    EXPECT_EQ(ReadRegInt(r, HKCU, "Software\\T", "Int"), -2);
    EXPECT_EQ(ReadRegBinary(r, HKCU, "Software\\T", "Bin"), "AB");
    EXPECT_EQ(ReadRegBinary(r, HKCU, "Software\\T", "Multi"), "First");

    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\Missing", "Name"), "");
    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\T", "Missing"), "");
    EXPECT_EQ(ReadRegString(r, HKLM, "Software\\T", "Name"), "");  // other root
    EXPECT_EQ(ReadRegInt(r, HKCU, "Software\\T", "Missing"), 0);
    EXPECT_EQ(ReadRegBinary(r, HKCU, "Software\\Missing", "Bin"), "");
}

TEST_F(RegistryRules, ReadsOfTheWrongTypeFail) {
    EXPECT_THROW(ReadRegString(r, HKCU, "Software\\T", "Int"), Failure);
    EXPECT_THROW(ReadRegString(r, HKCU, "Software\\T", "Bin"), Failure);
    EXPECT_THROW(ReadRegInt(r, HKCU, "Software\\T", "Name"), Failure);
    EXPECT_THROW(ReadRegBinary(r, HKCU, "Software\\T", "Name"), Failure);
    EXPECT_THROW(ReadRegBinary(r, HKCU, "Software\\T", "Int"), Failure);
    // A key the caller may not read is a failure, not a missing value.
    r.AddKey(HKCU, "Software\\Locked").denyRead = true;
    try {
        ReadRegString(r, HKCU, "Software\\Locked", "x");
        ADD_FAILURE() << "no failure";
    } catch (const Failure& f) {
        EXPECT_STREQ(f.what(), "Access denied.");
    }
}

TEST_F(RegistryRules, BinaryReadStopsAtTheDataItHas) {
    // 255 bytes without a zero fill the whole buffer: all of them and nothing beyond.
    const std::string full(255, 'x');
    r.Set(HKCU, "Software\\T", "Full", reg::kBinary, full);
    EXPECT_EQ(ReadRegBinary(r, HKCU, "Software\\T", "Full"), full);
    r.Set(HKCU, "Software\\T", "Short", reg::kBinary, "xyz");
    EXPECT_EQ(ReadRegBinary(r, HKCU, "Software\\T", "Short"), "xyz");
    r.Set(HKCU, "Software\\T", "Empty", reg::kBinary, "");
    EXPECT_EQ(ReadRegBinary(r, HKCU, "Software\\T", "Empty"), "");
    r.Set(HKCU, "Software\\T", "Large", reg::kBinary, std::string(256, 'x'));
    EXPECT_THROW(ReadRegBinary(r, HKCU, "Software\\T", "Large"), Failure);
}

TEST_F(RegistryRules, WritesChangeOnlyExistingValues) {
    WriteRegString(r, HKCU, "Software\\T", "Name", "New");
    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\T", "Name"), "New");
    WriteRegInt(r, HKCU, "Software\\T", "Int", 42);
    EXPECT_EQ(ReadRegInt(r, HKCU, "Software\\T", "Int"), 42);
    WriteRegBinary(r, HKCU, "Software\\T", "Bin", std::string_view("\x01\x02\0\x03", 4));
    EXPECT_EQ(r.Find(HKCU, "Software\\T", "Bin")->bytes, "\x01\x02");
    EXPECT_EQ(r.Find(HKCU, "Software\\T", "Bin")->type, reg::kBinary);
    // The written type is the member's, whatever the value had.
    WriteRegString(r, HKCU, "Software\\T", "Int", "text");
    EXPECT_EQ(r.Find(HKCU, "Software\\T", "Int")->type, reg::kString);

    WriteRegInt(r, HKCU, "Software\\T", "NotThere", 1);
    WriteRegString(r, HKCU, "Software\\New", "Name", "x");
    WriteRegBinary(r, HKCU, "Software\\New", "Bin", "x");
    EXPECT_EQ(r.Find(HKCU, "Software\\T", "NotThere"), nullptr);
    EXPECT_FALSE(r.HasKey(HKCU, "Software\\New"));
}

TEST_F(RegistryRules, AWriteThatIsRefusedFailsInsteadOfPassingForMissing) {
    r.SetString(HKCU, "Software\\RO", "Name", "old");
    r.AddKey(HKCU, "Software\\RO").denyWrite = true;
    EXPECT_THROW(WriteRegString(r, HKCU, "Software\\RO", "Name", "new"), Failure);
    EXPECT_THROW(WriteRegInt(r, HKCU, "Software\\RO", "Name", 1), Failure);
    EXPECT_EQ(ReadRegString(r, HKCU, "Software\\RO", "Name"), "old");
}

TEST(Dcom, VersionIsReadOnlyWhenEnabled) {
    const char* kVersionKey = "CLSID\\{bdc67890-4fc0-11d0-a805-00aa006d2ea4}\\InstalledVersion";
    struct Case {
        const char* enable;
        bool enabled;
    } cases[] = {{"Y", true}, {"y", true}, {"N", false}, {"", false}, {"yes", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.enable);
        MemoryRegistry r;
        r.SetString(reg::kLocalMachine, "Software\\Microsoft\\OLE", "EnableDCOM", c.enable);
        r.SetString(reg::kClassesRoot, kVersionKey, "", "5,6,0,1");
        EXPECT_EQ(IsDcomEnabled(r), c.enabled);
        EXPECT_EQ(DcomVersion(r), c.enabled ? "5,6,0,1" : "");
    }
    MemoryRegistry none;
    EXPECT_FALSE(IsDcomEnabled(none));
    EXPECT_EQ(DcomVersion(none), "");
}

}  // namespace
}  // namespace zunda::utils
