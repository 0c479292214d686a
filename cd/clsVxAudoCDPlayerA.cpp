#include "cd/clsVxAudoCDPlayerA.h"

#include "cd/CdReplies.h"
#include "frame/Conversion.h"
#include "frame/NumberReading.h"
#include "frame/FixedText.h"
#include "frame/Text.h"

namespace orvalis {

namespace {

// A reply (or a slice of one) read as a number by the runtime's text
// conversion: the text before the first NUL, blanks around it allowed;
// anything else, a Boolean word included, is a type mismatch.
double replyNumber(std::u16string_view reply) { return parseNumber(trimBlanks(textBeforeNul(reply))); }

int16_t replyInteger(std::u16string_view reply) { return toInteger(replyNumber(reply)); }

// Characters first..first+count-1 of a reply, counted from 1.
std::u16string_view field(std::u16string_view reply, std::size_t first, std::size_t count) {
  return reply.substr(first - 1, count);
}

// A number as the runtime's Str writes it: a leading blank where a minus
// sign would stand.
std::u16string strText(int16_t value) {
  return (value >= 0 ? u" " : u"") + decimalText(value);
}

}  // namespace

clsVxAudoCDPlayerA::clsVxAudoCDPlayerA(Platform& platform) : mci_(platform.mci) {}

void clsVxAudoCDPlayerA::send(std::u16string_view command) { mci_.send(command); }

std::u16string clsVxAudoCDPlayerA::query(std::u16string_view command, std::size_t length) {
  FixedText replyBuffer(length);
  mci_.send(command, replyBuffer);
  return replyBuffer.text();
}

// --- Plain commands -------------------------------------------------------------

void clsVxAudoCDPlayerA::StartPlay() { send(u"play cd"); }
void clsVxAudoCDPlayerA::StopPlay() { send(u"stop cd wait"); }
void clsVxAudoCDPlayerA::PausePlay() { send(u"pause cd"); }
void clsVxAudoCDPlayerA::EjectCD() { send(u"set cd door open"); }
void clsVxAudoCDPlayerA::CloseCD() { send(u"set cd door closed"); }
// Closes every device of the process, MP3 files included.
void clsVxAudoCDPlayerA::UnloadAll() { send(u"close all"); }
void clsVxAudoCDPlayerA::SetCDPlayerReady() { send(u"open cdaudio alias cd wait shareable"); }
void clsVxAudoCDPlayerA::SetFormat_tmsf() { send(u"set cd time format tmsf wait"); }
void clsVxAudoCDPlayerA::SetFormat_milliseconds() { send(u"set cd time format milliseconds"); }

// In the "tmsf" format that ReadyDevice sets, the number names a track.
void clsVxAudoCDPlayerA::setTrack(int16_t track) { send(u"seek cd to " + strText(track)); }

// --- Composites -----------------------------------------------------------------

void clsVxAudoCDPlayerA::ReadyDevice() {
  UnloadAll();
  SetCDPlayerReady();
  SetFormat_tmsf();
}

void clsVxAudoCDPlayerA::SeekCDtoX(int16_t track) {
  StopPlay();
  setTrack(track);
  StartPlay();
}

// --- Status queries ---------------------------------------------------------------

// The device answers the media query with a Boolean word, which reads as
// -1 or 0, the library's Boolean convention; any other reply is read as a
// number.
int16_t clsVxAudoCDPlayerA::CheckCD() {
  const std::u16string reply = query(u"status cd media present");
  if (const std::optional<bool> present = booleanWord(reply)) return *present ? kTrue : kFalse;
  return replyInteger(reply);
}

// Two digits at most: a disc has fewer than 100 tracks.
int16_t clsVxAudoCDPlayerA::GetNumTracks() {
  return replyInteger(field(query(u"status cd number of tracks wait"), 1, 2));
}

// The whole buffer: the reply in the device's current format, then NULs.
std::u16string clsVxAudoCDPlayerA::GetCDLength() { return query(u"status cd length wait"); }

std::u16string clsVxAudoCDPlayerA::GetTrackLength(int16_t TrackNum) {
  return query(u"status cd length track " + decimalText(TrackNum));
}

// Track, minutes and seconds of a "tmsf" reply tt:mm:ss:ff, each written as
// soon as it is read: when a later field is no number, the earlier outputs
// keep their new values.
void clsVxAudoCDPlayerA::GetCDPosition(int16_t& track, int16_t& Min, int16_t& Sec) {
  const std::u16string reply = query(u"status cd position");
  track = replyInteger(field(reply, 1, 2));
  Min = replyInteger(field(reply, 4, 2));
  Sec = replyInteger(field(reply, 7, 2));
}

// 1 while playing (not the Boolean -1), else 0.
int16_t clsVxAudoCDPlayerA::CheckIfPlaying() {
  return textEquals(field(query(u"status cd mode"), 1, 7), u"playing") ? 1 : 0;
}

// --- Skipping -------------------------------------------------------------------------

void clsVxAudoCDPlayerA::fastForward(int16_t Spd) { skip(Spd, +1); }
void clsVxAudoCDPlayerA::ReWind(int16_t Spd) { skip(Spd, -1); }

// Moves the position by Spd milliseconds, playing on from there when the
// device plays, then returns to the "tmsf" format. A reply that is no number
// stops it after the play-state query, the device left in milliseconds.
void clsVxAudoCDPlayerA::skip(int16_t Spd, int direction) {
  SetFormat_milliseconds();
  const std::u16string position = query(u"status cd position wait", 40);
  const bool playing = CheckIfPlaying() == 1;
  const std::u16string head = playing ? u"play cd from " : u"seek cd to ";
  const int32_t from = toLong(replyNumber(position));
  const int32_t target = direction > 0 ? addLong(from, Spd) : subtractLong(from, Spd);
  send(head + decimalText(target));
  SetFormat_tmsf();
}

}  // namespace orvalis
