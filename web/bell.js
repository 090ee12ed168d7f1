// The console's bell: a short flash of the console, always, and a short
// tone where the browser lets the page play one. Browsers allow sound only
// after the first key or click on the page, so the tone's audio context is
// made then.

const FLASH_MS = 150;
const TONE_S = 0.12;
const TONE_HZ = 880;

export class Bell {
  #element;
  #audio = null;
  #flashTimer = 0;

  /** `element` is the part of the page that flashes. */
  constructor(element) {
    this.#element = element;
    const allowSound = () => this.#allowSound();
    // Capture only guards against a handler that stops a key or a pointer
    // on its way, and no handler of the page does: in either phase the
    // window sees each.
    // Stryker disable next-line ObjectLiteral,BooleanLiteral: see above
    window.addEventListener('keydown', allowSound, { capture: true });
    // Stryker disable next-line ObjectLiteral,BooleanLiteral: see above
    window.addEventListener('pointerdown', allowSound, { capture: true });
  }

  ring() {
    this.#element.classList.add('bell');
    clearTimeout(this.#flashTimer);
    this.#flashTimer = setTimeout(() => this.#element.classList.remove('bell'), FLASH_MS);
    this.#tone();
  }

  #allowSound() {
    if (this.#audio === null && typeof AudioContext === 'function')
      this.#audio = new AudioContext();
    if (this.#audio?.state === 'suspended') this.#audio.resume();
  }

  #tone() {
    if (this.#audio?.state !== 'running') return;
    const start = this.#audio.currentTime;
    const oscillator = this.#audio.createOscillator();
    const gain = this.#audio.createGain();
    oscillator.frequency.value = TONE_HZ;
    gain.gain.setValueAtTime(0.08, start);
    gain.gain.exponentialRampToValueAtTime(0.001, start + TONE_S);
    oscillator.connect(gain).connect(this.#audio.destination);
    oscillator.start(start);
    oscillator.stop(start + TONE_S);
  }
}
