#include "mixer/MixerTransfer.h"

#include <algorithm>
#include <cstring>

#include "frame/RuntimeError.h"

namespace orvalis {

TransferBlock::TransferBlock(MixerService& mixer, uint32_t bytes)
    : mixer_(mixer), handle_(mixer.globalAlloc(mixer::kZeroInitBlock, bytes)), address_(0) {
  if (handle_ == 0) throw RuntimeError(vb_error::OutOfMemory);
  address_ = mixer.globalLock(handle_);
  if (address_ == 0) {
    mixer.globalFree(handle_);
    throw RuntimeError(vb_error::OutOfMemory);
  }
}

TransferBlock::~TransferBlock() { mixer_.globalFree(handle_); }

bool lookUpControl(MixerService& mixer, uintptr_t handle, uint32_t componentType,
                   uint32_t controlType, void* record, uint32_t recordBytes) {
  MixerLineA line{};
  line.cbStruct = sizeof line;
  line.dwComponentType = componentType;
  if (mixer.getLineInfo(handle, line, mixer::kLineByComponentType) != 0) return false;

  TransferBlock block(mixer, recordBytes);
  // cbmxctrl is the platform's own description size even where the caller's
  // record is longer: winmm refuses any other size (Wine does so strictly).
  MixerLineControlsA controls{sizeof(MixerLineControlsA), line.dwLineID, controlType, 1,
                              sizeof(MixerControlA), block.address()};
  std::memcpy(record, &recordBytes, sizeof recordBytes);  // cbStruct
  if (mixer.getLineControls(handle, controls, mixer::kOneControlByType) != 0)
    return false;
  mixer.moveMemory(record, block.address(), recordBytes);
  return true;
}

namespace {

// A driver that honours the item count reads one value per channel for each
// item; a control without items has one set of channel values. A size past
// 32 bits is more memory than any block can have (error 7).
uint32_t detailsBytes(uint32_t channels, uint32_t item) {
  const uint64_t bytes = uint64_t{channels} * std::max<uint32_t>(item, 1) * sizeof(int32_t);
  if (bytes > UINT32_MAX) throw RuntimeError(vb_error::OutOfMemory);
  return static_cast<uint32_t>(bytes);
}

}  // namespace

ControlDetails::ControlDetails(MixerService& mixer, uint32_t controlId, uint32_t channels,
                               uint32_t item)
    : mixer_(mixer),
      block_(mixer, detailsBytes(channels, item)),
      record_{sizeof(MixerControlDetails), controlId, channels, item, sizeof(int32_t),
              block_.address()} {}

void ControlDetails::write(std::initializer_list<int32_t> values) {
  // Never past the block: one value per channel at most.
  const auto count = std::min<size_t>(values.size(), record_.cChannels);
  mixer_.moveMemory(block_.address(), values.begin(), static_cast<uint32_t>(count * sizeof(int32_t)));
}

int32_t ControlDetails::read() {
  int32_t value = 0;
  mixer_.moveMemory(&value, block_.address(), sizeof value);
  return value;
}

uint32_t ControlDetails::set(uintptr_t handle) {
  return mixer_.setControlDetails(handle, record_, mixer::kSetValue);
}

uint32_t ControlDetails::get(uintptr_t handle) {
  return mixer_.getControlDetails(handle, record_, mixer::kGetValue);
}

}  // namespace orvalis
