// Code page 850, the German console's code page: the character each byte
// shows as, and the byte each character is typed as.

#ifndef QUIRVELANDOSTRABIK_CONSOLE_CODE_PAGE_850_H_
#define QUIRVELANDOSTRABIK_CONSOLE_CODE_PAGE_850_H_

namespace console {

/// The character that shows `byte` where a console prints it: the code
/// page's character, and for the control bytes 0x00 to 0x1F and 0x7F the
/// glyph of the console's font (a blank for 0x00, a smiling face for 0x01,
/// a house for 0x7F, ...).
char32_t character_of_byte(unsigned char byte);

/// The character that a console shows for `byte` written to it, or the byte
/// itself for the five bytes a console acts on: the bell, backspace, tab,
/// line feed and carriage return. No other byte can act on a terminal.
char32_t written_character(unsigned char byte);

/// The byte a typed `character` arrives as: itself below U+0080 (control
/// characters included), its code page 850 byte above, or '?' for a
/// character the code page lacks.
unsigned char byte_of_character(char32_t character);

}  // namespace console

#endif  // QUIRVELANDOSTRABIK_CONSOLE_CODE_PAGE_850_H_
