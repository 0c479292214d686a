// The steps both mixer classes share: transfer blocks that live for one
// call, the lookup of one control by line component type and control type,
// and the details record that carries a control's values.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "mixer/MixerService.h"

namespace orvalis {

// A zero-filled fixed block for one platform call, released when the call's
// scope ends, errors included. No memory for it is error 7.
class TransferBlock {
 public:
  TransferBlock(MixerService& mixer, uint32_t bytes);
  ~TransferBlock();
  TransferBlock(const TransferBlock&) = delete;
  TransferBlock& operator=(const TransferBlock&) = delete;

  uintptr_t address() const { return address_; }

 private:
  MixerService& mixer_;
  uintptr_t handle_;
  uintptr_t address_;
};

// Looks up the control of `controlType` on the line of `componentType` and,
// when the platform has it, copies the description block (`recordBytes`
// long, zero-filled, the platform writing the first 148 bytes) over
// `record`. Before the query the record's cbStruct becomes `recordBytes`;
// when the line is missing the record is not touched at all.
bool lookUpControl(MixerService& mixer, uintptr_t handle, uint32_t componentType,
                   uint32_t controlType, void* record, uint32_t recordBytes);

template <class Record>
bool lookUpControl(MixerService& mixer, uintptr_t handle, uint32_t componentType,
                   uint32_t controlType, Record& record) {
  static_assert(sizeof(Record) >= sizeof(MixerControlA));
  return lookUpControl(mixer, handle, componentType, controlType, &record, sizeof(Record));
}

// A details record for one control with its value block: one 32-bit value
// per channel for each item (at least one), channel 0 of item 0 first.
class ControlDetails {
 public:
  ControlDetails(MixerService& mixer, uint32_t controlId, uint32_t channels = 1,
                 uint32_t item = 0);

  void write(std::initializer_list<int32_t> values);
  int32_t read();  // channel 0's value as the block holds it now
  uint32_t set(uintptr_t handle);  // mixerSetControlDetails, the values
  uint32_t get(uintptr_t handle);  // mixerGetControlDetailsA, the values

 private:
  MixerService& mixer_;
  TransferBlock block_;
  MixerControlDetails record_;
};

}  // namespace orvalis
