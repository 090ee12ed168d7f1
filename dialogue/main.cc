// quirvelandostrabik: a name-numerology reading on the console.

#include "console/os_io.h"
#include "dialogue/dialogue.h"

int main() {
  console::prepare_standard_streams();
  return dialogue::run_dialogue(console::standard_input(), console::standard_output());
}
