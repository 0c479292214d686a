#include "frame/com/AutomationObject.h"

namespace orvalis::com {

DispatchArguments::DispatchArguments(const DISPPARAMS* params) : original_(params) {
  if (!params) return;
  params_ = *params;
  copies_.resize(params->cArgs);
  for (UINT i = 0; i < params->cArgs; ++i) {
    VariantInit(&copies_[i]);
    // A plain copy: by-reference arguments keep their pointers.
    copies_[i] = params->rgvarg[i];
    if (!(V_VT(&copies_[i]) & VT_BYREF)) {
      VariantInit(&copies_[i]);
      if (FAILED(VariantCopy(&copies_[i], &params->rgvarg[i]))) copies_[i] = params->rgvarg[i];
      else owned_.push_back(i);
    }
  }
  params_.rgvarg = copies_.empty() ? nullptr : copies_.data();
}

DispatchArguments::~DispatchArguments() {
  for (UINT i : owned_) VariantClear(&copies_[i]);
}

}  // namespace orvalis::com
