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

  STDMETHODIMP get_Filename(BSTR* result) override { return runMemberReturning(result, [&]() -> const auto& { return coreObject().Filename; }); }
  STDMETHODIMP put_Filename(BSTR value) override { return runMember([&] { coreObject().Filename = fromAbi(value); }); }
  STDMETHODIMP CreateWaveArray(SAFEARRAY** WaveData, LONG* SampleRate, LONG* BitsPerSample,
                               SAFEARRAY** result) override {
    return runMemberReturning(result, [&] { return coreObject().CreateWaveArray(fromAbiLongArray(callerVariable(WaveData)), fromAbi(callerVariable(SampleRate)), fromAbi(callerVariable(BitsPerSample))); });
  }
  STDMETHODIMP WriteWave(BSTR* Path, SAFEARRAY** WaveArray) override {
    return runMember([&] { coreObject().WriteWave(fromAbi(callerVariable(Path)), fromAbiByteArray(callerVariable(WaveArray))); });
  }
  STDMETHODIMP PlaySound(SoundSndAudoConstants* lSndConstValue, LONG* result) override {
    return runMemberReturning(result, [&] { return coreObject().PlaySound(fromAbiOptional(flags(lSndConstValue))); });
  }
  STDMETHODIMP PlaySoundFromResourceFile(VARIANT* ResNameID, VARIANT* ResType,
                                         SoundSndAudoConstants* lSndConstValue) override {
    return runMember([&] { coreObject().PlaySoundFromResourceFile(fromAbi(callerVariable(ResNameID)), fromAbiOptional(ResType), fromAbiOptional(flags(lSndConstValue))); });
  }
  STDMETHODIMP StopSound(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().StopSound(); }); }

 private:
  // The enumeration travels as a Long.
  static const LONG* flags(const SoundSndAudoConstants* value) { return reinterpret_cast<const LONG*>(value); }
};

}  // namespace

IUnknown* create_clsVxAudoWaveFileA() { return WaveFileAObject::create(); }

}  // namespace orvalis::com
