#include "frame/clsVxOrvalisA.h"

#include <new>
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
// number, description and source of the error being handled. An error
// that came out of another component keeps the source it named.
ObjectRef currentErrorObject(const RuntimeError& error) {
  return std::make_shared<PropertyObject>(std::vector<PropertyObject::Property>{
      {u"Number", Variant(error.number())},
      {u"Description", error.description()},
      {u"Source", error.source().empty() ? std::u16string(kSource) : error.source()},
  });
}

// A failure inside an About step as the runtime reports it: a runtime error
// as it is, an exhausted memory as error 7, anything else as the automation
// error of an unexpected failure.
RuntimeError stepFailure() {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return RuntimeError(vb_error::OutOfMemory);
  } catch (...) {
    return hostCallError(static_cast<int32_t>(0x8000FFFFu), {}, {});  // E_UNEXPECTED
  }
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
  } catch (...) {
    failure = stepFailure();
  }
  if (failure) reportError(*failure);
}

int32_t clsVxOrvalisA::About() {
  ObjectRef about;
  reportingErrors([&] { about = global_.createObject(kAboutProgId); });
  reportingErrors([&] {
    // After a failed creation there is no object to call.
    if (!about) throw RuntimeError(vb_error::ObjectVariableNotSet);
    // Its result is not used: whatever it returns is dropped unread.
    std::vector<Argument> args = {{Variant(global_.application()), false}};
    about->invoke(u"AppAboutVxel", CallKind::Statement, args);
  });
  reportingErrors([&] { about.reset(); });
  return 0;
}

// The framework's error report for a failed About step: the application
// object, the current error, and where it happened. The by-reference
// arguments go as references of their declared types (Object, String,
// Long); the two texts without content are null strings. The report's
// result and what it writes back are not used.
void clsVxOrvalisA::reportError(const RuntimeError& error) {
  ObjectRef handler = global_.createObject(kErrorHandlerProgId);
  std::vector<Argument> args = {
      Argument::typedReference(Variant(global_.application())),
      Argument::typedReference(Variant(currentErrorObject(error))),
      Argument::typedReference(Variant::nullString()),
      Argument::typedReference(Variant(std::u16string(kAboutLocation))),
      Argument::typedReference(Variant(int32_t{0})),
      Argument::typedReference(Variant::nullString()),
      Argument::typedReference(Variant(int32_t{0})),
      {Variant::missing(), false},
  };
  handler->invoke(u"ErrorHandlerMessageVx", CallKind::Statement, args);
}

}  // namespace orvalis
