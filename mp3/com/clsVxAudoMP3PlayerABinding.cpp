// The dual interface _clsVxAudoMP3PlayerA over the player's logic: each
// vtable member forwards to the core in one line.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "mp3/clsVxAudoMP3PlayerA.h"

namespace orvalis::com {

namespace {

class MP3PlayerAObject final
    : public AutomationObject<MP3PlayerAObject, _clsVxAudoMP3PlayerA, clsVxAudoMP3PlayerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoMP3PlayerA";

  STDMETHODIMP get_MP3File(BSTR* result) override { return runMemberReturning(result, [&] { return coreObject().MP3File; }); }
  STDMETHODIMP put_MP3File(BSTR value) override { return runMember([&] { coreObject().MP3File = fromAbi(value); }); }
  STDMETHODIMP get_TheFile(BSTR* result) override { return runMemberReturning(result, [&]() -> const auto& { return coreObject().TheFile; }); }
  STDMETHODIMP put_TheFile(BSTR value) override { return runMember([&] { coreObject().TheFile = fromAbi(value); }); }
  STDMETHODIMP GetLastBackSlash(BSTR* text, BSTR* result) override {
    return runMemberReturning(result, [&] { return coreObject().GetLastBackSlash(fromAbi(callerVariable(text))); });
  }
  STDMETHODIMP ListNoChar(IDispatch** List1, IDispatch** List2) override {
    return runMember([&] { coreObject().ListNoChar(fromAbi(callerVariable(List1)), fromAbi(callerVariable(List2))); });
  }
  STDMETHODIMP MP3Playing(VARIANT_BOOL* result) override { return runMemberReturning(result, [&] { return coreObject().MP3Playing(); }); }
  STDMETHODIMP MP3ChangePositionTo(VARIANT* Second, VARIANT* result) override {
    return runMemberReturning(result, [&] { return coreObject().MP3ChangePositionTo(WriteBackArgument<Variant, VARIANT>(Second)); });
  }
  STDMETHODIMP MP3PositionInSec(VARIANT* result) override { return runMemberReturning(result, [&] { return coreObject().MP3PositionInSec(); }); }
  STDMETHODIMP MP3PositionInMS(VARIANT* result) override { return runMemberReturning(result, [&] { return coreObject().MP3PositionInMS(); }); }
  STDMETHODIMP MP3Duration(VARIANT* result) override { return runMemberReturning(result, [&] { return coreObject().MP3Duration(); }); }
  STDMETHODIMP MP3DurationInSec(VARIANT* result) override { return runMemberReturning(result, [&] { return coreObject().MP3DurationInSec(); }); }
  STDMETHODIMP MP3DurationInMs(VARIANT* result) override { return runMemberReturning(result, [&] { return coreObject().MP3DurationInMs(); }); }
  STDMETHODIMP MP3Position(VARIANT* result) override { return runMemberReturning(result, [&] { return coreObject().MP3Position(); }); }
  STDMETHODIMP MP3OpenPlayList(BSTR* TheFile, VARIANT* TheListBox, VARIANT* result) override {
    return runMemberReturning(result, [&] { return coreObject().MP3OpenPlayList(fromAbi(callerVariable(TheFile)), fromAbi(callerVariable(TheListBox))); });
  }
  STDMETHODIMP MP3SavePlayList(BSTR* TheFile, VARIANT* TheListBox, VARIANT* result) override {
    return runMemberReturning(result, [&] { return coreObject().MP3SavePlayList(fromAbi(callerVariable(TheFile)), fromAbi(callerVariable(TheListBox))); });
  }
  STDMETHODIMP MP3Play() override { return runMember([&] { coreObject().MP3Play(); }); }
  STDMETHODIMP MP3Stop() override { return runMember([&] { coreObject().MP3Stop(); }); }
  STDMETHODIMP MP3Resume() override { return runMember([&] { coreObject().MP3Resume(); }); }
  STDMETHODIMP MP3Pause() override { return runMember([&] { coreObject().MP3Pause(); }); }
};

}  // namespace

IUnknown* create_clsVxAudoMP3PlayerA() { return MP3PlayerAObject::create(); }

}  // namespace orvalis::com
