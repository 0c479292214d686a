// The dual interface _clsVxAudoWMixerB over mixer B's logic: each vtable
// member forwards to the core in one line. The control index arrives by
// reference and is only read; a null reference is E_POINTER.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "mixer/clsVxAudoWMixerB.h"

namespace orvalis::com {

namespace {

int32_t controlIndex(const VOL_CONTROL* Control) { return static_cast<int32_t>(ref(Control)); }
int32_t controlIndex(const MUTE_CONTROL* Control) { return static_cast<int32_t>(ref(Control)); }

class WMixerBObject final
    : public AutomationObject<WMixerBObject, _clsVxAudoWMixerB, clsVxAudoWMixerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWMixerB";

  STDMETHODIMP OpenMixer(LONG MixerNumber, LONG* result) override {
    return call(result, [&] { return core().OpenMixer(in(MixerNumber)); });
  }
  STDMETHODIMP CloseMixer(LONG* result) override { return call(result, [&] { return core().CloseMixer(); }); }
  STDMETHODIMP SetVolume(VOL_CONTROL* Control, LONG NewVolume, LONG* result) override {
    return call(result, [&] { return core().SetVolume(controlIndex(Control), in(NewVolume)); });
  }
  STDMETHODIMP GetVolume(VOL_CONTROL* Control, LONG* result) override {
    return call(result, [&] { return core().GetVolume(controlIndex(Control)); });
  }
  STDMETHODIMP SetMute(MUTE_CONTROL* Control, VARIANT_BOOL MuteState, VARIANT_BOOL* result) override {
    return call(result, [&] { return core().SetMute(controlIndex(Control), in(MuteState)); });
  }
  STDMETHODIMP GetMute(MUTE_CONTROL* Control, VARIANT_BOOL* result) override {
    return call(result, [&] { return core().GetMute(controlIndex(Control)); });
  }
};

}  // namespace

IUnknown* create_clsVxAudoWMixerB() { return WMixerBObject::create(); }

}  // namespace orvalis::com
