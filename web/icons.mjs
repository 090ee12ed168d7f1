// The web app's icons, drawn at build time: a console window's dark face
// with a ring (a digit sum come round to one digit) and a cursor below it,
// as PNG files. Drawn and encoded here, with nothing but Node's zlib, so
// that every build gives the same bytes.

import { deflateSync } from 'node:zlib';

const CLEAR = [0x1e, 0x1e, 0x1e, 0];
const FACE = [0x1e, 0x1e, 0x1e, 0xff];
const INK = [0xf0, 0xc0, 0x40, 0xff];

// The PNG format's CRC-32 of `bytes`.
const CRC_TABLE = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k += 1) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc32(bytes) {
  let c = 0xffffffff;
  for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
  return (c ^ 0xffffffff) >>> 0;
}

function chunk(type, data) {
  const length = Buffer.alloc(4);
  length.writeUInt32BE(data.length);
  const body = Buffer.concat([Buffer.from(type, 'latin1'), data]);
  const crc = Buffer.alloc(4);
  crc.writeUInt32BE(crc32(body));
  return Buffer.concat([length, body, crc]);
}

/** A PNG of `size` × `size` pixels; `pixel(x, y)` gives each [r, g, b, alpha]. */
export function encodePng(size, pixel) {
  const header = Buffer.alloc(13);
  header.writeUInt32BE(size, 0);
  header.writeUInt32BE(size, 4);
  header[8] = 8; // bits per sample
  header[9] = 6; // RGBA
  const rows = Buffer.alloc(size * (1 + 4 * size));
  for (let y = 0; y < size; y += 1) {
    const row = y * (1 + 4 * size); // each row starts with filter type 0
    for (let x = 0; x < size; x += 1) rows.set(pixel(x, y), row + 1 + 4 * x);
  }
  return Buffer.concat([
    Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a]),
    chunk('IHDR', header),
    chunk('IDAT', deflateSync(rows, { level: 9 })),
    chunk('IEND', Buffer.alloc(0)),
  ]);
}

const mix = (a, b, t) => a.map((v, i) => Math.round(v + (b[i] - v) * t));
// How much of a pixel an edge at signed distance `d` (pixels) covers.
const coverage = (d) => Math.min(1, Math.max(0, 0.5 - d));

/**
 * The icon at `size` pixels. A maskable icon fills the whole square and
 * keeps its drawing inside the central circle that every mask leaves; the
 * other has a rounded face of its own.
 */
export function icon(size, { maskable = false } = {}) {
  const c = size / 2;
  const scale = size / 512;
  const drawing = maskable ? 0.72 : 1; // the ring and cursor, within the safe zone
  const ring = {
    radius: 150 * scale * drawing,
    width: 44 * scale * drawing,
    y: c - 24 * scale * drawing,
  };
  const cursor = {
    left: c - 60 * scale * drawing,
    right: c + 60 * scale * drawing,
    top: c + 168 * scale * drawing,
    bottom: c + 196 * scale * drawing,
  };
  const corner = 96 * scale;
  return encodePng(size, (px, py) => {
    const x = px + 0.5;
    const y = py + 0.5;
    // The face: the whole square when maskable, else a rounded square.
    let color = FACE;
    if (!maskable) {
      const qx = Math.max(Math.abs(x - c) - (c - corner), 0);
      const qy = Math.max(Math.abs(y - c) - (c - corner), 0);
      color = mix(CLEAR, FACE, coverage(Math.hypot(qx, qy) - corner));
    }
    const fromRing = Math.abs(Math.hypot(x - c, y - ring.y) - ring.radius) - ring.width / 2;
    color = mix(color, INK, coverage(fromRing));
    const fromCursor = Math.max(
      cursor.left - x,
      x - cursor.right,
      cursor.top - y,
      y - cursor.bottom,
    );
    return mix(color, INK, coverage(fromCursor));
  });
}
