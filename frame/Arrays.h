// Automation arrays as the core sees them: a read-only view of an array of
// Long with its bounds, and the bytes of an array of Byte. The COM layer
// maps safe arrays onto these without copying the elements in, so the
// logic never touches a SAFEARRAY.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace orvalis {

struct ArrayBounds {
  int32_t lower;
  int32_t upper;
  int64_t count() const { return int64_t{upper} - lower + 1; }
};

// An array of Long as the runtime lays it out: `bounds` lists the
// dimensions, the first index first, and the elements follow one another
// with the first index varying fastest. An unallocated array has no
// dimensions and no elements.
class LongArray {
 public:
  LongArray() = default;
  LongArray(std::vector<ArrayBounds> bounds, const int32_t* elements)
      : bounds_(std::move(bounds)), elements_(elements) {}

  std::size_t dimensions() const { return bounds_.size(); }
  const ArrayBounds& bounds(std::size_t dimension) const { return bounds_[dimension]; }
  bool hasElements() const;
  const int32_t* elements() const { return elements_; }

 private:
  std::vector<ArrayBounds> bounds_;
  const int32_t* elements_ = nullptr;
};

inline bool LongArray::hasElements() const {
  if (bounds_.empty() || !elements_) return false;
  for (const ArrayBounds& dimension : bounds_)
    if (dimension.count() <= 0) return false;
  return true;
}

// A one-dimensional array of Byte with lower bound 0 that the core builds.
// Its memory is left unset when it is made: the builders write every byte,
// which for a large WAV image saves a pass over memory.
class ByteArray {
 public:
  ByteArray() = default;
  explicit ByteArray(std::size_t size)
      : bytes_(size ? new uint8_t[size] : nullptr), size_(size) {}

  uint8_t* data() { return bytes_.get(); }
  const uint8_t* data() const { return bytes_.get(); }
  std::size_t size() const { return size_; }
  std::span<const uint8_t> bytes() const { return {bytes_.get(), size_}; }

 private:
  std::unique_ptr<uint8_t[]> bytes_;
  std::size_t size_ = 0;
};

}  // namespace orvalis
