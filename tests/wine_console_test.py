#!/usr/bin/env python3
"""The 64-bit Windows program on Wine's console, as a person sees it.

Wine gives a console program a console of its own when it starts on a
terminal. This starts the program under Wine in a tmux window, types into it
and reads the screen text back (Wine's console draws with terminal control
sequences, so the raw bytes are not compared; tmux keeps the screen).

Wine's console reads the terminal in its line mode, so the terminal's own
suspend character would take a typed Ctrl-Z before the console sees it: the
stop signal is dropped (nothing in the window has job control) and the line
typed so far with it. With the suspend character switched off, Ctrl-Z reaches
the console, which hands the program the byte 0x1A, as a Windows console does.

Whatever code page cmd's chcp sets, the console shows what the German console
(code page 850) shows, and a typed character arrives as its code page 850
byte. Wine draws the console in the terminal's UTF-8, so tmux runs with a
UTF-8 locale.

Ctrl-C is not tried here: Wine's console does not do what a Windows one
does. With the terminal's interrupt character on, the terminal's SIGINT ends
Wine before the console sees a key; with it off, the console ends the read
with no characters and no ERROR_OPERATION_ABORTED, exactly as at a real end
of input, and sends no Ctrl-C event. The unit tests script the interrupt.

Usage: wine_console_test.py WINE_RUN BUILD_DIR PROGRAM.exe
Exits 0 when every check holds, 1 when one fails, 77 (skipped) when tmux or
Wine's 64-bit loader is missing.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

BANNER = "*****************Quirvelandostrabik***************"
PROMPT = "bitte Namen eingeben:"
CLOSING = "Ende: Taste druecken"
PATIENCE_S = 120  # the first start creates the Wine prefix


class Console:
    """One run of the program in a detached tmux window of its own."""

    def __init__(self, wine_run, build_dir, program, windows_command=None):
        """Runs `program`, or else `windows_command` in cmd, where {0} is the
        program's Windows path."""
        self.socket = "quirvelandostrabik-%d-%d" % (os.getpid(), time.monotonic_ns())
        if windows_command is not None:
            program = "cmd.exe /c '%s'" % windows_command.format(windows_path(program))
        command = "stty susp undef; %s 64 %s %s; echo EXIT=$?; sleep 600" % (
            wine_run, build_dir, program)
        self.tmux("new-session", "-d", "-x", "80", "-y", "60", command)

    def tmux(self, *args):
        environment = dict(os.environ, LANG="C.UTF-8")
        environment.pop("LC_ALL", None)
        return subprocess.run(["tmux", "-L", self.socket] + list(args), check=True,
                              stdout=subprocess.PIPE, text=True, env=environment).stdout

    def screen(self):
        """The screen's lines, trailing blanks and empty lines at the end dropped."""
        lines = [line.rstrip() for line in self.tmux("capture-pane", "-p").split("\n")]
        while lines and not lines[-1]:
            lines.pop()
        return lines

    def type(self, *keys):
        self.tmux("send-keys", *keys)

    def wait_for(self, text, seconds=PATIENCE_S):
        """Waits until `text` is a line of the screen and the screen has stayed
        the same for a moment: Wine's console may still be drawing."""
        deadline = time.monotonic() + seconds
        last = None
        while time.monotonic() < deadline:
            screen = self.screen()
            if text in screen and screen == last:
                return True
            last = screen
            time.sleep(0.25)
        return False

    def close(self):
        subprocess.run(["tmux", "-L", self.socket, "kill-server"], stderr=subprocess.DEVNULL)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


failures = []


def check(condition, what, console):
    if not condition:
        failures.append(what)
        print("FAILED: %s\nscreen:\n%s" % (what, "\n".join(console.screen())))


def run(args, name_keys, check_reading):
    """Starts the program, types `name_keys` at the prompt, checks the screen
    once the closing line is there, then ends the closing wait with x."""
    console = Console(*args)
    try:
        check(console.wait_for(PROMPT), "the prompt appears", console)
        console.type(*name_keys)
        check(console.wait_for(CLOSING), "the reading appears after %s" % " ".join(name_keys),
              console)
        check_reading(console)
        console.type("x", "Enter")
        check(console.wait_for("EXIT=0", 30), "x and Enter end it with status 0", console)
    finally:
        console.close()


