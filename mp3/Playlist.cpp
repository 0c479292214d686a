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

Variant HostList::invoke(std::u16string_view name, CallKind kind) {
  struct ClearArguments {
    std::vector<Argument>& args;
    ~ClearArguments() { args.clear(); }
  } clear{args_};
  return object().invoke(name, kind, args_);
}

Variant HostList::ListCount() { return invoke(u"ListCount", CallKind::PropertyGet); }

Variant HostList::List(Variant index) {
  args_.push_back(Argument::typedReference(std::move(index)));
  return invoke(u"List", CallKind::PropertyGet);
}

Variant HostList::ListThroughVariant(Variant index) {
  args_.push_back(Argument{std::move(index), true});
  return invoke(u"List", CallKind::PropertyGet);
}

// The host's result is not used: whatever it returns is dropped unread.
void HostList::AddItem(Variant text, bool byReference) {
  args_.push_back(byReference ? Argument::typedReference(std::move(text)) : Argument{std::move(text), false});
  invoke(u"AddItem", CallKind::Statement);
}

void HostList::setListIndex(std::u16string indexText) {
  args_.push_back(Argument{Variant(std::move(indexText)), false});
  invoke(u"ListIndex", CallKind::PropertyPut);
}

Variant HostList::text() { return invoke(u"text", CallKind::PropertyGet); }

Variant HostList::hWnd() { return invoke(u"hWnd", CallKind::PropertyGet); }

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
