#ifndef QUIRVELANDOSTRABIK_NUMEROLOGY_LETTER_VALUE_H_
#define QUIRVELANDOSTRABIK_NUMEROLOGY_LETTER_VALUE_H_

#include <cstdint>

namespace numerology {

/// The number one byte of a name carries: 1 to 8 for the lowercase letters a
/// to z after the Chaldean table, 0 for every other byte. There is no case
/// folding: capitals, digits, blanks and all bytes from 0x80 up count 0.
std::int32_t letter_value(char c);

}  // namespace numerology

#endif  // QUIRVELANDOSTRABIK_NUMEROLOGY_LETTER_VALUE_H_
