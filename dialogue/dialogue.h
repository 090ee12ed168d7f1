#ifndef QUIRVELANDOSTRABIK_DIALOGUE_DIALOGUE_H_
#define QUIRVELANDOSTRABIK_DIALOGUE_DIALOGUE_H_

#include "console/os_io.h"

namespace dialogue {

/// Runs one whole reading: the screen header and prompt, the evaluation of
/// one name, the closing line and the closing wait. `input` is read by two
/// independent readers (the name's and the closing wait's), so whatever the
/// name left buffered and the name's end of input never reach the closing
/// wait. Returns the exit status, which is always 0.
int run_dialogue(console::ByteSource& input, console::ByteSink& output);

}  // namespace dialogue

#endif  // QUIRVELANDOSTRABIK_DIALOGUE_DIALOGUE_H_
