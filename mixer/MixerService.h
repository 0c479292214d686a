// The Windows mixer service and the memory blocks its calls read and write,
// in the platform's own terms. The records are the byte images that the
// platform reads: 32-bit fields, and handles and addresses as wide as a
// pointer (DWORD_PTR, LPVOID), packed like all of <mmsystem.h>. In the
// 32-bit DLL every field is 32 bits wide; in the 64-bit DLL, and in the
// native unit tests, the pointer-sized fields are 64 bits wide and packing
// shows where one follows a 32-bit field.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvalis {

namespace mixer {
constexpr bool kWidePointers = sizeof(void*) == 8;
}  // namespace mixer

#pragma pack(push, 1)

// MIXERLINEA: one audio line of a mixer device.
struct MixerLineA {
  uint32_t cbStruct;
  uint32_t dwDestination;
  uint32_t dwSource;
  uint32_t dwLineID;
  uint32_t fdwLine;
  uintptr_t dwUser;
  uint32_t dwComponentType;
  uint32_t cChannels;
  uint32_t cConnections;
  uint32_t cControls;
  char szShortName[16];
  char szName[64];
  // Target: the device the line belongs to.
  uint32_t dwType;
  uint32_t dwDeviceID;
  uint16_t wMid;
  uint16_t wPid;
  uint32_t vDriverVersion;
  char szPname[32];
};
static_assert(sizeof(MixerLineA) == (mixer::kWidePointers ? 172 : 168));
static_assert(offsetof(MixerLineA, dwLineID) == 12);
static_assert(offsetof(MixerLineA, dwComponentType) == (mixer::kWidePointers ? 28 : 24));
static_assert(offsetof(MixerLineA, szPname) == (mixer::kWidePointers ? 140 : 136));

// MIXERCONTROLA: the description of one control of a line.
struct MixerControlA {
  uint32_t cbStruct;
  uint32_t dwControlID;
  uint32_t dwControlType;
  uint32_t fdwControl;
  uint32_t cMultipleItems;
  char szShortName[16];
  char szName[64];
  // Bounds: the value range, then four reserved values.
  int32_t lMinimum;
  int32_t lMaximum;
  uint32_t dwReservedBounds[4];
  uint32_t Metrics[6];
};
static_assert(sizeof(MixerControlA) == 148);
static_assert(offsetof(MixerControlA, cMultipleItems) == 16);
static_assert(offsetof(MixerControlA, szShortName) == 20);
static_assert(offsetof(MixerControlA, szName) == 36);
static_assert(offsetof(MixerControlA, lMinimum) == 100);
static_assert(offsetof(MixerControlA, lMaximum) == 104);
static_assert(offsetof(MixerControlA, Metrics) == 124);

// MIXERLINECONTROLSA: which controls of a line to describe, and where.
struct MixerLineControlsA {
  uint32_t cbStruct;
  uint32_t dwLineID;
  uint32_t dwControl;  // the control type (ONEBYTYPE) or the control identifier
  uint32_t cControls;
  uint32_t cbmxctrl;   // bytes of one control description
  uintptr_t pamxctrl;  // address of the descriptions
};
static_assert(sizeof(MixerLineControlsA) == (mixer::kWidePointers ? 28 : 24));
static_assert(offsetof(MixerLineControlsA, pamxctrl) == 20);

// MIXERCONTROLDETAILS: the values of one control, and where they lie.
struct MixerControlDetails {
  uint32_t cbStruct;
  uint32_t dwControlID;
  uint32_t cChannels;
  uintptr_t item;       // the multiple-item count (a union with hwndOwner)
  uint32_t cbDetails;   // bytes of one channel's value
  uintptr_t paDetails;  // address of the values
};
static_assert(sizeof(MixerControlDetails) == (mixer::kWidePointers ? 32 : 24));
static_assert(offsetof(MixerControlDetails, cbDetails) == (mixer::kWidePointers ? 20 : 16));
static_assert(offsetof(MixerControlDetails, paDetails) == (mixer::kWidePointers ? 24 : 20));

#pragma pack(pop)

namespace mixer {
// The platform's constants under names of their own: <windows.h> defines the
// originals as macros.
constexpr uint32_t kObjectMixer = 0;           // MIXER_OBJECTF_MIXER
constexpr uint32_t kLineByComponentType = 3;   // MIXER_GETLINEINFOF_COMPONENTTYPE
constexpr uint32_t kOneControlByType = 2;      // MIXER_GETLINECONTROLSF_ONEBYTYPE
constexpr uint32_t kGetValue = 0;              // MIXER_GETCONTROLDETAILSF_VALUE
constexpr uint32_t kSetValue = 0;              // MIXER_SETCONTROLDETAILSF_VALUE
constexpr uint32_t kZeroInitBlock = 0x40;      // GMEM_ZEROINIT: a fixed block of zeros

// Line component types (MIXERLINE_COMPONENTTYPE_...).
constexpr uint32_t kDstSpeakers = 4;
constexpr uint32_t kSrcLine = 0x1002;
constexpr uint32_t kSrcMicrophone = 0x1003;
constexpr uint32_t kSrcSynthesizer = 0x1004;
constexpr uint32_t kSrcCompactDisc = 0x1005;
constexpr uint32_t kSrcWaveOut = 0x1008;
constexpr uint32_t kSrcAuxiliary = 0x1009;
// Control types (MIXERCONTROL_CONTROLTYPE_...).
constexpr uint32_t kVolumeControl = 0x50030001;
constexpr uint32_t kMuteControl = 0x20010002;
}  // namespace mixer

// winmm's mixer calls and kernel32's memory-block calls. Mixer handles,
// block handles and block addresses are the platform's pointer-sized
// values, passed through unchanged.
class MixerService {
 public:
  virtual ~MixerService() = default;

  virtual uint32_t getNumDevs() = 0;  // mixerGetNumDevs
  // mixerOpen(&handle, deviceId, callback, instance, flags): on success the
  // platform writes the new handle into `handle`.
  virtual uint32_t open(uintptr_t& handle, uint32_t deviceId, uintptr_t callback,
                        uintptr_t instance, uint32_t flags) = 0;
  virtual uint32_t close(uintptr_t handle) = 0;  // mixerClose
  virtual uint32_t getLineInfo(uintptr_t handle, MixerLineA& line, uint32_t flags) = 0;
  virtual uint32_t getLineControls(uintptr_t handle, MixerLineControlsA& controls,
                                   uint32_t flags) = 0;
  virtual uint32_t getControlDetails(uintptr_t handle, MixerControlDetails& details,
                                     uint32_t flags) = 0;
  virtual uint32_t setControlDetails(uintptr_t handle, MixerControlDetails& details,
                                     uint32_t flags) = 0;

  // GlobalAlloc(flags, bytes): a block handle, 0 when there is no memory.
  virtual uintptr_t globalAlloc(uint32_t flags, uint32_t bytes) = 0;
  virtual uintptr_t globalLock(uintptr_t block) = 0;  // the block's address
  virtual uintptr_t globalFree(uintptr_t block) = 0;
  // RtlMoveMemory into and out of a block's address.
  virtual void moveMemory(uintptr_t destination, const void* source, uint32_t bytes) = 0;
  virtual void moveMemory(void* destination, uintptr_t source, uint32_t bytes) = 0;
};

}  // namespace orvalis
