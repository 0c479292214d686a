// A mixer service double: devices with lines (found by component type) and
// controls (found by type on a line, or by identifier on the device), each
// control holding one value per device, as winmm keeps it. Every call is
// recorded with its handle, flags, the bytes of the record it was given and
// the values in the transfer block. Transfer blocks live in the double at
// addresses of their own; a record that points outside a live block or a
// block never released is a test failure (`liveBlocks`). Where pointers are
// 64 bits wide, handles and addresses lie above 4 GB, so that a value cut
// to 32 bits anywhere on its way misses.
//
// Like winmm, a handle argument may also be a device identifier (the flags
// are kObjectMixer), so handle 0 is device 0; fader controls refuse values
// outside their range, switch controls keep any value, a control
// description must be asked for with cbmxctrl = 148, and a details block
// holds cChannels values for each of the record's items (at least one), as
// a driver that honours the item count reads it.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "mixer/MixerService.h"

namespace orvalis::testing {

namespace mmsyserr {
constexpr uint32_t BadDeviceId = 2;
constexpr uint32_t InvalHandle = 5;
constexpr uint32_t InvalFlag = 10;
constexpr uint32_t InvalParam = 11;
constexpr uint32_t InvalLine = 1024;     // MIXERR_INVALLINE
constexpr uint32_t InvalControl = 1025;  // MIXERR_INVALCONTROL
}  // namespace mmsyserr

struct FakeMixerControl {
  uint32_t id;
  uint32_t type;
  int32_t minimum;
  int32_t maximum;
  int32_t value = 0;
  uint32_t multipleItems = 0;
  std::string name;

  bool isSwitch() const { return (type & 0xF0000000u) == 0x20000000u; }
};

struct FakeMixerLine {
  uint32_t componentType;
  uint32_t lineId;
  std::vector<FakeMixerControl> controls;
};

struct FakeMixerDevice {
  std::vector<FakeMixerLine> lines;

  FakeMixerControl* control(uint32_t id) {
    for (auto& line : lines)
      for (auto& control : line.controls)
        if (control.id == id) return &control;
    return nullptr;
  }
  FakeMixerControl& controlOf(uint32_t componentType, uint32_t type) {
    for (auto& line : lines)
      if (line.componentType == componentType)
        for (auto& control : line.controls)
          if (control.type == type) return control;
    throw std::logic_error("the device has no such control");
  }
};

struct MixerCall {
  explicit MixerCall(std::string name, uintptr_t handle = 0, uint32_t flags = 0, uint32_t bytes = 0)
      : name(std::move(name)), handle(handle), flags(flags), bytes(bytes) {}

  std::string name;  // the platform's name: "mixerOpen", "GlobalAlloc", ...
  uintptr_t handle = 0;  // mixer handle, block handle or address
  uint32_t flags = 0;   // flags, or the device identifier of mixerOpen
  uint32_t bytes = 0;   // GlobalAlloc's size, RtlMoveMemory's length
  std::vector<uint8_t> record;  // the record's bytes as the call received them
  std::vector<int32_t> values;  // details: the block's values (set: as given; get: as written)
};

class FakeMixer : public MixerService {
 public:
  std::vector<FakeMixerDevice> devices;
  std::vector<MixerCall> calls;
  // A call name listed here returns its code without doing anything.
  std::map<std::string, uint32_t> failures;
  bool outOfMemory = false;

  static FakeMixerControl volume(uint32_t id, int32_t maximum = 65535, int32_t minimum = 0) {
    return {id, mixer::kVolumeControl, minimum, maximum, 0, 0, "Volume"};
  }
  static FakeMixerControl mute(uint32_t id) {
    return {id, mixer::kMuteControl, 0, 1, 0, 0, "Mute"};
  }
  // A device whose every line has a volume (0 to 65535) and a mute switch.
  // Control identifiers count from `idBase`, two a line, so that the first
  // line's volume on device 0 is control 0, as on Wine, where it is the
  // speakers' master volume.
  FakeMixerDevice& addDevice(std::vector<uint32_t> componentTypes, uint32_t idBase = 0) {
    FakeMixerDevice device;
    for (uint32_t type : componentTypes) {
      const auto line = static_cast<uint32_t>(device.lines.size());
      const uint32_t lineId = idBase + 100 + line;
      device.lines.push_back({type, lineId, {volume(idBase + 2 * line), mute(idBase + 2 * line + 1)}});
    }
    devices.push_back(std::move(device));
    return devices.back();
  }

  // --- What the tests read ----------------------------------------------------

  std::set<uintptr_t> openHandles;

