"""One self-contained HTML page of a replay: the program, script, time and summary at the top,
then one row per event with the script line that caused it, its frame, and, where there is a
reference, the reference frame and a difference image with the count of differing pixels.
Rows that match are folded. Without references the page is a flip-book of the session.

tools/zavok-replay --report writes it one event at a time (ReportWriter in replay.py):

    report = Report("out.html", program="kartello.exe", script="card.scr", time="...")
    differing = report.add_event(0, None, frame, reference=reference_image, text=[...])
    ...
    report.finish("replayed 101 events in 6.1 s")

and from_manifest() makes one from frames already on disc. Images are inlined as data: URIs, or
with assets=True written to one folder beside the page (OUT_files/). The page fetches nothing
and needs no script library.
"""

import base64
import html
import json
import os
import shutil
import sys
import tempfile

from . import frames as framing
from . import png
from .results import HEADLINE

STYLE = """
body { font: 14px/1.4 sans-serif; margin: 16px; color: #111; background: #fff; }
h1 { font-size: 20px; margin: 0 0 8px; }
table.summary td { padding: 1px 12px 1px 0; vertical-align: top; }
table.summary td:first-child { color: #555; }
.note { background: #fff6d5; padding: 4px 8px; margin: 6px 0; }
details.event { border-top: 1px solid #ccc; padding: 4px 0; }
details.event > summary { cursor: pointer; font-family: monospace; font-size: 13px; }
details.differs > summary .verdict { color: #b00; font-weight: bold; }
details.matches > summary .verdict { color: #070; }
details.missing > summary .verdict { color: #b00; }
p.outcome { font-size: 16px; padding: 6px 10px; margin: 8px 0; border-left: 6px solid #b00; background: #fdecec; }
p.outcome.pass { border-color: #070; background: #eaf6ea; }
.row { display: flex; flex-wrap: nowrap; align-items: flex-start; gap: 12px; margin: 6px 0 4px; }
figure { margin: 0; }
figcaption { font-size: 12px; color: #555; }
img { display: block; image-rendering: pixelated; border: 1px solid #999; }
pre.text { margin: 0; font-size: 12px; background: #f4f4f4; padding: 4px; min-width: 20em; max-width: 60em;
           overflow-x: auto; }
#viewer { position: sticky; top: 0; background: #fff; padding: 6px 0; border-bottom: 1px solid #ccc; }
#viewer input { width: 40em; }
"""

# The flip-book: a slider (and the arrow keys) that shows one frame after another.
FLIP_SCRIPT = """
(function () {
  var rows = document.querySelectorAll('details.event');
  var slider = document.getElementById('flip'), shown = document.getElementById('flip-frame');
  var caption = document.getElementById('flip-caption');
  function show(i) {
    var row = rows[i];
    slider.value = i;
    shown.src = row.querySelector('figure.frame img').src;
    caption.textContent = row.querySelector('summary').textContent;
  }
  slider.max = rows.length - 1;
  slider.addEventListener('input', function () { show(+slider.value); });
  document.addEventListener('keydown', function (e) {
    var i = +slider.value + (e.key === 'ArrowRight' ? 1 : e.key === 'ArrowLeft' ? -1 : 0);
    if (i >= 0 && i < rows.length && i !== +slider.value) { show(i); e.preventDefault(); }
  });
  if (rows.length) show(0);
})();
"""


# The note of a replay with --text, whose text window the program had hidden.
TEXT_WINDOW_NOTE = ("--text: the text window's lines were read from its pixels after each event. A hidden window "
                    "paints no lines, and the program had hidden its text window, so the replay showed it once the "
                    "first frame was taken (without activating it; where it overlapped the graphics window, its "
                    "top edge moved down to clear it): from then on the program saw its text window visible and "
                    "shorter (ZAVOK_printf painted each line, ZAVOK_show_text reported it visible). The frames "
                    "are read from the graphics window itself and do not change.")


frame_name = framing.name
UNKNOWN = object()  # add_event's difference when not given


def _image(source):
    """A png.Image (or anything with width, height and rgb) and the bytes of a PNG file of it
    when they are at hand, from a path or a picture."""
    if not isinstance(source, str):
        return source, None
    with open(source, "rb") as file:
        data = file.read()
    return png.decode(data, source), data


