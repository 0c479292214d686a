#include "frame/com/DispatchArguments.h"
#include "frame/com/TypeInfoInvoke.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace orvalis::com {

// --- Calling a vtable entry ----------------------------------------------------

namespace {

using Word = ULONG_PTR;
template <size_t>
using WordAt = Word;

// The argument as the word the member's declared type makes of it (signed
// types widened with their sign, as DispCallFunc widens them).
Word wordOf(const VARIANT& argument, VARTYPE type) {
  if (type & (VT_BYREF | VT_ARRAY)) return reinterpret_cast<Word>(V_BYREF(&argument));
  switch (type) {
    case VT_I1: return static_cast<Word>(static_cast<LONG_PTR>(V_I1(&argument)));
    case VT_UI1: return V_UI1(&argument);
    case VT_I2: return static_cast<Word>(static_cast<LONG_PTR>(V_I2(&argument)));
    case VT_UI2: return V_UI2(&argument);
    case VT_BOOL: return static_cast<Word>(static_cast<LONG_PTR>(V_BOOL(&argument)));
    case VT_I4:
    case VT_ERROR: return static_cast<Word>(static_cast<LONG_PTR>(V_I4(&argument)));
    case VT_UI4: return V_UI4(&argument);
    default: return reinterpret_cast<Word>(V_BYREF(&argument));  // BSTR, IDispatch*, IUnknown*
  }
}

template <size_t... I>
HRESULT callWithWords(IUnknown* object, ULONG_PTR offset, const Word* words, std::index_sequence<I...>) {
  using Entry = HRESULT(STDMETHODCALLTYPE*)(IUnknown*, WordAt<I>...);
  const Entry* vtable = *reinterpret_cast<const Entry* const*>(object);
  return vtable[offset / sizeof(void*)](object, words[I]...);
}

// The call DispCallFunc makes for such a member, without the argument list
// it allocates on every call.
HRESULT callWithWords(IUnknown* object, ULONG_PTR offset, const Word* words, size_t count) {
  switch (count) {
    case 0: return callWithWords(object, offset, words, std::make_index_sequence<0>());
    case 1: return callWithWords(object, offset, words, std::make_index_sequence<1>());
    case 2: return callWithWords(object, offset, words, std::make_index_sequence<2>());
    case 3: return callWithWords(object, offset, words, std::make_index_sequence<3>());
    case 4: return callWithWords(object, offset, words, std::make_index_sequence<4>());
    case 5: return callWithWords(object, offset, words, std::make_index_sequence<5>());
    case 6: return callWithWords(object, offset, words, std::make_index_sequence<6>());
    case 7: return callWithWords(object, offset, words, std::make_index_sequence<7>());
    default: return callWithWords(object, offset, words, std::make_index_sequence<kMaxWordParameters>());
  }
}

}  // namespace

// --- Omitted arguments ----------------------------------------------------------

namespace {

// The stand-ins of the calls in progress on this thread, innermost first (a
// member may call a host that calls the library again).
struct OmittedArguments {
  const void* values[kMaxParameters];
  size_t count = 0;
  const OmittedArguments* outer = nullptr;
};

thread_local const OmittedArguments* tOmitted = nullptr;

}  // namespace

bool isOmitted(const void* value) {
  for (const OmittedArguments* call = tOmitted; call; call = call->outer) {
    for (size_t i = 0; i < call->count; ++i) {
      if (call->values[i] == value) return true;
    }
  }
  return false;
}

// --- One call -------------------------------------------------------------------

namespace {

bool isMissing(const VARIANT& value) {
  return V_VT(&value) == VT_ERROR && V_ERROR(&value) == DISP_E_PARAMNOTFOUND;
}

// The Variant a reference to a Variant leads to (through references to
// references), nullptr for a null reference.
VARIANT* referencedVariant(const VARIANT& reference) {
  VARIANT* target = V_VARIANTREF(&reference);
  for (int depth = 0; target && V_VT(target) == (VT_BYREF | VT_VARIANT) && depth < 8; ++depth)
    target = V_VARIANTREF(target);
  return target && V_VT(target) == (VT_BYREF | VT_VARIANT) ? nullptr : target;
}

// Where a VARIANT keeps its value: what a by-reference VARIANT of its type
// points at (a Decimal fills the whole VARIANT).
void* valueOf(VARIANT& value) {
  return V_VT(&value) == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(&value)) : &V_I4(&value);
}

