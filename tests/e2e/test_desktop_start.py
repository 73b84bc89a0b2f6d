"""The desktop program's start: --version and --help answered without a display; one program
per folder, desktop or service (a second one names the holder and touches nothing, the first
logs on); the history window alone on a folder another program logs to, creating nothing
there."""

import os
import pathlib
import re
import signal
import subprocess

from e2e_support import BIN_DIR, FIXED, SOURCE_DIR, EndToEndCase, main, wait_until

VERSION = re.search(r"project\(Tarnby VERSION (\S+)",
                    pathlib.Path(SOURCE_DIR, "CMakeLists.txt").read_text()).group(1)


def files(folder):  # every entry with its bytes, but the day logs a running program appends to
    return {p: p.is_file() and p.read_bytes()
            for p in pathlib.Path(folder).rglob("*") if p.parent.name != "logs"}


def catches_sigterm(pid):  # the program's orderly end is in place
    status = pathlib.Path("/proc/%d/status" % pid).read_text()
    return int(re.search(r"SigCgt:\s*(\w+)", status).group(1), 16) >> (signal.SIGTERM - 1) & 1


class DesktopStartTest(EndToEndCase):
    def test_answers_without_a_display(self):
        env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        for program, option, output in (
                ("tarnby", "--version", "tarnby %s\n" % VERSION),
                ("tarnby", "--help", "Usage: tarnby [--folder DIR] [--history]\n"),
                ("tarnbyd", "--version", "tarnbyd %s\n" % VERSION),
                ("tarnbyd", "--help", "Usage: tarnbyd [--folder DIR]\n")):
            run = subprocess.run([os.path.join(BIN_DIR, program), option], capture_output=True,
                                 text=True, timeout=10, env=dict(env, QT_QPA_PLATFORM="xcb"))
            self.assertEqual((run.returncode, run.stdout[:len(output)]), (0, output), run)

    def test_one_program_per_folder_and_the_history_window_beside_it(self):
        for holder, second in (("tarnby", "tarnbyd"), ("tarnbyd", "tarnby")):
            with self.subTest(holder=holder):
                app = self.app_folder()
                self.board(app, args=["--rate", "5", "--fixed", FIXED])
                first = self.tarnby(app) if holder == "tarnby" else self.tarnbyd(app)
                wait_until(lambda: app.read("tarnby.lock") == b"%d\n" % first.pid, 10,
                           "the folder's lock")
                before = files(app.path)
                refused = (self.tarnbyd(app) if second == "tarnbyd"
                           else self.tarnby(app, args=["--folder", app.path]))
                wait_until(lambda: "Tarnby process %d;" % first.pid in refused.output(), 10,
                           "the second program to name the first")
                # The desktop's message box is ended by the signal; the service ends by itself.
                self.assertEqual(refused.stop() if second == "tarnby" else refused.process.wait(10),
                                 1)
                history = self.tarnby(app, args=["--history", "--folder", app.path])
                wait_until(lambda: not history.alive() or catches_sigterm(history.pid), 10,
                           "the history")
                self.assertTrue(history.alive(), history.output())
                self.assertEqual(history.stop(), 0)
                self.assertEqual(files(app.path), before)
                records = len(app.all_records())
                wait_until(lambda: len(app.all_records()) > records, 25,
                           "the first program's records")
                # The desktop program ends in order on SIGHUP too; the service on SIGINT.
                self.assertEqual(first.stop(signal.SIGHUP if holder == "tarnby" else
                                            signal.SIGINT), 0)
                self.assertEqual(len(app.whours_lines()), 1)

if __name__ == "__main__":
    main()
