// CD player A: the simpler CD player. It opens the default CD audio device
// under the alias "cd", counts by track, minute, second and frame, and
// discards every return code of the MCI service. Each status query reads
// into a fresh buffer of its own, so no older reply shows through.
//
// No member has an error handler: a reply that is no number (as when no
// device is open) raises the type-mismatch error to the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "frame/Platform.h"
#include "mci/MciChannel.h"

namespace orvalis {

class clsVxAudoCDPlayerA {
 public:
  explicit clsVxAudoCDPlayerA(Platform& platform);

  void StartPlay();
  void setTrack(int16_t track);
  void StopPlay();
  void PausePlay();
  void EjectCD();
  void CloseCD();
  void UnloadAll();
  void SetCDPlayerReady();
  void SetFormat_tmsf();
  void SetFormat_milliseconds();
  int16_t CheckCD();
  int16_t GetNumTracks();
  std::u16string GetCDLength();
  std::u16string GetTrackLength(int16_t TrackNum);
  void GetCDPosition(int16_t& track, int16_t& Min, int16_t& Sec);
  int16_t CheckIfPlaying();
  void SeekCDtoX(int16_t track);
  void ReadyDevice();
  void fastForward(int16_t Spd);
  void ReWind(int16_t Spd);

 private:
  void send(std::u16string_view command);
  std::u16string query(std::u16string_view command, std::size_t length = 30);
  void skip(int16_t Spd, int direction);

  MciChannel mci_;
};

}  // namespace orvalis