// The value bits of a VARIANT, to tell whether a member changed it.
LONGLONG valueBits(const VARIANT& value) {
  LONGLONG bits;
  std::memcpy(&bits, &V_I8(&value), sizeof bits);
  return bits;
}

class PreparedCall {
 public:
  PreparedCall(const Member& member, const DISPPARAMS& params)
      : member_(member), params_(params), count_(std::min(member.parameters.size(), kMaxParameters)) {
    std::memset(slots_, 0, count_ * sizeof(Slot));  // every VARIANT empty
    placeArguments();
    if (usable_) prepareArguments();
    if (omitted_.count) {
      omitted_.outer = tOmitted;
      tOmitted = &omitted_;
    }
  }

  ~PreparedCall() {
    if (omitted_.count) tOmitted = omitted_.outer;
    for (size_t i = 0; i < count_; ++i) {
      if (V_VT(&slots_[i].owned) != VT_EMPTY) VariantClear(&slots_[i].owned);
    }
    for (UINT i : delegateOwned_) VariantClear(&delegateArguments_[i]);
  }

  PreparedCall(const PreparedCall&) = delete;
  PreparedCall& operator=(const PreparedCall&) = delete;

  // Whether the vtable member can be called here, every argument in place.
  bool direct() const { return usable_ && member_.direct && complete_; }

  HRESULT callDirectly(IUnknown* object, VARIANT* result, EXCEPINFO* exception) {
    const size_t count = member_.parameters.size();
    VARTYPE types[kMaxParameters];
    VARIANTARG* pointers[kMaxParameters];
    Slot* resultSlot = nullptr;
    for (size_t i = 0; i < count; ++i) {
      const Parameter& parameter = member_.parameters[i];
      Slot& slot = slots_[i];
      types[i] = parameter.type;
      if (parameter.result()) {
        // The member writes its result into `owned`, typed from the start
        // so that clearing it frees what the member stored.
        resultSlot = &slot;
        VariantInit(&slot.owned);
        V_VT(&slot.passed) = parameter.type;
        if (parameter.referenced() == VT_VARIANT) {
          V_VARIANTREF(&slot.passed) = &slot.owned;
        } else {
          V_VT(&slot.owned) = parameter.referenced();
          V_BYREF(&slot.passed) = valueOf(slot.owned);
        }
        pointers[i] = &slot.passed;
      } else {
        pointers[i] = slot.source >= 0 && slot.usesSource ? &params_.rgvarg[slot.source] : &slot.passed;
      }
    }
    HRESULT hr;
    if (member_.words) {
      Word words[kMaxWordParameters];
      for (size_t i = 0; i < count; ++i) words[i] = wordOf(*pointers[i], types[i]);
      hr = callWithWords(object, member_.vtableOffset, words, count);
    } else {
      VARIANT returned;
      VariantInit(&returned);
      const HRESULT called = DispCallFunc(object, member_.vtableOffset, member_.callingConvention,
                                          VT_ERROR, static_cast<UINT>(count), types, pointers, &returned);
      if (FAILED(called)) {
        writeBack();
        return called;
      }
      hr = V_ERROR(&returned);
    }
    writeBack();
    if (FAILED(hr)) {
      if (resultSlot) VariantClear(&resultSlot->owned);
      if (exception) describeFailure(hr, *exception);
      return DISP_E_EXCEPTION;
    }
    if (resultSlot) {
      if (result) {
        VariantInit(result);
        *result = resultSlot->owned;  // moved: the caller owns it now
        VariantInit(&resultSlot->owned);
      } else {
        VariantClear(&resultSlot->owned);
      }
    }
    return S_OK;
  }

