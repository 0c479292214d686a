// The automation Variant as the library's logic sees it: Empty, Null, Error
// and the scalar subtypes, text, and references to late-bound objects. The
// type tags carry the automation runtime's VARTYPE numbers so the COM layer
// maps them one to one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>

namespace orvalis {

class HostObject;
using ObjectRef = std::shared_ptr<HostObject>;

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
  Byte = 17,
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

  static Variant null() { return Variant(NullTag{}); }
  static Variant boolean(bool v) { return Variant(BooleanValue{toVariantBool(v)}); }
  static Variant error(int32_t scode) { return Variant(ErrorCode{scode}); }
  // The marker of a left-out optional argument (DISP_E_PARAMNOTFOUND).
  static Variant missing() { return error(static_cast<int32_t>(0x80020004u)); }

  VarType type() const { return type_; }
  bool isEmpty() const { return type_ == VarType::Empty; }
  bool isNull() const { return type_ == VarType::Null; }
  bool isMissing() const;
  bool isNumeric() const;  // Integer, Long, Single, Double, Currency, Byte, Boolean, Date

  // Raw payloads; each asserts its subtype family.
  int64_t integral() const { return std::get<int64_t>(value_); }  // Integer, Long, Byte, Boolean, Error
  double floating() const { return std::get<double>(value_); }   // Single, Double, Date
  int64_t currencyScaled() const { return std::get<int64_t>(value_); }
  const std::u16string& text() const { return std::get<std::u16string>(value_); }
  const ObjectRef& object() const { return std::get<ObjectRef>(value_); }

 private:
  VarType type_ = VarType::Empty;
  std::variant<EmptyTag, NullTag, int64_t, double, std::u16string, ObjectRef> value_;
};

}  // namespace orvalis
