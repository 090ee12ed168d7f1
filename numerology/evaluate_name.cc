#include "numerology/evaluate_name.h"

#include <cstdint>

#include "numerology/letter_value.h"
#include "numerology/reduce_total.h"

namespace numerology {

void evaluate_name(console::TextReader& in, console::TextOutput& out) {
  char name_chars[NAME_CAPACITY];
  std::int32_t letter_values[NAME_CAPACITY];
  std::size_t count = 0;

  while (count < NAME_CAPACITY) {
    const int c = in.get();
    if (c == '\n' || c == console::TextReader::kEndOfInput) break;
    name_chars[count] = static_cast<char>(c);
    if (count == 0) {
      out.end_line();
      out.write("Den Buchstaben zugeordnete Zahlenwerte:");
      out.end_line();
      out.end_line();
    }
    letter_values[count] = letter_value(name_chars[count]);
    out.put(name_chars[count]);
    out.write(": ");
    out.write_number(letter_values[count]);
    out.end_line();
    ++count;
  }

  std::int32_t total = 0;
  for (std::size_t i = 0; i < count; ++i) total += letter_values[i];
  out.write("Quersumme des Namens: ");
  out.write_number(total);
  out.end_line();
  reduce_total(total, out);
}

}  // namespace numerology