  // The arguments for ITypeInfo::Invoke: the caller's, except that
  // references to Variants for typed parameters become references of the
  // declared type, left-out optional typed parameters get their stand-ins
  // (as named arguments when they are not in the list at all), and values
  // for by-reference parameters are copies (ITypeInfo::Invoke would write
  // the member's change into them). Names that match no parameter are left
  // out: Wine's Invoke passes over them, but counts them where it checks
  // that no argument lands on the result.
  DISPPARAMS* delegateArguments() {
    if (!usable_) return protectedCopy();
    std::vector<int> moved(params_.cArgs, -1);  // each argument's index in the new list
    for (size_t i = 0; i < member_.parameters.size(); ++i) {
      const int source = slots_[i].source;
      if (source >= 0 && static_cast<UINT>(source) < params_.cNamedArgs) moved[source] = 0;
    }
    for (UINT j = 0; j < params_.cNamedArgs; ++j) {
      if (moved[j] < 0) continue;
      moved[j] = static_cast<int>(delegateArguments_.size());
      delegateArguments_.push_back(params_.rgvarg[j]);
      delegateNames_.push_back(params_.rgdispidNamedArgs[j]);
    }
    for (size_t i = 0; i < member_.parameters.size(); ++i) {
      const Slot& slot = slots_[i];
      if (slot.source < 0 && slot.standIn) {
        delegateArguments_.push_back(slot.passed);
        delegateNames_.push_back(static_cast<DISPID>(i));
      }
    }
    for (UINT j = params_.cNamedArgs; j < params_.cArgs; ++j) {
      moved[j] = static_cast<int>(delegateArguments_.size());
      delegateArguments_.push_back(params_.rgvarg[j]);
    }
    for (size_t i = 0; i < member_.parameters.size(); ++i) {
      const Parameter& parameter = member_.parameters[i];
      const Slot& slot = slots_[i];
      if (parameter.result() || slot.source < 0) continue;
      const auto index = static_cast<UINT>(moved[slot.source]);
      if (slot.prepared && !slot.usesSource && parameter.byReference()) {
        delegateArguments_[index] = slot.passed;
      } else if (parameter.byReference() && !(V_VT(&delegateArguments_[index]) & VT_BYREF)) {
        protect(index);
      }
    }
    delegateParams_.rgvarg = delegateArguments_.empty() ? nullptr : delegateArguments_.data();
    delegateParams_.rgdispidNamedArgs = delegateNames_.empty() ? nullptr : delegateNames_.data();
    delegateParams_.cArgs = static_cast<UINT>(delegateArguments_.size());
    delegateParams_.cNamedArgs = static_cast<UINT>(delegateNames_.size());
    return &delegateParams_;
  }

  // Puts what the member stored in a converted value back into the
  // caller's Variant, in the declared type; an unchanged value leaves the
  // Variant as it was.
  void writeBack() {
    if (writtenBack_) return;
    writtenBack_ = true;
    for (size_t i = 0; i < count_; ++i) {
      Slot& slot = slots_[i];
      if (!slot.variable || valueBits(slot.owned) == slot.before) continue;
      VariantClear(slot.variable);
      *slot.variable = slot.owned;
      VariantInit(&slot.owned);
    }
  }

 private:
  struct Slot {
    VARIANT passed;        // what the member gets, in the declared type
    VARIANT owned;         // a converted value, a copy or a stand-in, cleared at the end
    VARIANT* variable;     // the caller's Variant that gets `owned` back when it changed
    LONGLONG before;       // the bits of `owned` when the member was called
    int source;            // the argument's index in rgvarg; -1 when it was left out
    bool prepared;         // `passed` (or the argument itself) is ready
    bool usesSource;       // the member gets the caller's argument as it is
    bool standIn;          // `owned` stands in for a left-out argument
  };

  // Which argument goes to which parameter, by the rules of
  // ITypeInfo::Invoke: named ones by position number (the property-put
  // value to the last parameter), the others in order.
  void placeArguments() {
    const size_t count = member_.parameters.size();
    if (count > kMaxParameters || params_.cNamedArgs > params_.cArgs) {
      usable_ = false;
      return;
    }
    if ((member_.kind & (INVOKE_PROPERTYPUT | INVOKE_PROPERTYPUTREF)) &&
        (!params_.cNamedArgs || params_.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)) {
      complete_ = false;
    }
    UINT positional = 0, named = 0;
    for (size_t i = 0; i < count; ++i) {
      Slot& slot = slots_[i];
      slot.source = -1;
      if (member_.parameters[i].flags & PARAMFLAG_FLCID) continue;
      for (UINT j = 0; j < params_.cNamedArgs; ++j) {
        const DISPID name = params_.rgdispidNamedArgs[j];
        if (name == static_cast<DISPID>(i) || (i == count - 1 && name == DISPID_PROPERTYPUT)) {
          slot.source = static_cast<int>(j);
          ++named;
          break;
        }
      }
      if (slot.source < 0 && positional + params_.cNamedArgs < params_.cArgs) {
        slot.source = static_cast<int>(params_.cArgs - 1 - positional);
        ++positional;
      }
      if (member_.parameters[i].result() && slot.source >= 0) complete_ = false;
    }
    if (positional + named != params_.cArgs) complete_ = false;
  }

