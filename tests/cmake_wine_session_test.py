#!/usr/bin/python3
"""Commands of the project that run Wine on one prefix at the same time share it: one
that ends leaves the programs, the wineserver and the display of the others running,
one that was killed leaves nothing behind for the next, and a program run without a
display does not wait for a persistent wineserver that someone else started.

    cmake_wine_session_test.py CMAKE_DIR DEFAULT_PREFIX TIME_SCALE

The test runs inside a session on the prefix WINEPREFIX (by default DEFAULT_PREFIX),
which it must not end: its commands use a prefix of their own beside it, made on the
first run and kept.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

CMAKE_DIR = PREFIX = None
SCALE = 1

# A program that runs until it is released: it writes NAME.started beside itself, then
# waits for NAME.release (a minute and more at most) and says so.
WAITER = r"""@echo off
echo started>"%~dp0%1.started"
set n=0
:wait
if exist "%~dp0%1.release" goto released
ping -n 2 127.0.0.1 >nul
set /a n+=1
if %n% lss {limit} goto wait
exit /b 1
:released
echo released %1
"""


def windows_path(path):
    return 'Z:' + path.replace('/', '\\')


def alive(pid):
    """Whether the process runs (a zombie that no one reaps does not)."""
    try:
        with open('/proc/%d/stat' % pid) as f:
            return f.read().rsplit(')', 1)[1].split()[0] != 'Z'
    except OSError:
        return False


def wait_until(check, seconds):
    deadline = time.monotonic() + seconds * SCALE
    while not check():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.2)
    return True


class WineSessions(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.env = dict(os.environ, WINEPREFIX=PREFIX)
        cls.env.pop('DISPLAY', None)
        # Makes the prefix when there is none yet.
        subprocess.run([os.path.join(CMAKE_DIR, 'wine-session'), 'true'], env=cls.env,
                       stdin=subprocess.DEVNULL, capture_output=True, timeout=600 * SCALE,
                       check=True)

    def setUp(self):
        self.dir = tempfile.mkdtemp()
        with open(os.path.join(self.dir, 'waiter.bat'), 'w', newline='\r\n') as f:
            f.write(WAITER.replace('{limit}', str(120 * SCALE)))
        self.commands = []

    def tearDown(self):
        for name in ('a', 'b'):
            self.release(name)
        for proc, out in self.commands:
            try:
                proc.wait(timeout=30 * SCALE)
            except subprocess.TimeoutExpired:
                proc.kill()
                proc.wait()
            out.close()
        subprocess.run(['wineserver', '-k'], env=self.env, timeout=60 * SCALE)
        shutil.rmtree(self.dir)

    def start(self, script, *args):
        """Starts cmake/SCRIPT ARGS... with its output in a file; returns the process."""
        out = open(os.path.join(self.dir, 'out%d' % len(self.commands)), 'w+')
        proc = subprocess.Popen([os.path.join(CMAKE_DIR, script), *args], env=self.env,
                                stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, text=True)
        self.commands.append((proc, out))
        return proc

    def finish(self, proc, seconds=120):
        """Waits for a command started by start; returns its exit code and output."""
        try:
            rc = proc.wait(timeout=seconds * SCALE)
        except subprocess.TimeoutExpired:
            rc = None
        self.assertIsNotNone(rc, '%s did not end' % proc.args)
        out = next(out for p, out in self.commands if p is proc)
        out.seek(0)
        return rc, out.read()

    def start_waiter(self, name, then='true'):
        """A session whose program runs until released, then runs the shell command THEN;
        returns once the program runs."""
        proc = self.start('wine-session', 'bash', '-c',
                          'echo $DISPLAY >"$0.display" && wine cmd /c "$1" "$2" && ' + then,
                          os.path.join(self.dir, name), windows_path(self.dir + '/waiter.bat'),
                          name)
        started = os.path.join(self.dir, name + '.started')
        self.assertTrue(wait_until(lambda: os.path.exists(started), 120), name + ' never ran')
        return proc

    def release(self, name):
        open(os.path.join(self.dir, name + '.release'), 'w').close()

    def xvfb_of(self, name):
        """The pid of the X server that the session NAME was given."""
        with open(os.path.join(self.dir, name + '.display')) as f:
            display = f.read().strip()
        with open('/tmp/.X%s-lock' % display.lstrip(':')) as f:
            return int(f.read())

    def test_a_session_that_ends_leaves_the_others_running(self):
        first = self.start_waiter('a')
        second = self.start_waiter('b', then='xdotool getdisplaygeometry')
        xvfb = self.xvfb_of('a')
        self.release('a')
        rc, out = self.finish(first)
        self.assertEqual((rc, out.strip()), (0, 'released a'))
        # One more joins and ends while the second's program still runs.
        rc, out = self.finish(self.start('wine-session', 'wine', 'cmd', '/c', 'echo', 'c'))
        self.assertEqual((rc, out.strip()), (0, 'c'))
        # The second's program was not ended, and its display outlived the first.
        self.release('b')
        rc, out = self.finish(second)
        self.assertEqual((rc, out.split()), (0, ['released', 'b', '1024', '768']))
        self.assertTrue(wait_until(lambda: not alive(xvfb), 10), 'the last one left Xvfb')

    def test_the_next_session_ends_what_a_killed_one_left(self):
        killed = self.start_waiter('a')
        xvfb = self.xvfb_of('a')
        killed.kill()
        killed.wait()
        rc, out = self.finish(self.start('wine-session', 'xdotool', 'getdisplaygeometry'))
        self.assertEqual((rc, out.strip()), (0, '1024 768'))
        self.assertTrue(wait_until(lambda: not alive(xvfb), 10),
                        "the killed session's Xvfb is still there")

    def test_a_program_run_without_a_display_does_not_wait_for_a_foreign_server(self):
        subprocess.run(['wineserver', '-p'], env=self.env, timeout=60 * SCALE, check=True)
        rc, out = self.finish(self.start('wine-run', 'cmd', '/c', 'echo', 'ran'), 60)
        self.assertEqual((rc, out.strip()), (0, 'ran'))


if __name__ == '__main__':
    CMAKE_DIR, default_prefix, SCALE = sys.argv.pop(1), sys.argv.pop(1), int(sys.argv.pop(1))
    PREFIX = os.environ.get('WINEPREFIX', default_prefix) + '-sharing'

    unittest.main()
