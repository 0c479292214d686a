#include "frame/clsVxOrvalisA.h"

#include <optional>
#include <utility>

#include "frame/Conversion.h"
#include "frame/LibraryGlobal.h"
#include "frame/PropertyObject.h"

namespace orvalis {

namespace {

constexpr std::u16string_view kAboutProgId = u"VxBrennet.clsVxBrennetA";
constexpr std::u16string_view kErrorHandlerProgId = u"VxBrennet.clsVxelErrorHandlerA";
// Where the error report says the error happened.
constexpr std::u16string_view kAboutLocation = u"basVxelCommonA.AppAboutVxel_Pro";
// The error source of the class, as the COM boundary names it too.
constexpr std::u16string_view kSource = u"Orvalis.clsVxOrvalisA";

// The current-error object handed to the framework's error report: the
// number, description and source of the error being handled.
ObjectRef currentErrorObject(const RuntimeError& error) {
  return std::make_shared<PropertyObject>(std::vector<PropertyObject::Property>{
      {u"Number", Variant(error.number())},
      {u"Description", error.description()},
      {u"Source", std::u16string(kSource)},
  });
}

}  // namespace

clsVxOrvalisA::clsVxOrvalisA(Platform& platform) : global_(platform.global) {}

ObjectRef clsVxOrvalisA::GetProStdProperties() { return global_.application(); }

std::u16string clsVxOrvalisA::GetProResStrings(int32_t lResId) { return global_.loadString(lResId); }

ObjectRef clsVxOrvalisA::GetProResPicture(int32_t lResId, int32_t lRestype) {
  // The loader takes the kind as an Integer: the conversion overflows
  // before anything is loaded.
  const int16_t kind = toInteger(int64_t{lRestype});
  return global_.loadPicture(Variant(lResId), kind);
}

std::vector<uint8_t> clsVxOrvalisA::GetProResData(int32_t lResId, const Variant& vRestype) {
  return global_.loadData(Variant(lResId), vRestype);
}

ObjectRef clsVxOrvalisA::BuddyObjectGlobal() { return global_.sharedObject(); }

void clsVxOrvalisA::setBuddyObjectGlobal(const ObjectRef& oNewValue) {
  global_.setSharedObject(oNewValue);
}

// --- About -------------------------------------------------------------------

// Runs one step of About; a runtime error in it is reported and the caller
// goes on with the next step. The report runs outside the step's handler,
// so an error inside the report itself ends About and reaches its caller.
template <class Step>
void clsVxOrvalisA::reportingErrors(Step&& step) {
  std::optional<RuntimeError> failure;
  try {
    std::forward<Step>(step)();
  } catch (const RuntimeError& error) {
    failure = error;
  }
  if (failure) reportError(*failure);
}

int32_t clsVxOrvalisA::About() {
  ObjectRef about;
  reportingErrors([&] { about = global_.createObject(kAboutProgId); });
  reportingErrors([&] {
    // After a failed creation there is no object to call.
    if (!about) throw RuntimeError(vb_error::ObjectVariableNotSet);
    about->call(u"AppAboutVxel", Argument{Variant(global_.application()), false});
  });
  reportingErrors([&] { about.reset(); });
  return 0;
}

// The framework's error report for a failed About step: the application
// object, the current error, and where it happened.
void clsVxOrvalisA::reportError(const RuntimeError& error) {
  ObjectRef handler = global_.createObject(kErrorHandlerProgId);
  std::vector<Argument> args = {
      {Variant(global_.application()), true},
      {Variant(currentErrorObject(error)), true},
      {Variant(u""), true},
      {Variant(std::u16string(kAboutLocation)), true},
      {Variant(int32_t{0}), true},
      {Variant(u""), true},
      {Variant(int32_t{0}), true},
      {Variant::missing(), false},
  };
  handler->invoke(u"ErrorHandlerMessageVx", CallKind::Method, args);
}

}  // namespace orvalis
