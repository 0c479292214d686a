#include "wave/clsVxAudoMCISoundRecA.h"

#include <algorithm>

#include "frame/Conversion.h"
#include "frame/Runtime.h"
#include "frame/Text.h"

namespace orvalis {

namespace {

constexpr size_t kBufferLength = 1024;

// The longest sleep of the wait between two looks at the recording flag.
// The wait wakes at once for a message, so this only bounds how late it
// notices a flag cleared without one.
constexpr double kWaitSlice = 1.0;

// How long to record: missing or Empty for "until stopped".
std::optional<double> recordingLimit(const Variant& vDuration) {
  if (vDuration.isMissing() || vDuration.isEmpty()) return std::nullopt;
  return toDouble(vDuration);
}

}  // namespace

clsVxAudoMCISoundRecA::clsVxAudoMCISoundRecA(Platform& platform)
    : runtime_(platform.runtime), mci_(platform.mci) {}

int16_t clsVxAudoMCISoundRecA::RecordSound(const std::u16string& sFileName,
                                           const std::u16string& sBitsPerSample,
                                           const std::u16string& sSamplesPerSec,
                                           const Variant& vDuration) {
  // The arguments are converted before the device is opened, so that a
  // value that is no number cannot leave recsound open behind an error.
  const std::u16string bits = decimalText(toInteger(Variant(sBitsPerSample)));
  const std::optional<double> limit = recordingLimit(vDuration);

  FixedText reply(kBufferLength);
  FixedText error(kBufferLength);
  send(u"open new Type waveaudio Alias recsound", reply, error);
  send(u"set recsound time format ms bitspersample " + bits +
           u" channels 2 bytespersec 22500  samplespersec " + sSamplesPerSec,
       reply, error);
  send(u"record  recsound", reply, error);
  waitWhileRecording(limit);
  send(u"save recsound " + sFileName, reply, error);
  send(u"close recsound", reply, error);
  return 0;
}

// A failed command shows its MCI error text, up to the NUL, in a box titled
// "Error"; the sequence goes on either way.
void clsVxAudoMCISoundRecA::send(std::u16string_view command, FixedText& reply, FixedText& error) {
  const uint32_t code = mci_.send(command, reply);
  if (code == 0) return;
  mci_.errorText(code, error);
  const std::u16string& text = error.text();
  runtime_.messageBox(std::u16string_view(text).substr(0, text.find(u'\0')), std::u16string_view(u"Error"),
                      message_box::OkOnly);
}

// Sleeps in the thread's message wait until StopRecording, called from a
// host's event handler that the wait dispatches, clears the flag, the limit
// has passed, or the host asks to quit (its request stays posted).
void clsVxAudoMCISoundRecA::waitWhileRecording(std::optional<double> seconds) {
  recording_ = true;
  const double start = runtime_.monotonicSeconds();
  while (recording_) {
    double wait = kWaitSlice;
    if (seconds) {
      const double left = *seconds - (runtime_.monotonicSeconds() - start);
      if (!(left > 0)) break;
      wait = std::min(wait, left);
    }
    if (!runtime_.processMessages(wait)) break;
  }
  recording_ = false;
}

}  // namespace orvalis