class Report:
    """Collects the events of one replay and writes the page at finish(). Rows are kept in a
    temporary file beside the page, so a long replay does not hold every image in memory."""

    def __init__(self, path, program, script, time, assets=False, notes=()):
        self.path = os.path.abspath(path)
        self.program, self.script, self.time = program, script, time
        self.notes = list(notes)
        self.events = 0
        self.compared = 0
        self.differing = []       # (index, pixels) of every event whose frame differs
        self.unreferenced = 0     # events without a reference, in a replay that has references
        self.max_diff_pixels = 0  # a frame with no more differing pixels than this matches
        self.assets = None
        if assets:
            self.assets = os.path.splitext(self.path)[0] + "_files"
            shutil.rmtree(self.assets, ignore_errors=True)
            os.makedirs(self.assets)
        folder = os.path.dirname(self.path)
        os.makedirs(folder, exist_ok=True)
        self._rows = tempfile.TemporaryFile("w+", encoding="utf-8", dir=folder)

    def _source(self, name, image, data):
        """The src of an image: a data: URI, or a file in the assets folder."""
        if data is None:
            data = png.encode(image.width, image.height, image.rgb)
        if self.assets is None:
            return "data:image/png;base64," + base64.b64encode(data).decode("ascii")
        with open(os.path.join(self.assets, name), "wb") as file:
            file.write(data)
        return html.escape(os.path.basename(self.assets) + "/" + name)

    def _figure(self, kind, caption, name, image, data):
        return ('<figure class="%s"><img src="%s" width="%d" height="%d" alt="%s"><figcaption>%s</figcaption>'
                '</figure>' % (kind, self._source(name, image, data), image.width, image.height,
                               html.escape(caption), html.escape(caption)))

    def add_event(self, index, line, frame, reference=None, text=None, frame_data=None, reference_data=None,
                  difference=UNKNOWN, text_differs=None):
        """Adds the row of one event: index (0 is the frame before the first event), line (the
        script line that caused it, or None), frame and reference (a PNG path or a picture),
        text (the text window's lines, or None when not read). frame_data and reference_data are
        the pictures' PNG files when at hand (saves encoding them again), difference their
        frames.difference() when known, text_differs how its text differs from the reference's.
        Returns the number of differing pixels (-1: they cannot be compared), or None without a
        reference. A matching row shows the frame alone."""
        name = frame_name(index)
        frame_image, read_data = _image(frame)
        frame_data = frame_data or read_data
        figures = []
        differing = None
        if reference is not None:
            reference_image, read_data = _image(reference)
            if difference is UNKNOWN:
                difference = framing.difference(frame_image, reference_image)
            differing = 0 if difference is None else difference.pixels
            self.compared += 1
            if differing:
                figures.append(self._figure("reference", "reference " + name, name + "-reference.png",
                                            reference_image, reference_data or read_data))
        figures.append(self._figure("frame", "frame " + name, name + ".png", frame_image, frame_data))
        if differing:
            figures.append(self._figure("difference", "%d pixels differ" % differing, name + "-difference.png",
                                        difference.image, None) if differing > 0 else "")
        if differing is not None and differing < 0:
            verdict, state = "differs: " + difference.reason, "differs"
        elif differing is not None and differing > self.max_diff_pixels:
            verdict, state = "differs: %d pixels" % differing, "differs"
        elif differing:
            verdict, state = "matches: %d pixels differ, at most %d allowed" % (differing, self.max_diff_pixels), "matches"
        elif differing == 0:
            verdict, state = "matches", "matches"
        else:
            verdict, state = "", "frame"
            self.unreferenced += 1
        if text_differs is not None:
            verdict = ("differs: " if state != "differs" else verdict + "; ") + "text " + text_differs
            state = "differs"
        if state == "differs":
            self.differing.append((index, differing if differing is not None else 0))
        if text is not None:
            figures.append('<figure class="text"><pre class="text">%s</pre><figcaption>text window</figcaption></figure>'
                           % html.escape("\n".join(text) if text else "(no lines)"))
        shown = line.rstrip("\r\n") if line is not None else ("(before the first event)" if index == 0 else "")
        self._rows.write('<details class="event %s" id="e%s"%s><summary><span class="index">%s</span> '
                         '<code>%s</code> <span class="verdict">%s</span></summary>\n<div class="row">%s</div>'
                         '</details>\n' % (state, name, "" if state == "matches" else " open", name,
                                           html.escape(shown), verdict, "".join(figures)))
        self.events += 1
        return differing

    def add_missing(self, index, line, verdict):
        """Adds the row of an event without a frame: where the program stopped, or one never reached."""
        name = frame_name(index)
        shown = line.rstrip("\r\n") if line is not None else "(before the first event)"
        self._rows.write('<details class="event missing" id="e%s"><summary><span class="index">%s</span> '
                         '<code>%s</code> <span class="verdict">%s</span></summary></details>\n'
                         % (name, name, html.escape(shown), html.escape(verdict)))

    def finish(self, summary="", results=None):
        """Writes the page (replacing any earlier one at the path) and returns its path; with the
        replay's results.Results, their outcome heads it."""
        cells = [("program", self.program), ("script", self.script), ("time", self.time)]
        if summary:
            cells.append(("summary", summary))
        counts = "%d frames" % self.events
        if self.compared:
            counts += ", %d compared with a reference: %d pass, %d differ (score %d/%d)" % (
                self.compared, self.compared - len(self.differing), len(self.differing),
                self.compared - len(self.differing), self.compared)
        cells.append(("frames", counts))
        rows = "".join("<tr><td>%s</td><td>%s</td></tr>" % (html.escape(k), html.escape(str(v))) for k, v in cells)
        if self.differing:
            links = ", ".join('<a href="#e%s">frame %s</a> (%s)' % (
                frame_name(i), frame_name(i), "%d pixels" % n if n > 0 else "text" if n == 0 else "not comparable")
            for i, n in self.differing)
            rows += '<tr><td>differing</td><td class="differing">%s</td></tr>' % links
        flip = self.compared == 0 and self.events > 0
        viewer = ('<div id="viewer"><input type="range" id="flip" min="0" value="0"> '
                  '<span id="flip-caption"></span><img id="flip-frame" alt="frame"></div>') if flip else ""
        notes = "".join('<p class="note">%s</p>' % html.escape(note) for note in self.notes)
        if results is not None:
            outcome = results.outcome()
            notes = '<p class="outcome %s"><b>%s</b> (exit status %d): %s</p>' % (
                outcome, HEADLINE[outcome], results.exit_status(), html.escape(results.message())) + notes
        title = "Replay of %s" % os.path.basename(str(self.script))
        temporary = self.path + ".part"
        with open(temporary, "w", encoding="utf-8") as page:
            page.write('<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8"><title>%s</title>'
                       '<style>%s</style></head><body>\n<h1>%s</h1><table class="summary">%s</table>%s%s\n'
                       % (html.escape(title), STYLE, html.escape(title), rows, notes, viewer))
            self._rows.seek(0)
            shutil.copyfileobj(self._rows, page)
            if flip:
                page.write("<script>%s</script>\n" % FLIP_SCRIPT)
            page.write("</body></html>\n")
        self._rows.close()
        os.replace(temporary, self.path)
        return self.path


