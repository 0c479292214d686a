#include "frame/Variant.h"

namespace orvalis {

bool Variant::isMissing() const {
  return type_ == VarType::Error && integral() == missing().integral();
}

Variant Variant::unsignedLongLong(uint64_t v) {
  Variant value;
  value.type_ = VarType::UnsignedLongLong;
  value.value_ = v;
  return value;
}

Variant Variant::opaque(VarType type, OpaqueRef v) {
  Variant value;
  value.type_ = type;
  value.value_ = std::move(v);
  return value;
}

bool Variant::isNumeric() const {
  switch (type_) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Currency:
    case VarType::Date:
    case VarType::Boolean:
    case VarType::Byte:
    case VarType::Decimal:
    case VarType::SignedByte:
    case VarType::UnsignedInteger:
    case VarType::UnsignedLong:
    case VarType::LongLong:
    case VarType::UnsignedLongLong:
      return true;
    default:
      return false;
  }
}

}  // namespace orvalis
