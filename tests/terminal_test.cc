// The built program on a pseudo-terminal: canonical line input, Ctrl-D as
// end of input, a literal Ctrl-Z, and the screen state while the program
// waits.

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

#include "child_process.h"
#include "expected_output.h"

namespace {

using expected::kClosing;
using expected::kLetterHeader;
using expected::kPeterReading;
using expected::kScreenHeader;

const std::string kProgram = testing_io::program_under_test(QUIRVELANDOSTRABIK_PROGRAM);

constexpr int kPatienceMs = 20000;

// The program on the slave side of a pty in canonical mode, as a login shell
// would leave it, except that echo and output post-processing are off: the
// master then reads exactly the bytes the program wrote (no echoed input, no
// CR CR LF from the kernel's newline translation). With `input_file`,
// standard input is that file instead, and only the output goes to the
// terminal. Likewise `output_file` and `error_file` for standard output and
// error. The terminal's locale is `lang` alone.
class Terminal {
 public:
  explicit Terminal(const std::string& input_file = "", const char* lang = "C.UTF-8",
                    const std::string& output_file = "", const std::string& error_file = "") {
    termios settings{};
    settings.c_iflag = ICRNL | IXON;
    settings.c_oflag = 0;
    settings.c_cflag = CS8 | CREAD;
    settings.c_lflag = ICANON | ISIG | IEXTEN;
    settings.c_cc[VEOF] = 4;       // Ctrl-D
    settings.c_cc[VINTR] = 3;      // Ctrl-C
    settings.c_cc[VERASE] = 0x7f;  // Backspace
    settings.c_cc[VKILL] = 0x15;   // Ctrl-U
    settings.c_cc[VSUSP] = 0x1a;   // Ctrl-Z
    settings.c_cc[VLNEXT] = 0x16;  // Ctrl-V: the next key is taken literally
    settings.c_cc[VMIN] = 1;
    cfsetispeed(&settings, B38400);
    cfsetospeed(&settings, B38400);
    pid_ = ::forkpty(&master_, nullptr, &settings, nullptr);
    if (pid_ == 0) {
      (void)::signal(SIGPIPE, SIG_DFL);
      // The child of a fork runs one thread.
      ::unsetenv("LC_ALL");       // NOLINT(concurrency-mt-unsafe)
      ::unsetenv("LC_CTYPE");     // NOLINT(concurrency-mt-unsafe)
      ::setenv("LANG", lang, 1);  // NOLINT(concurrency-mt-unsafe)
      const std::string* files[] = {&input_file, &output_file, &error_file};
      for (int stream = 0; stream < 3; ++stream) {
        if (files[stream]->empty()) continue;
        const int fd = ::open(files[stream]->c_str(), stream == 0 ? O_RDONLY : O_WRONLY);
        if (fd < 0 || ::dup2(fd, stream) < 0) ::_exit(126);
      }
      char* argv[] = {const_cast<char*>(kProgram.c_str()), nullptr};
      ::execv(kProgram.c_str(), argv);
      ::_exit(127);
    }
  }
  ~Terminal() {
    if (!reaped_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
    ::close(master_);
  }

  bool started() const { return pid_ > 0; }

  void type(std::string_view keys) const {
    ASSERT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
  }

  // Reads the screen until it ends with `suffix`; returns what was read since
  // the previous call.
  std::string read_until(std::string_view suffix) {
    std::string screen;
    while (!(screen.size() >= suffix.size() &&
             screen.compare(screen.size() - suffix.size(), suffix.size(), suffix.data(),
                            suffix.size()) == 0)) {
      if (!read_some(&screen, kPatienceMs)) break;
    }
    return screen;
  }

  // What arrives on the screen within `ms` milliseconds.
  std::string read_for(int ms) {
    std::string screen;
    while (read_some(&screen, ms)) {
    }
    return screen;
  }

  bool still_running_after(int ms) {
    pause(ms);
    return !reap(WNOHANG);
  }

  int wait_for_exit() {
    for (int waited = 0; waited < kPatienceMs; waited += 10) {
      if (reap(WNOHANG)) return status_;
      pause(10);
    }
    return -1;
  }

 private:
  static void pause(int ms) {
    const timespec t{ms / 1000, (ms % 1000) * 1000000L};
    ::nanosleep(&t, nullptr);
  }

  bool read_some(std::string* screen, int timeout_ms) {
    pollfd entry{master_, POLLIN, 0};
    if (::poll(&entry, 1, timeout_ms) <= 0) return false;
    char buffer[4096];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0) return false;  // EIO once the program has ended
    screen->append(buffer, static_cast<std::size_t>(n));
    return true;
  }

