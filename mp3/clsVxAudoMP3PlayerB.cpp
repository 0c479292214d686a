#include "mp3/clsVxAudoMP3PlayerB.h"

#include <cmath>

#include "frame/Conversion.h"
#include "frame/Runtime.h"
#include "frame/Text.h"

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
    : runtime_(platform.runtime), mci_(platform.mci, platform.runtime) {}

std::u16string clsVxAudoMP3PlayerB::command(std::u16string_view verb,
                                            std::u16string_view rest) const {
  std::u16string text(verb);
  text += Filename;
  text += rest;
  return text;
}

uint32_t clsVxAudoMP3PlayerB::sendToDevice(std::u16string_view verb, std::u16string_view rest) {
  return mci_.send(command(verb, rest));
}

uint32_t clsVxAudoMP3PlayerB::sendToDevice(std::u16string_view verb, std::u16string_view rest,
                                           FixedText& reply) {
  return mci_.send(command(verb, rest), reply);
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
// that does not jump at midnight.
void clsVxAudoMP3PlayerB::TimeOut(const Variant& duration) {
  if (duration.isNull()) return;  // no number compares as greater than Null
  const double seconds = toDouble(duration);
  if (!(seconds > 0)) return;
  const double start = runtime_.monotonicSeconds();
  for (;;) {
    const double elapsed = runtime_.monotonicSeconds() - start;
    if (elapsed >= seconds) return;
    runtime_.processMessages(seconds - elapsed);
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
    if (seconds >= 10) {
      text += decimalText(seconds);
    } else if (seconds >= 1) {
      text += u"0" + decimalText(seconds);
    } else {
      text += u"00";
    }
    return text;
  });
}

}  // namespace orvalis
