// MxMedia: the multimedia devices of each kind, as a new list per read.
#include "machine/core/media.h"
#include "server/win/frame.h"

#include <mmsystem.h>

namespace zunda {
namespace {

// Whether the list holds the line already (its IndexOf ignores case).
bool ListHolds(IMxStringlist* list, const std::string& line) {
    long index = -1;
    Check(list->IndexOf(Bstr::FromAnsi(line), &index));
    return index != -1;
}

class Win32MediaDevices final : public machine::MediaDevices {
public:
    unsigned Count(machine::MediaKind kind) override {
        switch (kind) {
            case machine::MediaKind::WaveIn: return waveInGetNumDevs();
            case machine::MediaKind::WaveOut: return waveOutGetNumDevs();
            case machine::MediaKind::MidiIn: return midiInGetNumDevs();
            case machine::MediaKind::MidiOut: return midiOutGetNumDevs();
            case machine::MediaKind::Aux: return auxGetNumDevs();
            case machine::MediaKind::Mixer: return mixerGetNumDevs();
        }
        return 0;
    }
    bool Caps(machine::MediaKind kind, unsigned index, std::string& name, std::uint32_t& version) override {
        switch (kind) {
            case machine::MediaKind::WaveIn: return Read<WAVEINCAPSA>(waveInGetDevCapsA, index, name, version);
            case machine::MediaKind::WaveOut: return Read<WAVEOUTCAPSA>(waveOutGetDevCapsA, index, name, version);
            case machine::MediaKind::MidiIn: return Read<MIDIINCAPSA>(midiInGetDevCapsA, index, name, version);
            case machine::MediaKind::MidiOut: return Read<MIDIOUTCAPSA>(midiOutGetDevCapsA, index, name, version);
            case machine::MediaKind::Aux: return Read<AUXCAPSA>(auxGetDevCapsA, index, name, version);
            case machine::MediaKind::Mixer: return Read<MIXERCAPSA>(mixerGetDevCapsA, index, name, version);
        }
        return false;
    }

private:
    // The whole name field goes to the core, which bounds the name by it.
    template <class CapsT, class F>
    static bool Read(F getCaps, unsigned index, std::string& name, std::uint32_t& version) {
        CapsT caps;
        ZeroMemory(&caps, sizeof(caps));
        if (getCaps(index, &caps, sizeof(caps)) != MMSYSERR_NOERROR) return false;
        name.assign(caps.szPname, sizeof(caps.szPname));
        version = caps.vDriverVersion;
        return true;
    }
};

}  // namespace

class TMxMedia final : public Object<TMxMedia, IMxMedia> {
public:
    // The class offers no events: failures only set the error text (or raise).
    static constexpr ClassInfo kInfo{&CLSID_MxMedia, &IID_IMxMedia, nullptr, L"Zunda.MxMedia", "MxMedia",
                                     ErrorEvent::None, false};

    STDMETHODIMP get_strlWAVEIN(IMxStringlist** out) override {
        return List("Get_strlWAVEIN", machine::MediaKind::WaveIn, out);
    }
    STDMETHODIMP get_strlWAVEOut(IMxStringlist** out) override {
        return List("Get_strlWAVEOut", machine::MediaKind::WaveOut, out);
    }
    STDMETHODIMP get_strlMIDIIn(IMxStringlist** out) override {
        return List("Get_strlMIDIIn", machine::MediaKind::MidiIn, out);
    }
    STDMETHODIMP get_strlMIDIOut(IMxStringlist** out) override {
        return List("Get_strlMIDIOut", machine::MediaKind::MidiOut, out);
    }
    STDMETHODIMP get_strlAUX(IMxStringlist** out) override { return List("Get_strlAUX", machine::MediaKind::Aux, out); }
    STDMETHODIMP get_strlMixer(IMxStringlist** out) override {
        return List("Get_strlMixer", machine::MediaKind::Mixer, out);
    }

private:
    // A new list owned by the caller; on a failure it holds the lines added so far.
    HRESULT List(const char* member, machine::MediaKind kind, IMxStringlist** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        return Call([&] {
            ComPtr<IMxStringlist> list;
            Step(member, [&] {
                list = CreateLibraryObject<IMxStringlist>(CLSID_MxStringlist);
                Win32MediaDevices devices;
                machine::ListDevices(
                    devices, kind, [&](const std::string& line) { return ListHolds(list.Get(), line); },
                    [&](const std::string& line) { AppendLine(list.Get(), line); });
            });
            *out = list.Detach();
        });
    }
};

ZUNDA_CLASS(TMxMedia);

}  // namespace zunda
