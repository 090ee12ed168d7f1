// quirvelandostrabik: a name-numerology reading on the console.

#include "console/os_io.h"
#include "console/text_mode_input.h"
#include "console/text_output.h"
#include "dialogue/dialogue.h"

int main() {
  console::prepare_standard_streams();
  console::TextModeInput input(console::standard_input());
  console::TextOutput output(console::standard_output());
  dialogue::run_dialogue(input, output);
  // Every line the dialogue writes is ended, so nothing is left pending here.
  return dialogue::exit_status(input, output, console::standard_error());
}
