#ifndef QUIRVELANDOSTRABIK_NUMEROLOGY_EVALUATE_NAME_H_
#define QUIRVELANDOSTRABIK_NUMEROLOGY_EVALUATE_NAME_H_

#include <cstddef>

#include "console/text_output.h"
#include "console/text_reader.h"

namespace numerology {

/// The most characters taken for one name.
constexpr std::size_t NAME_CAPACITY = 100;

/// Reads one name from `in` and writes its reading to `out`: a header before
/// the first character, one report line per character ("<byte>: <number>"),
/// the total line and the digit-sum lines of reduce_total().
///
/// The name ends at a line feed (consumed, not stored), at end of input, or
/// after NAME_CAPACITY characters; in the last case nothing more is read, so
/// the rest of the line stays in `in`'s buffer.
void evaluate_name(console::TextReader& in, console::TextOutput& out);

}  // namespace numerology

#endif  // QUIRVELANDOSTRABIK_NUMEROLOGY_EVALUATE_NAME_H_
