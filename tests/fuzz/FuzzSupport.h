// What the fuzz targets share: a failed property aborts with its condition
// (libFuzzer then saves the input as a finding), runtime errors are checked
// against the numbers a call may raise, and texts are built from raw bytes.
//
// Any exception other than RuntimeError is left to escape: it ends the
// program through std::terminate, which libFuzzer reports as a crash.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis::fuzz {

[[noreturn]] inline void finding(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "FINDING %s:%d: %s\n", file, line, condition);
  std::abort();
}

#define FUZZ_CHECK(condition) \
  ((condition) ? void(0) : ::orvalis::fuzz::finding(#condition, __FILE__, __LINE__))

// The numbers the library documents as its own runtime errors.
inline bool isDocumentedError(int32_t number) {
  switch (number) {
    case vb_error::InvalidProcedureCall: case vb_error::Overflow: case vb_error::OutOfMemory:
    case vb_error::SubscriptOutOfRange: case vb_error::DivisionByZero: case vb_error::TypeMismatch:
    case vb_error::BadFileNameOrNumber: case vb_error::FileNotFound: case vb_error::BadFileMode:
    case vb_error::DeviceIoError: case vb_error::DiskFull: case vb_error::PermissionDenied:
    case vb_error::PathFileAccessError: case vb_error::PathNotFound:
    case vb_error::ObjectVariableNotSet: case vb_error::InvalidUseOfNull:
    case vb_error::ObjectRequired: case vb_error::ObjectDoesntSupportMember:
    case vb_error::WrongNumberOfArguments: case vb_error::AutomationError:
      return true;
    default:
      return false;
  }
}

// Runs `call` and returns 0, or the number of the RuntimeError it raised,
// which must be one of `allowed` and carry the standard description.
template <class Call>
int32_t errorOf(Call&& call, std::initializer_list<int32_t> allowed) {
  try {
    call();
    return 0;
  } catch (const RuntimeError& error) {
    FUZZ_CHECK(isDocumentedError(error.number()));
    FUZZ_CHECK(error.description() == standardDescription(error.number()));
    for (int32_t number : allowed) {
      if (error.number() == number) return number;
    }
    std::fprintf(stderr, "FINDING unexpected runtime error %d\n", error.number());
    std::abort();
  }
}

// Bytes as UTF-16 text. Each byte stands for the Latin-1 character of its
// value, except 0xFF, which takes the next two bytes (low one first) as one
// UTF-16 unit: seeds stay readable, yet every unit, surrogates included, can
// be reached.
inline std::u16string textOf(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (byte == 0xFF && i + 2 < bytes.size()) {
      text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i + 1]) |
                                    static_cast<unsigned char>(bytes[i + 2]) << 8);
      i += 2;
    } else {
      text += static_cast<char16_t>(byte);
    }
  }
  return text;
}

inline std::string_view bytesOf(const uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A text as printable ASCII for a finding's message.
inline std::string shown(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x20 && c < 0x7F) {
      out += static_cast<char>(c);
    } else {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
      out += escape;
    }
  }
  return out;
}

}  // namespace orvalis::fuzz
