#!/usr/bin/env bash
# A deck opened from the command line, as a learner does: an Anki package (the older collection, HTML
# fields, one phrase with an mp3 recording) makes its first phrase the one the strip plays, and Peedy
# plays its recording, not the voice: a sound server with a sink of its own hears a steady 880 Hz tone,
# which the synthetic voice never makes. A second copy given a list hands it to the running one.
# Usage: deck_recording_test.sh PATH_TO_DIALOON (needs DISPLAY, pulseaudio, lame, python3)
set -uo pipefail
program="$1"
for tool in pulseaudio parec lame python3; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing (bash scripts/setup.sh test)"; exit 77; }
done
work="$(mktemp -d)"
pids=()
trap 'kill "${pids[@]}" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
failures=0

# The recording: 1.5 s of an 880 Hz tone, as an mp3.
python3 - "$work/tone.wav" <<'PY'
import math, struct, sys, wave
with wave.open(sys.argv[1], "wb") as w:
    w.setnchannels(1); w.setsampwidth(2); w.setframerate(22050)
    w.writeframes(b"".join(struct.pack("<h", int(12000 * math.sin(2 * math.pi * 880 * i / 22050)))
                           for i in range(int(1.5 * 22050))))
PY
lame --quiet "$work/tone.wav" "$work/tone.mp3" || { echo "FAIL: lame"; exit 1; }

# The package, as a deck generator writes one: collection.anki2 with its col, notes and cards, the media
# map and the recording stored under its number.
python3 - "$work" <<'PY'
import json, os, sqlite3, sys, zipfile
work = sys.argv[1]
db = sqlite3.connect(os.path.join(work, "collection.anki2"))
db.executescript("""
CREATE TABLE col (id integer primary key, crt integer, mod integer, scm integer, ver integer, dty integer,
  usn integer, ls integer, conf text, models text, decks text, dconf text, tags text);
CREATE TABLE notes (id integer primary key, guid text, mid integer, mod integer, usn integer, tags text,
  flds text, sfld integer, csum integer, flags integer, data text);
CREATE TABLE cards (id integer primary key, nid integer, did integer, ord integer, mod integer, usn integer,
  type integer, queue integer, due integer, ivl integer, factor integer, reps integer, lapses integer,
  left integer, odue integer, odid integer, flags integer, data text);
""")
decks = {"1": {"id": 1, "name": "Default"}, "1500000000000": {"id": 1500000000000, "name": "Erste Worte"}}
models = {"1400000000000": {"id": 1400000000000, "name": "Basic",
          "flds": [{"name": "Front", "ord": 0}, {"name": "Back", "ord": 1}]}}
db.execute("INSERT INTO col VALUES (1,0,0,0,11,0,0,0,'{}',?,?,'{}','{}')", (json.dumps(models), json.dumps(decks)))
fields = ["<div>Guten&nbsp;Morgen, <b>Anna</b>!</div>[sound:guten_morgen.mp3]", "Good morning, Anna!"]
db.execute("INSERT INTO notes VALUES (1,'g1',1400000000000,0,0,'',?,?,0,0,'')", ("\x1f".join(fields), fields[0]))
db.execute("INSERT INTO cards VALUES (1,1,1500000000000,0,0,0,0,0,1,0,0,0,0,0,0,0,0,'')")
db.commit(); db.close()
with zipfile.ZipFile(os.path.join(work, "deck.apkg"), "w", zipfile.ZIP_DEFLATED) as z:
    z.write(os.path.join(work, "collection.anki2"), "collection.anki2")
    z.writestr("media", json.dumps({"0": "guten_morgen.mp3"}))
    z.write(os.path.join(work, "tone.mp3"), "0")
PY

# A sound server of the test's own, whose one sink nobody hears but the test.
mkdir -p "$work/pulse" "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
cat >"$work/pulse/default.pa" <<PA
load-module module-null-sink sink_name=heard rate=22050
set-default-sink heard
load-module module-native-protocol-unix socket=$work/pulse/native auth-anonymous=1
PA
export PULSE_SERVER="unix:$work/pulse/native" PULSE_RUNTIME_PATH="$work/pulse" HOME="$work/home"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  -F "$work/pulse/default.pa" --log-target=file:"$work/pulse/log" 2>/dev/null &
pids+=($!)
for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { echo "FAIL: the sound server did not start"; cat "$work/pulse/log"; exit 1; }

parec -d heard.monitor --raw --format=s16le --rate=22050 --channels=1 >"$work/heard.raw" 2>/dev/null &
pids+=($!)
"$program" "$work/deck.apkg" >"$work/out" 2>&1 &
program_pid=$!
pids+=($program_pid)

# The welcome takes some 4 s, the first phrase comes at once after it and is spoken as it slides in.
sleep 13
ini="$XDG_CONFIG_HOME/Tavo.ini"
grep -qx 'playing=deck' "$ini" || fail "the deck is not the one that plays: $(cat "$ini" 2>&1)"
deck="$XDG_DATA_HOME/org.dialoon.Dialoon/decks/deck"
grep -q $'^phrase\tGuten Morgen, Anna!\tGood morning, Anna!\t' "$deck/phrases.txt" ||
  fail "the phrase is not kept as plain text: $(cat "$deck/phrases.txt" 2>&1)"
[ "$(ls "$deck/media" 2>/dev/null | wc -l)" -eq 1 ] || fail "the recording is not kept beside the deck"

# A second copy given a list: the running copy imports it, and the second ends.
printf 'Wie bitte?\tSorry?\n' >"$work/list.tsv"
timeout 10 "$program" "$work/list.tsv" >"$work/out2" 2>&1
[ $? -eq 0 ] || fail "the second copy did not hand the file over: $(cat "$work/out2")"
for _ in $(seq 50); do grep -qx 'playing=list' "$ini" && break; sleep 0.1; done
grep -qx 'playing=list' "$ini" || fail "the list handed over does not play: $(cat "$ini")"
kill "$program_pid" 2>/dev/null

python3 - "$work/heard.raw" <<'PY' || failures=$((failures + 1))
import math, struct, sys
data = open(sys.argv[1], "rb").read()
samples = struct.unpack("<%dh" % (len(data) // 2), data[: len(data) // 2 * 2])
rate, size = 22050, 1103  # windows of 50 ms
def power(window, freq):  # Goertzel
    k = 2 * math.cos(2 * math.pi * freq / rate); s1 = s2 = 0.0
    for x in window:
        s1, s2 = x + k * s1 - s2, s1
    return s1 * s1 + s2 * s2 - k * s1 * s2
tone = loud = 0
for start in range(0, len(samples) - size, size):
    window = samples[start:start + size]
    energy = sum(x * x for x in window) * size / 2
    if energy < 1e6 * size:
        continue
    loud += 1
    if power(window, 880) > 0.5 * energy:
        tone += 1
print(f"heard {loud * 50} ms of sound, {tone * 50} ms of it the recording's tone")
if tone < 20:
    print("FAIL: the recording was not heard (the voice spoke instead, or nothing)")
    sys.exit(1)
PY
[ "$failures" -eq 0 ] || { echo "program output:"; cat "$work/out"; exit 1; }
echo "The deck plays from the command line, and Peedy plays its recording."
