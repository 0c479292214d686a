#include "frame/Variant.h"

namespace orvalis {

bool Variant::isMissing() const {
  return type_ == VarType::Error && integral() == missing().integral();
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
      return true;
    default:
      return false;
  }
}

}  // namespace orvalis
