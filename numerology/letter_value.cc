#include "numerology/letter_value.h"

namespace numerology {
namespace {

// Indexed by the distance from 'a'.
// MUTANT_OK(constant): a larger array only adds an entry that no letter reaches
constexpr std::int32_t kLetterValues[26] = {
    1, 2, 3, 4, 5, 8, 3, 5, 1,  // a b c d e f g h i
    1, 2, 3, 4, 5, 7, 8, 1, 2,  // j k l m n o p q r
    3, 4, 6, 6, 6, 5, 1, 7,     // s t u v w x y z
};

}  // namespace

std::int32_t letter_value(char c) {
  // One unsigned comparison rejects everything below 'a' (the difference
  // wraps around) and everything above 'z'.
  const unsigned offset = static_cast<unsigned char>(c) - static_cast<unsigned>('a');
  return offset < 26U ? kLetterValues[offset] : 0;
}

}  // namespace numerology
