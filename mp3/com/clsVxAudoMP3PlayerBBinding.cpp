// The dual interface _clsVxAudoMP3PlayerB over the player's logic: each
// vtable member forwards to the core in one line.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "mp3/clsVxAudoMP3PlayerB.h"

namespace orvalis::com {

namespace {

class MP3PlayerBObject final
    : public AutomationObject<MP3PlayerBObject, _clsVxAudoMP3PlayerB, clsVxAudoMP3PlayerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoMP3PlayerB";

  STDMETHODIMP get_Filename(BSTR* result) override { return call(result, [&]() -> const auto& { return core().Filename; }); }
  STDMETHODIMP put_Filename(BSTR value) override { return call([&] { core().Filename = in(value); }); }
  STDMETHODIMP TimeOut(VARIANT* duration) override { return call([&] { core().TimeOut(inReference(duration)); }); }
  STDMETHODIMP Play() override { return call([&] { core().Play(); }); }
  STDMETHODIMP MyAppDefault(BSTR sAppName, BSTR sEXE, BSTR sExt) override {
    return call([&] { core().MyAppDefault(in(sAppName), in(sEXE), in(sExt)); });
  }
  STDMETHODIMP EndOfSong(VARIANT_BOOL* result) override { return call(result, [&] { return core().EndOfSong(); }); }
  STDMETHODIMP FormMove(IDispatch** Frm) override { return call([&] { core().FormMove(in(ref(Frm))); }); }
  STDMETHODIMP OpenPlaylist(BSTR* TheList, IDispatch** Listbox) override {
    return call([&] { core().OpenPlaylist(in(ref(TheList)), in(ref(Listbox))); });
  }
  STDMETHODIMP TimeRemaininginMS(LONG* result) override { return call(result, [&] { return core().TimeRemaininginMS(); }); }
  STDMETHODIMP TimeRemaininginSec(LONG* result) override { return call(result, [&] { return core().TimeRemaininginSec(); }); }
  STDMETHODIMP FormatTimeRemaining(BSTR* result) override { return call(result, [&] { return core().FormatTimeRemaining(); }); }
  STDMETHODIMP ListNoChar(IDispatch** List1, IDispatch** List2) override {
    return call([&] { core().ListNoChar(in(ref(List1)), in(ref(List2))); });
  }
  STDMETHODIMP ListSingleNoChar(VARIANT* List1, VARIANT* List2) override {
    return call([&] { core().ListSingleNoChar(in(ref(List1)), in(ref(List2))); });
  }
  STDMETHODIMP SavePlaylist(BSTR* TheList, IDispatch** Listbox) override {
    return call([&] { core().SavePlaylist(in(ref(TheList)), in(ref(Listbox))); });
  }
  STDMETHODIMP PositioninMS(LONG* result) override { return call(result, [&] { return core().PositioninMS(); }); }
  STDMETHODIMP PositioninSec(LONG* result) override { return call(result, [&] { return core().PositioninSec(); }); }
  STDMETHODIMP FormatPosition(BSTR* result) override { return call(result, [&] { return core().FormatPosition(); }); }
  STDMETHODIMP ChangePosition(LONG* TheSecond) override {
    return call([&] { core().ChangePosition(InOut<int32_t, LONG>(TheSecond)); });
  }
  STDMETHODIMP StopPlay() override { return call([&] { core().StopPlay(); }); }
  STDMETHODIMP Pause() override { return call([&] { core().Pause(); }); }
  STDMETHODIMP DurationInMS(LONG* result) override { return call(result, [&] { return core().DurationInMS(); }); }
  STDMETHODIMP FormatDuration(BSTR* result) override { return call(result, [&] { return core().FormatDuration(); }); }
  STDMETHODIMP DurationInSec(LONG* result) override { return call(result, [&] { return core().DurationInSec(); }); }
  STDMETHODIMP ResumePlay() override { return call([&] { core().ResumePlay(); }); }
  STDMETHODIMP isPlaying(VARIANT_BOOL* result) override { return call(result, [&] { return core().isPlaying(); }); }
};

}  // namespace

IUnknown* create_clsVxAudoMP3PlayerB() { return MP3PlayerBObject::create(); }

}  // namespace orvalis::com
