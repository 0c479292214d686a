// MP3 player B: plays one media file through the MCI command-string service,
// addressing the device by the file name itself (quoted by Play), and reports
// position, duration and remaining time as numbers and clock texts.
//
// Nearly every member runs under the message-box error handler: a runtime
// error shows its description titled " Error" and the member returns 0, the
// empty text or False.
#pragma once

#include <cstdint>
#include <string>

#include "frame/FixedText.h"
#include "frame/HostObject.h"
#include "frame/Platform.h"
#include "frame/Variant.h"
#include "mci/MciChannel.h"

namespace orvalis {

class clsVxAudoMP3PlayerB {
 public:
  explicit clsVxAudoMP3PlayerB(Platform& platform);

  // The file to play as the host set it; after Play, the device name in its
  // quoted form. Every command addresses the device by this text unchanged.
  std::u16string Filename;

  // Transport.
  void Play();
  void StopPlay();
  void Pause();
  void ResumePlay();
  bool isPlaying();
  // Waits while the thread's messages flow; `duration` is read through the
  // caller's variable on every turn.
  void TimeOut(const VariantReference& duration);
  void TimeOut(const Variant& duration) {
    TimeOut([&duration] { return duration; });
  }

  // Position, duration and remaining time.
  int32_t PositioninMS();
  int32_t PositioninSec();
  std::u16string FormatPosition();
  void ChangePosition(int32_t& TheSecond);
  int32_t DurationInMS();
  int32_t DurationInSec();
  std::u16string FormatDuration();
  int32_t TimeRemaininginMS();
  int32_t TimeRemaininginSec();
  std::u16string FormatTimeRemaining();
  bool EndOfSong();

  // Playlists in host list objects.
  void OpenPlaylist(const std::u16string& TheList, const ObjectRef& Listbox);
  void SavePlaylist(const std::u16string& TheList, const ObjectRef& Listbox);
  void ListNoChar(const ObjectRef& List1, const ObjectRef& List2);
  void ListSingleNoChar(const Variant& List1, const Variant& List2);

  // Services around the host's player form.
  void MyAppDefault(const std::u16string& sAppName, const std::u16string& sEXE,
                    const std::u16string& sExt);
  void FormMove(const ObjectRef& Frm);

 private:
  std::u16string FormatMilliseconds(int32_t milliseconds);
  std::u16string StripPath(const std::u16string& text);
  std::u16string LeftOfLast(const std::u16string& text, const std::u16string& mark);
  std::u16string displayName(const std::u16string& entry);
  void setRegistryDefault(const std::string& key, std::string data);
  uint32_t sendToDevice(std::u16string_view verb, std::u16string_view rest = {});
  uint32_t sendToDevice(std::u16string_view verb, std::u16string_view rest, FixedText& reply);

  Platform& platform_;
  Runtime& runtime_;
  MciChannel mci_;
  FixedText PositionReply{30};
  FixedText FormatPositionReply{30};
};

}  // namespace orvalis
