#include "events/WatchedPlayer.h"

#include <vector>

#include "frame/Text.h"

namespace orvalis::events {

std::optional<PlayerKind> playerKindOf(std::u16string_view library, std::u16string_view interfaceName) {
  if (!textEquals(library, u"Orvalis")) return std::nullopt;
  if (textEquals(interfaceName, u"_clsVxAudoMP3PlayerA")) return PlayerKind::MP3PlayerA;
  if (textEquals(interfaceName, u"_clsVxAudoMP3PlayerB")) return PlayerKind::MP3PlayerB;
  if (textEquals(interfaceName, u"_clsVxAudoCDPlayerA")) return PlayerKind::CDPlayerA;
  if (textEquals(interfaceName, u"_clsVxAudoCDPlayerB")) return PlayerKind::CDPlayerB;
  return std::nullopt;
}

std::u16string_view replyText(std::u16string_view reply) {
  const size_t end = reply.find(u'\0');
  if (end != std::u16string_view::npos) reply = reply.substr(0, end);
  while (!reply.empty() && reply.front() == u' ') reply.remove_prefix(1);
  while (!reply.empty() && reply.back() == u' ') reply.remove_suffix(1);
  return reply;
}

PlayerState stateOfMode(uint32_t code, std::u16string_view reply) {
  if (code != 0) return PlayerState::Closed;
  const std::u16string_view word = replyText(reply);
  if (textEquals(word, u"playing")) return PlayerState::Playing;
  if (textEquals(word, u"paused")) return PlayerState::Paused;
  return PlayerState::Stopped;
}

std::optional<int64_t> replyMilliseconds(std::u16string_view reply) {
  const std::u16string_view text = replyText(reply);
  std::vector<int64_t> fields(1, 0);
  bool digits = false;
  for (const char16_t c : text) {
    if (c >= u'0' && c <= u'9') {
      if (fields.back() > 1'000'000'000'000) return std::nullopt;
      fields.back() = fields.back() * 10 + (c - u'0');
      digits = true;
    } else if (c == u':' && digits) {
      fields.push_back(0);
      digits = false;
    } else {
      return std::nullopt;
    }
  }
  if (!digits) return std::nullopt;
  if (fields.size() == 1) return fields[0];
  if (fields.size() == 3) return (fields[0] * 60 + fields[1]) * 1000 + fields[2] * 1000 / 75;
  return std::nullopt;
}

std::u16string unquoted(std::u16string_view deviceName) {
  if (deviceName.size() >= 2 && deviceName.front() == u'"' && deviceName.back() == u'"')
    deviceName = deviceName.substr(1, deviceName.size() - 2);
  return std::u16string(deviceName);
}

}  // namespace orvalis::events
