#include "mp3/Playlist.h"

#include "frame/RuntimeError.h"
#include "frame/Text.h"

namespace orvalis {

namespace {

template <class Char>
std::vector<std::basic_string_view<Char>> splitLines(std::basic_string_view<Char> text) {
  std::vector<std::basic_string_view<Char>> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find(Char('\r'), start);
    if (end == std::basic_string_view<Char>::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (start < text.size() && text[start] == Char('\n')) ++start;
  }
  return lines;
}

}  // namespace

std::vector<std::string_view> playlistLines(std::string_view bytes) { return splitLines(bytes); }

std::vector<std::u16string_view> playlistLines(std::u16string_view text) { return splitLines(text); }

void appendPlaylistLine(std::string& file, std::string_view entry) {
  file.append(entry);
  file.append("\r\n");
}

HostList HostList::fromVariant(const Variant& value) {
  if (value.type() != VarType::Object) throw RuntimeError(vb_error::ObjectRequired);
  return HostList(value.object());
}

HostObject& HostList::object() {
  if (!object_) throw RuntimeError(vb_error::ObjectVariableNotSet);
  return *object_;
}

Variant HostList::ListCount() { return object().get(u"ListCount"); }

Variant HostList::List(Variant index) {
  return object().get(u"List", Argument{std::move(index), true});
}

void HostList::AddItem(Variant text, bool byReference) {
  object().call(u"AddItem", Argument{std::move(text), byReference});
}

void HostList::setListIndex(std::u16string indexText) {
  object().put(u"ListIndex", Variant(std::move(indexText)));
}

Variant HostList::text() { return object().get(u"text"); }

Variant HostList::hWnd() { return object().get(u"hWnd"); }

std::u16string afterLastBackslash(std::u16string_view path) {
  const size_t slash = path.rfind(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? path : path.substr(slash + 1));
}

std::u16string beforeLast(std::u16string_view text, std::u16string_view mark) {
  for (size_t i = text.size(); i-- > 0;) {
    if (textEquals(text.substr(i, 1), mark)) return std::u16string(text.substr(0, i));
  }
  return {};
}

}  // namespace orvalis
