#include "dialogue/dialogue.h"

#include <cstdint>
#include <cstring>

#include "console/text_output.h"
#include "console/text_reader.h"
#include "numerology/evaluate_name.h"

namespace dialogue {

int run_dialogue(console::TextModeInput& text_input, console::TextOutput& out) {
  out.end_line();
  out.end_line();
  out.end_line();
  out.write("*****************Quirvelandostrabik***************");
  out.end_line();
  out.put('\a');
  out.write("bitte Namen eingeben: ");
  out.end_line();
  out.end_line();

  {
    char buffer[kCharacterReadSize];
    console::TextReader name_reader(text_input, buffer, sizeof buffer);
    numerology::evaluate_name(name_reader, out);
  }

  out.write("Ende: Taste druecken");
  out.end_line();

  // The closing wait is one formatted integer extraction: it skips whitespace,
  // line ends included, then takes a sign and digits for as long as they
  // continue the number. It ends at the first byte that cannot (a letter
  // right away, or the line end after "42"), or at end of input. The answer
  // itself is never looked at.
  char buffer[kIntegerReadSize];
  console::TextReader answer_reader(text_input, buffer, sizeof buffer);
  std::int32_t answer = 0;  // MUTANT_OK(constant): never looked at
  console::extract_integer(answer_reader, &answer);
  return 0;
}

int run_dialogue(console::ByteSource& input, console::ByteSink& output) {
  console::TextModeInput text_input(input);
  console::TextOutput out(output);
  return run_dialogue(text_input, out);
}

namespace {

void report(console::TextOutput& errors, const char* stream, int error) {
  errors.write("quirvelandostrabik: ");
  errors.write(stream);
  errors.write(": ");
  // The program is single-threaded: nothing else can overwrite the text.
  errors.write(std::strerror(error));  // NOLINT(concurrency-mt-unsafe)
  errors.end_line();
}

}  // namespace

int exit_status(const console::TextModeInput& input, const console::TextOutput& output,
                console::ByteSink& errors) {
  console::TextOutput error_lines(errors);
  if (input.error() != 0) report(error_lines, "standard input", input.error());
  if (output.error() != 0) report(error_lines, "standard output", output.error());
  return input.error() != 0 || output.error() != 0 ? 1 : 0;
}

}  // namespace dialogue
