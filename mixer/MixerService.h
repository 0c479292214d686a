// The Windows mixer service and the memory blocks its calls read and write,
// in the platform's own terms. The records are the byte images that the
// 32-bit platform reads: every field is 32 bits wide, pointers and handles
// included, so the portable build (tests) sees exactly the bytes that the
// DLL hands to winmm.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvalis {

// MIXERLINEA: one audio line of a mixer device.
struct MixerLineA {
  uint32_t cbStruct;
  uint32_t dwDestination;
  uint32_t dwSource;
  uint32_t dwLineID;
  uint32_t fdwLine;
  uint32_t dwUser;
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
static_assert(sizeof(MixerLineA) == 168);
static_assert(offsetof(MixerLineA, dwLineID) == 12);
static_assert(offsetof(MixerLineA, dwComponentType) == 24);
static_assert(offsetof(MixerLineA, szPname) == 136);

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
  uint32_t pamxctrl;   // address of the descriptions
};
static_assert(sizeof(MixerLineControlsA) == 24);

// MIXERCONTROLDETAILS: the values of one control, and where they lie.
struct MixerControlDetails {
  uint32_t cbStruct;
  uint32_t dwControlID;
  uint32_t cChannels;
  uint32_t item;       // the multiple-item count
  uint32_t cbDetails;  // bytes of one channel's value
  uint32_t paDetails;  // address of the values
};
static_assert(sizeof(MixerControlDetails) == 24);

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

// winmm's mixer calls and kernel32's memory-block calls. Handles and block
// addresses are the platform's 32-bit values, passed through unchanged.
class MixerService {
 public:
  virtual ~MixerService() = default;

  virtual uint32_t getNumDevs() = 0;  // mixerGetNumDevs
  // mixerOpen(&handle, deviceId, callback, instance, flags): on success the
  // platform writes the new handle into `handle`.
  virtual uint32_t open(uint32_t& handle, uint32_t deviceId, uint32_t callback, uint32_t instance,
                        uint32_t flags) = 0;
  virtual uint32_t close(uint32_t handle) = 0;  // mixerClose
  virtual uint32_t getLineInfo(uint32_t handle, MixerLineA& line, uint32_t flags) = 0;
  virtual uint32_t getLineControls(uint32_t handle, MixerLineControlsA& controls,
                                   uint32_t flags) = 0;
  virtual uint32_t getControlDetails(uint32_t handle, MixerControlDetails& details,
                                     uint32_t flags) = 0;
  virtual uint32_t setControlDetails(uint32_t handle, MixerControlDetails& details,
                                     uint32_t flags) = 0;

  // GlobalAlloc(flags, bytes): a block handle, 0 when there is no memory.
  virtual uint32_t globalAlloc(uint32_t flags, uint32_t bytes) = 0;
  virtual uint32_t globalLock(uint32_t block) = 0;  // the block's address
  virtual uint32_t globalFree(uint32_t block) = 0;
  // RtlMoveMemory into and out of a block's address.
  virtual void moveMemory(uint32_t destination, const void* source, uint32_t bytes) = 0;
  virtual void moveMemory(void* destination, uint32_t source, uint32_t bytes) = 0;
};

}  // namespace orvalis
