// The dual interface _clsVxAudoCDPlayerA over CD player A's logic: each
// vtable member forwards to the core in one line.
#include "cd/clsVxAudoCDPlayerA.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/com/EmptyResult.h"

namespace orvalis::com {

namespace {

class CDPlayerAObject final
    : public AutomationObject<CDPlayerAObject, _clsVxAudoCDPlayerA, clsVxAudoCDPlayerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDPlayerA";

  STDMETHODIMP StartPlay(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().StartPlay(); })); }
  STDMETHODIMP setTrack(short* track, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().setTrack(fromAbi(callerVariable(track))); }));
  }
  STDMETHODIMP StopPlay(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().StopPlay(); })); }
  STDMETHODIMP PausePlay(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().PausePlay(); })); }
  STDMETHODIMP EjectCD(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().EjectCD(); })); }
  STDMETHODIMP CloseCD(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().CloseCD(); })); }
  STDMETHODIMP UnloadAll(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().UnloadAll(); })); }
  STDMETHODIMP SetCDPlayerReady(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().SetCDPlayerReady(); })); }
  STDMETHODIMP SetFormat_tmsf(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().SetFormat_tmsf(); })); }
  STDMETHODIMP SetFormat_milliseconds(VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().SetFormat_milliseconds(); }));
  }
  STDMETHODIMP CheckCD(short* result) override { return runMemberReturning(result, [&] { return coreObject().CheckCD(); }); }
  STDMETHODIMP GetNumTracks(short* result) override { return runMemberReturning(result, [&] { return coreObject().GetNumTracks(); }); }
  STDMETHODIMP GetCDLength(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().GetCDLength(); }); }
  STDMETHODIMP GetTrackLength(short* TrackNum, BSTR* result) override {
    return runMemberReturning(result, [&] { return coreObject().GetTrackLength(fromAbi(callerVariable(TrackNum))); });
  }
  // Each output is written back even when a later one fails.
  STDMETHODIMP GetCDPosition(short* track, short* Min, short* Sec) override {
    return runMember([&] {
      coreObject().GetCDPosition(WriteBackArgument<int16_t, SHORT>(track), WriteBackArgument<int16_t, SHORT>(Min), WriteBackArgument<int16_t, SHORT>(Sec));
    });
  }
  STDMETHODIMP CheckIfPlaying(short* result) override { return runMemberReturning(result, [&] { return coreObject().CheckIfPlaying(); }); }
  STDMETHODIMP SeekCDtoX(short* track, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().SeekCDtoX(fromAbi(callerVariable(track))); }));
  }
  STDMETHODIMP ReadyDevice(VARIANT* result) override { return runMemberReturning(result, emptyResult([&] { coreObject().ReadyDevice(); })); }
  STDMETHODIMP fastForward(short* Spd, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().fastForward(fromAbi(callerVariable(Spd))); }));
  }
  STDMETHODIMP ReWind(short* Spd, VARIANT* result) override {
    return runMemberReturning(result, emptyResult([&] { coreObject().ReWind(fromAbi(callerVariable(Spd))); }));
  }
};

}  // namespace

IUnknown* create_clsVxAudoCDPlayerA() { return CDPlayerAObject::create(); }

}  // namespace orvalis::com
