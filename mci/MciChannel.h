// The MCI command-string channel. Commands go out as ANSI text through the
// platform's mciSendStringA; replies come back into fixed-length reply
// fields, read back whole (never cut at the NUL) and converted to UTF-16.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/FixedText.h"
#include "frame/Runtime.h"

namespace orvalis {

// The platform's command-string service, in its own ANSI terms.
class MciService {
 public:
  virtual ~MciService() = default;

  // mciSendStringA(command, buffer, replyLength, 0). `buffer` holds the
  // prepared reply text's ANSI bytes; the service may overwrite up to
  // `replyLength` of them. Returns the MCI error code, 0 on success.
  virtual uint32_t sendString(const std::string& command, std::string& buffer,
                              uint32_t replyLength) = 0;

  // mciGetErrorStringA(code, buffer, buffer.size()).
  virtual void errorString(uint32_t code, std::string& buffer) = 0;
};

// How the numeric-prefix rule reads a reply: blanks, tabs and line feeds are
// skipped anywhere; an optional sign, digits with at most one ".", an
// optional exponent (E or D); "&H" / "&O" select hexadecimal / octal. Reading
// stops at the first other character; no digits give 0.
double numericPrefix(std::u16string_view text);

class MciChannel {
 public:
  MciChannel(MciService& service, Runtime& runtime) : service_(service), runtime_(runtime) {}

  // A command without reply: the prepared text "0" (or the empty text),
  // reply length 0.
  uint32_t send(std::u16string_view command, std::u16string_view preparedReply = u"0");

  // A command whose reply fills `field`: reply length = the field's length,
  // and the whole buffer, converted back, replaces the field afterwards.
  uint32_t send(std::u16string_view command, FixedText& field);

  // The error text of `code` read into a buffer of `length` blanks.
  std::u16string errorText(uint32_t code, uint32_t length = 255);

  // The error text of `code` read into a fixed-length `field`, which goes
  // out as the buffer and comes back whole, like a reply field.
  void errorText(uint32_t code, FixedText& field);

 private:
  MciService& service_;
  Runtime& runtime_;
};

}  // namespace orvalis
