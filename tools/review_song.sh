#!/bin/sh
# Renders the soundtrack with the demo's own player (build/modrender) to a WAV file and draws
# its spectrogram with sox, for listening and looking; neither file belongs in the repository.
# Usage: tools/review_song.sh [BUILD_DIR [OUT_DIR]]   (defaults: build, build/review)
set -eu
build=${1:-build}
out=${2:-$build/review}
if [ ! -x "$build/modrender" ] || [ ! -f "$build/data/tehas2.mod" ]; then
    echo "review_song: build first (cmake --build --preset default): need $build/modrender and $build/data/tehas2.mod" >&2
    exit 1
fi
mkdir -p "$out"
"$build/modrender" "$build/data/tehas2.mod" "$out/tehas2.wav"
sox "$out/tehas2.wav" -n spectrogram -x 2000 -y 513 -t "tehas2.mod" -o "$out/tehas2.png"
# Share of samples pinned at the 16-bit limits, and where the demo's end (2548) falls.
od -An -v -t d2 -w2 -j 44 "$out/tehas2.wav" | awk '
    { n++; if ($1 == 32767 || $1 == -32768) c++ }
    END { printf "%d samples (%.1f s), %d clipped (%.4f %%)\n", n, n / 44100, c, 100 * c / n }'
"$build/modrender" --timeline "$build/data/tehas2.mod" | awk '
    $1 * 100 + $2 == 2548 { printf "position 2548 after %d rows\n", NR - 1; exit }'
echo "wrote $out/tehas2.wav and $out/tehas2.png"