  void prepareArguments() {
    for (size_t i = 0; i < member_.parameters.size(); ++i) {
      const Parameter& parameter = member_.parameters[i];
      if (parameter.result()) continue;
      Slot& slot = slots_[i];
      prepare(parameter, slot, slot.source >= 0 ? &params_.rgvarg[slot.source] : nullptr);
      if (!slot.prepared) complete_ = false;
    }
  }

  void prepare(const Parameter& parameter, Slot& slot, VARIANT* argument) {
    VARIANT* target = argument && V_VT(argument) == (VT_BYREF | VT_VARIANT) ? referencedVariant(*argument) : nullptr;
    // A script passes a variable that holds the missing marker (an
    // optional argument it was itself given) as its own left-out argument.
    const bool leftOut =
        !argument || (parameter.optional() && (isMissing(*argument) ||
                                               (parameter.typedReference() && target && isMissing(*target))));
    if (leftOut) return prepareLeftOut(parameter, slot);
    const VARTYPE given = V_VT(argument);
    if (given == parameter.type || parameter.type == VT_VARIANT) {
      slot.usesSource = slot.prepared = true;
    } else if (parameter.type == (VT_BYREF | VT_VARIANT)) {
      // A value for a Variant by reference: the member works on a copy.
      if ((parameter.flags & PARAMFLAG_FIN) && FAILED(VariantCopy(&slot.owned, argument))) return;
      refer(slot, parameter.type);
    } else if (parameter.typedReference() && given == (VT_BYREF | VT_VARIANT)) {
      prepareVariable(parameter, slot, target);
    } else if (!(given & VT_BYREF) || !parameter.byReference()) {
      // A value of another type: converted, as ITypeInfo::Invoke converts
      // it; by reference the member works on the converted copy.
      if (FAILED(VariantChangeType(&slot.owned, argument, 0, parameter.referenced()))) return;
      if (parameter.byReference()) {
        refer(slot, parameter.type);
      } else {
        slot.passed = slot.owned;
        slot.prepared = true;
      }
    }
    // A reference of another declared type stays as it is: ITypeInfo::Invoke
    // refuses it.
  }

  // A script's variable (a reference to a Variant) for a typed parameter.
  void prepareVariable(const Parameter& parameter, Slot& slot, VARIANT* target) {
    if (!target) return;
    const VARTYPE held = V_VT(target);
    if (held == parameter.type) {
      // The Variant holds a reference of the declared type: that one goes.
      slot.passed = *target;
      slot.prepared = true;
    } else if (held == parameter.referenced()) {
      // The Variant holds the declared type: the member changes it in place.
      V_VT(&slot.passed) = parameter.type;
      V_BYREF(&slot.passed) = valueOf(*target);
      slot.prepared = true;
    } else if (!(held & VT_BYREF)) {
      if (FAILED(VariantChangeType(&slot.owned, target, 0, parameter.referenced()))) return;
      refer(slot, parameter.type);
      slot.variable = target;
      slot.before = valueBits(slot.owned);
    }
  }

  void prepareLeftOut(const Parameter& parameter, Slot& slot) {
    if (!parameter.optional()) return;
    if (parameter.type == VT_VARIANT) {
      V_VT(&slot.passed) = VT_ERROR;
      V_ERROR(&slot.passed) = DISP_E_PARAMNOTFOUND;
      slot.prepared = true;
    } else if (parameter.type == (VT_BYREF | VT_VARIANT)) {
      V_VT(&slot.owned) = VT_ERROR;
      V_ERROR(&slot.owned) = DISP_E_PARAMNOTFOUND;
      refer(slot, parameter.type);
    } else if (parameter.typedReference() && !(parameter.referenced() & VT_ARRAY)) {
      // A zero of the declared type that the binding knows for what it is.
      V_VT(&slot.owned) = parameter.referenced();
      refer(slot, parameter.type);
      slot.standIn = true;
      if (omitted_.count < kMaxParameters) omitted_.values[omitted_.count++] = V_BYREF(&slot.passed);
    }
  }

