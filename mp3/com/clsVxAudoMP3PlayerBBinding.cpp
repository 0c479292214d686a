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

  STDMETHODIMP get_Filename(BSTR* result) override { return runMemberReturning(result, [&]() -> const auto& { return coreObject().Filename; }); }
  STDMETHODIMP put_Filename(BSTR value) override { return runMember([&] { coreObject().Filename = fromAbi(value); }); }
  STDMETHODIMP TimeOut(VARIANT* duration) override { return runMember([&] { coreObject().TimeOut(fromAbiReference(duration)); }); }
  STDMETHODIMP Play() override { return runMember([&] { coreObject().Play(); }); }
  STDMETHODIMP MyAppDefault(BSTR sAppName, BSTR sEXE, BSTR sExt) override {
    return runMember([&] { coreObject().MyAppDefault(fromAbi(sAppName), fromAbi(sEXE), fromAbi(sExt)); });
  }
  STDMETHODIMP EndOfSong(VARIANT_BOOL* result) override { return runMemberReturning(result, [&] { return coreObject().EndOfSong(); }); }
  STDMETHODIMP FormMove(IDispatch** Frm) override { return runMember([&] { coreObject().FormMove(fromAbi(callerVariable(Frm))); }); }
  STDMETHODIMP OpenPlaylist(BSTR* TheList, IDispatch** Listbox) override {
    return runMember([&] { coreObject().OpenPlaylist(fromAbi(callerVariable(TheList)), fromAbi(callerVariable(Listbox))); });
  }
  STDMETHODIMP TimeRemaininginMS(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().TimeRemaininginMS(); }); }
  STDMETHODIMP TimeRemaininginSec(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().TimeRemaininginSec(); }); }
  STDMETHODIMP FormatTimeRemaining(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().FormatTimeRemaining(); }); }
  STDMETHODIMP ListNoChar(IDispatch** List1, IDispatch** List2) override {
    return runMember([&] { coreObject().ListNoChar(fromAbi(callerVariable(List1)), fromAbi(callerVariable(List2))); });
  }
  STDMETHODIMP ListSingleNoChar(VARIANT* List1, VARIANT* List2) override {
    return runMember([&] { coreObject().ListSingleNoChar(fromAbi(callerVariable(List1)), fromAbi(callerVariable(List2))); });
  }
  STDMETHODIMP SavePlaylist(BSTR* TheList, IDispatch** Listbox) override {
    return runMember([&] { coreObject().SavePlaylist(fromAbi(callerVariable(TheList)), fromAbi(callerVariable(Listbox))); });
  }
  STDMETHODIMP PositioninMS(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().PositioninMS(); }); }
  STDMETHODIMP PositioninSec(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().PositioninSec(); }); }
  STDMETHODIMP FormatPosition(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().FormatPosition(); }); }
  STDMETHODIMP ChangePosition(LONG* TheSecond) override {
    return runMember([&] { coreObject().ChangePosition(WriteBackArgument<int32_t, LONG>(TheSecond)); });
  }
  STDMETHODIMP StopPlay() override { return runMember([&] { coreObject().StopPlay(); }); }
  STDMETHODIMP Pause() override { return runMember([&] { coreObject().Pause(); }); }
  STDMETHODIMP DurationInMS(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().DurationInMS(); }); }
  STDMETHODIMP FormatDuration(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().FormatDuration(); }); }
  STDMETHODIMP DurationInSec(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().DurationInSec(); }); }
  STDMETHODIMP ResumePlay() override { return runMember([&] { coreObject().ResumePlay(); }); }
  STDMETHODIMP isPlaying(VARIANT_BOOL* result) override { return runMemberReturning(result, [&] { return coreObject().isPlaying(); }); }
};

}  // namespace

IUnknown* create_clsVxAudoMP3PlayerB() { return MP3PlayerBObject::create(); }

}  // namespace orvalis::com
