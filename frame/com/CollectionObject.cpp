#include "frame/com/CollectionObject.h"

#include <memory>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "frame/com/AutomationObject.h"
#include "frame/com/ComObject.h"

namespace orvalis::com {

namespace {

void check(HRESULT hr) {
  if (SUCCEEDED(hr)) return;
  if (hr == E_OUTOFMEMORY) throw std::bad_alloc();
  throw RuntimeError(vb_error::TypeMismatch);
}

// A VARIANT that the collection owns: any automation value a host adds
// (arrays and objects included), copied in and cleared at the end.
class OwnedVariant {
 public:
  OwnedVariant() { VariantInit(&value_); }
  // A copy of the value, looking through a by-reference argument.
  explicit OwnedVariant(const VARIANT& value) : OwnedVariant() {
    check(VariantCopyInd(&value_, const_cast<VARIANT*>(&value)));
  }
  explicit OwnedVariant(const Variant& value) : OwnedVariant() { toAbi(value, &value_); }
  OwnedVariant(const OwnedVariant& other) : OwnedVariant() {
    check(VariantCopy(&value_, const_cast<VARIANT*>(&other.value_)));
  }
  OwnedVariant(OwnedVariant&& other) noexcept : value_(other.value_) { VariantInit(&other.value_); }
  OwnedVariant& operator=(OwnedVariant other) noexcept {
    std::swap(value_, other.value_);
    return *this;
  }
  ~OwnedVariant() { VariantClear(&value_); }

  // Copies the value into an uninitialised VARIANT.
  void copyTo(VARIANT* target) const {
    VariantInit(target);
    check(VariantCopy(target, const_cast<VARIANT*>(&value_)));
  }

 private:
  VARIANT value_;
};

using Items = std::vector<OwnedVariant>;

// For Each over a collection: the items as they were when the enumeration
// started, so that a host removing items in the loop skips none.
class ItemEnumerator final : public ComObject<ItemEnumerator, IEnumVARIANT> {
 public:
  ItemEnumerator(std::shared_ptr<const Items> items, std::size_t next)
      : items_(std::move(items)), next_(next) {}

  STDMETHODIMP Next(ULONG count, VARIANT* values, ULONG* fetched) override {
    if (!values || (count > 1 && !fetched)) return E_INVALIDARG;
    ULONG copied = 0;
    try {
      for (; copied < count && next_ < items_->size(); ++copied, ++next_)
        (*items_)[next_].copyTo(&values[copied]);
    } catch (...) {
      for (ULONG i = 0; i < copied; ++i) VariantClear(&values[i]);
      next_ -= copied;
      if (fetched) *fetched = 0;
      return E_OUTOFMEMORY;
    }
    if (fetched) *fetched = copied;
    return copied == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const std::size_t left = items_->size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    next_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumVARIANT** clone) override {
    if (!clone) return E_POINTER;
    *clone = new (std::nothrow) ItemEnumerator(items_, next_);
    return *clone ? S_OK : E_OUTOFMEMORY;
  }

 private:
  std::shared_ptr<const Items> items_;
  std::size_t next_;
};

// The core of the object: the ordered collection itself.
struct CollectionItems : OrderedCollection<OwnedVariant> {
  explicit CollectionItems(Platform&) {}
};

// An optional argument of Add: left out (or Empty, as early-bound callers
// pass "nothing") means not given.
std::optional<Variant> given(const VARIANT* argument) {
  if (!argument) return std::nullopt;
  Variant value = fromAbi(argument);
  if (value.isMissing() || value.isEmpty()) return std::nullopt;
  return value;
}

std::optional<std::u16string> key(const VARIANT* argument) {
  const std::optional<Variant> value = given(argument);
  if (!value) return std::nullopt;
  return toText(*value);
}

class CollectionObject final : public AutomationObject<CollectionObject, _Collection, CollectionItems> {
 public:
  static constexpr const wchar_t* kSource = L"Orvalis.Collection";

  void append(const Collection& items) {
    for (const auto& entry : items.entries()) coreObject().Add(OwnedVariant(entry.item), entry.key);
  }

  STDMETHODIMP Item(VARIANT* Index, VARIANT* pvarRet) override {
    if (!pvarRet) return E_POINTER;
    VariantInit(pvarRet);
    return runMember([&] { coreObject().Item(fromAbi(Index)).copyTo(pvarRet); });
  }
  STDMETHODIMP Add(VARIANT* Item, VARIANT* Key, VARIANT* Before, VARIANT* After) override {
    return runMember([&] {
      coreObject().Add(Item ? OwnedVariant(*Item) : OwnedVariant(), key(Key), given(Before), given(After));
    });
  }
  STDMETHODIMP Count(LONG* pCount) override { return runMemberReturning(pCount, [&] { return coreObject().Count(); }); }
  STDMETHODIMP Remove(VARIANT* Index) override { return runMember([&] { coreObject().Remove(fromAbi(Index)); }); }
  STDMETHODIMP _NewEnum(IUnknown** ppEnum) override {
    if (!ppEnum) return E_POINTER;
    *ppEnum = nullptr;
    return runMember([&] {
      auto items = std::make_shared<Items>();
      for (const auto& entry : coreObject().entries()) items->push_back(entry.item);
      *ppEnum = new ItemEnumerator(std::move(items), 0);
    });
  }
};

}  // namespace

_Collection* newCollection(const Collection& items) {
  auto* object = new CollectionObject();
  try {
    object->append(items);
  } catch (...) {
    object->Release();
    throw;
  }
  return object;
}

}  // namespace orvalis::com
