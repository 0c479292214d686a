// The dual interface _clsVxAudoCDRomA over the drive list's logic.
#include "cd/clsVxAudoCDRomA.h"
#include "frame/com/AutomationObject.h"
#include "frame/com/Classes.h"
#include "frame/com/CollectionObject.h"

namespace orvalis::com {

namespace {

class CDRomAObject final : public AutomationObject<CDRomAObject, _clsVxAudoCDRomA, clsVxAudoCDRomA> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.clsVxAudoCDRomA";

  // The count goes to the caller's Variant (as an Integer) before the
  // collection object is made.
  STDMETHODIMP CDRomsCollection(VARIANT* vCDRomDetect, _Collection** result) override {
    if (!result) return E_POINTER;
    *result = nullptr;
    return runMember([&] {
      VARIANT& variable = callerVariable(vCDRomDetect);
      Variant detect;
      const Collection cdRoms = coreObject().CDRomsCollection(detect);
      storeInVariable(&variable, detect);
      *result = newCollection(cdRoms);
    });
  }
  STDMETHODIMP Eject(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().Eject(); }); }
  STDMETHODIMP Load(LONG* result) override { return runMemberReturning(result, [&] { return coreObject().Load(); }); }
};

}  // namespace

IUnknown* create_clsVxAudoCDRomA() { return CDRomAObject::create(); }

}  // namespace orvalis::com
