// The recorder: records from the wave-input device through the MCI
// waveaudio device under the alias recsound and saves the recording as a
// WAV file. A recording runs until the host stops it from its own event
// handling (StopRecording) or until an optional duration has passed; the
// wait keeps the thread's window messages flowing.
//
// Failed MCI commands do not raise errors: each one shows the MCI error text
// in a message box titled "Error", and the sequence goes on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame/FixedText.h"
#include "frame/Platform.h"
#include "frame/Variant.h"
#include "mci/MciChannel.h"

namespace orvalis {

class clsVxAudoMCISoundRecA {
 public:
  explicit clsVxAudoMCISoundRecA(Platform& platform);

  // Records into sFileName at sBitsPerSample bits (text of a 16-bit number:
  // error 13 when it is no number, 6 when out of range, raised before the
  // device is opened) and sSamplesPerSec, passed on as written. vDuration:
  // seconds to record, or missing or Empty to record until StopRecording.
  // Returns 0.
  int16_t RecordSound(const std::u16string& sFileName, const std::u16string& sBitsPerSample,
                      const std::u16string& sSamplesPerSec, const Variant& vDuration);

  // Ends the wait of a recording in progress on this object; its file is
  // then saved and the device closed.
  void StopRecording() { recording_ = false; }

 private:
  void send(std::u16string_view command, FixedText& reply, FixedText& error);
  void waitWhileRecording(std::optional<double> seconds);

  Runtime& runtime_;
  MciChannel mci_;
  bool recording_ = false;
};

}  // namespace orvalis
