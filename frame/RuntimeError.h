// Runtime errors as automation hosts know them: a VB error number and its
// standard description. Every failure inside the library's own logic is one
// of these; the COM boundary turns it into 0x800A0000 + number and IErrorInfo.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace orvalis {

namespace vb_error {
constexpr int32_t InvalidProcedureCall = 5;
constexpr int32_t Overflow = 6;
constexpr int32_t OutOfMemory = 7;
constexpr int32_t SubscriptOutOfRange = 9;
constexpr int32_t DivisionByZero = 11;
constexpr int32_t TypeMismatch = 13;
constexpr int32_t BadFileNameOrNumber = 52;
constexpr int32_t FileNotFound = 53;
constexpr int32_t BadFileMode = 54;
constexpr int32_t DeviceIoError = 57;
constexpr int32_t DiskFull = 61;
constexpr int32_t PermissionDenied = 70;
constexpr int32_t PathFileAccessError = 75;
constexpr int32_t PathNotFound = 76;
constexpr int32_t ObjectVariableNotSet = 91;
constexpr int32_t InvalidUseOfNull = 94;
constexpr int32_t ObjectRequired = 424;
constexpr int32_t ObjectDoesntSupportMember = 438;
constexpr int32_t WrongNumberOfArguments = 450;
constexpr int32_t AutomationError = 440;
constexpr int32_t ResourceNotFound = 326;
constexpr int32_t CantCreateObject = 429;
constexpr int32_t ClassDoesntSupportAutomation = 430;
constexpr int32_t InvalidPicture = 481;
constexpr int32_t NamedArgumentsNotSupported = 446;
constexpr int32_t NamedArgumentNotFound = 448;
constexpr int32_t ArgumentNotOptional = 449;
constexpr int32_t UnsupportedAutomationType = 458;
}  // namespace vb_error

// The standard description of a VB error number ("Overflow" for 6), or
// "Application-defined or object-defined error" for numbers without one.
std::u16string standardDescription(int32_t number);

class RuntimeError : public std::exception {
 public:
  explicit RuntimeError(int32_t number);
  RuntimeError(int32_t number, std::u16string description);

  int32_t number() const noexcept { return number_; }
  const std::u16string& description() const noexcept { return description_; }
  // Where the error came from when another component raised it (the
  // source a host's or framework's exception named); empty for the
  // library's own errors.
  const std::u16string& source() const noexcept { return source_; }
  void setSource(std::u16string source) { source_ = std::move(source); }
  const char* what() const noexcept override { return "orvalis runtime error"; }

 private:
  int32_t number_;
  std::u16string description_;
  std::u16string source_;
};

// The VB error number the runtime reports for a failed call's HRESULT: the
// number inside an HRESULT of the control facility (0x800A0000 + number),
// the runtime's number for the failures it knows (DISP_E_PARAMNOTOPTIONAL
// is 449, E_OUTOFMEMORY 7, ...), or 0 for any other code, which the runtime
// reports as an "Automation error".
int32_t errorNumberForHresult(int32_t hresult);

// The runtime error for a late-bound call into a host object that failed
// with `hresult` (the HRESULT itself, or the code the host's exception
// carried). The host's own description is kept whenever it gave one;
// without it a VB error gets the runtime's standard description, and any
// other code becomes "Automation error" followed by `systemText` (the
// system's message for the code, may be empty), numbered with the HRESULT.
// The host's `source`, when it named one, stays with the error.
RuntimeError hostCallError(int32_t hresult, std::u16string description, std::u16string_view systemText,
                           std::u16string source = {});

}  // namespace orvalis
