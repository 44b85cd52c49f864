#!/usr/bin/env bash
# Builds the module fuzzer with clang (libFuzzer, AddressSanitizer, UBSan) into
# build-fuzz/ and runs it for a bounded time: fuzz/run_fuzz.sh [SECONDS] (default 60).
# Seeds: the generated module when it has been built, and a few small hand-made ones.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
out=build-fuzz
mkdir -p "$out/corpus" "$out/seeds"

clang++ -std=c++20 -O1 -g -ffp-contract=off -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -I. $(pkg-config --cflags sdl) \
  fuzz/fuzz_module.cpp music/*.cpp sound/*.cpp core/loader.cpp \
  $(pkg-config --libs sdl) -o "$out/fuzz_module"

[ -f build/data/tehas2.mod ] && cp build/data/tehas2.mod "$out/seeds/tehas2.mod"
python3 - "$out/seeds" <<'PY'
import struct, sys, os
def module(sig, channels, patterns, cells, samples, orders=None, songlen=None, restart=0):
    h = bytearray(1084)
    for n, (length, fine, vol, ls, ll) in samples.items():
        o = 20 + 30 * (n - 1)
        struct.pack_into('>HBBHH', h, o + 22, length // 2, fine, vol, ls // 2, ll // 2)
    orders = orders or list(range(patterns))
    h[950] = songlen if songlen is not None else len(orders)
    h[951] = restart
    h[952:952 + len(orders)] = bytes(orders)
    h[1080:1084] = sig
    pat = bytearray(patterns * 64 * channels * 4)
    for (p, row, ch, s, period, cmd, par) in cells:
        o = ((p * 64 + row) * channels + ch) * 4
        pat[o:o + 4] = bytes([(s & 0xF0) | (period >> 8), period & 255, ((s & 15) << 4) | cmd, par])
    data = b''.join(bytes((i * 37) & 255 for i in range(l)) for n, (l, *_) in sorted(samples.items()))
    return bytes(h) + bytes(pat) + data
effects = [(0, r, r % 4, 1 + r % 2, [428, 856, 113, 0][r % 4], r % 16, (r * 37) & 255) for r in range(64)]
seeds = {
  'effects_mk.mod': module(b'M.K.', 4, 2, effects, {1: (64, 3, 64, 8, 40), 2: (32, 15, 40, 0, 2)}),
  'loops_8ch.mod': module(b'OCTA', 8, 1, [(0, 0, 0, 1, 428, 14, 0x60), (0, 3, 0, 1, 428, 14, 0x63),
                                           (0, 5, 1, 1, 214, 14, 0xE3), (0, 9, 2, 1, 0, 13, 0x99)],
                          {1: (128, 0, 64, 100, 200)}),
  'speed0_2ch.mod': module(b'2CHN', 2, 1, [(0, 0, 0, 1, 428, 15, 0), (0, 0, 1, 2, 20, 0, 0xFF)],
                           {1: (16, 0, 64, 0, 16), 2: (2, 0, 64, 0, 0)}),
  'jump_32ch.mod': module(b'32CH', 32, 2, [(1, 0, 31, 31, 3424, 11, 200), (0, 1, 5, 7, 1000, 9, 255)],
                          {31: (1024, 8, 64, 1000, 2000), 7: (4, 0, 10, 2, 2)}, orders=[0, 1, 0], restart=126),
  # A jump whose row a later channel's loop takes back.
  'jumploop_4ch.mod': module(b'M.K.', 4, 1, [(0, 3, 0, 0, 0, 11, 0x81), (0, 3, 1, 0, 0, 14, 0x61)], {}),
  # A loop start read while another channel's loop holds the row count at -1.
  'looprow_4ch.mod': module(b'M.K.', 4, 1, [(0, 2, 1, 0, 0, 14, 0x61), (0, 5, 0, 0, 0, 14, 0x61),
                                            (0, 5, 1, 0, 0, 14, 0x60)], {}),
}
for name, data in seeds.items():
    open(os.path.join(sys.argv[1], name), 'wb').write(data)
PY

"./$out/fuzz_module" -max_total_time="$seconds" -print_final_stats=1 "$out/corpus" "$out/seeds"
