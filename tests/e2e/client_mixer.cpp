// The mixer classes from a C++ host on Wine's first mixer device: mixer A's
// primitives early-bound on a handle the client opened itself, with a real
// MIXERCONTROL record compared against what winmm reports to the client
// directly; mixer B early-bound on the same device; and the record passed
// late-bound through Invoke as VT_RECORD.
#include <windows.h>
#include <ole2.h>
#include <oleauto.h>

#include <cstring>
#include <string>

#include "client_checks.h"
#include "com_client.h"
#include "orvalis_h.h"

using e2e::check;
using e2e::hex;

// winmm's mixer calls, declared here because <mmsystem.h> and the type
// library's header both name a MIXERCONTROL. The type library's
// MIXERCONTROL, MIXERLINECONTROLS and MIXERCONTROLDETAILS are the
// platform's structures byte for byte, in a 32-bit and in a 64-bit program
// (whose pointer-sized fields are LongLong, packed as <mmsystem.h> packs).
constexpr bool kWide = sizeof(void*) == 8;
#pragma pack(push, 1)
struct PlatformLine {  // MIXERLINEA
  DWORD cbStruct, dwDestination, dwSource, dwLineID, fdwLine;
  DWORD_PTR dwUser;
  DWORD dwComponentType, cChannels, cConnections, cControls;
  char szShortName[16], szName[64];
  DWORD dwType, dwDeviceID;
  WORD wMid, wPid;
  DWORD vDriverVersion;
  char szPname[32];
};
#pragma pack(pop)
static_assert(sizeof(PlatformLine) == (kWide ? 172 : 168));
static_assert(sizeof(MIXERCONTROL) == 148);
static_assert(sizeof(MIXERLINECONTROLS) == (kWide ? 28 : 24));
static_assert(sizeof(MIXERCONTROLDETAILS) == (kWide ? 32 : 24));

extern "C" {
UINT WINAPI mixerGetNumDevs();
UINT WINAPI mixerOpen(HANDLE* mixer, UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags);
UINT WINAPI mixerClose(HANDLE mixer);
UINT WINAPI mixerGetLineInfoA(HANDLE mixer, PlatformLine* line, DWORD flags);
UINT WINAPI mixerGetLineControlsA(HANDLE mixer, MIXERLINECONTROLS* controls, DWORD flags);
UINT WINAPI mixerGetControlDetailsA(HANDLE mixer, MIXERCONTROLDETAILS* details, DWORD flags);
}

