// Code page 850, the German console's code page: how a typed character
// becomes the byte the program reads, and how a byte the program writes
// is shown.

// The characters of the bytes 0x80 to 0xFF, sixteen to a row.
const HIGH_HALF =
  'ÇüéâäàåçêëèïîìÄÅ' +
  'ÉæÆôöòûùÿÖÜø£Ø×ƒ' +
  'áíóúñÑªº¿®¬½¼¡«»' +
  '░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐' +
  '└┴┬├─┼ãÃ╚╔╩╦╠═╬¤' +
  'ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀' +
  'ÓßÔÒõÕµþÞÚÛÙýÝ¯´' +
  '\u00ad±‗¾¶§÷¸°¨·¹³²■\u00a0';

// How a console shows the control bytes 0x00 to 0x1F and 0x7F when they are
// not acted on: as the glyphs of its font, never as terminal commands.
const CONTROL_GLYPHS = ' ☺☻♥♦♣♠•◘○◙♂♀♪♫☼►◄↕‼¶§▬↨↑↓→←∟↔▲▼';
const DELETE_GLYPH = '⌂';

const BYTE_OF = new Map(
  Array.from(HIGH_HALF, (character, i) => [character.codePointAt(0), 0x80 + i]),
);

const QUESTION_MARK = 0x3f;

/** The character of each byte 0x80 to 0xFF, in order. */
export const highHalf = HIGH_HALF;

/**
 * The byte that a typed character arrives as: its code page 850 byte, or
 * `?` for a character that the code page lacks. A character below U+0080
 * is its own byte, as in the program; which control characters reach the
 * program at all is the console's business.
 */
export function byteOfCharacter(codePoint) {
  if (codePoint < 0x80) return codePoint;
  return BYTE_OF.get(codePoint) ?? QUESTION_MARK;
}

/** The character that shows byte `byte` (0 to 255) where it is printed. */
export function characterOfByte(byte) {
  if (byte >= 0x80) return HIGH_HALF[byte - 0x80];
  if (byte === 0x7f) return DELETE_GLYPH;
  if (byte < 0x20) return CONTROL_GLYPHS[byte];
  return String.fromCharCode(byte);
}
