// The dual interface _clsVxAudoCDPlayerB over CD player B's logic: each
// vtable member forwards to the core in one line.
#include "cd/clsVxAudoCDPlayerB.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/com/EmptyResult.h"

namespace orvalis::com {

namespace {

class CDPlayerBObject final
    : public AutomationObject<CDPlayerBObject, _clsVxAudoCDPlayerB, clsVxAudoCDPlayerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDPlayerB";

  STDMETHODIMP checkError(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().checkError(); }); }
  STDMETHODIMP checkForCD(VARIANT_BOOL* result) override { return runMemberReturning(result, [&] { return coreObject().checkForCD(); }); }
  STDMETHODIMP checkCDDrive(BSTR* drive, VARIANT_BOOL* result) override {
    return runMemberReturning(result, [&] { return coreObject().checkCDDrive(fromAbi(callerVariable(drive))); });
  }
  STDMETHODIMP startCD(BSTR* cdDrive, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().startCD(WriteBackArgument<std::u16string, BSTR>(cdDrive)); }));
  }
  STDMETHODIMP playCD(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().playCD(); })); }
  STDMETHODIMP seekToBeginning(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().seekToBeginning(); })); }
  STDMETHODIMP seekToEnd(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().seekToEnd(); })); }
  STDMETHODIMP stopCD(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().stopCD(); })); }
  STDMETHODIMP closeAll(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().closeAll(); })); }
  STDMETHODIMP getCurrentTrack(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().getCurrentTrack(); }); }
  STDMETHODIMP getPositionSeconds(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().getPositionSeconds(); }); }
  STDMETHODIMP getPositionFrames(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().getPositionFrames(); }); }
  STDMETHODIMP getPositionMSF(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().getPositionMSF(); }); }
  STDMETHODIMP getPositionMS(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().getPositionMS(); }); }
  STDMETHODIMP getPositionTMSF(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().getPositionTMSF(); }); }
  STDMETHODIMP getTimeFormat(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().getTimeFormat(); }); }
  STDMETHODIMP setDoorOpen(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().setDoorOpen(); })); }
  STDMETHODIMP setDoorClosed(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().setDoorClosed(); })); }
  STDMETHODIMP getNumberTracks(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().getNumberTracks(); }); }
  STDMETHODIMP setTrack(LONG* track, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().setTrack(fromAbi(callerVariable(track))); }));
  }
  STDMETHODIMP pauseCD(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().pauseCD(); })); }
  STDMETHODIMP resumeCD(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().resumeCD(); })); }
  STDMETHODIMP fastForward(LONG* seconds, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().fastForward(fromAbi(callerVariable(seconds))); }));
  }
  STDMETHODIMP fastRewind(LONG* seconds, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().fastRewind(fromAbi(callerVariable(seconds))); }));
  }
  STDMETHODIMP isPlaying(VARIANT_BOOL* result) override { return runMemberReturning(result, [&] { return coreObject().isPlaying(); }); }
  STDMETHODIMP trackLengthMS(LONG* track, LONG* result) override {
    return runMemberReturning(result, [&] { return coreObject().trackLengthMS(fromAbi(callerVariable(track))); });
  }
  STDMETHODIMP cdLengthMS(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().cdLengthMS(); }); }
  STDMETHODIMP cdLengthMSF(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().cdLengthMSF(); }); }
  STDMETHODIMP cdLengthSeconds(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().cdLengthSeconds(); }); }
  STDMETHODIMP trackLengthMSF(LONG* track, BSTR* result) override {
    return runMemberReturning(result, [&] { return coreObject().trackLengthMSF(fromAbi(callerVariable(track))); });
  }
  STDMETHODIMP trackLengthSeconds(LONG* track, LONG* result) override {
    return runMemberReturning(result, [&] { return coreObject().trackLengthSeconds(fromAbi(callerVariable(track))); });
  }
  STDMETHODIMP setAudioOff(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().setAudioOff(); })); }
  STDMETHODIMP setAudioOn(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().setAudioOn(); })); }
  STDMETHODIMP nextTrack(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().nextTrack(); })); }
  STDMETHODIMP prevTrack(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().prevTrack(); })); }
};

}  // namespace

IUnknown* create_clsVxAudoCDPlayerB() { return CDPlayerBObject::create(); }

}  // namespace orvalis::com
