// The fixed-length text field, on its own and as an MCI reply buffer.
//
// A field of N characters (N from the input) goes through a sequence of
// steps: texts of any length stored into it, and replies through the MCI
// channel from a service double that writes raw bytes into the buffer the
// way mciSendStringA does, with an ANSI code page of one byte per character
// (Latin-1) or of two bytes for some characters (a double-byte code page,
// where a conversion can be longer or shorter than the field).
//
// Properties: a new field is N NULs; a field always keeps N characters; a
// stored text fills the start of the field, cut to N, and blanks fill the
// rest; the channel hands the service a buffer of at least the reply length
// (the service writes that many bytes), holding the field as it stood, and
// the field afterwards holds the whole buffer converted back, cut or padded
// to N; an error text is read from a buffer of the length asked for.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "doubles/FakeRuntime.h"
#include "frame/FixedText.h"
#include "fuzz/FuzzSupport.h"
#include "mci/MciChannel.h"

namespace orvalis::fuzz {
namespace {

// A double-byte code page in the manner of Shift JIS: bytes below 0x80 are
// themselves, 0x81 to 0xFE lead a two-byte character, 0x80 and 0xFF (and a
// lead byte at the end) read as "?".
class DoubleByteRuntime : public testing::FakeRuntime {
 public:
  std::string toAnsi(std::u16string_view text) override {
    std::string bytes;
    for (char16_t c : text) {
      if (c < 0x80) {
        bytes += static_cast<char>(c);
      } else {
        bytes += static_cast<char>(0x81 + c % 0x7E);
        bytes += static_cast<char>(c / 0x7E);
      }
    }
    return bytes;
  }

  std::u16string fromAnsi(std::string_view bytes) override {
    std::u16string text;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      const auto b = static_cast<unsigned char>(bytes[i]);
      if (b < 0x80) {
        text += static_cast<char16_t>(b);
      } else if (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) {
        text += static_cast<char16_t>((b - 0x81) + 0x7E * static_cast<unsigned char>(bytes[++i]));
      } else {
        text += u'?';
      }
    }
    return text;
  }
};

// An MCI service that writes the given bytes over the start of the reply
// buffer, at most the reply length of them, straight into its memory.
class RawReplyService : public MciService {
 public:
  std::string reply;
  std::string preparedBuffer, bufferAfter;
  uint32_t replyLength = 0;

  uint32_t sendString(const std::string&, std::string& buffer, uint32_t length) override {
    FUZZ_CHECK(buffer.size() >= length);
    preparedBuffer = buffer;
    replyLength = length;
    std::memcpy(buffer.data(), reply.data(), std::min<std::size_t>(reply.size(), length));
    bufferAfter = buffer;
    return 0;
  }

  void errorString(uint32_t, std::string& buffer) override {
    std::memcpy(buffer.data(), reply.data(), std::min(reply.size(), buffer.size()));
  }
};

// The field's text after `text` is stored into a field of `length`.
std::u16string fitted(std::u16string text, std::size_t length) {
  text.resize(length, u' ');
  return text;
}

void storeText(FixedText& field, FuzzedDataProvider& input) {
  const std::u16string text = textOf(input.ConsumeRandomLengthString(2 * field.length() + 4));
  field.assign(text);
  FUZZ_CHECK(field.text() == fitted(text, field.length()));
}

void replyThroughChannel(FixedText& field, FuzzedDataProvider& input, Runtime& runtime) {
  RawReplyService service;
  service.reply = input.ConsumeRandomLengthString(2 * field.length() + 4);
  MciChannel channel(service, runtime);
  const std::u16string before = field.text();

  channel.send(u"status x position", field);
  FUZZ_CHECK(service.replyLength == field.length());
  std::string prepared = runtime.toAnsi(before);
  if (prepared.size() < field.length()) prepared.resize(field.length(), '\0');
  FUZZ_CHECK(service.preparedBuffer == prepared);
  FUZZ_CHECK(field.text() == fitted(runtime.fromAnsi(service.bufferAfter), field.length()));

  const auto length = input.ConsumeIntegralInRange<uint32_t>(0, 300);
  const std::u16string errorText = channel.errorText(263, length);
  std::string expected(length, ' ');
  std::memcpy(expected.data(), service.reply.data(), std::min<std::size_t>(service.reply.size(), length));
  FUZZ_CHECK(errorText == runtime.fromAnsi(expected));
}

}  // namespace
}  // namespace orvalis::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvalis;
  using namespace orvalis::fuzz;
  FuzzedDataProvider input(data, size);
  // Short fields of any length, and the lengths the library's reply and
  // error buffers have.
  const std::size_t sizes[] = {30, 40, 128, 255, 1024};
  const auto pick = input.ConsumeIntegralInRange<std::size_t>(0, 68);
  const std::size_t length = pick < 64 ? pick : sizes[pick - 64];
  FixedText field(length);
  FUZZ_CHECK(field.text() == std::u16string(length, u'\0'));

  testing::FakeRuntime latin1;
  DoubleByteRuntime doubleByte;
  for (int steps = 0; steps < 8 && input.remaining_bytes() > 0; ++steps) {
    switch (input.ConsumeIntegralInRange(0, 2)) {
      case 0: storeText(field, input); break;
      case 1: replyThroughChannel(field, input, latin1); break;
      default: replyThroughChannel(field, input, doubleByte); break;
    }
    FUZZ_CHECK(field.length() == length && field.text().size() == length);
  }
  return 0;
}
