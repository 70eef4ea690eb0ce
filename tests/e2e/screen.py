"""The virtual display as a person sees it: windows found by name, clicks, keys, screenshots."""
import os
import pathlib
import subprocess

from loopback import poll


class Window:
    def __init__(self, wid, x, y, width, height):
        self.id, self.x, self.y, self.width, self.height = wid, x, y, width, height

    def __repr__(self):
        return "Window(%s, %d,%d %dx%d)" % (self.id, self.x, self.y, self.width, self.height)

    @property
    def size(self):
        return (self.width, self.height)

    def at(self, fx, fy):
        """Screen position of a point given as fractions of the window."""
        return (self.x + int(round(fx * self.width)), self.y + int(round(fy * self.height)))


class Screen:
    def __init__(self, display, artifacts):
        self.display = display
        self.env = dict(os.environ, DISPLAY=display)
        self.artifacts = pathlib.Path(artifacts)
        self.artifacts.mkdir(parents=True, exist_ok=True)

    def _xdotool(self, *args, check=True):
        done = subprocess.run(["xdotool", *map(str, args)], env=self.env, capture_output=True, text=True,
                              timeout=20)
        if check and done.returncode != 0:
            raise RuntimeError("xdotool %s: %s" % (" ".join(map(str, args)), done.stderr.strip()))
        return done.stdout

    # -- windows ----------------------------------------------------------------------------
    def windows(self, name):
        """Visible windows whose title matches `name`, with their geometry."""
        out = self._xdotool("search", "--onlyvisible", "--name", name, check=False)
        found = []
        for wid in out.split():
            geometry = self._xdotool("getwindowgeometry", "--shell", wid, check=False)
            values = dict(line.split("=", 1) for line in geometry.split() if "=" in line)
            try:
                found.append(Window(wid, int(values["X"]), int(values["Y"]), int(values["WIDTH"]),
                                    int(values["HEIGHT"])))
            except KeyError:
                continue
        return found

    def wait_window(self, name, size=None, timeout=20, what=None):
        """The one visible window of that title (and size, when given)."""
        def probe():
            hits = [w for w in self.windows(name) if size is None or w.size == tuple(size)]
            return hits[0] if len(hits) == 1 else None
        return poll(probe, timeout, what or "a window %r of size %s" % (name, size), interval=0.2)

    def wait_no_window(self, name, size=None, timeout=20, what=None):
        poll(lambda: not [w for w in self.windows(name) if size is None or w.size == tuple(size)],
             timeout, what or "no window %r of size %s" % (name, size), interval=0.2)

    # -- input ------------------------------------------------------------------------------
    def move(self, x, y):
        self._xdotool("mousemove", "--sync", x, y)

    def click(self, x, y):
        # Move first and pause a moment so the page sees the hover before the press, as with a hand.
        self._xdotool("mousemove", "--sync", x, y)
        self._xdotool("sleep", "0.1", "mousedown", "1", "sleep", "0.05", "mouseup", "1")

    def type_text(self, text):
        self._xdotool("type", "--delay", "30", text)

    def key(self, *keys):
        self._xdotool("key", *keys)

    # -- pictures ---------------------------------------------------------------------------
    def shot(self, name):
        """Saves the whole screen as <artifacts>/<name>.png and returns it for probing."""
        path = self.artifacts / (name + ".png")
        subprocess.run(["import", "-window", "root", str(path)], env=self.env, check=True, timeout=30)
        return Picture(path)


class Picture:
    def __init__(self, path):
        self.path = path
        data = subprocess.run(["convert", str(path), "-depth", "8", "ppm:-"], capture_output=True,
                              check=True, timeout=30).stdout
        # A binary PPM: "P6", width, height, maximum, then RGB bytes.
        fields, at = [], 0
        while len(fields) < 4:
            while data[at:at + 1].isspace():
                at += 1
            end = at
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[at:end])
            at = end
        self.width, self.height = int(fields[1]), int(fields[2])
        self.pixels = data[at + 1:]

    def rgb(self, x, y):
        at = (y * self.width + x) * 3
        return tuple(self.pixels[at:at + 3])

    def near(self, x, y, colour, tolerance=24, radius=0):
        """Whether some pixel within `radius` of (x, y) has about that colour."""
        for dy in range(-radius, radius + 1):
            for dx in range(-radius, radius + 1):
                got = self.rgb(x + dx, y + dy)
                if all(abs(a - b) <= tolerance for a, b in zip(got, colour)):
                    return True
        return False

    def count(self, box, colour, tolerance=24):
        """How many pixels of the box (x0, y0, x1, y1) have about that colour."""
        x0, y0, x1, y1 = box
        hits = 0
        for y in range(y0, y1):
            for x in range(x0, x1):
                if all(abs(a - b) <= tolerance for a, b in zip(self.rgb(x, y), colour)):
                    hits += 1
        return hits
