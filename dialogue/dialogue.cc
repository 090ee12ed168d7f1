#include "dialogue/dialogue.h"

#include <cstdint>

#include "console/text_output.h"
#include "console/text_reader.h"
#include "numerology/evaluate_name.h"

namespace dialogue {

int run_dialogue(console::ByteSource& input, console::ByteSink& output) {
  console::TextOutput out(output);
  console::TextModeInput text_input(input);

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
    char buffer[console::kCharacterReadSize];
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
  char buffer[console::kIntegerReadSize];
  console::TextReader answer_reader(text_input, buffer, sizeof buffer);
  std::int32_t answer = 0;
  console::extract_integer(answer_reader, &answer);
  return 0;
}

}  // namespace dialogue
