#include "dialogue/dialogue.h"

#include <cstdint>

#include "console/text_output.h"
#include "console/text_reader.h"
#include "numerology/evaluate_name.h"

namespace dialogue {

int run_dialogue(console::ByteSource& input, console::ByteSink& output) {
  console::TextOutput out(output);

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
    console::TextReader name_reader(input, buffer, sizeof buffer);
    numerology::evaluate_name(name_reader, out);
  }

  out.write("Ende: Taste druecken");
  out.end_line();

  // The closing wait ends at the first byte that is not whitespace, or at end
  // of input; the answer itself is never looked at.
  char buffer[console::kIntegerReadSize];
  console::TextReader answer_reader(input, buffer, sizeof buffer);
  std::int32_t answer = 0;
  console::extract_integer(answer_reader, &answer);
  return 0;
}

}  // namespace dialogue