  // The member gets a reference to `owned`.
  static void refer(Slot& slot, VARTYPE type) {
    V_VT(&slot.passed) = type;
    if (type == (VT_BYREF | VT_VARIANT)) V_VARIANTREF(&slot.passed) = &slot.owned;
    else V_BYREF(&slot.passed) = valueOf(slot.owned);
    slot.prepared = true;
  }

  void protect(UINT index) {
    VARIANT& argument = delegateArguments_[index];
    VARIANT copy;
    VariantInit(&copy);
    if (SUCCEEDED(VariantCopy(&copy, &argument))) {
      argument = copy;
      delegateOwned_.push_back(index);
    }
  }

  // The caller's arguments with every value copied, for a call whose
  // arguments cannot be placed.
  DISPPARAMS* protectedCopy() {
    if (params_.cNamedArgs > params_.cArgs) {
      delegateParams_ = params_;
      return &delegateParams_;
    }
    delegateArguments_.assign(params_.rgvarg, params_.rgvarg + params_.cArgs);
    for (UINT i = 0; i < params_.cArgs; ++i) {
      if (!(V_VT(&delegateArguments_[i]) & VT_BYREF)) protect(i);
    }
    delegateParams_ = params_;
    delegateParams_.rgvarg = delegateArguments_.empty() ? nullptr : delegateArguments_.data();
    return &delegateParams_;
  }

  static void describeFailure(HRESULT hr, EXCEPINFO& exception) {
    std::memset(&exception, 0, sizeof exception);
    exception.scode = hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) != S_OK || !info) return;
    info->GetDescription(&exception.bstrDescription);
    info->GetSource(&exception.bstrSource);
    info->GetHelpFile(&exception.bstrHelpFile);
    info->GetHelpContext(&exception.dwHelpContext);
    info->Release();
  }

  const Member& member_;
  const DISPPARAMS& params_;
  const size_t count_;  // slots in use
  Slot slots_[kMaxParameters];
  OmittedArguments omitted_;
  bool usable_ = true;    // the arguments could be placed on the parameters
  bool complete_ = true;  // ... each one, and every parameter has its argument
  bool writtenBack_ = false;
  std::vector<VARIANT> delegateArguments_;
  std::vector<DISPID> delegateNames_;
  std::vector<UINT> delegateOwned_;  // copies in delegateArguments_ to clear
  DISPPARAMS delegateParams_{};
};

// Some type-library Invoke implementations leave the description of a
// failed vtable call to the caller; take it from the error object.
void fillException(EXCEPINFO& exception) {
  if (exception.bstrDescription) return;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return;
  info->GetDescription(&exception.bstrDescription);
  if (!exception.bstrSource) info->GetSource(&exception.bstrSource);
  info->Release();
}

bool isGetWithoutParameters(const Member& member) {
  return member.kind == INVOKE_PROPERTYGET && member.parameters.size() == 1 && member.parameters[0].result();
}

}  // namespace

HRESULT invokeMember(const InterfaceMembers& members, IUnknown* object, DISPID id, WORD flags,
                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, UINT* badArgument,
                     const wchar_t* source) {
  // Lists that are not there: refused before anything reads them.
  if (params && ((params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs)))
    return E_INVALIDARG;
  const Member* member = params ? members.find(id, flags) : nullptr;
  if (!member)
    return dispatchResult(members.typeInfo()->Invoke(object, id, flags, params, result, exception, badArgument));
  if (params->cArgs > 0 && isGetWithoutParameters(*member)) {
    if (auto handled = invokeDefaultMemberOfResult(members.typeInfo(), object, id, flags, params, result,
                                                   exception, badArgument, source))
      return *handled;
  }
  PreparedCall call(*member, *params);
  if (call.direct()) return call.callDirectly(object, result, exception);
  const HRESULT hr = members.typeInfo()->Invoke(object, id, flags, call.delegateArguments(), result,
                                                exception, badArgument);
  call.writeBack();
  if (hr == DISP_E_EXCEPTION && exception) fillException(*exception);
  return dispatchResult(hr);
}

}  // namespace orvalis::com
