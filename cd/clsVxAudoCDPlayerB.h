// CD player B: opens the CD audio device of a chosen drive under the alias
// "cd" and drives it through the MCI command-string service: transport,
// door, audio, tracks, positions and lengths in several time formats.
//
// The object keeps the return code of its latest MCI call and one reply
// field shared by every status query; it never tests either. The device, its
// time format and its open state belong to the MCI service and are shared
// with every other object of the process that uses the alias "cd".
//
// No member has an error handler except getNumberTracks: runtime errors go
// back to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/FixedText.h"
#include "frame/Platform.h"
#include "mci/MciChannel.h"

namespace orvalis {

class clsVxAudoCDPlayerB {
 public:
  explicit clsVxAudoCDPlayerB(Platform& platform);

  // The object's state. Every command and status query overwrites
  // lastMciError; mciReply receives every status reply and is never cleared,
  // so a shorter reply leaves the tail of an older one behind its NUL.
  int32_t lastMciError = 0;
  FixedText mciReply{128};

  // Device, transport and tracks.
  std::u16string checkError();
  bool checkForCD();
  bool checkCDDrive(const std::u16string& drive);
  void startCD(std::u16string& cdDrive);
  void playCD();
  void seekToBeginning();
  void seekToEnd();
  void stopCD();
  void closeAll();
  int32_t getCurrentTrack();
  void setDoorOpen();
  void setDoorClosed();
  int32_t getNumberTracks();
  void setTrack(int32_t track);
  void pauseCD();
  void resumeCD();
  void setAudioOff();
  void setAudioOn();
  void nextTrack();
  void prevTrack();

  // Positions, lengths and time formats.
  int32_t getPositionSeconds();
  int32_t getPositionFrames();
  std::u16string getPositionMSF();
  int32_t getPositionMS();
  std::u16string getPositionTMSF();
  std::u16string getTimeFormat();
  void fastForward(int32_t seconds);
  void fastRewind(int32_t seconds);
  bool isPlaying();
  int32_t trackLengthMS(int32_t track);
  int32_t cdLengthMS();
  std::u16string cdLengthMSF();
  int32_t cdLengthSeconds();
  std::u16string trackLengthMSF(int32_t track);
  int32_t trackLengthSeconds(int32_t track);

 private:
  void command(std::u16string_view text);
  const std::u16string& query(std::u16string_view text);
  int32_t number(std::u16string_view timeFormat, std::u16string_view status);
  const std::u16string& text(std::u16string_view timeFormat, std::u16string_view status);
  void playTrack(int32_t track);
  void skip(int32_t seconds, int direction);

  Runtime& runtime_;
  Drives& drives_;
  MciChannel mci_;
};

}  // namespace orvalis
