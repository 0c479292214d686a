// The dual interface _clsVxAudoCDPlayerA over CD player A's logic: each
// vtable member forwards to the core in one line.
#include "cd/clsVxAudoCDPlayerA.h"
#include "cd/com/EmptyResult.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"

namespace orvalis::com {

namespace {

class CDPlayerAObject final
    : public AutomationObject<CDPlayerAObject, _clsVxAudoCDPlayerA, clsVxAudoCDPlayerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDPlayerA";

  STDMETHODIMP StartPlay(VARIANT* result) override { return call(result, emptyResult([&] { core().StartPlay(); })); }
  STDMETHODIMP setTrack(short* track, VARIANT* result) override {
    return call(result, emptyResult([&] { core().setTrack(in(ref(track))); }));
  }
  STDMETHODIMP StopPlay(VARIANT* result) override { return call(result, emptyResult([&] { core().StopPlay(); })); }
  STDMETHODIMP PausePlay(VARIANT* result) override { return call(result, emptyResult([&] { core().PausePlay(); })); }
  STDMETHODIMP EjectCD(VARIANT* result) override { return call(result, emptyResult([&] { core().EjectCD(); })); }
  STDMETHODIMP CloseCD(VARIANT* result) override { return call(result, emptyResult([&] { core().CloseCD(); })); }
  STDMETHODIMP UnloadAll(VARIANT* result) override { return call(result, emptyResult([&] { core().UnloadAll(); })); }
  STDMETHODIMP SetCDPlayerReady(VARIANT* result) override { return call(result, emptyResult([&] { core().SetCDPlayerReady(); })); }
  STDMETHODIMP SetFormat_tmsf(VARIANT* result) override { return call(result, emptyResult([&] { core().SetFormat_tmsf(); })); }
  STDMETHODIMP SetFormat_milliseconds(VARIANT* result) override {
    return call(result, emptyResult([&] { core().SetFormat_milliseconds(); }));
  }
  STDMETHODIMP CheckCD(short* result) override { return call(result, [&] { return core().CheckCD(); }); }
  STDMETHODIMP GetNumTracks(short* result) override { return call(result, [&] { return core().GetNumTracks(); }); }
  STDMETHODIMP GetCDLength(BSTR* result) override { return call(result, [&] { return core().GetCDLength(); }); }
  STDMETHODIMP GetTrackLength(short* TrackNum, BSTR* result) override {
    return call(result, [&] { return core().GetTrackLength(in(ref(TrackNum))); });
  }
  // Each output is written back even when a later one fails.
  STDMETHODIMP GetCDPosition(short* track, short* Min, short* Sec) override {
    return call([&] {
      core().GetCDPosition(InOut<int16_t, SHORT>(track), InOut<int16_t, SHORT>(Min), InOut<int16_t, SHORT>(Sec));
    });
  }
  STDMETHODIMP CheckIfPlaying(short* result) override { return call(result, [&] { return core().CheckIfPlaying(); }); }
  STDMETHODIMP SeekCDtoX(short* track, VARIANT* result) override {
    return call(result, emptyResult([&] { core().SeekCDtoX(in(ref(track))); }));
  }
  STDMETHODIMP ReadyDevice(VARIANT* result) override { return call(result, emptyResult([&] { core().ReadyDevice(); })); }
  STDMETHODIMP fastForward(short* Spd, VARIANT* result) override {
    return call(result, emptyResult([&] { core().fastForward(in(ref(Spd))); }));
  }
  STDMETHODIMP ReWind(short* Spd, VARIANT* result) override {
    return call(result, emptyResult([&] { core().ReWind(in(ref(Spd))); }));
  }
};

}  // namespace

IUnknown* create_clsVxAudoCDPlayerA() { return CDPlayerAObject::create(); }

}  // namespace orvalis::com
