#!/usr/bin/env python3
"""velmora-host at a pseudo-terminal, as a person types: a quiet start, Tab to
complete command names and a dialog's item numbers, the arrow keys to edit a line
and to go back in the history, which the next run finds again.

The Windows host keeps plain line input; at its console (under Wine, on the system
the environment names) it shows and reads Cyrillic and Greek as they are.

Usage: host_terminal_test.py PATH-OF-velmora-host
       host_terminal_test.py --windows WINE PATH-OF-velmora-host.exe
Every wait is bounded."""
import os
import pty
import re
import select
import sys
import tempfile
import time

UP, LEFT = "\x1b[A", "\x1b[D"
ESCAPES = re.compile(r"\x1b\[[0-9;?]*[A-Za-z]|\x1b[()][A-Za-z0-9]|\x1b[=>]|\r")


class Terminal:
    def __init__(self, command, home, user_folder):
        env = dict(os.environ, HOME=home, TERM="xterm")
        env.setdefault("LANG", "C.UTF-8")
        env.pop("XDG_CONFIG_HOME", None)
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execve(command[0], command + ["--user-folder", user_folder], env)
        self.screen = ""  # everything shown, without the terminal's control sequences
        self.seen = 0  # where the next wait starts looking

    def read(self, seconds):
        ready, _, _ = select.select([self.fd], [], [], seconds)
        if not ready:
            return False
        try:
            data = os.read(self.fd, 65536)
        except OSError:  # the program ended
            return False
        self.screen += ESCAPES.sub("", data.decode("utf-8", "replace"))
        return bool(data)

    def wait_for(self, text, seconds=20):
        limit = time.monotonic() + seconds
        while text not in self.screen[self.seen:]:
            left = limit - time.monotonic()
            if left <= 0 or not self.read(left):
                raise AssertionError(f"no {text!r} within {seconds} s; the screen:\n{self.screen[-3000:]}")
        self.seen = self.screen.index(text, self.seen) + len(text)
        return self.screen

    def type(self, keys):
        os.write(self.fd, keys.encode())

    def end(self, seconds=20):
        limit = time.monotonic() + seconds
        while time.monotonic() < limit:
            self.read(0.1)
            ended, status = os.waitpid(self.pid, os.WNOHANG)
            if ended:
                return os.waitstatus_to_exitcode(status)
        os.kill(self.pid, 9)
        os.waitpid(self.pid, 0)
        raise AssertionError("the host did not end within %d s" % seconds)


def check(condition, message, terminal):
    if not condition:
        raise AssertionError(message + "; the screen:\n" + terminal.screen[-3000:])


def windows(command):
    with tempfile.TemporaryDirectory() as home:
        host = Terminal(command, home, "Z:" + home.replace("/", "\\") + "\\Пользователь")
        # Wine's console draws the screen itself: a prompt's blank may be a cursor move.
        start = host.wait_for("velmora>", 120)
        check("host calls," in start and "[call]" not in start, "no quiet start", host)
        time.sleep(2)  # the console takes the terminal over after the first prompt
        host.type("echo 'привет Ελλάδα'\r")
        host.wait_for("привет Ελλάδα\n")
        host.type("quit\r")
        status = host.end(60)
        check(status == 0, "exit status %d" % status, host)
        check(os.path.isdir(os.path.join(home, "Пользователь")), "no user folder named in Cyrillic", host)
    print("1 passed, 0 failed")


def main():
    if sys.argv[1] == "--windows":
        return windows(sys.argv[2:])
    program = sys.argv[1]
    with tempfile.TemporaryDirectory() as home:
        user_folder = os.path.join(home, "user")
        host = Terminal([program], home, user_folder)
        start = host.wait_for("velmora> ")
        # A quiet start: a summary of the load, not its calls.
        check("host calls," in start and "refused" in start, "no summary of the load", host)
        check("[call]" not in start, "host calls shown at a quiet start", host)

        host.type("hel\t wait-tex\t\r")  # Tab completes both names
        host.wait_for("for example: wait-text 4")
        host.type("2\r")  # the language dialog, modal
        host.wait_for("dialog 32734> ")
        host.type("click \t\t")  # Tab twice lists the dialog's item numbers
        host.wait_for("1  2  3  4  5  6")
        host.type("2\r")  # Cancel
        host.wait_for("velmora> ")
        host.type("echo ac" + LEFT + "b\r")
        host.wait_for("\nabc\n")
        host.type(UP + "\r")  # the same line again
        host.wait_for("\nabc\n")
        host.type("clik 1\r")
        host.wait_for('did you mean "click"?')
        host.type("quit\r")
        status = host.end()
        check(status == 0, "exit status %d" % status, host)

        # The next run goes back to the last line of the one before.
        host = Terminal([program], home, user_folder)
        host.wait_for("velmora> ")
        host.type(UP)
        host.wait_for("quit")
        host.type("\r")
        status = host.end()
        check(status == 0, "exit status %d of the second run" % status, host)
        check(os.path.isfile(os.path.join(home, ".config", "velmora-host", "history")),
              "no history in the host's folder", host)
    print("1 passed, 0 failed")


if __name__ == "__main__":
    main()