namespace {

using e2e::create;

constexpr LONG kSpeakers = 4;
constexpr LONG kMicrophone = 0x1003;
constexpr LONG kVolume = 0x50030001;
constexpr LONG kMute = 0x20010002;
constexpr LONG kBass = 0x50030002;  // a control type the speakers line lacks
const GUID kMixerControlGuid = {0x51A5326D, 0xB741, 0x4F3C, {0xB0, 0x86, 0xE9, 0x36, 0x30, 0x98, 0x47, 0x0B}};

std::string number(long value) { return std::to_string(value); }

bool closeTo(LONG value, LONG expected) { return value == expected || value == expected - 1; }

// The control description winmm gives the client itself.
bool platformControl(HANDLE mixer, LONG componentType, LONG controlType, MIXERCONTROL& control) {
  PlatformLine line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = componentType;
  if (mixerGetLineInfoA(mixer, &line, 3) != 0) return false;
  std::memset(&control, 0, sizeof control);
  MIXERLINECONTROLS controls{static_cast<LONG>(sizeof(MIXERLINECONTROLS)), static_cast<LONG>(line.dwLineID),
                             controlType, 1, static_cast<LONG>(sizeof control),
                             reinterpret_cast<LONG_PTR>(&control)};
  return mixerGetLineControlsA(mixer, &controls, 2) == 0;
}

// The control's value as winmm gives it to the client, or -12345.
LONG platformValue(HANDLE mixer, const MIXERCONTROL& control) {
  LONG value = -12345;
  MIXERCONTROLDETAILS details{static_cast<LONG>(sizeof(MIXERCONTROLDETAILS)), control.dwControlID, 1, 0,
                              static_cast<LONG>(sizeof value), reinterpret_cast<LONG_PTR>(&value)};
  return mixerGetControlDetailsA(mixer, &details, 0) == 0 ? value : -12345;
}

void fields(_clsVxAudoWMixerA* a) {
  LONG value = -1;
  VARIANT_BOOL flag = VARIANT_TRUE;
  a->get_NumSamples(&value);
  a->get_fFileLoaded(&flag);
  check("the public fields start at 0 and False", value == 0 && flag == VARIANT_FALSE);
  a->put_NumSamples(44100);
  a->put_drawFrom(-7);
  a->put_drawTo(12);
  a->put_fFileLoaded(VARIANT_TRUE);
  LONG samples = 0, from = 0, to = 0;
  a->get_NumSamples(&samples);
  a->get_drawFrom(&from);
  a->get_drawTo(&to);
  a->get_fFileLoaded(&flag);
  check("the public fields keep what was stored",
        samples == 44100 && from == -7 && to == 12 && flag == VARIANT_TRUE);
  // A C++ host may store any 16-bit value as a Boolean; it reads back as
  // stored, not turned into True.
  a->put_fFileLoaded(1);
  a->get_fFileLoaded(&flag);
  check("fFileLoaded reads back the 1 a C++ host stored (" + number(flag) + ")", flag == 1);
  a->put_fFileLoaded(VARIANT_FALSE);
}

void primitives(_clsVxAudoWMixerA* a, HANDLE device) {
  const LONG_PTR h = reinterpret_cast<LONG_PTR>(device);

  MIXERCONTROL expected, volume, mute;
  check("winmm describes the speakers volume to the client",
        platformControl(device, kSpeakers, kVolume, expected));
  std::memset(&volume, 0xAA, sizeof volume);
  VARIANT_BOOL found = VARIANT_FALSE;
  HRESULT hr = a->GetMixerControl(h, kSpeakers, kVolume, &volume, &found);
  check("GetMixerControl finds the speakers volume", SUCCEEDED(hr) && found == VARIANT_TRUE, hex(hr));
  check("the record holds the platform's 148 bytes exactly",
        std::memcmp(&volume, &expected, sizeof volume) == 0);
  check("identifier " + number(volume.dwControlID) + ", type " + hex(volume.dwControlType) + ", bounds " +
            number(volume.Bounds[0]) + " to " + number(volume.Bounds[1]),
        volume.cbStruct == 148 && volume.dwControlType == kVolume && volume.Bounds[0] == 0 &&
            volume.Bounds[1] == 65535);

  a->GetMixerControl(h, kSpeakers, kMute, &mute, &found);
  check("GetMixerControl finds the mute switch (identifier " + number(mute.dwControlID) + ")",
        found == VARIANT_TRUE && mute.dwControlType == kMute);

  MIXERCONTROL untouched, record;
  std::memset(&untouched, 0x5A, sizeof untouched);
  record = untouched;
  a->GetMixerControl(h, kMicrophone, kVolume, &record, &found);
  check("a missing line: False and the record untouched",
        found == VARIANT_FALSE && std::memcmp(&record, &untouched, sizeof record) == 0);
  a->GetMixerControl(h, kSpeakers, kBass, &record, &found);
  check("a missing control: False and only cbStruct set to 148",
        found == VARIANT_FALSE && record.cbStruct == 148 &&
            std::memcmp(&record.dwControlID, &untouched.dwControlID, sizeof record - 4) == 0);

  VARIANT_BOOL accepted = VARIANT_FALSE;
  LONG value = 0;
  // Wine keeps the volume as a fraction of 65535 and may give back one less.
  a->SetVolumeControl(h, &volume, 40000, &accepted);
  a->GetVolumeControlValue(h, &volume, &value);
  const LONG held = platformValue(device, volume);
  check("SetVolumeControl 40000 reads back unscaled (" + number(value) + ", winmm says " + number(held) + ")",
        accepted == VARIANT_TRUE && value == held && closeTo(held, 40000));
  a->SetVolumeControl(h, &volume, 70000, &accepted);
  check("70000 goes to the platform unclamped, which refuses it",
        accepted == VARIANT_FALSE && platformValue(device, volume) == held);

  a->SetPANControl(h, &volume, 65535, 0, &accepted);
  a->GetVolumeControlValue(h, &volume, &value);
  check("SetPANControl(65535, 0) is accepted; Wine keeps the left value (" + number(value) + ")",
        accepted == VARIANT_TRUE && value == 65535);

  VARIANT_BOOL muted = VARIANT_TRUE;
  a->SetMuteControl(h, &mute, &muted, &accepted);
  a->GetVolumeControlValue(h, &mute, &value);
  check("SetMuteControl(True) writes -1 (reads " + number(value) + ")", accepted == VARIANT_TRUE && value == -1);
  check("SetMuteControl leaves the caller's Boolean", muted == VARIANT_TRUE);
  a->unSetMuteControl(h, &mute, 0, &accepted);
  a->GetVolumeControlValue(h, &mute, &value);
  check("unSetMuteControl(0) writes 0", accepted == VARIANT_TRUE && value == 0);
  a->unSetMuteControl(h, &mute, 1, &accepted);
  check("unSetMuteControl(1) writes 1", accepted == VARIANT_TRUE && platformValue(device, mute) == 1);
  muted = VARIANT_FALSE;
  a->SetMuteControl(h, &mute, &muted, &accepted);
  check("SetMuteControl(False) writes 0", accepted == VARIANT_TRUE && platformValue(device, mute) == 0);

  const LONG bogus = 0x7FFF1234;
  a->SetVolumeControl(bogus, &volume, 1, &accepted);
  a->GetVolumeControlValue(bogus, &volume, &value);
  check("a handle winmm does not know: False and -1", accepted == VARIANT_FALSE && value == -1);
  check("a missing record is E_POINTER", a->GetVolumeControlValue(h, nullptr, &value) == E_POINTER);
}

// Mixer B on the same device, through a handle of its own.
void deviceTable(_clsVxAudoWMixerB* b, _clsVxAudoWMixerA* a, HANDLE device) {
  const LONG count = static_cast<LONG>(mixerGetNumDevs());
  LONG opened = 1;
  b->OpenMixer(count, &opened);
  check("OpenMixer(" + number(count) + "), the device count, opens nothing", opened == 0);
  b->OpenMixer(0, &opened);
  check("OpenMixer(0)", opened == -1);

  MIXERCONTROL volume;
  VARIANT_BOOL found = VARIANT_FALSE, accepted = VARIANT_FALSE;
  const LONG_PTR h = reinterpret_cast<LONG_PTR>(device);
  a->GetMixerControl(h, kSpeakers, kVolume, &volume, &found);
  a->SetVolumeControl(h, &volume, 40000, &accepted);
  VOL_CONTROL speaker = SPEAKER;
  LONG percent = 0;
  b->GetVolume(&speaker, &percent);
  check("mixer B reads the 40000 set through another handle as 61 % (" + number(percent) + ")",
        percent == 61);
  LONG ok = 0;
  b->SetVolume(&speaker, 25, &ok);
  const LONG held = platformValue(device, volume);
  check("mixer B sets 25 %, which winmm holds as 16375 (" + number(held) + ")", ok == -1 && closeTo(held, 16375));
  check("the enumeration argument is not changed", speaker == SPEAKER);

  VOL_CONTROL outside = static_cast<VOL_CONTROL>(21);
  HRESULT hr = b->GetVolume(&outside, &percent);
  check("index 21 fails as error 9", hr == static_cast<HRESULT>(0x800A0009), hex(hr));
  LONG closed = -1;
  b->CloseMixer(&closed);
  check("CloseMixer returns 0", closed == 0);
}

// The record late-bound: Invoke with a VT_RECORD argument that carries the
// record and its IRecordInfo.
void lateBound(_clsVxAudoWMixerA* a, HANDLE device) {
  DISPID id = 0;
  LPOLESTR name = const_cast<LPOLESTR>(L"GetMixerControl");
  check("GetIDsOfNames finds GetMixerControl",
        SUCCEEDED(a->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_USER_DEFAULT, &id)) && id == 0x60030001);

