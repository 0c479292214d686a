// The automation Variant as the library's logic sees it: Empty, Null, Error
// and the scalar subtypes, text, and references to late-bound objects; and,
// held unopened, the values it cannot look into (arrays, objects without
// IDispatch, records). The type tags carry the automation runtime's
// VARTYPE numbers so the COM layer maps them one to one.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <variant>

namespace orvalis {

class HostObject;
using ObjectRef = std::shared_ptr<HostObject>;

// A value that a Variant parameter may hold but the logic cannot use: the
// COM layer keeps it as it came, so that it can go back to the caller
// unchanged. Every conversion or operation on it is a type mismatch, as in
// the runtime: a member's step that uses it fails, not the call.
class OpaqueValue {
 public:
  virtual ~OpaqueValue() = default;
};
using OpaqueRef = std::shared_ptr<const OpaqueValue>;

enum class VarType : uint16_t {
  Empty = 0,
  Null = 1,
  Integer = 2,
  Long = 3,
  Single = 4,
  Double = 5,
  Currency = 6,
  Date = 7,
  String = 8,
  Object = 9,
  Error = 10,
  Boolean = 11,
  Unknown = 13,  // an object without IDispatch (opaque)
  Decimal = 14,
  SignedByte = 16,
  Byte = 17,
  UnsignedInteger = 18,
  UnsignedLong = 19,
  LongLong = 20,
  UnsignedLongLong = 21,
  Record = 36,    // a user-defined type (opaque)
  Array = 0x2000, // an array of any element type (opaque)
};

// Boolean as automation stores it: True is -1, False is 0.
using VariantBool = int16_t;
constexpr VariantBool kTrue = -1;
constexpr VariantBool kFalse = 0;
inline VariantBool toVariantBool(bool value) { return value ? kTrue : kFalse; }

class Variant {
 public:
  struct EmptyTag {};
  struct NullTag {};
  struct ErrorCode { int32_t scode; };
  struct CurrencyValue { int64_t scaled; };  // value × 10 000
  struct DateValue { double days; };
  struct BooleanValue { VariantBool value; };
  // A 96-bit unsigned whole number scaled down by 10^scale (0 to 28), with
  // a sign: the automation runtime's Decimal.
  struct DecimalValue {
    uint32_t high = 0;
    uint64_t low = 0;
    uint8_t scale = 0;
    bool negative = false;
    bool operator==(const DecimalValue&) const = default;
  };

  Variant() = default;
  Variant(NullTag) : type_(VarType::Null), value_(NullTag{}) {}
  Variant(int16_t v) : type_(VarType::Integer), value_(int64_t{v}) {}
  Variant(int32_t v) : type_(VarType::Long), value_(int64_t{v}) {}
  Variant(uint8_t v) : type_(VarType::Byte), value_(int64_t{v}) {}
  Variant(float v) : type_(VarType::Single), value_(double{v}) {}
  Variant(double v) : type_(VarType::Double), value_(v) {}
  Variant(CurrencyValue v) : type_(VarType::Currency), value_(v.scaled) {}
  Variant(DateValue v) : type_(VarType::Date), value_(v.days) {}
  Variant(BooleanValue v) : type_(VarType::Boolean), value_(int64_t{v.value}) {}
  Variant(ErrorCode v) : type_(VarType::Error), value_(int64_t{v.scode}) {}
  Variant(std::u16string v) : type_(VarType::String), value_(std::move(v)) {}
  Variant(const char16_t* v) : Variant(std::u16string(v)) {}
  Variant(ObjectRef v) : type_(VarType::Object), value_(std::move(v)) {}
  Variant(DecimalValue v) : type_(VarType::Decimal), value_(v) {}

  static Variant null() { return Variant(NullTag{}); }
  // The null string reference (vbNullString): a String that reads as the
  // empty text but goes out as no text at all, not as a text of length 0.
  static Variant nullString() {
    Variant value{std::u16string()};
    value.nullString_ = true;
    return value;
  }
  static Variant boolean(bool v) { return Variant(BooleanValue{toVariantBool(v)}); }
  static Variant error(int32_t scode) { return Variant(ErrorCode{scode}); }
  // The marker of a left-out optional argument (DISP_E_PARAMNOTFOUND).
  static Variant missing() { return error(static_cast<int32_t>(0x80020004u)); }
  // The subtypes that hosts written in other languages pass (C++, .NET);
  // named, not implicit, so that no integer silently picks one of them.
  static Variant signedByte(int8_t v) { return Variant(VarType::SignedByte, int64_t{v}); }
  static Variant unsignedInteger(uint16_t v) { return Variant(VarType::UnsignedInteger, int64_t{v}); }
  static Variant unsignedLong(uint32_t v) { return Variant(VarType::UnsignedLong, int64_t{v}); }
  static Variant longLong(int64_t v) { return Variant(VarType::LongLong, v); }
  static Variant unsignedLongLong(uint64_t v);
  // Unknown, Record or Array, held unopened.
  static Variant opaque(VarType type, OpaqueRef v);

  VarType type() const { return type_; }
  bool isEmpty() const { return type_ == VarType::Empty; }
  bool isNull() const { return type_ == VarType::Null; }
  bool isNullString() const { return nullString_; }
  bool isMissing() const;
  bool isNumeric() const;  // every number subtype, Boolean and Date
  bool isOpaque() const { return std::holds_alternative<OpaqueRef>(value_); }

  // Raw payloads; each asserts its subtype family.
  // Integer, Long, Byte, Boolean, Error, SignedByte, UnsignedInteger,
  // UnsignedLong, LongLong:
  int64_t integral() const { return std::get<int64_t>(value_); }
  double floating() const { return std::get<double>(value_); }   // Single, Double, Date
  int64_t currencyScaled() const { return std::get<int64_t>(value_); }
  const std::u16string& text() const { return std::get<std::u16string>(value_); }
  const ObjectRef& object() const { return std::get<ObjectRef>(value_); }
  uint64_t unsignedIntegral() const { return std::get<uint64_t>(value_); }  // UnsignedLongLong
  const DecimalValue& decimal() const { return std::get<DecimalValue>(value_); }
  const OpaqueRef& opaque() const { return std::get<OpaqueRef>(value_); }  // Unknown, Record, Array

 private:
  Variant(VarType type, int64_t v) : type_(type), value_(v) {}

  VarType type_ = VarType::Empty;
  bool nullString_ = false;
  std::variant<EmptyTag, NullTag, int64_t, double, std::u16string, ObjectRef, uint64_t, DecimalValue,
               OpaqueRef>
      value_;
};

// A by-reference Variant parameter read through the caller's variable each
// time it is called: host code that runs while a member waits may change it.
using VariantReference = std::function<Variant()>;

}  // namespace orvalis
