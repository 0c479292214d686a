// The dual interface _clsVxAudoWMixerB over mixer B's logic: each vtable
// member forwards to the core in one line. The control index arrives by
// reference and is only read; a null reference is E_POINTER.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "mixer/clsVxAudoWMixerB.h"

namespace orvalis::com {

namespace {

int32_t controlIndex(const VOL_CONTROL* Control) { return static_cast<int32_t>(callerVariable(Control)); }
int32_t controlIndex(const MUTE_CONTROL* Control) { return static_cast<int32_t>(callerVariable(Control)); }

class WMixerBObject final
    : public AutomationObject<WMixerBObject, _clsVxAudoWMixerB, clsVxAudoWMixerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWMixerB";

  STDMETHODIMP OpenMixer(LONG MixerNumber, LONG* result) override {
    return runMemberReturning(result, [&] { return coreObject().OpenMixer(fromAbi(MixerNumber)); });
  }
  STDMETHODIMP CloseMixer(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().CloseMixer(); }); }
  STDMETHODIMP SetVolume(VOL_CONTROL* Control, LONG NewVolume, LONG* result) override {
    return runMemberReturning(result, [&] { return coreObject().SetVolume(controlIndex(Control), fromAbi(NewVolume)); });
  }
  STDMETHODIMP GetVolume(VOL_CONTROL* Control, LONG* result) override {
    return runMemberReturning(result, [&] { return coreObject().GetVolume(controlIndex(Control)); });
  }
  STDMETHODIMP SetMute(MUTE_CONTROL* Control, VARIANT_BOOL MuteState, VARIANT_BOOL* result) override {
    return runMemberReturning(result, [&] { return coreObject().SetMute(controlIndex(Control), fromAbi(MuteState)); });
  }
  STDMETHODIMP GetMute(MUTE_CONTROL* Control, VARIANT_BOOL* result) override {
    return runMemberReturning(result, [&] { return coreObject().GetMute(controlIndex(Control)); });
  }
};

}  // namespace

IUnknown* create_clsVxAudoWMixerB() { return WMixerBObject::create(); }

}  // namespace orvalis::com
