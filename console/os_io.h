// The operating system's raw reads and writes of standard input and output.
//
// Everything above this interface sees plain bytes: newline and end-of-input
// conventions are applied by TextReader and TextOutput, the same way on every
// platform. Each platform has one implementation file (os_io_posix.cc,
// os_io_win32.cc, os_io_web.cc for a web page's console); tests substitute
// scripted sources and recording sinks.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_OS_IO_H_
#define QUIRVELANDOSTRABIK_CONSOLE_OS_IO_H_

#include <cstddef>

namespace console {

/// A stream of raw input bytes, read one operating-system read at a time.
class ByteSource {
 public:
  /// Performs one read of at most `size` bytes (`size` > 0) into `buffer`.
  /// Returns the number of bytes read (> 0), 0 at end of input, or a negative
  /// value on a read error. Interrupted reads are retried, never reported.
  virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;

  /// True for a character device: a console or a terminal, where each read
  /// delivers one typed line (also /dev/null or NUL). False for a file or a
  /// pipe, and for a handle that is not open. The answer does not change
  /// while the source lives.
  virtual bool is_character_device() const = 0;

 protected:
  // Never destroyed through this interface: the standard streams are plain
  // objects that live until exit, with nothing to undo at exit.
  ~ByteSource() = default;
};

/// The longest line the program writes, in bytes, CR LF included. A line is
/// one write: TextOutput holds this many bytes, and a sink that converts
/// what it is given keeps a write of up to this many bytes one write.
constexpr std::size_t kLineSize = 256;

/// A destination for raw output bytes.
class ByteSink {
 public:
  /// Writes all `size` bytes, as one write when the destination takes them
  /// whole. Whatever could not be written is dropped. Returns 0 when every
  /// byte went out or the reader has gone away (a broken pipe is the
  /// reader's choice, not a failure), otherwise the error number (errno) of
  /// the failed write.
  virtual int write(const char* data, std::size_t size) = 0;

 protected:
  ~ByteSink() = default;  // as ByteSource's
};

/// Prepares the process's standard streams for raw byte I/O: no translation
/// by the C runtime, and no death by a signal when a reader has gone away.
/// Call once, before the first read or write.
void prepare_standard_streams();

/// The process's standard input, output and error. The objects live until
/// exit.
ByteSource& standard_input();
ByteSink& standard_output();
ByteSink& standard_error();

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_OS_IO_H_
