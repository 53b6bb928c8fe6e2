#!/usr/bin/env bash
# Writes the corpus of level pictures, tunes and sounds made by other tools
# (ImageMagick, netpbm, sox, csvmidi, mido, abc2midi, Python's wave module),
# and expected.txt, what the program must make of each:
#   <file> pixels <reference.ppm> <tolerance>   loads with the reference's pixels
#   <file> plays                                opens and sounds (music: rendered, not silent)
#   <file> refused <error text>                 refused with that text
# The committed files are what the test reads; run this again only to remake them
# (the packages are in scripts/setup.sh).
set -euo pipefail
cd "$(dirname "$0")"
out=files
rm -rf "$out"
mkdir -p "$out"
exp=expected.txt
: > "$exp"
PY=/usr/bin/python3
IM=/usr/bin/convert

# --- pictures: a 16-colour reference, and a two-colour one ---
$PY - <<'EOF'
import struct
w, h = 24, 16
pal = [(i * 17, 255 - i * 17, (i * 53) % 256) for i in range(16)]
with open("files/ref16.ppm", "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    for y in range(h):
        for x in range(w):
            f.write(bytes(pal[(x // 3 + y // 2 * 3) % 16]))
with open("files/ref2.ppm", "wb") as f:
    f.write(b"P6\n%d %d\n255\n" % (w, h))
    for y in range(h):
        for x in range(w):
            f.write(b"\0\0\0" if (x * y + x // 5) % 3 == 0 else b"\xff\xff\xff")
EOF
pic() { echo "$1 pixels $2 $3" >> "$exp"; }
$IM files/ref16.ppm -type TrueColor BMP3:$out/im_bmp3_24.bmp;            pic im_bmp3_24.bmp ref16.ppm 0
$IM files/ref16.ppm -type Palette BMP3:$out/im_bmp3_8.bmp;               pic im_bmp3_8.bmp ref16.ppm 0
$IM files/ref16.ppm -type Palette -compress RLE BMP3:$out/im_rle8.bmp;   pic im_rle8.bmp ref16.ppm 0
$IM files/ref16.ppm -type TrueColor BMP:$out/im_v5_24.bmp;               pic im_v5_24.bmp ref16.ppm 0
$IM files/ref16.ppm -type TrueColorAlpha BMP:$out/im_v5_32.bmp;          pic im_v5_32.bmp ref16.ppm 0
$IM files/ref16.ppm -define bmp:subtype=RGB565 BMP:$out/im_565.bmp;      pic im_565.bmp ref16.ppm 9
$IM files/ref16.ppm -define bmp:subtype=ARGB4444 BMP:$out/im_4444.bmp;   pic im_4444.bmp ref16.ppm 17
$IM files/ref16.ppm -flip -define bmp:top-down=true BMP3:$out/im_flip.bmp 2>/dev/null || true
$IM files/ref2.ppm -monochrome BMP3:$out/im_1.bmp;                       pic im_1.bmp ref2.ppm 0
ppmtobmp -windows files/ref16.ppm > $out/pnm_win_4.bmp 2>/dev/null;     pic pnm_win_4.bmp ref16.ppm 0
ppmtobmp -windows -bpp=8 files/ref16.ppm > $out/pnm_win_8.bmp 2>/dev/null; pic pnm_win_8.bmp ref16.ppm 0
ppmtobmp -windows -bpp=24 files/ref16.ppm > $out/pnm_win_24.bmp 2>/dev/null; pic pnm_win_24.bmp ref16.ppm 0
ppmtobmp -os2 files/ref16.ppm > $out/pnm_os2_4.bmp 2>/dev/null;         pic pnm_os2_4.bmp ref16.ppm 0
ppmtobmp -os2 -bpp=24 files/ref16.ppm > $out/pnm_os2_24.bmp 2>/dev/null; pic pnm_os2_24.bmp ref16.ppm 0
ppmtobmp -windows files/ref2.ppm > $out/pnm_1.bmp 2>/dev/null;          pic pnm_1.bmp ref2.ppm 0
rm -f $out/im_flip.bmp
$IM files/ref16.ppm PNG:$out/png_named.bmp;                  echo "png_named.bmp refused Bitmap image is not valid" >> "$exp"
head -c 100 $out/im_bmp3_24.bmp > $out/cut_24.bmp;           echo "cut_24.bmp refused Bitmap image is not valid" >> "$exp"

# --- music ---
notMidi="The file is not a valid MIDI file."
csv() {  # name header-division [extra event lines]
  { echo "0, 0, Header, 1, 2, $2"
    echo "1, 0, Start_track"; echo "1, 0, Tempo, 400000"; echo "1, 0, End_track"
    echo "2, 0, Start_track"; echo "2, 0, Program_c, 0, 0"; [ $# -gt 2 ] && printf "%s\n" "${@:3}"
    for k in 0 1 2 3; do
      echo "2, $((k * 250)), Note_on_c, 0, $((60 + k)), 100"; echo "2, $((k * 250 + 240)), Note_off_c, 0, $((60 + k)), 0"
    done
    echo "2, 1000, End_track"; echo "0, 0, End_of_file"; } > files/tmp.csv
  csvmidi files/tmp.csv "$out/$1"
  rm files/tmp.csv
  echo "$1 plays" >> "$exp"
}
csv csv_ppq.mid 250
csv csv_smpte25.mid $(( (256 - 25) * 256 + 10 ))   # 25 frames of 10 ticks a second
csv csv_smpte30.mid $(( (256 - 30) * 256 + 8 ))
csv csv_smpte2997.mid $(( (256 - 29) * 256 + 8 ))
csv csv_packets.mid 250 "2, 0, System_exclusive, 5, 126, 127, 9, 1, 247" "2, 0, System_exclusive_packet, 3, 240, 67, 16" "2, 0, System_exclusive_packet, 2, 76, 247"

printf 'X:1\nT:Corpus\nM:4/4\nL:1/8\nQ:1/4=140\nK:G\nGABc dedB|dedB dedB|c2ec B2dB|A2F2 G4|\n' > files/tune.abc
abc2midi files/tune.abc -o $out/abc_tune.mid > /dev/null;  echo "abc_tune.mid plays" >> "$exp"
rm files/tune.abc

$PY - <<'EOF'
import struct
import mido

def notes(track, channel=0, base=60):
    track.append(mido.Message("program_change", program=0, channel=channel, time=0))
    for k in range(4):
        track.append(mido.Message("note_on", note=base + k, velocity=100, channel=channel, time=0 if k == 0 else 40))
        track.append(mido.Message("note_off", note=base + k, velocity=0, channel=channel, time=200))

# More tracks than the synthesiser's player takes: 150, one note each, all at once.
f = mido.MidiFile(type=1, ticks_per_beat=240)
for t in range(150):
    tr = mido.MidiTrack()
    tr.append(mido.Message("note_on", note=40 + t % 40, velocity=60, channel=t % 9, time=0))
    tr.append(mido.Message("note_off", note=40 + t % 40, velocity=0, channel=t % 9, time=480))
    f.tracks.append(tr)
f.save("files/mido_150_tracks.mid")

f = mido.MidiFile(type=0, ticks_per_beat=96)
tr = mido.MidiTrack()
notes(tr)
f.tracks.append(tr)
f.save("files/mido_plain.mid")
plain = open("files/mido_plain.mid", "rb").read()

# A header of 10 bytes (readers must skip what they do not know) and a foreign chunk.
hdr = plain[:4] + struct.pack(">I", 10) + plain[8:14] + b"\0\0\0\0"
open("files/mido_long_header.mid", "wb").write(hdr + plain[14:])
open("files/mido_foreign_chunk.mid", "wb").write(plain[:14] + b"XFIH" + struct.pack(">I", 6) + b"abcdef" + plain[14:])

# RIFF MIDI as real .rmi files are: little-endian sizes, an INFO list before the data.
info = b"INFO" + b"INAM" + struct.pack("<I", 6) + b"Tune!\0"
body = b"RMID" + b"LIST" + struct.pack("<I", len(info)) + info + b"data" + struct.pack("<I", len(plain)) + plain
if len(plain) % 2:
    body += b"\0"
open("files/riff.rmi", "wb").write(b"RIFF" + struct.pack("<I", len(body)) + body)

# Refused: text, and a file cut in its track.
open("files/text.mid", "wb").write(b"This is not a tune at all.\n")
open("files/cut.mid", "wb").write(plain[: len(plain) - 9])
EOF
for f in mido_150_tracks.mid mido_plain.mid mido_long_header.mid mido_foreign_chunk.mid riff.rmi; do
  echo "$f plays" >> "$exp"
done
echo "text.mid refused $notMidi" >> "$exp"
echo "cut.mid refused $notMidi" >> "$exp"

# --- sounds ---
snd() {  # name sox-output-options...
  local name=$1; shift
  sox -n -r 22050 -c 1 -b 16 files/tmp.wav synth 0.1 sine 440 vol 0.8 2>/dev/null
  sox files/tmp.wav "$@" "$out/$name" 2>/dev/null
  rm files/tmp.wav
  echo "$name plays" >> "$exp"
}
snd sox_u8.wav -b 8 -e unsigned-integer
snd sox_s16_48k_stereo.wav -r 48000 -c 2 -b 16
snd sox_s24.wav -b 24
snd sox_s32.wav -b 32
snd sox_f32.wav -e floating-point -b 32
snd sox_f64.wav -e floating-point -b 64
snd sox_mulaw.wav -e mu-law
snd sox_alaw.wav -e a-law
snd sox_ima_adpcm.wav -e ima-adpcm
snd sox_ms_adpcm.wav -e ms-adpcm
snd sox_gsm.wav -r 8000 -e gsm-full-rate
snd sox_6ch.wav -c 6 -b 16
sox -n -r 48000 -c 1 -b 16 $out/sox_1_sample.wav synth 1s square 440 vol 0.8
echo "sox_1_sample.wav plays" >> "$exp"
$PY - <<'EOF'
import math, struct, wave
with wave.open("files/pywave_s16.wav", "wb") as w:
    w.setnchannels(2); w.setsampwidth(2); w.setframerate(11025)
    w.writeframes(b"".join(struct.pack("<hh", int(20000 * math.sin(i / 7)), int(20000 * math.sin(i / 9))) for i in range(3000)))
open("files/text.wav", "wb").write(b"RIFF\x10\0\0\0WAVEnot a sound")
EOF
echo "pywave_s16.wav plays" >> "$exp"
echo "text.wav refused The file is not a valid wave file." >> "$exp"
echo "written: $(wc -l < "$exp") files"
