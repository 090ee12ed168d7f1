#include "numerology/reduce_total.h"

#include <string_view>

namespace numerology {
namespace {

constexpr std::string_view kSecondLabel = "2. Quersumme des Namens: ";
constexpr std::string_view kThirdLabel = "3. Quersumme des Namens: ";

// Replaces `value` by (value / divisor) + (value % divisor) and writes the
// result under `label`, if `value` has a digit at `divisor`'s place or above.
void step(std::int32_t& value, std::int32_t divisor, std::string_view label,
          console::TextOutput& out) {
  if (value / divisor <= 0) return;
  value = value / divisor + value % divisor;
  out.write(label);
  out.write_number(value);
  out.end_line();
}

}  // namespace

void reduce_total(std::int32_t total, console::TextOutput& out) {
  std::int32_t value = total;
  step(value, 100, kSecondLabel, out);  // 199 -> 1 + 99 = 100
  step(value, 10, kSecondLabel, out);   // the first tens step repeats label 2
  step(value, 10, kThirdLabel, out);
}

}  // namespace numerology