  size_t liveBlocks() const {
    size_t live = 0;
    for (const auto& [handle, block] : blocks_) live += block.freed ? 0 : 1;
    return live;
  }
  std::vector<std::string> names() const {
    std::vector<std::string> result;
    for (const auto& call : calls) result.push_back(call.name);
    return result;
  }
  std::vector<const MixerCall*> callsNamed(const std::string& name) const {
    std::vector<const MixerCall*> result;
    for (const auto& call : calls)
      if (call.name == name) result.push_back(&call);
    return result;
  }
  const MixerCall& last(const std::string& name) const {
    for (auto call = calls.rbegin(); call != calls.rend(); ++call)
      if (call->name == name) return *call;
    throw std::logic_error("no call " + name);
  }
  template <class Record>
  static Record recordOf(const MixerCall& call) {
    Record record{};
    if (call.record.size() != sizeof record) throw std::logic_error("record of another size");
    std::memcpy(&record, call.record.data(), sizeof record);
    return record;
  }

  // --- MixerService -------------------------------------------------------------

  uint32_t getNumDevs() override {
    calls.emplace_back("mixerGetNumDevs");
    return static_cast<uint32_t>(devices.size());
  }

  uint32_t open(uintptr_t& handle, uint32_t deviceId, uintptr_t callback, uintptr_t instance,
                uint32_t flags) override {
    calls.emplace_back("mixerOpen", handle, deviceId);
    if (failing("mixerOpen")) return failures["mixerOpen"];
    if (callback != 0 || instance != 0 || flags != mixer::kObjectMixer) return mmsyserr::InvalFlag;
    if (deviceId >= devices.size()) return mmsyserr::BadDeviceId;
    handle = kFirstHandle + nextHandle_++;
    handleDevice_[handle] = deviceId;
    openHandles.insert(handle);
    return 0;
  }

  uint32_t close(uintptr_t handle) override {
    calls.emplace_back("mixerClose", handle);
    if (failing("mixerClose")) return failures["mixerClose"];
    if (!openHandles.erase(handle)) return mmsyserr::InvalHandle;
    return 0;
  }

  uint32_t getLineInfo(uintptr_t handle, MixerLineA& line, uint32_t flags) override {
    record("mixerGetLineInfoA", handle, flags, line);
    if (failing("mixerGetLineInfoA")) return failures["mixerGetLineInfoA"];
    FakeMixerDevice* device = deviceFor(handle);
    if (!device) return mmsyserr::InvalHandle;
    if (line.cbStruct != sizeof(MixerLineA)) return mmsyserr::InvalParam;
    if (flags != mixer::kLineByComponentType) return mmsyserr::InvalFlag;
    for (const auto& candidate : device->lines) {
      if (candidate.componentType != line.dwComponentType) continue;
      line.dwLineID = candidate.lineId;
      line.cChannels = 1;
      line.cControls = static_cast<uint32_t>(candidate.controls.size());
      std::strcpy(line.szName, "Line");
      return 0;
    }
    return mmsyserr::InvalLine;
  }

  uint32_t getLineControls(uintptr_t handle, MixerLineControlsA& controls, uint32_t flags) override {
    record("mixerGetLineControlsA", handle, flags, controls);
    if (failing("mixerGetLineControlsA")) return failures["mixerGetLineControlsA"];
    FakeMixerDevice* device = deviceFor(handle);
    if (!device) return mmsyserr::InvalHandle;
    if (controls.cbStruct != sizeof(MixerLineControlsA) || controls.cbmxctrl != sizeof(MixerControlA))
      return mmsyserr::InvalParam;
    if (flags != mixer::kOneControlByType) return mmsyserr::InvalFlag;
    for (const auto& line : device->lines) {
      if (line.lineId != controls.dwLineID) continue;
      for (const auto& control : line.controls) {
        if (control.type != controls.dwControl) continue;
        const MixerControlA description = describe(control);
        std::memcpy(blockAt(controls.pamxctrl, sizeof description), &description, sizeof description);
        return 0;
      }
      return mmsyserr::InvalControl;
    }
    return mmsyserr::InvalLine;
  }

  uint32_t getControlDetails(uintptr_t handle, MixerControlDetails& details, uint32_t flags) override {
    MixerCall& call = record("mixerGetControlDetailsA", handle, flags, details);
    if (failing("mixerGetControlDetailsA")) return failures["mixerGetControlDetailsA"];
    FakeMixerControl* control = nullptr;
    if (const uint32_t rc = findForDetails(handle, details, flags, control)) return rc;
    // One value for every channel: the control is uniform.
    int32_t* values = valuesAt(details);
    values[0] = control->value;
    call.values.assign(values, values + details.cChannels);
    return 0;
  }

  uint32_t setControlDetails(uintptr_t handle, MixerControlDetails& details, uint32_t flags) override {
    MixerCall& call = record("mixerSetControlDetails", handle, flags, details);
    if (details.cbDetails == sizeof(int32_t) && details.cChannels > 0) {
      const int32_t* values = valuesAt(details);
      call.values.assign(values, values + details.cChannels);
    }
    if (failing("mixerSetControlDetails")) return failures["mixerSetControlDetails"];
    FakeMixerControl* control = nullptr;
    if (const uint32_t rc = findForDetails(handle, details, flags, control)) return rc;
    const int32_t value = valuesAt(details)[0];
    if (!control->isSwitch() && (value < control->minimum || value > control->maximum))
      return mmsyserr::InvalParam;
    control->value = value;
    return 0;
  }

