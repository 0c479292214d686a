#include "mci/MciChannel.h"

#include <string>

namespace orvalis {

namespace {

// A text joined from parts, with the NUL the platform reads up to. Texts
// of up to `Local` characters (every command with a file name of MAX_PATH
// characters) live on the stack, so a command costs no allocation; longer
// ones go to the heap. Each call has its own, so a command sent from host
// code that runs inside another command's wait cannot touch the first.
template <std::size_t Local>
class TerminatedText {
 public:
  explicit TerminatedText(std::initializer_list<std::u16string_view> parts) {
    for (std::u16string_view part : parts) size_ += part.size();
    if (size_ >= Local) data_ = heap_ = new char16_t[size_ + 1];
    char16_t* end = data_;
    for (std::u16string_view part : parts) {
      std::char_traits<char16_t>::copy(end, part.data(), part.size());
      end += part.size();
    }
    *end = u'\0';
  }
  ~TerminatedText() { delete[] heap_; }
  TerminatedText(const TerminatedText&) = delete;
  TerminatedText& operator=(const TerminatedText&) = delete;

  std::u16string_view text() const { return {data_, size_}; }
  std::span<char16_t> characters() { return {data_, size_}; }

 private:
  char16_t local_[Local];
  char16_t* heap_ = nullptr;
  char16_t* data_ = local_;
  std::size_t size_ = 0;
};

using CommandText = TerminatedText<512>;

}  // namespace

uint32_t MciChannel::send(std::initializer_list<std::u16string_view> command,
                          std::u16string_view preparedReply) {
  CommandText text(command);
  TerminatedText<8> prepared({preparedReply});
  return service_.sendString(text.text(), prepared.characters(), 0);
}

uint32_t MciChannel::send(std::initializer_list<std::u16string_view> command, FixedText& field) {
  // The field goes out as it stands (nothing is cleared first) and is read
  // back whole: the reply, its NUL, then whatever the field held.
  CommandText text(command);
  const std::span<char16_t> buffer = field.characters();
  return service_.sendString(text.text(), buffer, static_cast<uint32_t>(buffer.size()));
}

std::u16string MciChannel::errorText(uint32_t code, uint32_t length) {
  std::u16string buffer(length, u' ');
  service_.errorString(code, {buffer.data(), buffer.size()});
  return buffer;
}

void MciChannel::errorText(uint32_t code, FixedText& field) {
  service_.errorString(code, field.characters());
}

}  // namespace orvalis
