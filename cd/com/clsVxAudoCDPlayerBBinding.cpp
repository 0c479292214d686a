// The dual interface _clsVxAudoCDPlayerB over CD player B's logic: each
// vtable member forwards to the core in one line.
#include "cd/clsVxAudoCDPlayerB.h"
#include "cd/com/EmptyResult.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"

namespace orvalis::com {

namespace {

class CDPlayerBObject final
    : public AutomationObject<CDPlayerBObject, _clsVxAudoCDPlayerB, clsVxAudoCDPlayerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDPlayerB";

  STDMETHODIMP checkError(BSTR* result) override { return call(result, [&] { return core().checkError(); }); }
  STDMETHODIMP checkForCD(VARIANT_BOOL* result) override { return call(result, [&] { return core().checkForCD(); }); }
  STDMETHODIMP checkCDDrive(BSTR* drive, VARIANT_BOOL* result) override {
    return call(result, [&] { return core().checkCDDrive(in(ref(drive))); });
  }
  STDMETHODIMP startCD(BSTR* cdDrive, VARIANT* result) override {
    return call(result, emptyResult([&] { core().startCD(InOut<std::u16string, BSTR>(cdDrive)); }));
  }
  STDMETHODIMP playCD(VARIANT* result) override { return call(result, emptyResult([&] { core().playCD(); })); }
  STDMETHODIMP seekToBeginning(VARIANT* result) override { return call(result, emptyResult([&] { core().seekToBeginning(); })); }
  STDMETHODIMP seekToEnd(VARIANT* result) override { return call(result, emptyResult([&] { core().seekToEnd(); })); }
  STDMETHODIMP stopCD(VARIANT* result) override { return call(result, emptyResult([&] { core().stopCD(); })); }
  STDMETHODIMP closeAll(VARIANT* result) override { return call(result, emptyResult([&] { core().closeAll(); })); }
  STDMETHODIMP getCurrentTrack(LONG* result) override { return call(result, [&] { return core().getCurrentTrack(); }); }
  STDMETHODIMP getPositionSeconds(LONG* result) override { return call(result, [&] { return core().getPositionSeconds(); }); }
  STDMETHODIMP getPositionFrames(LONG* result) override { return call(result, [&] { return core().getPositionFrames(); }); }
  STDMETHODIMP getPositionMSF(BSTR* result) override { return call(result, [&] { return core().getPositionMSF(); }); }
  STDMETHODIMP getPositionMS(LONG* result) override { return call(result, [&] { return core().getPositionMS(); }); }
  STDMETHODIMP getPositionTMSF(BSTR* result) override { return call(result, [&] { return core().getPositionTMSF(); }); }
  STDMETHODIMP getTimeFormat(BSTR* result) override { return call(result, [&] { return core().getTimeFormat(); }); }
  STDMETHODIMP setDoorOpen(VARIANT* result) override { return call(result, emptyResult([&] { core().setDoorOpen(); })); }
  STDMETHODIMP setDoorClosed(VARIANT* result) override { return call(result, emptyResult([&] { core().setDoorClosed(); })); }
  STDMETHODIMP getNumberTracks(LONG* result) override { return call(result, [&] { return core().getNumberTracks(); }); }
  STDMETHODIMP setTrack(LONG* track, VARIANT* result) override {
    return call(result, emptyResult([&] { core().setTrack(in(ref(track))); }));
  }
  STDMETHODIMP pauseCD(VARIANT* result) override { return call(result, emptyResult([&] { core().pauseCD(); })); }
  STDMETHODIMP resumeCD(VARIANT* result) override { return call(result, emptyResult([&] { core().resumeCD(); })); }
  STDMETHODIMP fastForward(LONG* seconds, VARIANT* result) override {
    return call(result, emptyResult([&] { core().fastForward(in(ref(seconds))); }));
  }
  STDMETHODIMP fastRewind(LONG* seconds, VARIANT* result) override {
    return call(result, emptyResult([&] { core().fastRewind(in(ref(seconds))); }));
  }
  STDMETHODIMP isPlaying(VARIANT_BOOL* result) override { return call(result, [&] { return core().isPlaying(); }); }
  STDMETHODIMP trackLengthMS(LONG* track, LONG* result) override {
    return call(result, [&] { return core().trackLengthMS(in(ref(track))); });
  }
  STDMETHODIMP cdLengthMS(LONG* result) override { return call(result, [&] { return core().cdLengthMS(); }); }
  STDMETHODIMP cdLengthMSF(BSTR* result) override { return call(result, [&] { return core().cdLengthMSF(); }); }
  STDMETHODIMP cdLengthSeconds(LONG* result) override { return call(result, [&] { return core().cdLengthSeconds(); }); }
  STDMETHODIMP trackLengthMSF(LONG* track, BSTR* result) override {
    return call(result, [&] { return core().trackLengthMSF(in(ref(track))); });
  }
  STDMETHODIMP trackLengthSeconds(LONG* track, LONG* result) override {
    return call(result, [&] { return core().trackLengthSeconds(in(ref(track))); });
  }
  STDMETHODIMP setAudioOff(VARIANT* result) override { return call(result, emptyResult([&] { core().setAudioOff(); })); }
  STDMETHODIMP setAudioOn(VARIANT* result) override { return call(result, emptyResult([&] { core().setAudioOn(); })); }
  STDMETHODIMP nextTrack(VARIANT* result) override { return call(result, emptyResult([&] { core().nextTrack(); })); }
  STDMETHODIMP prevTrack(VARIANT* result) override { return call(result, emptyResult([&] { core().prevTrack(); })); }
};

}  // namespace

IUnknown* create_clsVxAudoCDPlayerB() { return CDPlayerBObject::create(); }

}  // namespace orvalis::com