  uintptr_t globalAlloc(uint32_t flags, uint32_t bytes) override {
    calls.emplace_back("GlobalAlloc", 0, flags, bytes);
    if (outOfMemory) return 0;
    const uintptr_t handle = kFirstBlock + blocks_.size();
    // Without kZeroInitBlock the block holds rubbish, as real memory may.
    const uint8_t fill = (flags & mixer::kZeroInitBlock) ? 0 : 0xCD;
    blocks_[handle] = {kFirstAddress + 0x1000 * blocks_.size(), std::vector<uint8_t>(bytes, fill)};
    return handle;
  }

  uintptr_t globalLock(uintptr_t block) override {
    calls.emplace_back("GlobalLock", block);
    auto found = blocks_.find(block);
    if (found == blocks_.end() || found->second.freed) return 0;
    return found->second.address;
  }

  uintptr_t globalFree(uintptr_t block) override {
    calls.emplace_back("GlobalFree", block);
    auto found = blocks_.find(block);
    if (found == blocks_.end() || found->second.freed) return block;  // failure: the handle back
    found->second.freed = true;
    return 0;
  }

  void moveMemory(uintptr_t destination, const void* source, uint32_t bytes) override {
    calls.emplace_back("RtlMoveMemory", destination, 0, bytes);
    std::memcpy(blockAt(destination, bytes), source, bytes);
  }

  void moveMemory(void* destination, uintptr_t source, uint32_t bytes) override {
    calls.emplace_back("RtlMoveMemory", source, 0, bytes);
    std::memcpy(destination, blockAt(source, bytes), bytes);
  }

 private:
  // Above 4 GB where pointers are 64 bits wide.
  static constexpr uintptr_t kHigh = mixer::kWidePointers ? uintptr_t(0x7FF6) << 32 : 0;
  static constexpr uintptr_t kFirstHandle = kHigh + 0xC000;
  static constexpr uintptr_t kFirstBlock = kHigh + 0x5000;
  static constexpr uintptr_t kFirstAddress = kHigh + 0x00400000;

  struct Block {
    uintptr_t address;
    std::vector<uint8_t> bytes;
    bool freed = false;
  };

  bool failing(const std::string& name) const { return failures.count(name) > 0; }

  template <class Record>
  MixerCall& record(const char* name, uintptr_t handle, uint32_t flags, const Record& record) {
    MixerCall call{name, handle, flags};
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    call.record.assign(bytes, bytes + sizeof record);
    calls.push_back(std::move(call));
    return calls.back();
  }

  // An open handle, or a device identifier.
  FakeMixerDevice* deviceFor(uintptr_t handle) {
    if (openHandles.count(handle)) return &devices.at(handleDevice_.at(handle));
    if (handle < devices.size()) return &devices[handle];
    return nullptr;
  }

  uint32_t findForDetails(uintptr_t handle, const MixerControlDetails& details, uint32_t flags,
                          FakeMixerControl*& control) {
    FakeMixerDevice* device = deviceFor(handle);
    if (!device) return mmsyserr::InvalHandle;
    if (details.cbStruct != sizeof(MixerControlDetails) || details.cbDetails != sizeof(int32_t) ||
        details.cChannels == 0)
      return mmsyserr::InvalParam;
    if (flags != 0) return mmsyserr::InvalFlag;
    control = device->control(details.dwControlID);
    return control ? 0 : mmsyserr::InvalControl;
  }

  static MixerControlA describe(const FakeMixerControl& control) {
    MixerControlA description{};
    description.cbStruct = sizeof description;
    description.dwControlID = control.id;
    description.dwControlType = control.type;
    description.fdwControl = 1;  // uniform
    description.cMultipleItems = control.multipleItems;
    std::strncpy(description.szShortName, control.name.c_str(), sizeof description.szShortName - 1);
    std::strncpy(description.szName, control.name.c_str(), sizeof description.szName - 1);
    description.lMinimum = control.minimum;
    description.lMaximum = control.maximum;
    return description;
  }

  int32_t* valuesAt(const MixerControlDetails& details) {
    const uint64_t items = details.item > 1 ? details.item : 1;
    const uint64_t bytes = details.cChannels * items * sizeof(int32_t);
    if (bytes > UINT32_MAX) throw std::logic_error("a details block past 4 GB");
    return reinterpret_cast<int32_t*>(blockAt(details.paDetails, static_cast<uint32_t>(bytes)));
  }

  // The bytes at `address`, which must lie within a live block.
  uint8_t* blockAt(uintptr_t address, uint32_t bytes) {
    for (auto& [handle, block] : blocks_) {
      if (block.freed || address < block.address) continue;
      const uintptr_t offset = address - block.address;
      if (offset + static_cast<uint64_t>(bytes) <= block.bytes.size()) return block.bytes.data() + offset;
    }
    throw std::logic_error("an address outside every live transfer block");
  }

  std::map<uintptr_t, Block> blocks_;
  std::map<uintptr_t, uint32_t> handleDevice_;
  uint32_t nextHandle_ = 0;
};

}  // namespace orvalis::testing
