// The playlist text file and the host list-object protocol, shared by both
// MP3 players.
//
// A playlist file holds one entry per line in the ANSI code page. Written
// lines end in CR LF. On reading, a line ends at a CR; an LF right after it
// belongs to that line end, while an LF on its own stays in the text. The
// last line needs no line end, and an empty file has no lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "frame/HostObject.h"

namespace orvalis {

// The lines of a playlist, as bytes or as text converted as a whole.
std::vector<std::string_view> playlistLines(std::string_view bytes);
std::vector<std::u16string_view> playlistLines(std::u16string_view text);
void appendPlaylistLine(std::string& file, std::string_view entry);

// A host's list control (or form), called late-bound by member name.
class HostList {
 public:
  // Nothing raises error 91 at the first call, like any unset object.
  explicit HostList(ObjectRef object) : object_(std::move(object)) {}
  // A Variant that holds no object raises error 424.
  static HostList fromVariant(const Variant& value);

  // Arguments by reference go as references of the value's own type (an
  // Integer or Long index, a String text), the way a host that declares
  // typed parameters takes them; ListThroughVariant passes its index as a
  // reference to a Variant that holds it, a loop counter declared Variant.
  Variant ListCount();
  Variant List(Variant index);
  Variant ListThroughVariant(Variant index);
  void AddItem(Variant text, bool byReference);
  void setListIndex(std::u16string indexText);
  Variant text();
  Variant hWnd();

 private:
  Variant invoke(std::u16string_view name, CallKind kind);
  HostObject& object();
  ObjectRef object_;
  std::vector<Argument> args_;  // reused from call to call
};

// The part after the last backslash (a slash does not separate).
std::u16string afterLastBackslash(std::u16string_view path);
// The part before the last occurrence of `mark` (compared without regard to
// case), or the empty text when there is none.
std::u16string beforeLast(std::u16string_view text, std::u16string_view mark);

}  // namespace orvalis
