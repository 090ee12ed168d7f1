// The program's screen texts as the tests expect them, byte for byte. Written
// out here once, independently of the program's own literals.

#ifndef QUIRVELANDOSTRABIK_TESTS_EXPECTED_OUTPUT_H_
#define QUIRVELANDOSTRABIK_TESTS_EXPECTED_OUTPUT_H_

#include <string>

namespace expected {

/// Three empty lines, the banner, BEL with the prompt, one empty line.
inline const std::string kScreenHeader =
    "\r\n\r\n\r\n*****************Quirvelandostrabik***************\r\n"
    "\abitte Namen eingeben: \r\n\r\n";
/// Written before the first character of a name.
inline const std::string kLetterHeader = "\r\nDen Buchstaben zugeordnete Zahlenwerte:\r\n\r\n";
inline const std::string kClosing = "Ende: Taste druecken\r\n";
/// The reading of the name "peter", from the letter header to the last digit sum.
inline const std::string kPeterReading = kLetterHeader +
                                         "p: 8\r\ne: 5\r\nt: 4\r\ne: 5\r\nr: 2\r\n"
                                         "Quersumme des Namens: 24\r\n"
                                         "2. Quersumme des Namens: 6\r\n";

}  // namespace expected

#endif  // QUIRVELANDOSTRABIK_TESTS_EXPECTED_OUTPUT_H_