def from_manifest(manifest, path, assets=False):
    """Writes the page of a manifest (a dict as read from its JSON); relative image paths are
    taken from the folder given as manifest["base"], or the current one. Returns the Report."""
    base = manifest.get("base", ".")

    def where(name):
        return None if name is None else os.path.join(base, name)

    report = Report(path, manifest.get("program", ""), manifest.get("script", ""), manifest.get("time", ""),
                    assets=assets, notes=manifest.get("notes", ()))
    for event in manifest.get("events", []):
        report.add_event(int(event["index"]), event.get("line"), where(event["frame"]),
                         where(event.get("reference")), event.get("text"))
    report.finish(manifest.get("summary", ""))
    return report


def main(argv):
    arguments = [a for a in argv if a != "--assets"]
    if len(arguments) != 2:
        print("usage: python3 -m zavokreplay.report MANIFEST.json OUT.html [--assets]", file=sys.stderr)
        return 2
    try:
        with open(arguments[0], encoding="utf-8") as file:
            manifest = json.load(file)
        if "base" not in manifest:
            manifest["base"] = os.path.dirname(os.path.abspath(arguments[0]))
        report = from_manifest(manifest, arguments[1], assets="--assets" in argv)
    except (OSError, ValueError, KeyError) as error:
        print("zavokreplay.report: %s" % error, file=sys.stderr)
        return 2
    return 1 if report.differing else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
