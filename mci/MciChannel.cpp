#include "mci/MciChannel.h"

namespace orvalis {

uint32_t MciChannel::send(std::u16string_view command, std::u16string_view preparedReply) {
  std::string buffer = runtime_.toAnsi(preparedReply);
  return service_.sendString(runtime_.toAnsi(command), buffer, 0);
}

uint32_t MciChannel::send(std::u16string_view command, FixedText& field) {
  // The field goes out as it stands (nothing is cleared first) and the whole
  // buffer comes back: the reply, its NUL, then whatever the field held.
  std::string buffer = runtime_.toAnsi(field.text());
  const auto replyLength = static_cast<uint32_t>(field.length());
  if (buffer.size() < replyLength) buffer.resize(replyLength, '\0');
  const uint32_t code = service_.sendString(runtime_.toAnsi(command), buffer, replyLength);
  field.assign(runtime_.fromAnsi(buffer));
  return code;
}

std::u16string MciChannel::errorText(uint32_t code, uint32_t length) {
  std::string buffer(length, ' ');
  service_.errorString(code, buffer);
  return runtime_.fromAnsi(buffer);
}

void MciChannel::errorText(uint32_t code, FixedText& field) {
  std::string buffer = runtime_.toAnsi(field.text());
  if (buffer.size() < field.length()) buffer.resize(field.length(), '\0');
  service_.errorString(code, buffer);
  field.assign(runtime_.fromAnsi(buffer));
}

}  // namespace orvalis
