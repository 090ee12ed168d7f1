#ifndef QUIRVELANDOSTRABIK_NUMEROLOGY_REDUCE_TOTAL_H_
#define QUIRVELANDOSTRABIK_NUMEROLOGY_REDUCE_TOTAL_H_

#include <cstdint>

#include "console/text_output.h"

namespace numerology {

/// Reduces a name's total (0 to 800) towards one digit in three fixed steps
/// and writes one line for each step taken:
///  1. at 100 or more: hundreds digit plus the remaining two-digit number,
///     labelled "2. Quersumme des Namens: ";
///  2. at 10 or more: tens digit plus units digit, labelled the same;
///  3. at 10 or more again: tens plus units, labelled "3. Quersumme ...".
/// Each step runs at most once; every total from 0 to 800 ends as one digit.
void reduce_total(std::int32_t total, console::TextOutput& out);

}  // namespace numerology

#endif  // QUIRVELANDOSTRABIK_NUMEROLOGY_REDUCE_TOTAL_H_
