#include "mp3/clsVxAudoMP3PlayerA.h"

#include <cmath>
#include <memory>
#include <optional>

#include "frame/Conversion.h"
#include "frame/NumberReading.h"
#include "frame/Files.h"
#include "frame/Runtime.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"
#include "frame/VariantArithmetic.h"
#include "mp3/Playlist.h"

namespace orvalis {

namespace {

// One step of a member in the skip-and-continue style: a runtime error ends
// the step, and the member goes on with its next one.
template <class Step>
void skipOnError(Step&& step) {
  try {
    step();
  } catch (const RuntimeError&) {
  }
}

// The strict reading of a reply field: the text before its first NUL must
// be a number (error 13 otherwise). What follows the NUL is the tail of an
// earlier, longer reply and is never read.
double textToNumber(const FixedText& field) {
  const std::u16string& text = field.text();
  return parseNumber(std::u16string_view(text).substr(0, text.find(u'\0')));
}

// A value as string concatenation writes it into a command: Null adds
// nothing.
std::u16string concatenationText(const Variant& value) {
  return value.isNull() ? std::u16string() : toText(value);
}

// Minutes or seconds of a clock text: two digits, and "00" for anything
// that is not positive.
std::u16string clockPart(int32_t value) {
  if (value <= 0) return u"00";
  return formatWithMinimumDigits(value, 2);
}

}  // namespace

clsVxAudoMP3PlayerA::clsVxAudoMP3PlayerA(Platform& platform)
    : platform_(platform), runtime_(platform.runtime), mci_(platform.mci) {}

void clsVxAudoMP3PlayerA::refreshDeviceName() {
  TheFile = u'"' + trimBlanks(MP3File) + u'"';
}

uint32_t clsVxAudoMP3PlayerA::sendToDevice(std::u16string_view verb, std::u16string_view rest,
                                           std::u16string_view preparedReply) {
  return mci_.send({verb, TheFile, rest}, preparedReply);
}

uint32_t clsVxAudoMP3PlayerA::sendToDevice(std::u16string_view verb, std::u16string_view rest,
                                           FixedText& reply) {
  return mci_.send({verb, TheFile, rest}, reply);
}

// --- Playback ----------------------------------------------------------------

// Closes the device under the name it was opened with (the host may have
// changed MP3File since), then opens and plays the current file. Nothing
// here is an error: a file that does not play only fails its commands.
void clsVxAudoMP3PlayerA::MP3Play() {
  sendToDevice(u"close ");
  refreshDeviceName();
  sendToDevice(u"open ");
  sendToDevice(u"play ", {}, u"");
}

void clsVxAudoMP3PlayerA::MP3Stop() {
  skipOnError([&] { refreshDeviceName(); });
  skipOnError([&] { sendToDevice(u"close "); });
}

// "Stop" halts the device and keeps its position for MP3Resume.
void clsVxAudoMP3PlayerA::MP3Pause() {
  skipOnError([&] { refreshDeviceName(); });
  skipOnError([&] { sendToDevice(u"Stop "); });
}

void clsVxAudoMP3PlayerA::MP3Resume() {
  skipOnError([&] { refreshDeviceName(); });
  skipOnError([&] { sendToDevice(u"play ", {}, u""); });
}

// Asks the device named by TheFile as it stands (no refresh).
bool clsVxAudoMP3PlayerA::MP3Playing() {
  bool playing = false;
  skipOnError([&] { sendToDevice(u"status ", u" mode", ModeReply); });
  skipOnError([&] { playing = textEquals(std::u16string_view(ModeReply.text()).substr(0, 7), u"playing"); });
  return playing;
}

// --- Position and duration ---------------------------------------------------

// Turns the caller's seconds into milliseconds in its own variable and moves
// there: a playing device jumps and plays on, any other only seeks.
Variant clsVxAudoMP3PlayerA::MP3ChangePositionTo(Variant& Second) {
  skipOnError([&] { refreshDeviceName(); });
  skipOnError([&] { Second = multiply(Second, Variant(int16_t{1000})); });
  skipOnError([&] { sendToDevice(u"set ", u" time format milliseconds"); });
  skipOnError([&] {
    if (MP3Playing()) sendToDevice(u"play ", u" from " + concatenationText(Second));
  });
  skipOnError([&] {
    if (!MP3Playing()) sendToDevice(u"seek ", u" to " + concatenationText(Second));
  });
  return Variant();
}

void clsVxAudoMP3PlayerA::queryPosition(FixedText& reply) {
  skipOnError([&] { refreshDeviceName(); });
  skipOnError([&] { sendToDevice(u"set ", u" time format milliseconds"); });
  skipOnError([&] { sendToDevice(u"status ", u" position", reply); });
}

// Whole seconds: a Double above 9, else a String with a leading "0" ("05",
// and "0" alone when the reply was no number).
Variant clsVxAudoMP3PlayerA::MP3PositionInSec() {
  Variant result;
  queryPosition(PositionSecReply);
  skipOnError([&] { result = Variant(roundHalfEven(textToNumber(PositionSecReply) / 1000)); });
  skipOnError([&] {
    if (toDouble(result) <= 9) result = Variant(u"0" + toText(result));
  });
  return result;
}

Variant clsVxAudoMP3PlayerA::MP3PositionInMS() {
  Variant result;
  queryPosition(PositionMsReply);
  skipOnError([&] { result = Variant(numericPrefix(PositionMsReply.text())); });
  return result;
}

// "0:05" below a minute, then "01:00", "10:05", "100:00": minutes are not
// split into hours.
Variant clsVxAudoMP3PlayerA::MP3Position() {
  queryPosition(PositionTextReply);
  int32_t seconds = 0;
  skipOnError([&] { seconds = toLong(textToNumber(PositionTextReply) / 1000); });
  if (seconds < 60) return Variant(u"0:" + formatWithMinimumDigits(seconds, 2));
  const auto minutes = static_cast<int32_t>(std::floor(seconds / 60.0));
  return Variant(formatWithMinimumDigits(minutes, 2) + u":" +
                 formatWithMinimumDigits(seconds - 60 * minutes, 2));
}

// Asks the length in milliseconds into `reply` and leaves the device in
// the frames format.
void clsVxAudoMP3PlayerA::queryLength(FixedText& reply) {
  skipOnError([&] { refreshDeviceName(); });
  skipOnError([&] { sendToDevice(u"set ", u" time format ms", reply); });
  skipOnError([&] { sendToDevice(u"status ", u" length", reply); });
  skipOnError([&] { sendToDevice(u"set ", u" time format frames"); });
}

Variant clsVxAudoMP3PlayerA::MP3Duration() {
  FixedText reply(128);
  queryLength(reply);
  int32_t milliseconds = 0;  // stays 0 when the length overflows a Long
  skipOnError([&] { milliseconds = toLong(numericPrefix(reply.text())); });
  return Variant(MP3FormatTime(milliseconds));
}

// Whole seconds as a Double, or Empty when the reply is no number.
Variant clsVxAudoMP3PlayerA::MP3DurationInSec() {
  FixedText reply(128);
  queryLength(reply);
  Variant result;
  skipOnError([&] { result = Variant(roundHalfEven(textToNumber(reply) / 1000)); });
  return result;
}

Variant clsVxAudoMP3PlayerA::MP3DurationInMs() {
  FixedText reply(128);
  queryLength(reply);
  Variant result;
  skipOnError([&] { result = Variant(numericPrefix(reply.text())); });
  return result;
}

// "00:00", "01:05", "1:02:05": hours only when there are any, minutes and
// seconds always in two digits, and 00:00 for a negative count. No step
// here can fail: a Long count of milliseconds gives at most 596 hours.
std::u16string clsVxAudoMP3PlayerA::MP3FormatTime(int32_t milliseconds) {
  skipOnError([&] { refreshDeviceName(); });
  int32_t seconds = toLong(milliseconds / 1000.0);
  const auto hours = static_cast<int16_t>(std::floor(seconds / 3600.0));
  seconds %= 3600;
  const auto minutes = static_cast<int16_t>(std::floor(seconds / 60.0));
  seconds %= 60;

  std::u16string text;
  if (hours > 0) text = decimalText(hours) + u":";
  return text + clockPart(minutes) + u":" + clockPart(seconds);
}

// --- Playlists and list utilities ------------------------------------------------

// The file name of a path: what follows its last backslash. Positions are
// 16-bit, so a backslash beyond 32767 overflows.
std::u16string clsVxAudoMP3PlayerA::GetLastBackSlash(const std::u16string& text) {
  const size_t backslash = text.rfind(u'\\');
  if (backslash != std::u16string::npos) toInteger(static_cast<int64_t>(backslash) + 1);
  return afterLastBackslash(text);
}

// The text before the last `mark`. The walk from the end counts in 16 bits,
// so a text longer than 32767 characters overflows.
std::u16string clsVxAudoMP3PlayerA::LeftOfLast(const std::u16string& text,
                                               const std::u16string& mark) {
  toInteger(static_cast<int64_t>(text.size()));
  return beforeLast(text, mark);
}

// Appends the title (file name without its last extension) of each path in
// List2 to List1. The count is read once, so List1 may be List2.
void clsVxAudoMP3PlayerA::ListNoChar(const ObjectRef& List1, const ObjectRef& List2) {
  HostList titles(List1), paths(List2);
  const Variant count = paths.ListCount();
  // The index goes to the host as a Variant loop counter, which takes the
  // count's subtype: a list box's Integer count gives Integer indexes.
  const bool integerCounter = count.type() == VarType::Integer;
  const int32_t last = subtractLong(toLong(count), 1);
  for (int32_t index = 0; index <= last; ++index) {
    const Variant counter = integerCounter ? Variant(static_cast<int16_t>(index)) : Variant(index);
    const std::u16string path = toText(paths.ListThroughVariant(counter));
    titles.AddItem(Variant(LeftOfLast(GetLastBackSlash(path), u".")), true);
  }
}

// Appends the playlist's entries to the list in TheListBox, each without its
// trailing blanks. A file that cannot be read adds nothing; an entry the
// list refuses is left out and the next one follows.
Variant clsVxAudoMP3PlayerA::MP3OpenPlayList(const std::u16string& TheFile,
                                             const Variant& TheListBox) {
  if (TheFile.empty()) return Variant();
  std::u16string file;
  try {
    file = runtime_.fromAnsi(platform_.files.readAll(TheFile));
  } catch (const RuntimeError&) {
    return Variant();
  }
  std::optional<HostList> list;
  skipOnError([&] { list.emplace(HostList::fromVariant(TheListBox)); });
  if (!list) return Variant();  // no object: every AddItem would fail alike
  for (std::u16string_view line : playlistLines(file))
    skipOnError([&] { list->AddItem(Variant(trimTrailingBlanks(line)), false); });
  return Variant();
}

// Writes the entries of the list in TheListBox, one per line, into a new
// file that replaces the old playlist once the walk over the entries is
// over. An entry whose step fails (one the list refuses, a Null, one that
// cannot be written) is left out and the walk goes on; the file is ANSI, so
// an entry with a character the code page lacks is such a step (error 52),
// never a line with a '?'. Writing and committing are steps too: when they
// fail the previous playlist stays whole. A count that cannot be read or
// exceeds the 16-bit index range ends the save there. A file that cannot be
// created still has the entries read (and every write skipped).
Variant clsVxAudoMP3PlayerA::MP3SavePlayList(const std::u16string& TheFile,
                                             const Variant& TheListBox) {
  std::unique_ptr<FileReplacement> replacement;
  skipOnError([&] { replacement = platform_.files.replace(TheFile); });
  std::optional<HostList> list;
  skipOnError([&] { list.emplace(HostList::fromVariant(TheListBox)); });
  std::optional<int16_t> last;
  skipOnError([&] {
    if (list) last = toInteger(toDouble(list->ListCount()) - 1);
  });
  if (!last) return Variant();

  std::string bytes;
  // A 32-bit counter: with 32768 entries a 16-bit one would overflow after
  // the last of them instead of ending the walk.
  for (int32_t index = 0; index <= *last; ++index) {
    skipOnError([&] {
      const std::u16string entry = toText(list->List(Variant(static_cast<int16_t>(index))));
      if (replacement) appendPlaylistLine(bytes, ansiName(runtime_, entry));
    });
  }
  if (replacement) {
    skipOnError([&] {
      replacement->write(bytes);
      replacement->commit();
    });
  }
  return Variant();
}

}  // namespace orvalis
