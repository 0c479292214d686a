// The dual interface _clsVxAudoWMixerA over mixer A's logic: each vtable
// member forwards to the core in one line. The host's MIXERCONTROL record
// arrives by reference, as a pointer to its 148 bytes; the mixer handle as
// the host's LongPtr (Long in the 32-bit library, LongLong in the 64-bit
// one, as LONG_PTR is).
#include <cstddef>
#include <cstring>

#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "mixer/clsVxAudoWMixerA.h"

namespace orvalis::com {

namespace {

// The type library's record is the platform's control description, which
// the core describes too.
static_assert(sizeof(MIXERCONTROL) == sizeof(MixerControlA));
static_assert(offsetof(MIXERCONTROL, dwControlID) == offsetof(MixerControlA, dwControlID));
static_assert(offsetof(MIXERCONTROL, cMultipleItems) == offsetof(MixerControlA, cMultipleItems));
static_assert(offsetof(MIXERCONTROL, szName) == offsetof(MixerControlA, szName));
static_assert(offsetof(MIXERCONTROL, Bounds) == offsetof(MixerControlA, lMinimum));
static_assert(offsetof(MIXERCONTROL, Metrics) == offsetof(MixerControlA, Metrics));

// The host's record as the core's, for one call: copied in, and copied back
// when the member changed it.
class ControlRecord {
 public:
  explicit ControlRecord(MIXERCONTROL* host) : host_(host) { std::memcpy(&record_, host, sizeof record_); }
  ~ControlRecord() {
    if (std::memcmp(host_, &record_, sizeof record_) != 0) std::memcpy(host_, &record_, sizeof record_);
  }
  ControlRecord(const ControlRecord&) = delete;
  ControlRecord& operator=(const ControlRecord&) = delete;

  operator MixerControlA&() { return record_; }

 private:
  MIXERCONTROL* host_;
  MixerControlA record_;
};

class WMixerAObject final
    : public AutomationObject<WMixerAObject, _clsVxAudoWMixerA, clsVxAudoWMixerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWMixerA";

  STDMETHODIMP get_NumSamples(LONG* result) override { return call(result, [&] { return core().NumSamples; }); }
  STDMETHODIMP put_NumSamples(LONG value) override { return call([&] { core().NumSamples = in(value); }); }
  STDMETHODIMP get_drawFrom(LONG* result) override { return call(result, [&] { return core().drawFrom; }); }
  STDMETHODIMP put_drawFrom(LONG value) override { return call([&] { core().drawFrom = in(value); }); }
  STDMETHODIMP get_drawTo(LONG* result) override { return call(result, [&] { return core().drawTo; }); }
  STDMETHODIMP put_drawTo(LONG value) override { return call([&] { core().drawTo = in(value); }); }
  STDMETHODIMP get_fFileLoaded(VARIANT_BOOL* result) override {
    return call(result, [&] { return core().fFileLoaded; });
  }
  STDMETHODIMP put_fFileLoaded(VARIANT_BOOL value) override {
    return call([&] { core().fFileLoaded = in(value); });
  }
  STDMETHODIMP GetMixerControl(LONG_PTR hMixer, LONG componentType, LONG ctrlType, MIXERCONTROL* mxc,
                               VARIANT_BOOL* result) override {
    if (!mxc) return E_POINTER;
    return call(result, [&] {
      return core().GetMixerControl(in(hMixer), in(componentType), in(ctrlType), ControlRecord(mxc));
    });
  }
  STDMETHODIMP SetVolumeControl(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG volume, VARIANT_BOOL* result) override {
    if (!mxc) return E_POINTER;
    return call(result, [&] { return core().SetVolumeControl(in(hMixer), ControlRecord(mxc), in(volume)); });
  }
  STDMETHODIMP SetPANControl(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG volL, LONG volR,
                             VARIANT_BOOL* result) override {
    if (!mxc) return E_POINTER;
    return call(result, [&] { return core().SetPANControl(in(hMixer), ControlRecord(mxc), in(volL), in(volR)); });
  }
  STDMETHODIMP unSetMuteControl(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG unmute, VARIANT_BOOL* result) override {
    if (!mxc) return E_POINTER;
    return call(result, [&] { return core().unSetMuteControl(in(hMixer), ControlRecord(mxc), in(unmute)); });
  }
  STDMETHODIMP SetMuteControl(LONG_PTR hMixer, MIXERCONTROL* mxc, VARIANT_BOOL* mute, VARIANT_BOOL* result) override {
    if (!mxc || !mute) return E_POINTER;
    return call(result, [&] {
      return core().SetMuteControl(in(hMixer), ControlRecord(mxc), *mute != VARIANT_FALSE);
    });
  }
  STDMETHODIMP GetVolumeControlValue(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG* result) override {
    if (!mxc) return E_POINTER;
    return call(result, [&] { return core().GetVolumeControlValue(in(hMixer), ControlRecord(mxc)); });
  }
};

}  // namespace

IUnknown* create_clsVxAudoWMixerA() { return WMixerAObject::create(); }

}  // namespace orvalis::com
