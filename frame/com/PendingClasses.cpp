// Classes whose members are not built yet: they can be created and their
// type information dispatches, but every member answers E_NOTIMPL. Each
// class moves to a binding of its own when its logic lands.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"

namespace orvalis::com {

namespace {

template <class Binding, class Interface>
using PendingObject = AutomationObject<Binding, Interface, NoLogic>;

class clsVxAudoWMixerAPending final : public PendingObject<clsVxAudoWMixerAPending, _clsVxAudoWMixerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWMixerA";

  STDMETHODIMP get_NumSamples(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP put_NumSamples(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_drawFrom(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP put_drawFrom(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_drawTo(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP put_drawTo(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP get_fFileLoaded(VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP put_fFileLoaded(VARIANT_BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetMixerControl(LONG, LONG, LONG, MIXERCONTROL *, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP SetVolumeControl(LONG, MIXERCONTROL *, LONG, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP SetPANControl(LONG, MIXERCONTROL *, LONG, LONG, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP unSetMuteControl(LONG, MIXERCONTROL *, LONG, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP SetMuteControl(LONG, MIXERCONTROL *, VARIANT_BOOL *, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP GetVolumeControlValue(LONG, MIXERCONTROL *, LONG *) override { return E_NOTIMPL; }
};

class clsVxAudoMP3PlayerAPending final : public PendingObject<clsVxAudoMP3PlayerAPending, _clsVxAudoMP3PlayerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoMP3PlayerA";

  STDMETHODIMP get_MP3File(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP put_MP3File(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP get_TheFile(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP put_TheFile(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP GetLastBackSlash(BSTR *, BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP ListNoChar(IDispatch **, IDispatch **) override { return E_NOTIMPL; }
  STDMETHODIMP MP3Playing(VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3ChangePositionTo(VARIANT *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3PositionInSec(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3PositionInMS(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3Duration(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3DurationInSec(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3DurationInMs(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3Position(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3OpenPlayList(BSTR *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3SavePlayList(BSTR *, VARIANT *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP MP3Play() override { return E_NOTIMPL; }
  STDMETHODIMP MP3Stop() override { return E_NOTIMPL; }
  STDMETHODIMP MP3Resume() override { return E_NOTIMPL; }
  STDMETHODIMP MP3Pause() override { return E_NOTIMPL; }
};

class clsVxAudoWaveFileAPending final : public PendingObject<clsVxAudoWaveFileAPending, _clsVxAudoWaveFileA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWaveFileA";

  STDMETHODIMP get_Filename(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP put_Filename(BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP CreateWaveArray(SAFEARRAY **, LONG *, LONG *, SAFEARRAY **) override { return E_NOTIMPL; }
  STDMETHODIMP WriteWave(BSTR *, SAFEARRAY **) override { return E_NOTIMPL; }
  STDMETHODIMP PlaySound(SoundSndAudoConstants *, LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP PlaySoundFromResourceFile(VARIANT *, VARIANT *, SoundSndAudoConstants *) override { return E_NOTIMPL; }
  STDMETHODIMP StopSound(LONG *) override { return E_NOTIMPL; }
};

class clsVxAudoWMixerBPending final : public PendingObject<clsVxAudoWMixerBPending, _clsVxAudoWMixerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoWMixerB";

  STDMETHODIMP OpenMixer(LONG, LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP CloseMixer(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP SetVolume(VOL_CONTROL *, LONG, LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP GetVolume(VOL_CONTROL *, LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP SetMute(MUTE_CONTROL *, VARIANT_BOOL, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP GetMute(MUTE_CONTROL *, VARIANT_BOOL *) override { return E_NOTIMPL; }
};

class clsVxAudoCDRomAPending final : public PendingObject<clsVxAudoCDRomAPending, _clsVxAudoCDRomA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDRomA";

  STDMETHODIMP CDRomsCollection(VARIANT *, _Collection **) override { return E_NOTIMPL; }
  STDMETHODIMP Eject(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP Load(LONG *) override { return E_NOTIMPL; }
};

class clsVxAudoCDPlayerAPending final : public PendingObject<clsVxAudoCDPlayerAPending, _clsVxAudoCDPlayerA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDPlayerA";

  STDMETHODIMP StartPlay(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP setTrack(short *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP StopPlay(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP PausePlay(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP EjectCD(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP CloseCD(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP UnloadAll(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP SetCDPlayerReady(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP SetFormat_tmsf(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP SetFormat_milliseconds(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP CheckCD(short *) override { return E_NOTIMPL; }
  STDMETHODIMP GetNumTracks(short *) override { return E_NOTIMPL; }
  STDMETHODIMP GetCDLength(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP GetTrackLength(short *, BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP GetCDPosition(short *, short *, short *) override { return E_NOTIMPL; }
  STDMETHODIMP CheckIfPlaying(short *) override { return E_NOTIMPL; }
  STDMETHODIMP SeekCDtoX(short *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP ReadyDevice(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP fastForward(short *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP ReWind(short *, VARIANT *) override { return E_NOTIMPL; }
};

class clsVxAudoCDPlayerBPending final : public PendingObject<clsVxAudoCDPlayerBPending, _clsVxAudoCDPlayerB> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDPlayerB";

  STDMETHODIMP checkError(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP checkForCD(VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP checkCDDrive(BSTR *, VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP startCD(BSTR *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP playCD(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP seekToBeginning(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP seekToEnd(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP stopCD(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP closeAll(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP getCurrentTrack(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP getPositionSeconds(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP getPositionFrames(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP getPositionMSF(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP getPositionMS(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP getPositionTMSF(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP getTimeFormat(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP setDoorOpen(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP setDoorClosed(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP getNumberTracks(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP setTrack(LONG *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP pauseCD(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP resumeCD(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP fastForward(LONG *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP fastRewind(LONG *, VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP isPlaying(VARIANT_BOOL *) override { return E_NOTIMPL; }
  STDMETHODIMP trackLengthMS(LONG *, LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP cdLengthMS(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP cdLengthMSF(BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP cdLengthSeconds(LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP trackLengthMSF(LONG *, BSTR *) override { return E_NOTIMPL; }
  STDMETHODIMP trackLengthSeconds(LONG *, LONG *) override { return E_NOTIMPL; }
  STDMETHODIMP setAudioOff(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP setAudioOn(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP nextTrack(VARIANT *) override { return E_NOTIMPL; }
  STDMETHODIMP prevTrack(VARIANT *) override { return E_NOTIMPL; }
};

}  // namespace

IUnknown* create_clsVxAudoWMixerA() { return clsVxAudoWMixerAPending::create(); }
IUnknown* create_clsVxAudoMP3PlayerA() { return clsVxAudoMP3PlayerAPending::create(); }
IUnknown* create_clsVxAudoWaveFileA() { return clsVxAudoWaveFileAPending::create(); }
IUnknown* create_clsVxAudoWMixerB() { return clsVxAudoWMixerBPending::create(); }
IUnknown* create_clsVxAudoCDRomA() { return clsVxAudoCDRomAPending::create(); }
IUnknown* create_clsVxAudoCDPlayerA() { return clsVxAudoCDPlayerAPending::create(); }
IUnknown* create_clsVxAudoCDPlayerB() { return clsVxAudoCDPlayerBPending::create(); }

}  // namespace orvalis::com
