// The dual interface _clsVxAudoMCISoundRecA over the recorder's logic: each
// vtable member forwards to the core in one line.
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "wave/clsVxAudoMCISoundRecA.h"

namespace orvalis::com {

namespace {

class MCISoundRecAObject final
    : public AutomationObject<MCISoundRecAObject, _clsVxAudoMCISoundRecA, clsVxAudoMCISoundRecA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoMCISoundRecA";

  STDMETHODIMP RecordSound(BSTR* sFileName, BSTR* sBitsPerSample, BSTR* sSamplesPerSec, VARIANT* vDuration,
                           SHORT* result) override {
    return runMemberReturning(result, [&] {
      return coreObject().RecordSound(fromAbi(callerVariable(sFileName)), fromAbi(callerVariable(sBitsPerSample)), fromAbi(callerVariable(sSamplesPerSec)), fromAbiOptional(vDuration));
    });
  }
  STDMETHODIMP StopRecording() override { return runMember([&] { coreObject().StopRecording(); }); }
};

}  // namespace

IUnknown* create_clsVxAudoMCISoundRecA() { return MCISoundRecAObject::create(); }

}  // namespace orvalis::com
