// The automation runtime's ordered collection: items in insertion order,
// numbered from 1, each with an optional text key that is unique within the
// collection and matched without regard to case. An index is either a key
// (a String) or a position (any number, rounded to a Long). The COM layer
// keeps its items as VARIANTs; the class logic builds them as Variants.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "frame/Conversion.h"
#include "frame/RuntimeError.h"
#include "frame/Text.h"
#include "frame/Variant.h"

namespace orvalis {

namespace collection_error {
constexpr int32_t DuplicateKey = 457;
}

template <class T>
class OrderedCollection {
 public:
  struct Entry {
    T item;
    std::optional<std::u16string> key;
  };

  int32_t Count() const { return static_cast<int32_t>(entries_.size()); }

  const T& Item(const Variant& index) const { return entries_[position(index)].item; }

  // Adds `item` at the end, or before or after the entry that `before` or
  // `after` names (not both: error 5). A key already in use is error 457.
  void Add(T item, std::optional<std::u16string> key = std::nullopt,
           const std::optional<Variant>& before = std::nullopt,
           const std::optional<Variant>& after = std::nullopt) {
    if (before && after) throw RuntimeError(vb_error::InvalidProcedureCall);
    if (key && find(*key) != entries_.size()) {
      throw RuntimeError(collection_error::DuplicateKey,
                         u"This key is already associated with an element of this collection");
    }
    std::size_t at = entries_.size();
    if (before) at = position(*before);
    if (after) at = position(*after) + 1;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(at), Entry{std::move(item), std::move(key)});
  }

  void Remove(const Variant& index) {
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position(index)));
  }

  const std::vector<Entry>& entries() const { return entries_; }

 private:
  // The zero-based place of the entry that `index` names: a key that is not
  // there is error 5, a number outside 1..Count error 9.
  std::size_t position(const Variant& index) const {
    if (index.type() == VarType::String) {
      const std::size_t found = find(index.text());
      if (found == entries_.size()) throw RuntimeError(vb_error::InvalidProcedureCall);
      return found;
    }
    const int32_t number = toLong(index);
    if (number < 1 || number > Count()) throw RuntimeError(vb_error::SubscriptOutOfRange);
    return static_cast<std::size_t>(number - 1);
  }

  std::size_t find(std::u16string_view key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].key && textEquals(*entries_[i].key, key)) return i;
    return entries_.size();
  }

  std::vector<Entry> entries_;
};

// The collections that the class logic returns to hosts.
using Collection = OrderedCollection<Variant>;

}  // namespace orvalis