  bool reap(int options) {
    if (reaped_) return true;
    int raw = 0;
    if (::waitpid(pid_, &raw, options) != pid_) return false;
    reaped_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    return true;
  }

  int master_ = -1;
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = -1;
};

TEST(Terminal, ScreenIsCompleteBeforeTypingAndALineArrivesOnlyWithEnter) {
  Terminal terminal;
  ASSERT_TRUE(terminal.started());
  EXPECT_EQ(terminal.read_until(kScreenHeader), kScreenHeader);
  EXPECT_EQ(terminal.read_for(100), "") << "the program waits for the name";
  terminal.type("pet");
  EXPECT_EQ(terminal.read_for(100), "") << "nothing arrives before Enter";
  terminal.type("er\r");
  EXPECT_EQ(terminal.read_until(kClosing), kPeterReading + kClosing);
  terminal.type("\r");
  terminal.type("   \r");
  EXPECT_TRUE(terminal.still_running_after(100)) << "Enter and blanks keep it waiting";
  terminal.type("x\r");
  EXPECT_EQ(terminal.wait_for_exit(), 0);
}

TEST(Terminal, OverlongLineIsOneReadWhoseRestNeverReachesTheClosingWait) {
  Terminal terminal;
  ASSERT_TRUE(terminal.started());
  terminal.read_until(kScreenHeader);
  terminal.type(std::string(150, 'o') + "\r");
  std::string expected = kLetterHeader;
  for (int i = 0; i < 100; ++i) expected += "o: 7\r\n";
  expected += "Quersumme des Namens: 700\r\n2. Quersumme des Namens: 7\r\n" + kClosing;
  EXPECT_EQ(terminal.read_until(kClosing), expected);
  EXPECT_TRUE(terminal.still_running_after(150)) << "the 50 further o's were not the answer";
  terminal.type("-7\r");
  EXPECT_EQ(terminal.wait_for_exit(), 0);
}

TEST(Terminal, CtrlDEndsTheNameAndTheClosingWaitStillReadsTheTerminal) {
  for (const char* closing_keys : {"42\r", "\x04"}) {
    Terminal terminal;
    ASSERT_TRUE(terminal.started());
    terminal.read_until(kScreenHeader);
    terminal.type("\x04");
    EXPECT_EQ(terminal.read_until(kClosing), "Quersumme des Namens: 0\r\n" + kClosing);
    terminal.type("\r");
    EXPECT_TRUE(terminal.still_running_after(100));
    terminal.type(closing_keys);
    EXPECT_EQ(terminal.wait_for_exit(), 0);
  }
}

TEST(Terminal, CtrlDAfterCharactersDeliversThemAndCtrlDAtTheClosingWaitEndsIt) {
  Terminal terminal;
  ASSERT_TRUE(terminal.started());
  terminal.read_until(kScreenHeader);
  terminal.type("pe\x04");  // delivers "pe" without a line end
  terminal.type("ter\r");
  EXPECT_EQ(terminal.read_until(kClosing), kPeterReading + kClosing);
  terminal.type("\x04");
  EXPECT_EQ(terminal.wait_for_exit(), 0);
}

// A terminal is a character device: a Ctrl-Z (typed literally, after Ctrl-V)
// cuts only the line it is on, and the name goes on with the next line.
TEST(Terminal, LiteralCtrlZCutsItsLineAndTheNameGoesOn) {
  Terminal terminal;
  ASSERT_TRUE(terminal.started());
  terminal.read_until(kScreenHeader);
  terminal.type(
      "ab\x16\x1a"
      "cd\r");
  EXPECT_TRUE(terminal.still_running_after(100)) << "the name is not over yet";
  terminal.type("ef\r");
  EXPECT_EQ(terminal.read_until(kClosing), kLetterHeader +
                                               "a: 1\r\nb: 2\r\ne: 5\r\nf: 8\r\n"
                                               "Quersumme des Namens: 16\r\n"
                                               "2. Quersumme des Namens: 7\r\n" +
                                               kClosing);
  terminal.type("\r");
  EXPECT_TRUE(terminal.still_running_after(100));
  terminal.type("\x16\x1a\r");  // at the start of a line: end of input
  EXPECT_EQ(terminal.wait_for_exit(), 0);
}

// What a Ctrl-Z does depends on standard input alone: a file is no terminal,
// even when the output goes to one. The first read of 16384 bytes ends just
// past the Ctrl-Z; a terminal would read on and take cd into the name.
TEST(Terminal, FileAsInputEndsAtItsCtrlZThoughTheOutputIsATerminal) {
  Terminal terminal(testing_io::temporary_file("ab\x1a" + std::string(16381, 'y') + "cd\n42\n"));
  ASSERT_TRUE(terminal.started());
  EXPECT_EQ(
      terminal.read_until(kClosing),
      kScreenHeader + kLetterHeader + "a: 1\r\nb: 2\r\nQuersumme des Namens: 3\r\n" + kClosing);
  EXPECT_EQ(terminal.wait_for_exit(), 0);
}

// A terminal that speaks UTF-8 is the code page 850 console: a typed ü is
// one character, 0x81, and every byte written shows as its character, never
// as a control byte. A file keeps its bytes (0xC3 and 0xBC are two
// characters, shown as the console shows them); so does a terminal whose
// locale names another character set.
// The reading of Jürgen, with its ü shown as `u`.
std::string jurgen_reading(const std::string& u) {
  return kLetterHeader + "J: 0\r\n" + u + ": 0\r\nr: 2\r\ng: 3\r\ne: 5\r\nn: 5\r\n" +
         "Quersumme des Namens: 15\r\n2. Quersumme des Namens: 6\r\n";
}

TEST(Terminal, AUtf8TerminalShowsWhatTheCodePage850ConsoleShows) {
  struct Case {
    const char* lang;
    std::string file;  // standard input, if not typed
    std::string typed;
    std::string reading;
  } const cases[] = {
      {"C.UTF-8", "", "J\xC3\xBCrgen\r", jurgen_reading("\xC3\xBC")},
      {"C.UTF-8", "a\xC3\xBC\x0e\x1b\n", "",
       kLetterHeader + "a: 1\r\n\xE2\x94\x9C: 0\r\n\xE2\x95\x9D: 0\r\n\xE2\x99\xAB: 0\r\n" +
           "\xE2\x86\x90: 0\r\nQuersumme des Namens: 1\r\n"},
      {"de_DE.ISO-8859-1", "", "J\xFCrgen\r", jurgen_reading("\xFC")},
  };
  for (const Case& c : cases) {
    Terminal terminal(c.file.empty() ? "" : testing_io::temporary_file(c.file), c.lang);
    ASSERT_TRUE(terminal.started());
    terminal.type(c.typed + "x\r");
    EXPECT_EQ(terminal.read_until(kClosing), kScreenHeader + c.reading + kClosing) << c.lang;
    EXPECT_EQ(terminal.wait_for_exit(), 0);
  }
}

// Each standard stream is made a code page 850 console on its own: a file
// beside a terminal keeps the program's bytes, whichever streams the
// terminal holds.
TEST(Terminal, EachStreamIsConvertedOnItsOwn) {
  const std::string raw = kLetterHeader + "\xC3: 0\r\n\xBC: 0\r\nQuersumme des Namens: 0\r\n";
  // The same bytes as each shows on the terminal: \xC3 and \xBC as box characters.
  const std::string shown =
      kLetterHeader + "\xE2\x94\x9C: 0\r\n\xE2\x95\x9D: 0\r\nQuersumme des Namens: 0\r\n";
  struct Case {
    const char* what;
    std::string input;  // a file's bytes, or else typed on the terminal
    bool output_to_file;
    bool errors_to_file;
    std::string output;  // in the file, or else on the screen
  } const cases[] = {
      {"typed, to a file", "", true, false, jurgen_reading("\x81")},
      {"a file to a file, errors to the terminal", "\xC3\xBC\n", true, false, raw},
      {"typed, on the screen, errors to a file", "", false, true, jurgen_reading("\xC3\xBC")},
      {"typed, to a file, errors to a file", "", true, true, jurgen_reading("\x81")},
      {"a file on the screen, errors to a file", "\xC3\xBC\n", false, true, shown},
  };
  for (const Case& c : cases) {
    const std::string output = testing_io::temporary_file("");
    Terminal terminal(c.input.empty() ? "" : testing_io::temporary_file(c.input), "C.UTF-8",
                      c.output_to_file ? output : "",
                      c.errors_to_file ? testing_io::temporary_file("") : "");
    ASSERT_TRUE(terminal.started());
    if (c.input.empty()) terminal.type("J\xC3\xBCrgen\rx\r");
    const std::string screen = c.output_to_file ? "" : terminal.read_until(kClosing);
    EXPECT_EQ(terminal.wait_for_exit(), 0) << c.what;
    std::ifstream file(output, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(c.output_to_file ? written : screen, kScreenHeader + c.output + kClosing) << c.what;
  }
}

}  // namespace
