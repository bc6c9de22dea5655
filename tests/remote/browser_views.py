"""The browser views in a real browser: the built program with its remote on a
free port of this machine, and headless Chromium through Selenium: /view
follows the main screen's second, the start button of /control starts a run,
and the program ends cleanly with /view, /speaker and /control open.

Usage: browser_views.py MELVANTA_EXECUTABLE PROGRAM_FOLDER
Needs an X display for the program (tools/with-display.sh). A missing browser,
driver or Selenium is a failure: the test command installs them.
"""

import json
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.request

CHROMEDRIVER = shutil.which("chromedriver") or "/usr/bin/chromedriver"
CHROMIUM = shutil.which("chromium") or "/usr/bin/chromium"


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def seconds_of(text):
    """Seconds of a clock text such as "00:59"; None for anything else."""
    try:
        value = 0
        for field in text.split(":"):
            value = value * 60 + int(field)
        return value
    except ValueError:
        return None


class Program:
    """The program in a folder of its own, with a config folder of its own."""

    def __init__(self, executable, built_folder):
        self.work = tempfile.mkdtemp(prefix="melvanta-browser-")
        self.home = os.path.join(self.work, "program")
        config = os.path.join(self.work, "config")
        # The data files only: the executable runs where it was built.
        shutil.copytree(built_folder, self.home, ignore=lambda d, names: [
            n for n in names if os.path.isfile(os.path.join(d, n)) and os.access(os.path.join(d, n), os.X_OK)])
        self.port = free_port()
        with open(os.path.join(self.home, "TimeData.db"), "a", encoding="utf-8") as profile:
            profile.write("\n[Remote]\nenabled=1\nport=%d\nlisten=loopback\n" % self.port)
        os.makedirs(config)
        # Settings of this version and records on: the first start asks nothing.
        self.store = os.path.join(config, "Kestrova.conf")
        with open(self.store, "w", encoding="utf-8") as store:
            store.write("[General]\nvision=4\nTime_Record=1\n")
        env = dict(os.environ, MELVANTA_HOME=self.home, XDG_CONFIG_HOME=config)
        env.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.log = open(os.path.join(self.work, "melvanta.log"), "w+")
        self.process = subprocess.Popen([executable], env=env, stdout=self.log, stderr=subprocess.STDOUT)
        self.base = "http://127.0.0.1:%d" % self.port

    def get(self, path):
        with urllib.request.urlopen(self.base + path, timeout=5) as reply:
            return json.loads(reply.read().decode("utf-8"))

    def post(self, path):
        request = urllib.request.Request(self.base + path, data=b"", method="POST",
                                         headers={"X-Api-Key": self.key()})
        try:
            with urllib.request.urlopen(request, timeout=5) as reply:
                return json.loads(reply.read().decode("utf-8"))
        except urllib.error.HTTPError as refused:  # a command that does not apply now: 409
            return json.loads(refused.read().decode("utf-8"))

    def state(self):
        return self.get("/api/v1/state")

    def wait_until_serving(self, seconds=15):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                fail("the program ended with %s before serving" % self.process.returncode)
            try:
                return self.state()
            except OSError:
                time.sleep(0.1)
        fail("GET /api/v1/state did not answer within %d s" % seconds)

    def key(self):
        with open(self.store, encoding="utf-8") as store:
            for line in store:
                if line.startswith("remotekey="):
                    return line.strip().split("=", 1)[1]
        fail("no remotekey in " + self.store)

    def end(self):
        """Ends the program as the session's end does; its exit code and output."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.log.seek(0)
        output = self.log.read()
        self.log.close()
        shutil.rmtree(self.work, ignore_errors=True)
        return self.process.returncode, output


def open_browser():
    for path, what in ((CHROMIUM, "chromium"), (CHROMEDRIVER, "chromedriver")):
        if not os.access(path, os.X_OK):
            fail("%s is not installed (%s)" % (what, path))
    try:
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
    except ImportError as error:
        fail("Selenium for %s is missing: %s" % (sys.executable, error))
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1280,720", "--no-first-run"):
        options.add_argument(argument)
    return webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)


def wait_for(what, predicate, seconds):
    """Waits for `predicate`; fails with `what` (a text, or a function giving it)."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.05)
    fail(what() if callable(what) else what)


def clock_text(browser):
    return browser.execute_script("return document.getElementById('clock').textContent")


