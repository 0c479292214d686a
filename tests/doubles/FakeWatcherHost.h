// Doubles for the playback watcher: its timer and clock, a recorder of its
// events, players seen from outside (public members by name), and a model
// of the devices those players opened in the MCI service.
#pragma once

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "doubles/FakeMci.h"
#include "events/PlaybackWatcher.h"
#include "frame/HostObject.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis::testing {

class FakeWatchTimer : public events::WatchTimer {
 public:
  bool running = false;
  int32_t interval = 0;
  std::vector<int32_t> starts;
  int stops = 0;
  void start(int32_t milliseconds) override {
    running = true;
    interval = milliseconds;
    starts.push_back(milliseconds);
  }
  void stop() override {
    running = false;
    ++stops;
  }
};

class FakeWatchClock : public events::WatchClock {
 public:
  int64_t now = 1'000'000;
  int64_t milliseconds() override { return now; }
};

// A player as a host sees it: its public fields by name. A name listed in
// `failing` raises the runtime error a released or broken object gives.
class FakePlayerObject : public HostObject {
 public:
  std::string label;
  std::map<std::u16string, std::u16string> fields;
  bool failing = false;

  explicit FakePlayerObject(std::string name) : label(std::move(name)) {}

  Variant invoke(std::u16string_view name, CallKind kind, std::vector<Argument>&) override {
    if (failing) throw RuntimeError(vb_error::AutomationError);
    if (kind != CallKind::PropertyGet) throw std::logic_error("the watcher only reads a player");
    const auto found = fields.find(std::u16string(name));
    if (found == fields.end()) throw RuntimeError(vb_error::ObjectDoesntSupportMember);
    return Variant(found->second);
  }
};

// The events as a list of texts, "StateChanged(B,2)" and "Ended(B,name)".
// `during` runs inside every event, after it is recorded.
class RecordingEvents : public events::WatcherEvents {
 public:
  std::vector<std::string> seen;
  std::function<void(const std::string&)> during;

  void stateChanged(const ObjectRef& player, events::PlayerState state) override {
    record("StateChanged(" + labelOf(player) + "," + std::to_string(static_cast<int>(state)) + ")");
  }
  void ended(const ObjectRef& player, const std::u16string& name) override {
    record("Ended(" + labelOf(player) + "," + toUtf8(name) + ")");
  }

 private:
  static std::string labelOf(const ObjectRef& player) {
    auto* fake = dynamic_cast<FakePlayerObject*>(player.get());
    return fake ? fake->label : "?";
  }
  void record(const std::string& text) {
    seen.push_back(text);
    if (during) during(text);
  }
};

// Devices by name with the mode, position, length and track they report,
// found in the directory of open devices by their name without quotes,
// as the service finds them. A status query to a file
// that is not open meets the file opened for that one command, as the
// service does it, and reads a fresh device ("stopped" at 0); any other
// name that is not open is refused (MCI error 263).
class FakePlaybackDevices : public MciDeviceModel, public events::DeviceDirectory {
 public:
  std::vector<std::string> lookups;
  struct Device {
    std::string mode = "stopped";
    std::string position = "0";
    std::string length = "2000";
    std::string track = "1";
  };
  std::map<std::string, Device> open;
  static constexpr uint32_t kNotOpen = 263;

  // Device names match without regard to case, as the service matches them.
  static bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }

  bool isOpen(std::u16string_view name) override {
    const std::string wanted = latin1(name);
    lookups.push_back(wanted);
    for (const auto& entry : open) {
      std::string openName = entry.first;
      if (openName.size() >= 2 && openName.front() == '"') openName = openName.substr(1, openName.size() - 2);
      if (sameName(openName, wanted)) return true;
    }
    return false;
  }

  MciReply handle(const std::string& command) override {
    static const std::vector<std::pair<std::string, std::string Device::*>> questions = {
        {" mode", &Device::mode},
        {" position", &Device::position},
        {" length", &Device::length},
        {" current track", &Device::track}};
    if (command.rfind("status ", 0) != 0) return {kNotOpen, {}, false};
    for (const auto& [suffix, field] : questions) {
      if (command.size() > 7 + suffix.size() && command.ends_with(suffix)) {
        const std::string name = command.substr(7, command.size() - 7 - suffix.size());
        for (const auto& [openName, device] : open)
          if (sameName(openName, name)) return {0, device.*field};
        if (name.size() > 2 && name.front() == '"') return {0, Device{}.*field};
        return {kNotOpen, {}, false};
      }
    }
    return {kNotOpen, {}, false};
  }
};

}  // namespace orvalis::testing
