// A CD audio device with a disc in it, behind the alias "cd": a device model
// for FakeMci that answers the CD classes' commands the way the service's
// cdaudio driver does (reply forms per time format, modes, door, refusals
// with MCI error codes), so that sequences of calls across objects can be
// run as a host runs them. Positions do not move on their own: a test sets
// `position` to play time forward.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "doubles/FakeMci.h"

namespace orvalis::testing {

namespace mci_error {
constexpr uint32_t UnrecognizedCommand = 261;  // MCIERR_UNRECOGNIZED_COMMAND
constexpr uint32_t InvalidDeviceName = 263;    // MCIERR_INVALID_DEVICE_NAME
constexpr uint32_t DeviceNotReady = 276;       // MCIERR_DEVICE_NOT_READY
constexpr uint32_t OutOfRange = 282;           // MCIERR_OUTOFRANGE
constexpr uint32_t DuplicateAlias = 289;       // MCIERR_DUPLICATE_ALIAS
}  // namespace mci_error

class FakeDisc : public MciDeviceModel {
 public:
  // The disc: track lengths in milliseconds (5:00.000, 3:20.000, 4:10.000).
  std::vector<int32_t> trackLengths{300000, 200000, 250000};
  bool mediaPresent = true;

  // The device under the alias "cd".
  bool open = false;
  std::string openedAs;  // the device the open command named: cdaudio or a quoted drive
  std::string mode = "stopped";  // stopped, playing or paused; "open" while the door is
  bool doorOpen = false;
  bool audioOn = true;
  std::string timeFormat = "msf";  // the cdaudio default; or milliseconds, tmsf
  int32_t position = 0;  // milliseconds from the start of the disc
  int closeAllCount = 0;  // "close all" closes the other devices of the process too

  MciReply handle(const std::string& command) override {
    std::vector<std::string> words = split(command);
    if (!words.empty() && words.back() == "wait") words.pop_back();
    if (words.size() == 2 && words[0] == "close" && words[1] == "all") {
      ++closeAllCount;
      open = false;
      return ok();
    }
    if (!words.empty() && words[0] == "open") return openDevice(words);
    if (words.size() < 2 || words[1] != "cd" || !open) return refused(mci_error::InvalidDeviceName);
    const std::string verb = words[0];
    words.erase(words.begin(), words.begin() + 2);
    if (verb == "play") return play(words);
    if (verb == "pause") return pause();
    if (verb == "stop") return stop();
    if (verb == "seek") return seek(words);
    if (verb == "set") return set(words);
    if (verb == "status") return status(words);
    return refused(mci_error::UnrecognizedCommand);
  }

  int32_t discLength() const {
    int32_t total = 0;
    for (int32_t length : trackLengths) total += length;
    return total;
  }
  int32_t trackStart(std::size_t track) const {
    int32_t start = 0;
    for (std::size_t i = 1; i < track; ++i) start += trackLengths[i - 1];
    return start;
  }
  std::size_t trackAt(int32_t ms) const {
    std::size_t track = 1;
    while (track < trackLengths.size() && ms >= trackStart(track + 1)) ++track;
    return track;
  }

 private:
  static MciReply ok(std::string text = {}) { return {0, std::move(text)}; }
  static MciReply refused(uint32_t code) { return {code, {}, false}; }

  static std::vector<std::string> split(const std::string& command) {
    std::istringstream stream(command);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
  }

  static std::string twoDigits(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", static_cast<int>(value));
    return text;
  }
  static std::string msf(int32_t ms) {
    return twoDigits(ms / 60000) + ":" + twoDigits(ms / 1000 % 60) + ":" + twoDigits(ms % 1000 * 75 / 1000);
  }

  // A position in the current format; lengths in "tmsf" come as "msf".
  std::string formatted(int32_t ms, bool isLength) const {
    if (timeFormat == "milliseconds") return std::to_string(ms);
    if (timeFormat == "tmsf" && !isLength) {
      const std::size_t track = trackAt(ms);
      return twoDigits(static_cast<int32_t>(track)) + ":" + msf(ms - trackStart(track));
    }
    return msf(ms);
  }

