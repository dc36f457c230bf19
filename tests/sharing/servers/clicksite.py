#!/usr/bin/python3
"""Opens a published collage site in headless Chromium and clicks through it.

usage: clicksite.py PAGE PHOTOS

Drives Chromium over the DevTools protocol on a pipe (--remote-debugging-pipe):
loads PAGE, checks that the collage image loaded, clicks each area of its
image map with real mouse events and checks that photo page n opens with its
image, then on each photo page clicks Previous, Next and To Collage and
checks where they lead. Prints one line per check; exits 0 when all pass.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

CHROMIUM = "/usr/bin/chromium"
# The program itself, without the launcher script.
CHROMIUM_BINARY = "/usr/lib/chromium/chromium"
FLAGS = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync",
         "--remote-debugging-pipe", "--window-size=1200,1000"]


class Browser:
    def __init__(self):
        if not os.path.exists(CHROMIUM_BINARY):
            sys.stderr.write("clicksite.py: chromium is missing (Debian package chromium); run scripts/install-deps\n")
            sys.exit(3)
        self.profile = tempfile.mkdtemp(prefix="ombravelle-chromium-")
        to_chrome_r, self.to_chrome = os.pipe()
        self.from_chrome, from_chrome_w = os.pipe()
        # Chromium reads commands on fd 3 and writes answers on fd 4.
        def arrange():
            reading, writing = os.dup(to_chrome_r), os.dup(from_chrome_w)
            os.dup2(reading, 3)
            os.dup2(writing, 4)
            os.set_inheritable(3, True)
            os.set_inheritable(4, True)
        self.process = subprocess.Popen([CHROMIUM_BINARY] + FLAGS + ["--user-data-dir=" + self.profile, "about:blank"],
                                        preexec_fn=arrange, close_fds=False,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(to_chrome_r)
        os.close(from_chrome_w)
        self.buffer = b""
        self.next_id = 0
        self.events = []
        self.session = None

    def close(self):
        try:
            self.send("Browser.close", session=False)
        except Exception:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)

    def read_message(self, deadline):
        while b"\0" not in self.buffer:
            if time.time() > deadline:
                raise TimeoutError("Chromium stopped answering")
            chunk = os.read(self.from_chrome, 65536)
            if not chunk:
                raise RuntimeError("Chromium closed the pipe")
            self.buffer += chunk
        message, self.buffer = self.buffer.split(b"\0", 1)
        return json.loads(message)

    def send(self, method, params=None, session=True, timeout=20):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session and self.session:
            message["sessionId"] = self.session
        os.write(self.to_chrome, json.dumps(message).encode() + b"\0")
        deadline = time.time() + timeout
        while True:
            answer = self.read_message(deadline)
            if answer.get("id") == self.next_id:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})
            self.events.append(answer)

    def wait_event(self, name, timeout=20):
        deadline = time.time() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event.get("method") == name:
                    del self.events[i]
                    return event
            self.events.append(self.read_message(deadline))

    def attach(self):
        targets = self.send("Target.getTargets", session=False)["targetInfos"]
        page = next(t for t in targets if t["type"] == "page")
        self.session = self.send("Target.attachToTarget", {"targetId": page["targetId"], "flatten": True},
                                 session=False)["sessionId"]
        self.send("Page.enable")
        self.send("Runtime.enable")

    def evaluate(self, expression):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": True})
        if "exceptionDetails" in result:
            raise RuntimeError("script failed: %s" % result["exceptionDetails"])
        return result["result"].get("value")

    def navigate(self, url):
        self.events.clear()
        self.send("Page.navigate", {"url": url})
        self.wait_event("Page.loadEventFired")

    def click(self, x, y):
        self.events.clear()
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.send("Input.dispatchMouseEvent", {"type": kind, "x": x, "y": y, "button": "left",
                                                   "clickCount": 1})
        self.wait_event("Page.loadEventFired")

    def location(self):
        return self.evaluate("decodeURIComponent(location.pathname)")


# The centre of area `index` of the map the image at `selector` uses, in
# viewport pixels, after scrolling the image into view.
AREA_POINT = """(() => {
  const img = document.querySelector(%s);
  img.scrollIntoView({block: "center"});
  const map = document.querySelector('map[name="' + img.useMap.substring(1) + '"]');
  const area = map.querySelectorAll("area")[%d];
  const c = area.coords.split(",").map(Number);
  let x = 0, y = 0, n = 0;
  if (area.shape === "rect") { x = (c[0] + c[2]) / 2; y = (c[1] + c[3]) / 2; }
  else { for (let i = 0; i < c.length; i += 2) { x += c[i]; y += c[i + 1]; n++; } x /= n; y /= n; }
  const box = img.getBoundingClientRect();
  return [box.left + x * box.width / img.naturalWidth, box.top + y * box.height / img.naturalHeight];
})()"""

IMAGE_LOADED = """(() => { const img = document.querySelector(%s);
  return img !== null && img.complete && img.naturalWidth > 0; })()"""


def main():
    page = os.path.abspath(sys.argv[1])
    photos = int(sys.argv[2])
    folder = os.path.dirname(page)
    images = os.path.splitext(os.path.basename(page))[0] + "_images"
    failures = []

    def check(ok, what):
        print(("ok   " if ok else "FAIL ") + what, flush=True)
        if not ok:
            failures.append(what)

    browser = Browser()
    try:
        browser.attach()
        main_url = "file://" + page
        browser.navigate(main_url)
        check(browser.evaluate(IMAGE_LOADED % json.dumps("img[usemap]")), "the collage image loads")
        areas = browser.evaluate('document.querySelectorAll("map[name=FPMap0] area").length')
        check(areas == photos, "the image map has %d areas (found %s)" % (photos, areas))
        for index in range(areas or 0):
            browser.navigate(main_url)
            x, y = browser.evaluate(AREA_POINT % (json.dumps("img[usemap]"), index))
            browser.click(x, y)
            where = browser.location()
            number = index + 1
            expected = os.path.join(folder, images, "%d.htm" % number)
            check(where == expected, "area %d leads to %s (went to %s)" % (number, expected, where))
            check(browser.evaluate(IMAGE_LOADED % json.dumps('img[src="%d.jpg"]' % number)),
                  "photo page %d shows its photo" % number)
            navigation = json.dumps("img[usemap]")
            for button, target in ((0, number - 1), (2, number + 1), (1, 0)):
                browser.navigate("file://" + expected)
                x, y = browser.evaluate(AREA_POINT % (navigation, button))
                browser.click(x, y)
                lands = page if target < 1 or target > photos else os.path.join(folder, images, "%d.htm" % target)
                name = ("Previous", "To Collage", "Next")[button]
                check(browser.location() == lands, "%s on photo %d leads to %s" % (name, number, lands))
    finally:
        browser.close()
    print("%d failed" % len(failures))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
