// The platform as the class logic reaches it: one narrow interface per
// service. The DLL wires in the Windows implementations; tests wire in
// recording doubles.
#pragma once

namespace orvalis {

class Runtime;
class MciService;

struct Platform {
  Runtime& runtime;
  MciService& mci;
};

}  // namespace orvalis
