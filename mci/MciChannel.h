// The MCI command-string channel. Commands go out as UTF-16 text through the
// platform's wide entry point (mciSendStringW), so a file name outside the
// ANSI code page reaches the device as it is; replies come back straight
// into fixed-length reply fields, read whole (never cut at the NUL).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

#include "frame/FixedText.h"

namespace orvalis {

// The platform's command-string service.
class MciService {
 public:
  virtual ~MciService() = default;

  // mciSendStringW(command, buffer, replyLength, 0). A NUL follows both
  // `command` and `buffer` in memory. `buffer` holds the prepared reply
  // text; the service may overwrite up to `replyLength` (at most
  // buffer.size()) of its characters. Returns the MCI error code, 0 on
  // success.
  virtual uint32_t sendString(std::u16string_view command, std::span<char16_t> buffer,
                              uint32_t replyLength) = 0;

  // mciGetErrorStringW(code, buffer, buffer.size()).
  virtual void errorString(uint32_t code, std::span<char16_t> buffer) = 0;
};

// How the numeric-prefix rule reads a reply: blanks, tabs and line feeds are
// skipped anywhere; an optional sign, digits with at most one ".", an
// optional exponent (E or D); "&H" / "&O" select hexadecimal / octal. Reading
// stops at the first other character; no digits give 0.
double numericPrefix(std::u16string_view text);

class MciChannel {
 public:
  explicit MciChannel(MciService& service) : service_(service) {}

  // A command is its parts one after the other ("status ", the device name,
  // " position"): the channel joins them itself, so a caller builds no text.

  // A command without reply: the prepared text "0" (or the empty text),
  // reply length 0.
  uint32_t send(std::initializer_list<std::u16string_view> command,
                std::u16string_view preparedReply = u"0");
  uint32_t send(std::u16string_view command, std::u16string_view preparedReply = u"0") {
    return send({command}, preparedReply);
  }

  // A command whose reply fills `field`: the field itself is the buffer,
  // with reply length = the field's length.
  uint32_t send(std::initializer_list<std::u16string_view> command, FixedText& field);
  uint32_t send(std::u16string_view command, FixedText& field) { return send({command}, field); }

  // The error text of `code` read into a buffer of `length` blanks.
  std::u16string errorText(uint32_t code, uint32_t length = 255);

  // The error text of `code` read into a fixed-length `field`, which is the
  // buffer and comes back whole, like a reply field.
  void errorText(uint32_t code, FixedText& field);

 private:
  MciService& service_;
};

}  // namespace orvalis
