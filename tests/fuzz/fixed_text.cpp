// The fixed-length text field, on its own and as an MCI reply buffer.
//
// A field of N characters (N from the input) goes through a sequence of
// steps: texts of any length stored into it, and replies through the MCI
// channel from a service double that writes raw UTF-16 units into the
// buffer the way mciSendStringW does, commands joined from parts of any
// length (the channel keeps short ones on the stack, long ones on the heap).
//
// Properties: a new field is N NULs; a field always keeps N characters; a
// stored text fills the start of the field, cut to N, and blanks fill the
// rest; the channel hands the service the command whole with a NUL after
// it, and the field itself as the buffer (N characters as they stood, a NUL
// after them) with reply length N; the field afterwards holds exactly what
// the service left in the buffer; an error text is read from a buffer of
// blanks of the length asked for.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "frame/FixedText.h"
#include "fuzz/FuzzSupport.h"
#include "mci/MciChannel.h"

namespace orvalis::fuzz {
namespace {

// An MCI service that writes the given units over the start of the reply
// buffer, at most the reply length of them, straight into its memory.
class RawReplyService : public MciService {
 public:
  std::u16string reply;
  std::u16string command, preparedBuffer, bufferAfter;
  uint32_t replyLength = 0;

  uint32_t sendString(std::u16string_view text, std::span<char16_t> buffer, uint32_t length) override {
    FUZZ_CHECK(text.data()[text.size()] == u'\0');
    FUZZ_CHECK(buffer.data()[buffer.size()] == u'\0');
    FUZZ_CHECK(buffer.size() >= length);
    command = text;
    preparedBuffer.assign(buffer.data(), buffer.size());
    replyLength = length;
    std::copy_n(reply.begin(), std::min<std::size_t>(reply.size(), length), buffer.begin());
    bufferAfter.assign(buffer.data(), buffer.size());
    return 0;
  }

  void errorString(uint32_t, std::span<char16_t> buffer) override {
    std::copy_n(reply.begin(), std::min(reply.size(), buffer.size()), buffer.begin());
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

void replyThroughChannel(FixedText& field, FuzzedDataProvider& input) {
  RawReplyService service;
  const std::u16string name = textOf(input.ConsumeRandomLengthString(1200));
  service.reply = textOf(input.ConsumeRandomLengthString(2 * field.length() + 4));
  MciChannel channel(service);
  const std::u16string before = field.text();

  channel.send({u"status ", name, u" position"}, field);
  FUZZ_CHECK(service.command == u"status " + name + u" position");
  FUZZ_CHECK(service.replyLength == field.length());
  FUZZ_CHECK(service.preparedBuffer == before);
  FUZZ_CHECK(field.text() == service.bufferAfter);

  channel.send({u"close ", name});
  FUZZ_CHECK(service.command == u"close " + name);
  FUZZ_CHECK(service.replyLength == 0 && service.preparedBuffer == u"0");

  const auto length = input.ConsumeIntegralInRange<uint32_t>(0, 300);
  const std::u16string errorText = channel.errorText(263, length);
  std::u16string expected(length, u' ');
  std::copy_n(service.reply.begin(), std::min<std::size_t>(service.reply.size(), length), expected.begin());
  FUZZ_CHECK(errorText == expected);
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

  for (int steps = 0; steps < 8 && input.remaining_bytes() > 0; ++steps) {
    if (input.ConsumeBool()) {
      storeText(field, input);
    } else {
      replyThroughChannel(field, input);
    }
    FUZZ_CHECK(field.length() == length && field.text().size() == length);
  }
  return 0;
}
