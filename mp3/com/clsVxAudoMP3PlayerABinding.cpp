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

  STDMETHODIMP get_MP3File(BSTR* result) override { return call(result, [&] { return core().MP3File; }); }
  STDMETHODIMP put_MP3File(BSTR value) override { return call([&] { core().MP3File = in(value); }); }
  STDMETHODIMP get_TheFile(BSTR* result) override { return call(result, [&]() -> const auto& { return core().TheFile; }); }
  STDMETHODIMP put_TheFile(BSTR value) override { return call([&] { core().TheFile = in(value); }); }
  STDMETHODIMP GetLastBackSlash(BSTR* text, BSTR* result) override {
    return call(result, [&] { return core().GetLastBackSlash(in(ref(text))); });
  }
  STDMETHODIMP ListNoChar(IDispatch** List1, IDispatch** List2) override {
    return call([&] { core().ListNoChar(in(ref(List1)), in(ref(List2))); });
  }
  STDMETHODIMP MP3Playing(VARIANT_BOOL* result) override { return call(result, [&] { return core().MP3Playing(); }); }
  STDMETHODIMP MP3ChangePositionTo(VARIANT* Second, VARIANT* result) override {
    return call(result, [&] { return core().MP3ChangePositionTo(InOut<Variant, VARIANT>(Second)); });
  }
  STDMETHODIMP MP3PositionInSec(VARIANT* result) override { return call(result, [&] { return core().MP3PositionInSec(); }); }
  STDMETHODIMP MP3PositionInMS(VARIANT* result) override { return call(result, [&] { return core().MP3PositionInMS(); }); }
  STDMETHODIMP MP3Duration(VARIANT* result) override { return call(result, [&] { return core().MP3Duration(); }); }
  STDMETHODIMP MP3DurationInSec(VARIANT* result) override { return call(result, [&] { return core().MP3DurationInSec(); }); }
  STDMETHODIMP MP3DurationInMs(VARIANT* result) override { return call(result, [&] { return core().MP3DurationInMs(); }); }
  STDMETHODIMP MP3Position(VARIANT* result) override { return call(result, [&] { return core().MP3Position(); }); }
  STDMETHODIMP MP3OpenPlayList(BSTR* TheFile, VARIANT* TheListBox, VARIANT* result) override {
    return call(result, [&] { return core().MP3OpenPlayList(in(ref(TheFile)), in(ref(TheListBox))); });
  }
  STDMETHODIMP MP3SavePlayList(BSTR* TheFile, VARIANT* TheListBox, VARIANT* result) override {
    return call(result, [&] { return core().MP3SavePlayList(in(ref(TheFile)), in(ref(TheListBox))); });
  }
  STDMETHODIMP MP3Play() override { return call([&] { core().MP3Play(); }); }
  STDMETHODIMP MP3Stop() override { return call([&] { core().MP3Stop(); }); }
  STDMETHODIMP MP3Resume() override { return call([&] { core().MP3Resume(); }); }
  STDMETHODIMP MP3Pause() override { return call([&] { core().MP3Pause(); }); }
};

}  // namespace

IUnknown* create_clsVxAudoMP3PlayerA() { return MP3PlayerAObject::create(); }

}  // namespace orvalis::com
