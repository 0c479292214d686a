// Members declared with a Variant result that is always Empty: the body runs
// for its effect, and the result is the Empty Variant.
#pragma once

#include "frame/Variant.h"

namespace orvalis::com {

template <class Body>
auto emptyResult(Body body) {
  return [body]() mutable {
    body();
    return Variant();
  };
}

}  // namespace orvalis::com