def peter_then_an_empty_line(console):
    screen = console.screen()
    start = screen.index(BANNER) if BANNER in screen else 0
    check(screen[start:] == [
        BANNER, PROMPT, "", "peter", "", "Den Buchstaben zugeordnete Zahlenwerte:", "",
        "p: 8", "e: 5", "t: 4", "e: 5", "r: 2",
        "Quersumme des Namens: 24", "2. Quersumme des Namens: 6", CLOSING,
    ], "the reading of peter, line by line", console)
    console.type("Enter")
    check(not console.wait_for("EXIT=0", 2), "an empty line keeps the closing wait", console)


def empty_name(console):
    screen = console.screen()
    check(screen[-3:] == ["^Z", "Quersumme des Namens: 0", CLOSING] and
          "Den Buchstaben zugeordnete Zahlenwerte:" not in screen,
          "an empty name's total, then the closing line", console)


def name_goes_on_after_the_cut(console):
    screen = console.screen()
    start = screen.index("ab^Zcd") if "ab^Zcd" in screen else 0
    # The console echoes a line typed ahead when the program reads it.
    check(screen[start:] == [
        "ab^Zcd", "", "Den Buchstaben zugeordnete Zahlenwerte:", "",
        "a: 1", "b: 2", "ef", "e: 5", "f: 8",
        "Quersumme des Namens: 16", "2. Quersumme des Namens: 7", CLOSING,
    ], "the name ab, then ef from the next line", console)


def code_page(args, number, name_file):
    """At code page `number`, set by cmd's chcp, a name file on standard input
    and Jürgen typed show as on the German console. The program shows each
    byte through the code page 850 table, so ü: 0 also means it read 0x81."""
    console = Console(*args, windows_command="chcp %d >nul & {0} < %s & {0}" % (
        number, windows_path(name_file)))
    try:
        check(console.wait_for(CLOSING), "%d: the name file's reading appears" % number, console)
        console.type("Jürgen", "Enter")
        check(console.wait_for("Quersumme des Namens: 15"), "%d: Jürgen's total" % number, console)
        screen = console.screen()
        shown = ["%s: 0" % c for c in "üäß♫←♀⌂"] + ["Quersumme des Namens: 0", CLOSING]
        start = screen.index(shown[0]) if shown[0] in screen else 0
        check(screen[start:start + len(shown)] == shown and screen.count("ü: 0") == 2,
              "%d: the file's bytes and the typed ü as the German console's" % number, console)
        console.type("x", "Enter")
        check(console.wait_for("EXIT=0", 30), "%d: x and Enter end it" % number, console)
    finally:
        console.close()


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    wine_run, build_dir, program = sys.argv[1:]
    if shutil.which("tmux") is None:
        print("Skipped: tmux is not installed")
        return 77
    probe = subprocess.run([wine_run, "64", build_dir, "--check"], stdout=subprocess.PIPE, text=True)
    if probe.returncode != 0:
        print("Skipped: " + probe.stdout.strip())
        return 77
    args = (wine_run, build_dir, program)
    run(args, ["peter", "Enter"], peter_then_an_empty_line)
    # The console is a character device: a Ctrl-Z at the start of a line ends
    # the name, and one after characters drops only the rest of its line.
    run(args, ["C-z", "Enter"], empty_name)
    run(args, ["ab", "C-z", "cd", "Enter", "ef", "Enter"], name_goes_on_after_the_cut)
    with tempfile.NamedTemporaryFile(dir=build_dir) as name_file:
        name_file.write(b"\x81\x84\xe1\x0e\x1b\x0c\x7f")
        name_file.flush()
        for number in (850, 437, 1252, 65001):
            code_page(args, number, name_file.name)
    print("all checks hold" if not failures else "%d checks failed" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
