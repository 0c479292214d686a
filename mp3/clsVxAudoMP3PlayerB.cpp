#include "mp3/clsVxAudoMP3PlayerB.h"

#include <cmath>

#include "frame/Conversion.h"
#include "frame/Files.h"
#include "frame/Shell.h"
#include "frame/Runtime.h"
#include "frame/Text.h"
#include "mp3/Playlist.h"

namespace orvalis {

namespace {

constexpr char16_t kQuote = u'"';

// The device name Play opens: the trimmed name in double quotes. A name that
// Play already quoted is kept as it is, so a second Play replays the same
// device instead of quoting the quotes.
std::u16string quotedForm(std::u16string_view filename) {
  std::u16string name = trimBlanks(filename);
  const bool alreadyQuoted = name.size() >= 2 && name.front() == kQuote && name.back() == kQuote;
  if (alreadyQuoted) return name;
  return kQuote + name + kQuote;
}

int32_t readNumber(const FixedText& reply) { return toLong(numericPrefix(reply.text())); }

}  // namespace

clsVxAudoMP3PlayerB::clsVxAudoMP3PlayerB(Platform& platform)
    : platform_(platform), runtime_(platform.runtime), mci_(platform.mci) {}

// Every command is the verb, the device name as Filename holds it, and the
// rest of the command.
uint32_t clsVxAudoMP3PlayerB::sendToDevice(std::u16string_view verb, std::u16string_view rest) {
  return mci_.send({verb, Filename, rest});
}

uint32_t clsVxAudoMP3PlayerB::sendToDevice(std::u16string_view verb, std::u16string_view rest,
                                           FixedText& reply) {
  return mci_.send({verb, Filename, rest}, reply);
}

// --- Transport ---------------------------------------------------------------

void clsVxAudoMP3PlayerB::Play() {
  withErrorBox<void>(runtime_, [&] {
    // The old name goes first: a device opened under an earlier quoted name
    // stays open when the host has set a new Filename since.
    sendToDevice(u"close ");
    Filename = quotedForm(Filename);
    sendToDevice(u"open ");
    sendToDevice(u"play ");
  });
}

void clsVxAudoMP3PlayerB::StopPlay() {
  withErrorBox<void>(runtime_, [&] { sendToDevice(u"close "); });
}

// "stop" keeps the device open at its position; ResumePlay's "play" without
// a range goes on from there.
void clsVxAudoMP3PlayerB::Pause() {
  withErrorBox<void>(runtime_, [&] { sendToDevice(u"stop "); });
}

void clsVxAudoMP3PlayerB::ResumePlay() {
  withErrorBox<void>(runtime_, [&] { sendToDevice(u"play "); });
}

// True while the service knows the device and answers, whether it plays or
// stands paused. The reply length is 0, so only the return code counts.
bool clsVxAudoMP3PlayerB::isPlaying() {
  return withErrorBox<bool>(runtime_, [&] { return sendToDevice(u"status ", u" mode") == 0; });
}

// Waits `duration` seconds while the thread's window messages keep flowing.
// The wait sleeps until a message arrives or the time is up, on a clock
// that does not jump at midnight. Host code that runs meanwhile may change
// the caller's variable, so it is read on every turn; a host that asks to
// quit ends the wait.
void clsVxAudoMP3PlayerB::TimeOut(const VariantReference& duration) {
  const double start = runtime_.monotonicSeconds();
  for (;;) {
    const Variant current = duration();
    if (current.isNull()) return;  // no number compares as greater than Null
    const double seconds = toDouble(current);
    const double elapsed = runtime_.monotonicSeconds() - start;
    if (!(elapsed < seconds)) return;
    if (!runtime_.processMessages(seconds - elapsed)) return;
  }
}

// --- Position and duration ---------------------------------------------------

int32_t clsVxAudoMP3PlayerB::PositioninMS() {
  return withErrorBox<int32_t>(runtime_, [&] {
    sendToDevice(u"set ", u" time format milliseconds");
    sendToDevice(u"status ", u" position", PositionReply);
    return readNumber(PositionReply);
  });
}

int32_t clsVxAudoMP3PlayerB::PositioninSec() {
  return withErrorBox<int32_t>(runtime_, [&] { return PositioninMS() / 1000; });
}

std::u16string clsVxAudoMP3PlayerB::FormatPosition() {
  return withErrorBox<std::u16string>(runtime_, [&] {
    sendToDevice(u"set ", u" time format milliseconds");
    sendToDevice(u"status ", u" position", FormatPositionReply);
    const int32_t seconds = PositioninSec();
    if (seconds < 60) return u"0:" + formatWithMinimumDigits(seconds, 2);
    // Minutes are not wrapped into hours: 3600 seconds read 60:00.
    const auto minutes = static_cast<int64_t>(std::floor(seconds / 60.0));
    const int64_t rest = seconds - minutes * 60;
    return formatWithMinimumDigits(minutes, 1) + u":" + formatWithMinimumDigits(rest, 2);
  });
}

// Multiplies the caller's variable by 1000 and moves the device there, in
// whatever time format the device was left in.
void clsVxAudoMP3PlayerB::ChangePosition(int32_t& TheSecond) {
  withErrorBox<void>(runtime_, [&] {
    TheSecond = multiplyLong(TheSecond, 1000);
    const std::u16string position = decimalText(TheSecond);
    if (isPlaying()) sendToDevice(u"play ", u" from " + position);
    if (!isPlaying()) sendToDevice(u"seek ", u" to " + position);
  });
}

int32_t clsVxAudoMP3PlayerB::DurationInMS() {
  return withErrorBox<int32_t>(runtime_, [&] {
    FixedText reply(128);
    sendToDevice(u"status ", u" length", reply);
    return readNumber(reply);
  });
}

int32_t clsVxAudoMP3PlayerB::DurationInSec() {
  return withErrorBox<int32_t>(runtime_, [&] { return DurationInMS() / 1000; });
}

// Asks the length in milliseconds and leaves the device in "frames".
std::u16string clsVxAudoMP3PlayerB::FormatDuration() {
  return withErrorBox<std::u16string>(runtime_, [&] {
    FixedText reply(128);
    sendToDevice(u"set ", u" time format ms", reply);
    sendToDevice(u"status ", u" length", reply);
    sendToDevice(u"set ", u" time format frames");
    return FormatMilliseconds(readNumber(reply));
  });
}

int32_t clsVxAudoMP3PlayerB::TimeRemaininginMS() {
  return withErrorBox<int32_t>(runtime_, [&] {
    const int32_t duration = DurationInMS();
    return subtractLong(duration, PositioninMS());
  });
}

int32_t clsVxAudoMP3PlayerB::TimeRemaininginSec() {
  return withErrorBox<int32_t>(runtime_, [&] {
    const int32_t duration = DurationInSec();
    return subtractLong(duration, PositioninSec());
  });
}

std::u16string clsVxAudoMP3PlayerB::FormatTimeRemaining() {
  return withErrorBox<std::u16string>(runtime_,
                                      [&] { return FormatMilliseconds(TimeRemaininginMS()); });
}

// True during the last second of the song and while the device stands at
// its end: position and length agree in whole seconds.
bool clsVxAudoMP3PlayerB::EndOfSong() {
  return withErrorBox<bool>(runtime_, [&] {
    const int32_t position = PositioninSec();
    const int32_t duration = DurationInSec();
    return position != 0 && duration != 0 && position == duration;
  });
}

// Clock text "h:m:ss" of a count of milliseconds: hours only when there are
// any, minutes without a leading zero even after hours (1:2:03), and 0:00
// for anything negative.
std::u16string clsVxAudoMP3PlayerB::FormatMilliseconds(int32_t milliseconds) {
  return withErrorBox<std::u16string>(runtime_, [&] {
    const double total = roundHalfEven(milliseconds / 1000.0);
    const int16_t hours = toInteger(std::floor(total / 3600));
    const double rest = std::fmod(total, 3600.0);
    const int16_t minutes = toInteger(std::floor(rest / 60));
    const int16_t seconds = toInteger(std::fmod(rest, 60.0));

    std::u16string text;
    if (hours > 0) text += decimalText(hours) + u":";
    text += minutes >= 1 ? decimalText(minutes) : u"0";
    text += u":";
    if (seconds <= 0) return text + u"00";
    if (seconds < 10) text += u'0';
    return text + decimalText(seconds);
  });
}

// --- Playlists -----------------------------------------------------------------

// Appends the file's entries to the host's list, trailing blanks removed.
void clsVxAudoMP3PlayerB::OpenPlaylist(const std::u16string& TheList, const ObjectRef& Listbox) {
  withErrorBox<void>(runtime_, [&] {
    if (TheList.empty()) return;
    // Carriage returns and line feeds are the same bytes in every ANSI code
    // page, so the file is converted once and split afterwards.
    const std::u16string file = runtime_.fromAnsi(platform_.files.readAll(TheList));
    HostList list(Listbox);
    for (std::u16string_view line : playlistLines(file))
      list.AddItem(Variant(trimTrailingBlanks(line)), false);
  });
}

// Writes the host's entries, one per line, into a new file that replaces
// the old playlist only once every entry is written: a save that fails part
// way leaves the previous playlist intact. The file is ANSI, so an entry
// with a character the code page lacks fails the save (error 52) rather
// than going in with a '?' that names another file.
void clsVxAudoMP3PlayerB::SavePlaylist(const std::u16string& TheList, const ObjectRef& Listbox) {
  withErrorBox<void>(runtime_, [&] {
    auto replacement = platform_.files.replace(TheList);
    HostList list(Listbox);
    // The index runs in a 16-bit counter, so a list of more than 32768
    // entries overflows before anything is written.
    const int16_t last = toInteger(toDouble(list.ListCount()) - 1);
    std::string file;
    for (int32_t index = 0; index <= last; ++index) {
      const std::u16string entry = toText(list.List(Variant(static_cast<int16_t>(index))));
      appendPlaylistLine(file, ansiName(runtime_, entry));
    }
    replacement->write(file);
    replacement->commit();
    // With exactly 32768 entries the counter cannot step past the last one:
    // everything is saved, and the overflow is still reported.
    if (last == INT16_MAX) throw RuntimeError(vb_error::Overflow);
  });
}

// Adds the display name of every path in List2 to List1.
void clsVxAudoMP3PlayerB::ListNoChar(const ObjectRef& List1, const ObjectRef& List2) {
  withErrorBox<void>(runtime_, [&] {
    HostList names(List1), paths(List2);
    // ListCount - 1 is worked out before it becomes a Long: a count of 2.5
    // gives CLng(1.5) = 2.
    const int32_t last = toLong(toDouble(paths.ListCount()) - 1);
    for (int32_t index = 0; index <= last; ++index) {
      const std::u16string path = toText(paths.List(Variant(index)));
      names.AddItem(Variant(displayName(path)), true);
    }
  });
}

// Selects the last entry of List2, adds its display name to List1 and shows
// the selected text.
void clsVxAudoMP3PlayerB::ListSingleNoChar(const Variant& List1, const Variant& List2) {
  withErrorBox<void>(runtime_, [&] {
    // List2's steps come first: with a List1 that is no object, the host's
    // last entry is still selected before the error shows.
    HostList paths = HostList::fromVariant(List2);
    paths.setListIndex(doubleText(toDouble(paths.ListCount()) - 1));
    const std::u16string selected = toText(paths.text());
    HostList names = HostList::fromVariant(List1);
    names.AddItem(Variant(displayName(selected)), true);
    runtime_.messageBox(selected, std::nullopt, message_box::OkOnly);
  });
}

// The file name without folder and last extension ("" when it has no dot).
std::u16string clsVxAudoMP3PlayerB::displayName(const std::u16string& entry) {
  return LeftOfLast(StripPath(entry), u".");
}

std::u16string clsVxAudoMP3PlayerB::StripPath(const std::u16string& text) {
  return withErrorBox<std::u16string>(runtime_, [&] {
    const size_t backslash = text.rfind(u'\\');
    // Positions are 16-bit: a backslash beyond 32767 overflows.
    if (backslash != std::u16string::npos) toInteger(static_cast<int64_t>(backslash) + 1);
    return afterLastBackslash(text);
  });
}

std::u16string clsVxAudoMP3PlayerB::LeftOfLast(const std::u16string& text,
                                               const std::u16string& mark) {
  return withErrorBox<std::u16string>(runtime_, [&] { return beforeLast(text, mark); });
}

// --- File-type association and form drag ------------------------------------------

// Points the extension at sAppName and sAppName's open command at sEXE,
// under HKEY_CLASSES_ROOT. Result codes are not reported. Keys and values
// go through the ANSI registry calls, so every text is converted before
// anything is written: one with a character the code page lacks fails the
// member (error 52) and leaves the registry as it was.
void clsVxAudoMP3PlayerB::MyAppDefault(const std::u16string& sAppName, const std::u16string& sEXE,
                                       const std::u16string& sExt) {
  const std::string extension = ansiName(runtime_, sExt);
  const std::string application = ansiName(runtime_, sAppName);
  const std::string commandKey = ansiName(runtime_, sAppName + u"\\Shell\\Open\\Command");
  const std::string program = ansiName(runtime_, sEXE);
  setRegistryDefault(extension, application);
  setRegistryDefault(commandKey, program);
}

void clsVxAudoMP3PlayerB::setRegistryDefault(const std::string& key, std::string data) {
  uintptr_t handle = 0;
  if (platform_.registry.createKey(kHkeyClassesRoot, key, handle) != 0) return;
  // The stored length counts the terminating NUL.
  data.push_back('\0');
  platform_.registry.setDefaultValue(handle, kRegSz, data);
  platform_.registry.closeKey(handle);
}

// Lets the user drag the form by any point: the window manager takes the
// press as one on the caption. Errors go to the caller.
void clsVxAudoMP3PlayerB::FormMove(const ObjectRef& Frm) {
  platform_.windows.releaseCapture();
  const auto window = static_cast<uint32_t>(toLong(HostList(Frm).hWnd()));
  platform_.windows.sendMessage(window, kWmNcLButtonDown, kHtCaption, 0);
}

}  // namespace orvalis
