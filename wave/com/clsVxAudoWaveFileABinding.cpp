// The dual interface _clsVxAudoWaveFileA over the wave file logic: each
// vtable member forwards to the core in one line.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "wave/clsVxAudoWaveFileA.h"

namespace orvalis::com {

namespace {

class WaveFileAObject final
    : public AutomationObject<WaveFileAObject, _clsVxAudoWaveFileA, clsVxAudoWaveFileA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWaveFileA";

  STDMETHODIMP get_Filename(BSTR* result) override { return call(result, [&]() -> const auto& { return core().Filename; }); }
  STDMETHODIMP put_Filename(BSTR value) override { return call([&] { core().Filename = in(value); }); }
  STDMETHODIMP CreateWaveArray(SAFEARRAY** WaveData, LONG* SampleRate, LONG* BitsPerSample,
                               SAFEARRAY** result) override {
    return call(result, [&] { return core().CreateWaveArray(inLongArray(ref(WaveData)), in(ref(SampleRate)), in(ref(BitsPerSample))); });
  }
  STDMETHODIMP WriteWave(BSTR* Path, SAFEARRAY** WaveArray) override {
    return call([&] { core().WriteWave(in(ref(Path)), inByteArray(ref(WaveArray))); });
  }
  STDMETHODIMP PlaySound(SoundSndAudoConstants* lSndConstValue, LONG* result) override {
    return call(result, [&] { return core().PlaySound(inOptional(flags(lSndConstValue))); });
  }
  STDMETHODIMP PlaySoundFromResourceFile(VARIANT* ResNameID, VARIANT* ResType,
                                         SoundSndAudoConstants* lSndConstValue) override {
    return call([&] { core().PlaySoundFromResourceFile(in(ref(ResNameID)), inOptional(ResType), inOptional(flags(lSndConstValue))); });
  }
  STDMETHODIMP StopSound(LONG* result) override { return call(result, [&] { return core().StopSound(); }); }

 private:
  // The enumeration travels as a Long.
  static const LONG* flags(const SoundSndAudoConstants* value) { return reinterpret_cast<const LONG*>(value); }
};

}  // namespace

IUnknown* create_clsVxAudoWaveFileA() { return WaveFileAObject::create(); }

}  // namespace orvalis::com
