// The runtime error a piece of core code raises, for tests that compare
// error numbers rather than catch exceptions themselves.
#pragma once

#include <cstdint>
#include <utility>

#include "frame/RuntimeError.h"

namespace orvalis::testing {

// The runtime error number that `body` raises, 0 when it returns.
template <class Body>
int32_t raisedError(Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (const RuntimeError& error) {
    return error.number();
  }
  return 0;
}

}  // namespace orvalis::testing
