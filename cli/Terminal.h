#pragma once
// Standard output as kitrova-cli writes it: through a buffer that keeps the system's reason
// for a failed write (a full disk, a closed pipe), and knows whether it is a terminal and
// how wide.

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <system_error>
#include <vector>

namespace kitrova::cli {

class OutputBuffer : public std::streambuf {
 public:
  explicit OutputBuffer(int fd);
  ~OutputBuffer() override;
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // The first failed write's reason; empty while every write went through.
  std::error_code error() const { return error_; }
  // Columns of the terminal the output goes to; 0 when it is not a terminal.
  std::size_t terminalColumns() const;

 protected:
  int_type overflow(int_type ch) override;
  int sync() override;
  std::streamsize xsputn(const char* data, std::streamsize size) override;

 private:
  bool drain();

  int fd_;
  std::vector<char> buffer_;
  std::error_code error_;
};

// The width a table may take on `out`: the terminal's when `out` is one, else 0 (no limit).
std::size_t TableWidth(const std::ostream& out);

// Why writing `out` failed, in the system's words where it told us.
std::string WriteFailure(const std::ostream& out);

}  // namespace kitrova::cli
