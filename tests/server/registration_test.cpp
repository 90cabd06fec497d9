#include "server/core/registration.h"

#include <gtest/gtest.h>

namespace zunda {
namespace {

ClassRegistration StrUtils() {
    return {"{9FC6AEA0-6C00-44C5-B881-D300B953B376}", "Zunda.MxStrUtils", "MxStrUtils Object",
            "{778AA618-11D3-4B05-BD00-10C330340EF1}", 1, 0};
}

TEST(Registration, WritesTheClassEntriesInOrder) {
    using K = RegistryStep::Kind;
    const std::string c = "CLSID\\{9FC6AEA0-6C00-44C5-B881-D300B953B376}";
    std::vector<RegistryStep> expected = {
        {K::SetString, c, "", "MxStrUtils Object"},
        {K::SetString, c + "\\InprocServer32", "", "C:\\zunda\\Zunda.dll"},
        {K::SetString, c + "\\InprocServer32", "ThreadingModel", "Apartment"},
        {K::SetString, "Zunda.MxStrUtils", "", "MxStrUtils Object"},
        {K::SetString, "Zunda.MxStrUtils\\Clsid", "", "{9FC6AEA0-6C00-44C5-B881-D300B953B376}"},
        {K::SetString, c + "\\ProgID", "", "Zunda.MxStrUtils"},
        {K::SetString, c + "\\Version", "", "1.0"},
        {K::SetString, c + "\\TypeLib", "", "{778AA618-11D3-4B05-BD00-10C330340EF1}"},
    };
    EXPECT_EQ(RegisterSteps(StrUtils(), "C:\\zunda\\Zunda.dll"), expected);
}

TEST(Registration, RemovesSubkeysBeforeTheirParents) {
    std::vector<std::string> keys;
    for (const RegistryStep& s : UnregisterSteps(StrUtils())) {
        EXPECT_EQ(s.kind, RegistryStep::Kind::DeleteKey);
        keys.push_back(s.key);
    }
    const std::string c = "CLSID\\{9FC6AEA0-6C00-44C5-B881-D300B953B376}";
    std::vector<std::string> expected = {c + "\\Version", c + "\\TypeLib", c + "\\ProgID", "Zunda.MxStrUtils\\Clsid",
                                         "Zunda.MxStrUtils", c + "\\InprocServer32", c};
    EXPECT_EQ(keys, expected);
    // Every key written by registration is removed again.
    for (const RegistryStep& s : RegisterSteps(StrUtils(), "x"))
        EXPECT_NE(std::find(keys.begin(), keys.end(), s.key), keys.end()) << s.key;
}

TEST(Registration, KeepsTheSharedProgIdWhileTheOtherBuildIsRegistered) {
    const std::string c = "CLSID\\{9FC6AEA0-6C00-44C5-B881-D300B953B376}";
    std::vector<std::string> keys;
    for (const RegistryStep& s : UnregisterSteps(StrUtils(), true)) keys.push_back(s.key);
    // This view's class keys go, in the same order; the ProgID keys stay.
    std::vector<std::string> expected = {c + "\\Version", c + "\\TypeLib", c + "\\ProgID", c + "\\InprocServer32", c};
    EXPECT_EQ(keys, expected);
}

TEST(Registration, OneBuildsTypeLibraryPathAndInterfaceKeys) {
    const std::string lib = "{778AA618-11D3-4B05-BD00-10C330340EF1}";
    EXPECT_EQ(TypeLibPathStep(lib, 1, 0, 0x409, true).key, "TypeLib\\" + lib + "\\1.0\\409\\win64");
    EXPECT_EQ(TypeLibPathStep(lib, 1, 0, 0, false).key, "TypeLib\\" + lib + "\\1.0\\0\\win32");
    EXPECT_EQ(TypeLibPathStep(lib, 2, 10, 0x40c, false).key, "TypeLib\\" + lib + "\\2.10\\40c\\win32");
    const std::vector<RegistryStep> steps = InterfaceUnregisterSteps("{11F9E908-E022-4E4B-A0AA-E18D9953F301}");
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps.back().key, "Interface\\{11F9E908-E022-4E4B-A0AA-E18D9953F301}");
    for (const RegistryStep& s : steps) EXPECT_EQ(s.kind, RegistryStep::Kind::DeleteKey);
}

TEST(Registration, PathWithABlankIsWrittenInItsShortForm) {
    EXPECT_EQ(ServerPathForRegistry("C:\\Program Files\\Zunda.dll", "C:\\PROGRA~1\\Zunda.dll"),
              "C:\\PROGRA~1\\Zunda.dll");
    EXPECT_EQ(ServerPathForRegistry("C:\\zunda\\Zunda.dll", "C:\\zunda\\Zunda.dll"), "C:\\zunda\\Zunda.dll");
    // Without a short form (disabled 8.3 names) the long path stays.
    EXPECT_EQ(ServerPathForRegistry("C:\\Program Files\\Zunda.dll", ""), "C:\\Program Files\\Zunda.dll");
}

}  // namespace
}  // namespace zunda
