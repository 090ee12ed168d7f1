#ifndef QUIRVELANDOSTRABIK_DIALOGUE_DIALOGUE_H_
#define QUIRVELANDOSTRABIK_DIALOGUE_DIALOGUE_H_

#include <cstddef>

#include "console/os_io.h"
#include "console/text_mode_input.h"
#include "console/text_output.h"

namespace dialogue {

/// Bytes per read of the character reader that takes the name: a file of up
/// to this size is taken in whole by its first read.
constexpr std::size_t kCharacterReadSize = 16384;

/// Bytes per read of the reader behind the closing wait's formatted integer
/// extraction.
constexpr std::size_t kIntegerReadSize = 1024;

/// Runs one whole reading: the screen header and prompt, the evaluation of
/// one name, the closing line and the closing wait. `input` is read by two
/// independent readers (the name's and the closing wait's), so whatever the
/// name left buffered and the name's end of input never reach the closing
/// wait. Failed reads and writes change nothing in the flow; they stay
/// recorded in `input` and `output`. Returns 0.
int run_dialogue(console::TextModeInput& input, console::TextOutput& output);

/// The same over raw streams, for callers that need no failure record.
int run_dialogue(console::ByteSource& input, console::ByteSink& output);

/// Turns the failures recorded on standard input and output into the exit
/// status: 0 when neither failed, otherwise 1, with one line on `errors` for
/// each stream that failed, naming the program, the stream and the system's
/// reason. Call after the last write to `output`. A failure to write `errors`
/// changes nothing.
int exit_status(const console::TextModeInput& input, const console::TextOutput& output,
                console::ByteSink& errors);

}  // namespace dialogue

#endif  // QUIRVELANDOSTRABIK_DIALOGUE_DIALOGUE_H_