def flips_of(samples):
    """(time, text) of each change of text in a list of (time, text) samples."""
    return [(t, text) for (t, text), (_, before) in zip(samples[1:], samples) if text != before]


def rounded(flips):
    return [(round(t, 3), text) for t, text in flips]


def view_follows_the_clock(program, browser):
    browser.get(program.base + "/view")
    idle = program.state()["text"]
    wait_for(lambda: "/view shows %r, not the clock at rest %r" % (clock_text(browser), idle),
             lambda: clock_text(browser) == idle, 10)
    if not program.post("/api/v1/start")["ok"]:
        fail("start through the API refused")

    # The page's text and the program's side by side for a few seconds; the
    # program's flips are known to the loop's step, a few tens of ms.
    shown, served = [], []
    end = time.monotonic() + 4.5
    while time.monotonic() < end:
        shown.append((time.monotonic(), clock_text(browser)))
        served.append((time.monotonic(), program.state()["text"]))
        time.sleep(0.01)

    start = shown[0][0]
    page = [(t - start, text) for t, text in flips_of(shown)]
    screen = [(t - start, text) for t, text in flips_of(served)]
    if len(page) < 3:
        fail("/view changed only %d times in 4.5 s of a run: %s" % (len(page), page))
    for (t0, a), (t1, b) in zip(page, page[1:]):
        if seconds_of(a) is None or seconds_of(b) != seconds_of(a) - 1 or not 0.8 <= t1 - t0 <= 1.2:
            fail("/view went from %r to %r after %.3f s; its changes (s, text): %s" % (a, b, t1 - t0, rounded(page)))
    # Each second flips on the page when it flips on the main screen.
    screen_flip = {text: t for t, text in screen}
    # (A text the screen showed already when the sampling began has no flip.)
    apart = [(text, t - screen_flip[text]) for t, text in page if text in screen_flip]
    for text, lead in apart:
        if abs(lead) > 0.3:
            fail("/view showed %r %+.3f s from the main screen; changes (s, text) on the page %s, on the screen %s" %
                 (text, lead, rounded(page), rounded(screen)))
    print("/view followed the main screen: %s, flips %s ms from the screen's" %
          ([text for _, text in page], [round(1000 * lead) for _, lead in apart]))


def control_starts_a_run(program, browser):
    if program.state()["status"] != "idle":
        program.post("/api/v1/stop")
        program.post("/api/v1/clear")
    wait_for("the run did not clear", lambda: program.state()["status"] == "idle", 5)
    from selenium.webdriver.common.by import By
    browser.get(program.base + "/control?token=" + program.key())
    start = browser.find_element(By.ID, "start")
    wait_for("the start button of /control stays disabled", lambda: start.is_enabled(), 10)
    # Double presses within half a second count once; the API's stop was longer ago.
    time.sleep(0.6)
    start.click()
    wait_for(lambda: "the start button did not start a run (status %r)" % program.state()["status"],
             lambda: program.state()["status"] == "running", 5)
    result = browser.find_element(By.ID, "result")
    wait_for(lambda: "/control did not report the start (%r)" % result.text, lambda: "完成" in result.text, 5)
    print("/control: started, the page says %r" % result.text)


def the_room_watches(program, browser):
    """/view and /speaker beside /control, as a room has them open."""
    for page in ("/view", "/speaker"):
        browser.switch_to.new_window("tab")
        browser.get(program.base + page)
        wait_for(page + " shows no clock", lambda: clock_text(browser) not in ("", "--:--"), 10)


def main():
    if len(sys.argv) != 3:
        fail("usage: browser_views.py MELVANTA_EXECUTABLE PROGRAM_FOLDER")
    browser = None
    passed = False
    program = Program(sys.argv[1], sys.argv[2])
    try:
        state = program.wait_until_serving()
        if state["status"] != "idle":
            fail("the program started with a run %r" % state["status"])
        browser = open_browser()
        view_follows_the_clock(program, browser)
        control_starts_a_run(program, browser)
        the_room_watches(program, browser)
        passed = True
    finally:
        # Ended while the pages still watch.
        code, output = program.end()
        if browser:
            browser.quit()
        if passed and code != 0:
            passed = False
            print("FAIL: the program, told to end with three pages watching, ended with %s" % code)
        if not passed:
            print("the program's output:\n" + output, flush=True)
            sys.exit(1)
    print("PASS")


if __name__ == "__main__":
    main()
