#include "cli/Terminal.h"

#include <algorithm>
#include <cerrno>
#include <string>

#ifdef _WIN32
#include <io.h>
// std::min, not the macro.
#define NOMINMAX
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace kitrova::cli {

namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

// One write of the system; the count written, or -1 with errno.
long long WriteSome(int fd, const char* data, std::size_t size) {
#ifdef _WIN32
  return _write(fd, data, static_cast<unsigned>(size > 1u << 30 ? 1u << 30 : size));
#else
  return ::write(fd, data, size);
#endif
}

}  // namespace

OutputBuffer::OutputBuffer(int fd) : fd_(fd), buffer_(kBufferSize) {
  setp(buffer_.data(), buffer_.data() + buffer_.size());
}

OutputBuffer::~OutputBuffer() {
  drain();
}

bool OutputBuffer::drain() {
  const char* data = pbase();
  std::size_t left = static_cast<std::size_t>(pptr() - pbase());
  setp(buffer_.data(), buffer_.data() + buffer_.size());
  if (error_) return false;  // after a failure, nothing more goes out
  while (left > 0) {
    const long long written = WriteSome(fd_, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      error_ = std::error_code(written < 0 ? errno : EIO, std::generic_category());
      return false;
    }
    data += written;
    left -= static_cast<std::size_t>(written);
  }
  return true;
}

OutputBuffer::int_type OutputBuffer::overflow(int_type ch) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(ch, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(ch);
    pbump(1);
  }
  return traits_type::not_eof(ch);
}

int OutputBuffer::sync() {
  return drain() ? 0 : -1;
}

std::streamsize OutputBuffer::xsputn(const char* data, std::streamsize size) {
  std::streamsize done = 0;
  while (done < size) {
    if (pptr() == epptr() && !drain()) return done;
    const std::streamsize room = epptr() - pptr();
    const std::streamsize step = std::min(room, size - done);
    traits_type::copy(pptr(), data + done, static_cast<std::size_t>(step));
    pbump(static_cast<int>(step));
    done += step;
  }
  return error_ ? 0 : done;
}

std::size_t OutputBuffer::terminalColumns() const {
#ifdef _WIN32
  if (!_isatty(fd_)) return 0;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return 80;
  return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
#else
  if (!::isatty(fd_)) return 0;
  winsize size{};
  if (::ioctl(fd_, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
  return size.ws_col;
#endif
}

std::size_t TableWidth(const std::ostream& out) {
  const auto* buffer = dynamic_cast<const OutputBuffer*>(out.rdbuf());
  return buffer ? buffer->terminalColumns() : 0;
}

std::string WriteFailure(const std::ostream& out) {
  const auto* buffer = dynamic_cast<const OutputBuffer*>(out.rdbuf());
  if (buffer && buffer->error()) return buffer->error().message();
  return "the write failed";
}

}  // namespace kitrova::cli
