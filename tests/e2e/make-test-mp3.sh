#!/usr/bin/env bash
# Makes an MP3 file of known length from a synthesised tone and prints that
# length in milliseconds.
#
#   make-test-mp3.sh OUT.mp3 [SECONDS [FREQUENCY_HZ]]     (defaults 4.0, 440)
#
# The tone is mono 16-bit PCM at 44.1 kHz, encoded as CBR 128 kbit/s. lame
# writes its LAME/Info header frame with the encoder delay and padding, so a
# decoder that honours it (GStreamer, and with it Wine's MCI) reports exactly
# the synthesised sample count: SECONDS * 1000 ms. Without that frame the
# reported length would be the whole frames' worth, some 50 ms more.
set -euo pipefail

out=${1:?usage: make-test-mp3.sh OUT.mp3 [SECONDS [FREQUENCY_HZ]]}
seconds=${2:-4.0}
freq=${3:-440}
rate=44100

[[ $seconds =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "make-test-mp3.sh: bad length: $seconds" >&2; exit 2; }
[[ $freq =~ ^[0-9]+$ ]] || { echo "make-test-mp3.sh: bad frequency: $freq" >&2; exit 2; }

tmp=$(mktemp -d -t orvalis-mp3.XXXXXX)
trap 'rm -rf "$tmp"' EXIT

sox -q -n -r "$rate" -c 1 -b 16 "$tmp/tone.wav" synth "$seconds" sine "$freq" vol 0.5
samples=$(soxi -s "$tmp/tone.wav")
lame --quiet --cbr -b 128 -m m --resample 44.1 "$tmp/tone.wav" "$tmp/tone.mp3"

# The Info frame must be there, or the length above is not what decoders see.
if ! head -c 4096 "$tmp/tone.mp3" | grep -aq -e Info -e Xing; then
  echo "make-test-mp3.sh: lame wrote no Info header frame" >&2
  exit 1
fi

mkdir -p "$(dirname "$out")"
mv "$tmp/tone.mp3" "$out"
# Rounded to the nearest millisecond.
echo $(( (samples * 1000 + rate / 2) / rate ))
