// Fuzzes a whole run: the input is a script of operating-system reads, fed to
// run_dialogue as from a console, as from a pipe and as from a UTF-8
// terminal; the output must always have the shape of a reading, and the
// terminal's must be the console's when every byte is ASCII.
//
// Input format: a sequence of reads, each a length byte followed by that many
// bytes (fewer if the input ends first). The length 0xFF stands for a failed
// read, and 0 for a read that returns nothing (end of input).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "console/text_mode_input.h"
#include "console/text_output.h"
#include "console/utf8_terminal.h"
#include "dialogue/dialogue.h"
#include "expected_output.h"
#include "scripted_io.h"

namespace {

using expected::kClosing;
using expected::kLetterHeader;
using expected::kScreenHeader;

const std::string kTotalLabel = "Quersumme des Namens: ";
const std::string kSecondLabel = "2. Quersumme des Namens: ";
const std::string kThirdLabel = "3. Quersumme des Namens: ";

void require(bool condition) {
  if (!condition) std::abort();
}

// The number a byte must carry, from the table grouped by number.
int expected_number(char c) {
  const char* const groups[] = {"aijqy", "bkr", "cgls", "dmt", "ehnx", "uvw", "oz", "fp"};
  for (int i = 0; i < 8; ++i) {
    for (const char* letter = groups[i]; *letter != '\0'; ++letter) {
      if (*letter == c) return i + 1;
    }
  }
  return 0;
}

bool starts_with_at(const std::string& text, std::size_t pos, const std::string& prefix) {
  return text.compare(pos, prefix.size(), prefix) == 0;
}

// Reads a decimal number followed by CR LF at `pos`, moving `pos` past both.
std::int64_t number_line_end(const std::string& text, std::size_t& pos) {
  const std::size_t start = pos;
  std::int64_t value = 0;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    require(pos - start < 4);  // no reading number has more than three digits
    value = value * 10 + (text[pos] - '0');
    ++pos;
  }
  require(pos > start);
  require(start + 1 == pos || text[start] != '0');  // no leading zeros
  require(starts_with_at(text, pos, "\r\n"));
  pos += 2;
  return value;
}

// Every newline of a stream is the end of a CR LF.
void check_line_ends(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') require(i > 0 && text[i - 1] == '\r');
  }
}

void check_reading(const std::string& out) {
  check_line_ends(out);
  require(starts_with_at(out, 0, kScreenHeader));
  std::size_t pos = kScreenHeader.size();

  const bool has_letters = starts_with_at(out, pos, kLetterHeader);
  if (has_letters) pos += kLetterHeader.size();
  std::int64_t sum = 0;
  int lines = 0;
  while (!starts_with_at(out, pos, kTotalLabel)) {
    require(has_letters && pos + 3 < out.size());
    const char c = out[pos];
    require(out[pos + 1] == ':' && out[pos + 2] == ' ');
    pos += 3;
    const std::int64_t number = number_line_end(out, pos);
    require(number == expected_number(c));
    sum += number;
    ++lines;
  }
  require(lines <= 100);
  require(has_letters == (lines > 0));

  pos += kTotalLabel.size();
  const std::int64_t total = number_line_end(out, pos);
  require(total == sum);

  // The digit-sum lines: labels 2, 2, 3 in that order with steps skipped from
  // the front only, each value congruent to the total modulo 9.
  std::int64_t last = total;
  int steps = 0;
  int third = 0;
  while (starts_with_at(out, pos, kSecondLabel) || starts_with_at(out, pos, kThirdLabel)) {
    const bool is_third = starts_with_at(out, pos, kThirdLabel);
    require(third == 0 && (!is_third || steps > 0));
    third += is_third ? 1 : 0;
    pos += kSecondLabel.size();
    const std::int64_t value = number_line_end(out, pos);
    require(value < last && value % 9 == total % 9);
    last = value;
    ++steps;
  }
  require(steps <= 3 && steps - third <= 2);
  require(last <= 9 && (last == 0) == (total == 0));
  require(out.compare(pos, std::string::npos, kClosing) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<testing_io::Read> reads;
  std::size_t pos = 0;
  while (pos < size) {
    const std::size_t length = data[pos++];
    if (length == 0xFF) {
      reads.push_back(testing_io::Read::error());
      continue;
    }
    const std::size_t taken = length < size - pos ? length : size - pos;
    reads.emplace_back(std::string(reinterpret_cast<const char*>(data + pos), taken));
    pos += taken;
  }
  const std::size_t scripted = reads.size();
  const bool ascii = std::all_of(data, data + size, [](std::uint8_t b) { return b < 0x80; });

  // The same reads from a console and from a pipe, which differ only after a
  // Ctrl-Z, and from a UTF-8 terminal, a console that converts what it reads.
  enum Kind { kConsole, kPipe, kUtf8Terminal };
  std::string console_output;
  for (const Kind kind : {kConsole, kPipe, kUtf8Terminal}) {
    testing_io::ScriptedSource source(kind == kPipe ? testing_io::kPipe : testing_io::kConsole,
                                      reads);
    console::Utf8TerminalInput terminal(source);
    testing_io::RecordingSink sink;
    testing_io::RecordingSink errors;
    console::TextModeInput input(kind == kUtf8Terminal ? static_cast<console::ByteSource&>(terminal)
                                                       : source);
    int status = 0;
    {
      console::TextOutput output(sink);
      require(dialogue::run_dialogue(input, output) == 0);
      status = dialogue::exit_status(input, output, errors);
    }
    check_reading(sink.text());
    if (kind == kConsole) console_output = sink.text();
    // A script whose reads cut characters in two (bytes from 0x80 up) may
    // read differently; one of plain ASCII reads the same.
    if (kind == kUtf8Terminal && ascii) require(sink.text() == console_output);
    // A failed read gives status 1 and one line on standard error, ended
    // like every other line.
    const std::string error_text = errors.text();
    require((status == 1) == (input.error() != 0));
    require(error_text.empty() == (status == 0));
    check_line_ends(error_text);
    require(error_text.empty() || error_text.find("\r\n") == error_text.size() - 2);
    // A one-byte look-ahead splits a scripted read at most once, and a
    // terminal's character cut by a read adds at most three more; each
    // reader reads at most once past the end of the script.
    require(source.requested_sizes().size() <= (kind == kUtf8Terminal ? 5 : 2) * scripted + 4);
  }
  return 0;
}
