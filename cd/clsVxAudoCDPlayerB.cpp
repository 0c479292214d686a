#include "cd/clsVxAudoCDPlayerB.h"

#include "cd/CdReplies.h"
#include "frame/Conversion.h"
#include "frame/NumberReading.h"
#include "frame/Drives.h"
#include "frame/RuntimeError.h"
#include "frame/Runtime.h"
#include "frame/Text.h"

namespace orvalis {

namespace {

// A count of milliseconds as whole seconds, rounded half to even.
int32_t wholeSeconds(int32_t milliseconds) { return toLong(milliseconds / 1000.0); }

int32_t leadingNumber(std::u16string_view reply) { return toLong(numericPrefix(reply)); }

}  // namespace

clsVxAudoCDPlayerB::clsVxAudoCDPlayerB(Platform& platform)
    : runtime_(platform.runtime), drives_(platform.drives), mci_(platform.mci) {}

// --- Sending -------------------------------------------------------------------

void clsVxAudoCDPlayerB::command(std::u16string_view text) {
  lastMciError = static_cast<int32_t>(mci_.send(text));
}

const std::u16string& clsVxAudoCDPlayerB::query(std::u16string_view text) {
  lastMciError = static_cast<int32_t>(mci_.send(text, mciReply));
  return mciReply.text();
}

// A reading in a given unit: the format is switched first and stays switched.
int32_t clsVxAudoCDPlayerB::number(std::u16string_view timeFormat, std::u16string_view status) {
  return leadingNumber(text(timeFormat, status));
}

const std::u16string& clsVxAudoCDPlayerB::text(std::u16string_view timeFormat,
                                               std::u16string_view status) {
  command(u"set cd time format " + std::u16string(timeFormat));
  return query(status);
}

// --- Device --------------------------------------------------------------------

// The service's text for the latest return code, its NUL, then blanks to 255
// characters.
std::u16string clsVxAudoCDPlayerB::checkError() {
  return mci_.errorText(static_cast<uint32_t>(lastMciError), 255);
}

// The device answers "true" or "false"; anything else (an empty reply when
// no device is open, a number) is a type mismatch.
bool clsVxAudoCDPlayerB::checkForCD() {
  const std::optional<bool> present = booleanWord(query(u"status cd media present"));
  if (!present) throw RuntimeError(vb_error::TypeMismatch);
  return *present;
}

bool clsVxAudoCDPlayerB::checkCDDrive(const std::u16string& drive) {
  return drives_.driveType(drive) == kDriveCdRom;
}

// Opens the drive's CD audio device under the alias "cd". The caller's text
// comes back in double quotes, the form the open command names it in. A
// device already open under the alias stays as it is: the service refuses
// the second open, and only lastMciError shows it.
void clsVxAudoCDPlayerB::startCD(std::u16string& cdDrive) {
  if (!checkCDDrive(cdDrive)) {
    runtime_.messageBox(u"The selected drive is not a CdRom Drive", u" Error",
                        message_box::OkOnly | message_box::Critical);
    return;
  }
  cdDrive = u'"' + cdDrive + u'"';
  command(u"open " + cdDrive + u" type cdaudio alias cd wait shareable");
}

// Closes every device of the process, MP3 files included, not only "cd".
void clsVxAudoCDPlayerB::closeAll() { command(u"close all"); }

// --- Transport, door and audio ---------------------------------------------------

void clsVxAudoCDPlayerB::playCD() { command(u"play cd"); }
void clsVxAudoCDPlayerB::resumeCD() { command(u"play cd"); }
void clsVxAudoCDPlayerB::pauseCD() { command(u"pause cd"); }
void clsVxAudoCDPlayerB::stopCD() { command(u"stop cd"); }
void clsVxAudoCDPlayerB::seekToBeginning() { command(u"seek cd to start"); }
void clsVxAudoCDPlayerB::seekToEnd() { command(u"seek cd to end"); }
void clsVxAudoCDPlayerB::setDoorOpen() { command(u"set cd door open"); }
void clsVxAudoCDPlayerB::setDoorClosed() { command(u"set cd door closed"); }
void clsVxAudoCDPlayerB::setAudioOff() { command(u"set cd audio all off"); }
void clsVxAudoCDPlayerB::setAudioOn() { command(u"set cd audio all on"); }

// --- Tracks ----------------------------------------------------------------------

int32_t clsVxAudoCDPlayerB::getCurrentTrack() {
  return leadingNumber(query(u"status cd current track"));
}

// The one member that goes on past errors: a reply that is no number (no
// device open, no disc) counts as no tracks.
int32_t clsVxAudoCDPlayerB::getNumberTracks() {
  const std::u16string reply = trimBlanks(query(u"status cd number of tracks"));
  try {
    return toLong(parseNumber(textBeforeNul(reply)));
  } catch (const RuntimeError&) {
    return 0;
  }
}

void clsVxAudoCDPlayerB::setTrack(int32_t track) { playTrack(track); }

// Plays from the next track; on the last one it does nothing.
void clsVxAudoCDPlayerB::nextTrack() {
  const int32_t next = addLong(getCurrentTrack(), 1);
  if (next <= getNumberTracks()) playTrack(next);
}

// Plays from the track before; on track 1 (or with no current track) it does
// nothing.
void clsVxAudoCDPlayerB::prevTrack() {
  if (getCurrentTrack() <= 1) return;
  const int32_t previous = subtractLong(getCurrentTrack(), 1);
  if (previous <= getNumberTracks()) playTrack(previous);
}

// The device reads the number after "from" as a track only in the "tmsf"
// format, and the format is whatever any object of the process set last
// (milliseconds after a position reading, for example). Selecting it first
// makes the host's track number the track that plays.
void clsVxAudoCDPlayerB::playTrack(int32_t track) {
  command(u"set cd time format tmsf");
  command(u"play cd from " + decimalText(track));
}

// --- Positions, lengths and time formats -------------------------------------------

int32_t clsVxAudoCDPlayerB::getPositionMS() { return number(u"ms", u"status cd position"); }

std::u16string clsVxAudoCDPlayerB::getPositionMSF() { return text(u"msf", u"status cd position"); }

std::u16string clsVxAudoCDPlayerB::getPositionTMSF() { return text(u"tmsf", u"status cd position"); }

std::u16string clsVxAudoCDPlayerB::getTimeFormat() { return query(u"status cd time format"); }

int32_t clsVxAudoCDPlayerB::getPositionSeconds() { return wholeSeconds(getPositionMS()); }

// The frames field of an "msf" reply mm:ss:ff.
int32_t clsVxAudoCDPlayerB::getPositionFrames() {
  return leadingNumber(std::u16string_view(getPositionMSF()).substr(6, 2));
}

int32_t clsVxAudoCDPlayerB::cdLengthMS() { return number(u"ms", u"status cd length"); }

std::u16string clsVxAudoCDPlayerB::cdLengthMSF() { return text(u"msf", u"status cd length"); }

int32_t clsVxAudoCDPlayerB::cdLengthSeconds() { return wholeSeconds(cdLengthMS()); }

int32_t clsVxAudoCDPlayerB::trackLengthMS(int32_t track) {
  return number(u"ms", u"status cd length track " + decimalText(track));
}

std::u16string clsVxAudoCDPlayerB::trackLengthMSF(int32_t track) {
  return text(u"msf", u"status cd length track " + decimalText(track));
}

int32_t clsVxAudoCDPlayerB::trackLengthSeconds(int32_t track) {
  return wholeSeconds(trackLengthMS(track));
}

// True for the mode "playing" in any letter case, whatever follows it.
bool clsVxAudoCDPlayerB::isPlaying() {
  return textEquals(std::u16string_view(query(u"status cd mode")).substr(0, 7), u"playing");
}

// --- Skipping ----------------------------------------------------------------------

void clsVxAudoCDPlayerB::fastForward(int32_t seconds) { skip(seconds, +1); }
void clsVxAudoCDPlayerB::fastRewind(int32_t seconds) { skip(seconds, -1); }

// Moves the position by a number of seconds, playing on from there when the
// device plays. The position is read into a buffer of its own (mciReply
// keeps the older reply) and the step in milliseconds is checked only after
// the position and the play state have been asked. There is no clamping:
// a target before the start or beyond the end goes to the device as it is,
// and the device is left counting in milliseconds.
void clsVxAudoCDPlayerB::skip(int32_t seconds, int direction) {
  FixedText position(128);
  command(u"set cd time format ms");
  lastMciError = static_cast<int32_t>(mci_.send(u"status cd position", position));
  position.assign(decimalText(leadingNumber(position.text())));
  const bool playing = isPlaying();
  const double from = parseNumber(position.text());
  const int32_t step = multiplyLong(seconds, 1000);
  const double target = direction > 0 ? from + step : from - step;
  command((playing ? u"play cd from " : u"seek cd to ") + doubleText(target));
}

}  // namespace orvalis