  // A position text in the current format: "tmsf" fields are track, minutes,
  // seconds, frames; "msf" minutes, seconds, frames; missing fields are 0.
  bool parsePosition(const std::string& text, int32_t& ms) const {
    std::vector<int32_t> fields;
    std::istringstream stream(text);
    for (std::string part; std::getline(stream, part, ':');) {
      if (part.empty() || part.find_first_not_of("-0123456789") != std::string::npos) return false;
      fields.push_back(std::stoi(part));
    }
    if (fields.empty()) return false;
    fields.resize(4, 0);
    if (timeFormat == "milliseconds") {
      ms = fields[0];
    } else if (timeFormat == "msf") {
      ms = (fields[0] * 60 + fields[1]) * 1000 + fields[2] * 1000 / 75;
    } else {
      if (fields[0] < 1 || fields[0] > static_cast<int32_t>(trackLengths.size())) return false;
      ms = trackStart(static_cast<std::size_t>(fields[0])) + (fields[1] * 60 + fields[2]) * 1000 +
           fields[3] * 1000 / 75;
    }
    return ms >= 0 && ms <= discLength();
  }

  // A position outside the disc is refused and leaves the device where it is.
  bool moveTo(const std::string& text) {
    int32_t ms = 0;
    if (!parsePosition(text, ms)) return false;
    position = ms;
    return true;
  }

  MciReply openDevice(const std::vector<std::string>& words) {
    for (std::size_t i = 1; i + 1 < words.size(); ++i) {
      if (words[i] != "alias") continue;
      if (words[i + 1] != "cd") return ok();  // another device, not modelled
      if (open) return refused(mci_error::DuplicateAlias);
      open = true;
      openedAs = words[1];
      mode = "stopped";
      timeFormat = "msf";
      position = 0;
      return ok();
    }
    return refused(mci_error::UnrecognizedCommand);
  }

  bool ready() const { return mediaPresent && !doorOpen; }

  MciReply play(const std::vector<std::string>& args) {
    if (!ready()) return refused(mci_error::DeviceNotReady);
    if (args.size() == 2 && args[0] == "from") {
      if (!moveTo(args[1])) return refused(mci_error::OutOfRange);
    } else if (!args.empty()) {
      return refused(mci_error::UnrecognizedCommand);
    }
    mode = "playing";
    return ok();
  }

  MciReply pause() {
    if (mode == "playing") mode = "paused";
    return ok();
  }

  MciReply stop() {
    mode = "stopped";
    return ok();
  }

  MciReply seek(const std::vector<std::string>& args) {
    if (!ready()) return refused(mci_error::DeviceNotReady);
    if (args.size() != 2 || args[0] != "to") return refused(mci_error::UnrecognizedCommand);
    if (args[1] == "start") position = 0;
    else if (args[1] == "end") position = discLength();
    else if (!moveTo(args[1])) return refused(mci_error::OutOfRange);
    mode = "stopped";
    return ok();
  }

  MciReply set(const std::vector<std::string>& args) {
    const auto is = [&](std::initializer_list<const char*> expected) {
      if (args.size() != expected.size()) return false;
      std::size_t i = 0;
      for (const char* word : expected)
        if (args[i++] != word) return false;
      return true;
    };
    if (is({"door", "open"})) doorOpen = true;
    else if (is({"door", "closed"})) doorOpen = false;
    else if (is({"audio", "all", "off"})) audioOn = false;
    else if (is({"audio", "all", "on"})) audioOn = true;
    else if (is({"time", "format", "ms"}) || is({"time", "format", "milliseconds"})) timeFormat = "milliseconds";
    else if (is({"time", "format", "msf"})) timeFormat = "msf";
    else if (is({"time", "format", "tmsf"})) timeFormat = "tmsf";
    else return refused(mci_error::UnrecognizedCommand);
    return ok();
  }

  MciReply status(const std::vector<std::string>& args) {
    std::string item;
    for (const std::string& word : args) item += (item.empty() ? "" : " ") + word;
    if (item == "media present") return ok(ready() ? "true" : "false");
    if (item == "mode") return ok(doorOpen ? "open" : mode);
    if (item == "time format") return ok(timeFormat);
    if (!ready()) return refused(mci_error::DeviceNotReady);
    if (item == "number of tracks") return ok(std::to_string(trackLengths.size()));
    if (item == "current track") return ok(std::to_string(trackAt(position)));
    if (item == "position") return ok(formatted(position, false));
    if (item == "length") return ok(formatted(discLength(), true));
    if (args.size() == 3 && args[0] == "length" && args[1] == "track") {
      const int track = std::atoi(args[2].c_str());
      if (track < 1 || track > static_cast<int>(trackLengths.size())) return refused(mci_error::OutOfRange);
      return ok(formatted(trackLengths[static_cast<std::size_t>(track) - 1], true));
    }
    return refused(mci_error::UnrecognizedCommand);
  }
};

}  // namespace orvalis::testing