  IRecordInfo* info = nullptr;
  HRESULT hr = GetRecordInfoFromGuids(LIBID_Orvalis, 1, 0, 0x409, kMixerControlGuid, &info);
  check("the type library describes MIXERCONTROL to hosts", SUCCEEDED(hr) && info, hex(hr));
  if (!info) return;
  ULONG size = 0;
  info->GetSize(&size);
  check("IRecordInfo gives MIXERCONTROL 148 bytes", size == 148, number(size));

  MIXERCONTROL expected;
  platformControl(device, kSpeakers, kMute, expected);
  for (bool byReference : {true, false}) {
    const std::string how = byReference ? "VT_RECORD | VT_BYREF" : "VT_RECORD by value";
    MIXERCONTROL record;
    std::memset(&record, 0, sizeof record);
    VARIANT args[4];
    for (auto& arg : args) VariantInit(&arg);
    // Arguments go in reverse order.
    // The handle as the host's LongPtr.
    if (kWide) {
      V_VT(&args[3]) = VT_I8;
      V_I8(&args[3]) = reinterpret_cast<LONG_PTR>(device);
    } else {
      V_VT(&args[3]) = VT_I4;
      V_I4(&args[3]) = static_cast<LONG>(reinterpret_cast<LONG_PTR>(device));
    }
    V_VT(&args[2]) = VT_I4;
    V_I4(&args[2]) = kSpeakers;
    V_VT(&args[1]) = VT_I4;
    V_I4(&args[1]) = kMute;
    V_VT(&args[0]) = byReference ? (VT_RECORD | VT_BYREF) : VT_RECORD;
    V_RECORD(&args[0]) = &record;
    V_RECORDINFO(&args[0]) = info;
    DISPPARAMS params{args, nullptr, 4, 0};
    VARIANT result;
    VariantInit(&result);
    EXCEPINFO exception{};
    UINT badArgument = 0;
    hr = a->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, &result, &exception,
                   &badArgument);
    const bool filled = std::memcmp(&record, &expected, sizeof record) == 0;
    std::printf("NOTE late-bound GetMixerControl with %s: hr %s, result type %d value %d, record %s\n",
                how.c_str(), hex(hr).c_str(), V_VT(&result), V_VT(&result) == VT_BOOL ? V_BOOL(&result) : 0,
                filled ? "filled" : (record.cbStruct == 0 ? "untouched" : "changed"));
    // Windows' oleaut32 passes a record argument on to the vtable member;
    // Wine 8's refuses every record parameter with E_NOTIMPL before the
    // member runs ("TKIND_RECORD unhandled"), which the library reports as
    // the dispatch code for an argument it cannot pass. Either way the
    // host's record is changed only through a reference.
    const bool untouched = record.cbStruct == 0 && record.dwControlID == 0;
    const bool refused = hr == DISP_E_BADVARTYPE && untouched;
    const bool found = SUCCEEDED(hr) && V_VT(&result) == VT_BOOL && V_BOOL(&result) == VARIANT_TRUE;
    if (byReference) {
      check("late-bound " + how + " fills the host's record, or Wine refuses records cleanly",
            (found && filled) || refused, hex(hr));
    } else {
      check("late-bound " + how + " leaves the host's record, found or refused",
            (found && untouched) || refused, hex(hr));
    }
    VariantClear(&result);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
  }
  info->Release();
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  auto* a = create<_clsVxAudoWMixerA>(L"Orvalis.clsVxAudoWMixerA", IID__clsVxAudoWMixerA);
  auto* b = create<_clsVxAudoWMixerB>(L"Orvalis.clsVxAudoWMixerB", IID__clsVxAudoWMixerB);
  check("creates both mixer classes early-bound", a && b);
  HANDLE device = nullptr;
  const UINT rc = mixerOpen(&device, 0, 0, 0, 0);
  check("the client opens mixer device 0 itself", rc == 0 && device, number(rc));
  if (a && b && device) {
    fields(a);
    primitives(a, device);
    deviceTable(b, a, device);
    lateBound(a, device);
  }
  if (device) mixerClose(device);
  if (b) b->Release();
  if (a) a->Release();
  CoUninitialize();
  return e2e::verdict();
}
