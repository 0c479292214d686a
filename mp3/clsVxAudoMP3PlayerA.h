// MP3 player A: plays one media file through the MCI command-string
// service under its quoted path (`TheFile`, made from `MP3File`), reports
// position and length as Variants of member-specific subtypes and clock
// texts, and loads and saves playlists in host list objects.
//
// Errors are skipped step by step: a step that raises a runtime error is
// left out and the member goes on with its next step, showing nothing and
// reporting nothing. MP3Play has no handler at all, and GetLastBackSlash and
// ListNoChar pass their errors to the caller.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/FixedText.h"
#include "frame/HostObject.h"
#include "frame/Platform.h"
#include "frame/Variant.h"
#include "mci/MciChannel.h"

namespace orvalis {

class clsVxAudoMP3PlayerA {
 public:
  explicit clsVxAudoMP3PlayerA(Platform& platform);

  // The file to play, as the host set it.
  std::u16string MP3File;
  // The device name of every command: MP3File trimmed and quoted. Most
  // members refresh it first; a host may also set it directly.
  std::u16string TheFile;

  // Playback.
  void MP3Play();
  void MP3Stop();
  void MP3Pause();
  void MP3Resume();
  bool MP3Playing();

  // Position and duration.
  Variant MP3ChangePositionTo(Variant& Second);
  Variant MP3PositionInSec();
  Variant MP3PositionInMS();
  Variant MP3Position();
  Variant MP3Duration();
  Variant MP3DurationInSec();
  Variant MP3DurationInMs();

  // Playlists and list utilities. The playlist members' `TheFile` is the
  // playlist's path, not the device name of the same name.
  std::u16string GetLastBackSlash(const std::u16string& text);
  void ListNoChar(const ObjectRef& List1, const ObjectRef& List2);
  Variant MP3OpenPlayList(const std::u16string& TheFile, const Variant& TheListBox);
  Variant MP3SavePlayList(const std::u16string& TheFile, const Variant& TheListBox);

 private:
  void refreshDeviceName();
  void queryPosition(FixedText& reply);
  void queryLength(FixedText& reply);
  std::u16string MP3FormatTime(int32_t milliseconds);
  std::u16string LeftOfLast(const std::u16string& text, const std::u16string& mark);
  uint32_t sendToDevice(std::u16string_view verb, std::u16string_view rest = {},
                        std::u16string_view preparedReply = u"0");
  uint32_t sendToDevice(std::u16string_view verb, std::u16string_view rest, FixedText& reply);

  Platform& platform_;
  Runtime& runtime_;
  MciChannel mci_;
  // One reply field per member, kept (never cleared) for the object's life.
  FixedText ModeReply{30};
  FixedText PositionSecReply{30};
  FixedText PositionMsReply{30};
  FixedText PositionTextReply{30};
};

}  // namespace orvalis
