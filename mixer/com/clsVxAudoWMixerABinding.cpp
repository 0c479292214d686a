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

  // A missing control record fails with E_POINTER before the member runs,
  // and the thread's error object stays as it was.

  STDMETHODIMP get_NumSamples(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().NumSamples; }); }
  STDMETHODIMP put_NumSamples(LONG value) override { return runMember([&] { coreObject().NumSamples = fromAbi(value); }); }
  STDMETHODIMP get_drawFrom(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().drawFrom; }); }
  STDMETHODIMP put_drawFrom(LONG value) override { return runMember([&] { coreObject().drawFrom = fromAbi(value); }); }
  STDMETHODIMP get_drawTo(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().drawTo; }); }
  STDMETHODIMP put_drawTo(LONG value) override { return runMember([&] { coreObject().drawTo = fromAbi(value); }); }
  STDMETHODIMP get_fFileLoaded(VARIANT_BOOL* result) override {
    return runMemberReturning(result, [&] { return coreObject().fFileLoaded; });
  }
  STDMETHODIMP put_fFileLoaded(VARIANT_BOOL value) override {
    return runMember([&] { coreObject().fFileLoaded = fromAbi(value); });
  }
  STDMETHODIMP GetMixerControl(LONG_PTR hMixer, LONG componentType, LONG ctrlType, MIXERCONTROL* mxc,
                               VARIANT_BOOL* result) override {
    return mxc ? runMemberReturning(result, [&] { return coreObject().GetMixerControl(fromAbi(hMixer), fromAbi(componentType), fromAbi(ctrlType), ControlRecord(mxc)); }) : E_POINTER;
  }
  STDMETHODIMP SetVolumeControl(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG volume, VARIANT_BOOL* result) override {
    return mxc ? runMemberReturning(result, [&] { return coreObject().SetVolumeControl(fromAbi(hMixer), ControlRecord(mxc), fromAbi(volume)); }) : E_POINTER;
  }
  STDMETHODIMP SetPANControl(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG volL, LONG volR,
                             VARIANT_BOOL* result) override {
    return mxc ? runMemberReturning(result, [&] { return coreObject().SetPANControl(fromAbi(hMixer), ControlRecord(mxc), fromAbi(volL), fromAbi(volR)); }) : E_POINTER;
  }
  STDMETHODIMP unSetMuteControl(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG unmute, VARIANT_BOOL* result) override {
    return mxc ? runMemberReturning(result, [&] { return coreObject().unSetMuteControl(fromAbi(hMixer), ControlRecord(mxc), fromAbi(unmute)); }) : E_POINTER;
  }
  STDMETHODIMP SetMuteControl(LONG_PTR hMixer, MIXERCONTROL* mxc, VARIANT_BOOL* mute, VARIANT_BOOL* result) override {
    return mxc && mute ? runMemberReturning(result, [&] { return coreObject().SetMuteControl(fromAbi(hMixer), ControlRecord(mxc), *mute != VARIANT_FALSE); }) : E_POINTER;
  }
  STDMETHODIMP GetVolumeControlValue(LONG_PTR hMixer, MIXERCONTROL* mxc, LONG* result) override {
    return mxc ? runMemberReturning(result, [&] { return coreObject().GetVolumeControlValue(fromAbi(hMixer), ControlRecord(mxc)); }) : E_POINTER;
  }
};

}  // namespace

IUnknown* create_clsVxAudoWMixerA() { return WMixerAObject::create(); }

}  // namespace orvalis::com
