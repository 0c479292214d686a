// Services of the automation runtime that the class logic uses: the modal
// message box, the thread's message pump and a monotonic clock, and the
// system ANSI code page. The Windows layer implements them with user32 and
// kernel32; tests use recording doubles.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvalis {

namespace message_box {
constexpr uint32_t OkOnly = 0x0;
constexpr uint32_t Critical = 0x10;
}  // namespace message_box

class Runtime {
 public:
  virtual ~Runtime() = default;

  // Shows a modal message box and returns the button pressed. Without a
  // title the box shows the library's application title.
  virtual int messageBox(std::u16string_view text, std::optional<std::u16string_view> title,
                         uint32_t style) = 0;

  // Waits until a window message arrives for the calling thread or
  // `maxWaitSeconds` have passed, then processes every pending message.
  // Returns false when the thread was asked to quit (WM_QUIT): the request
  // is posted again for the host's own message loop, and the caller ends
  // its wait.
  virtual bool processMessages(double maxWaitSeconds) = 0;

  // Seconds on a clock that never jumps (not the time of day).
  virtual double monotonicSeconds() = 0;

  // Conversions between UTF-16 and the system ANSI code page. toAnsi puts
  // the code page's default character ('?') or a look-alike in place of a
  // character the code page lacks, as the system does; toAnsiExactly gives
  // nothing then.
  virtual std::string toAnsi(std::u16string_view text) = 0;
  virtual std::optional<std::string> toAnsiExactly(std::u16string_view text) = 0;
  virtual std::u16string fromAnsi(std::string_view bytes) = 0;
};

// The ANSI form of a name bound for a store that holds ANSI text only (a
// playlist file, a registry value). A name with a character the code page
// lacks raises error 52 ("Bad file name or number", with a description
// that says why): stored with '?' or a look-alike in its place it would
// name another file, or none.
std::string ansiName(Runtime& runtime, std::u16string_view name);

// The error handler of the message-box style: a runtime error's description
// in a box with an OK button and the title " Error".
void showErrorBox(Runtime& runtime, std::u16string_view description);

// Runs `body` under that handler; on an error the result is `R()` (0, the
// empty text, False, Empty, or nothing). Running out of memory is the
// runtime error 7 ("Out of memory") like any other.
template <class R, class Body>
R withErrorBox(Runtime& runtime, Body&& body);

}  // namespace orvalis

#include <new>
#include <stdexcept>

#include "frame/RuntimeError.h"

template <class R, class Body>
R orvalis::withErrorBox(Runtime& runtime, Body&& body) {
  try {
    return body();
  } catch (const RuntimeError& error) {
    showErrorBox(runtime, error.description());
  } catch (const std::bad_alloc&) {
    showErrorBox(runtime, standardDescription(vb_error::OutOfMemory));
  } catch (const std::length_error&) {  // a text or buffer beyond what memory can hold
    showErrorBox(runtime, standardDescription(vb_error::OutOfMemory));
  }
  return R();
}
