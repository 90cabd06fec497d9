// MxMedia and MxDirectX from a client. The multimedia lists are compared
// with the system's own device calls: a plain run has no devices, and
// tests/machine/wine-media.sh runs them again on a null sound device
// (ZUNDA_EXPECT_WAVE=1). DirectX is read from the prefix's registry and from
// fixture values and keys that each test writes and removes again.
#include "tests/support/win/catalogue.h"
#include "tests/machine/machine_registry_fixture.h"
#include "tests/support/win/com_test.h"

#include <mmsystem.h>

#include <algorithm>
#include <cstdlib>

ZUNDA_TEST_IMPLEMENTED(MxMedia);
ZUNDA_TEST_IMPLEMENTED(MxDirectX);

namespace zunda::test {
namespace {

std::wstring Wide(const std::string& s) { return std::wstring(Bstr::FromAnsi(s).View()); }

template <class Caps, class F>
std::vector<std::wstring> SystemLines(UINT count, F getCaps) {
    std::vector<std::wstring> out;
    for (UINT i = 0; i < count; ++i) {
        Caps caps = {};
        if (getCaps(i, &caps, sizeof(caps)) != MMSYSERR_NOERROR) continue;
        char line[64];
        wsprintfA(line, " v%d.%d", (caps.vDriverVersion >> 8) & 0xFF, caps.vDriverVersion & 0xFF);
        const std::wstring text = Wide(std::string(caps.szPname, strnlen(caps.szPname, sizeof(caps.szPname))) + line);
        if (std::find(out.begin(), out.end(), text) == out.end()) out.push_back(text);
    }
    return out;
}

TEST(MxMediaTest, ListsAreTheSystemsDevicesOncePerNameAndVersion) {
    ComPtr<IMxMedia> media = Create<IMxMedia>(CLSID_MxMedia);
    ASSERT_TRUE(media);
    struct Kind {
        const char* name;
        HRESULT (STDMETHODCALLTYPE IMxMedia::*get)(IMxStringlist**);
        std::vector<std::wstring> expected;
    } kinds[] = {
        {"wave in", &IMxMedia::get_strlWAVEIN, SystemLines<WAVEINCAPSA>(waveInGetNumDevs(), waveInGetDevCapsA)},
        {"wave out", &IMxMedia::get_strlWAVEOut, SystemLines<WAVEOUTCAPSA>(waveOutGetNumDevs(), waveOutGetDevCapsA)},
        {"midi in", &IMxMedia::get_strlMIDIIn, SystemLines<MIDIINCAPSA>(midiInGetNumDevs(), midiInGetDevCapsA)},
        {"midi out", &IMxMedia::get_strlMIDIOut, SystemLines<MIDIOUTCAPSA>(midiOutGetNumDevs(), midiOutGetDevCapsA)},
        {"aux", &IMxMedia::get_strlAUX, SystemLines<AUXCAPSA>(auxGetNumDevs(), auxGetDevCapsA)},
        {"mixer", &IMxMedia::get_strlMixer, SystemLines<MIXERCAPSA>(mixerGetNumDevs(), mixerGetDevCapsA)},
    };
    for (Kind& k : kinds) {
        ComPtr<IMxStringlist> first, second;
        ASSERT_EQ((media.Get()->*k.get)(first.Put()), S_OK) << k.name;
        ASSERT_EQ((media.Get()->*k.get)(second.Put()), S_OK) << k.name;
        ASSERT_TRUE(first && second) << k.name;
        EXPECT_NE(first.Get(), second.Get()) << k.name << ": every read makes a new list";
        EXPECT_EQ(ListItems(first.Get()), k.expected) << k.name;
    }
    EXPECT_EQ(ReadText<IMxBaseInterface>(media.Get(), &IMxBaseInterface::get_wstrLastErrorMessage), L"");

    const char* wave = std::getenv("ZUNDA_EXPECT_WAVE");
    const size_t devices = wave ? static_cast<size_t>(std::atoi(wave)) : 0;
    // A plain prefix has no sound devices; the null device gives one of each direction.
    EXPECT_EQ(kinds[0].expected.size(), devices);
    EXPECT_EQ(kinds[1].expected.size(), devices);
    for (const std::wstring& line : kinds[1].expected) EXPECT_NE(line.find(L" v"), std::wstring::npos) << line;

    // Late-bound, as scripts read it.
    ComPtr<IDispatch> d = CreateByProgId(L"Zunda.MxMedia");
    ASSERT_TRUE(d);
    CallResult list = PropGet(d.Get(), L"strlWAVEOut");
    ASSERT_EQ(list.hr, S_OK);
    ASSERT_EQ(list.value.vt, VT_DISPATCH);
    EXPECT_EQ(PropGet(list.value.pdispVal, L"Count").value.lVal, static_cast<long>(devices));
}

// ------------------------------------------------------------ DirectX

const char* const kDirectX = "SOFTWARE\\Microsoft\\DirectX";

std::wstring Version(IMxDirectX* dx) {
    EXPECT_EQ(dx->GetInfos(), S_OK);
    return ReadText(dx, &IMxDirectX::get_wstrVersion);
}

TEST(MxDirectXTest, VersionFromTheTextOrTheInstalledBytes) {
    MachineValue version(kDirectX, "Version");
    MachineValue installed(kDirectX, "InstalledVersion");
    // Wine's prefix carries both; the text wins.
    ASSERT_TRUE(version.Existed());
    ComPtr<IMxDirectX> dx = Create<IMxDirectX>(CLSID_MxDirectX);
    ASSERT_TRUE(dx);
    EXPECT_NE(ReadText(dx.Get(), &IMxDirectX::get_wstrVersion), L"");  // read at creation

    version.SetString(" 4.09.00.0904 ");
    EXPECT_EQ(Version(dx.Get()), L"4.09.00.0904");
    version.SetString("");
    const BYTE nine[8] = {0, 0, 0, 9, 0, 0, 0, 0};
    installed.Set(REG_BINARY, nine, sizeof(nine));
    EXPECT_EQ(Version(dx.Get()), L"9.0");
    const BYTE eightOne[8] = {0, 0, 0, 8, 0, 0, 0, 1};
    installed.Set(REG_BINARY, eightOne, sizeof(eightOne));
    EXPECT_EQ(Version(dx.Get()), L"8.1");
    installed.Set(REG_BINARY, nine, 4);  // no minor number
    EXPECT_EQ(Version(dx.Get()), L"9.0");
    installed.Set(REG_BINARY, nine, 3);  // too short: missing
    EXPECT_EQ(Version(dx.Get()), L"not installed");
    installed.Delete();
    version.Delete();
    EXPECT_EQ(Version(dx.Get()), L"not installed");
    EXPECT_EQ(ReadText<IMxBaseInterface>(dx.Get(), &IMxBaseInterface::get_wstrLastErrorMessage), L"");
}

TEST(MxDirectXTest, ListsHoldTheDescriptionsOfTheRegisteredComponents) {
    const std::string d3d = "SOFTWARE\\Microsoft\\Direct3D\\Drivers";
    MachineKey a(d3d + "\\Zunda A"), b(d3d + "\\Zunda B"), c(d3d + "\\Zunda C");
    a.SetString("Description", "Zunda Test Driver");
    b.SetString("Name", "no description");
    c.SetDword("Description", 5);
    MachineKey synth("SOFTWARE\\Microsoft\\DirectMusic\\SoftwareSynths\\{ZUNDA}");
    synth.SetString("Description", "Zunda Synth");

    ComPtr<IMxDirectX> dx = Create<IMxDirectX>(CLSID_MxDirectX);
    ASSERT_TRUE(dx);
    ComPtr<IMxStringlist> lists[3];
    ASSERT_EQ(dx->get_strlDirect3D(lists[0].Put()), S_OK);
    ASSERT_EQ(dx->get_strlDirectPlay(lists[1].Put()), S_OK);
    ASSERT_EQ(dx->get_strlDirectMusic(lists[2].Put()), S_OK);
    const std::vector<std::wstring> drivers = ListItems(lists[0].Get());
    EXPECT_EQ(std::count(drivers.begin(), drivers.end(), L"Zunda Test Driver"), 1);
    EXPECT_EQ(std::count(drivers.begin(), drivers.end(), L"no description"), 0);
    const std::vector<std::wstring> synths = ListItems(lists[2].Get());
    EXPECT_EQ(std::count(synths.begin(), synths.end(), L"Zunda Synth"), 1);

    // The object's own lists: the same objects on every read, refilled by GetInfos.
    ASSERT_EQ(dx->GetInfos(), S_OK);
    ComPtr<IMxStringlist> again;
    ASSERT_EQ(dx->get_strlDirect3D(again.Put()), S_OK);
    EXPECT_EQ(again.Get(), lists[0].Get());
    EXPECT_EQ(ListItems(again.Get()), drivers);
    EXPECT_EQ(ReadText<IMxBaseInterface>(dx.Get(), &IMxBaseInterface::get_wstrLastErrorMessage), L"");
}

}  // namespace
}  // namespace zunda::test
