#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
# frame-histogram.py -- a histogram of a --frame-log file: the intervals
# between the game's frames (FINISHED_US), between the pictures on the
# display (PRESENTED_US), and the time each picture waited to get there, in
# buckets of a millisecond, with the count, mean, p50, p99 and max of each.
#
#   tools/perf/frame-histogram.py FILE [--bucket-ms N]
import sys


def quantile(sorted_values, q):
    if not sorted_values:
        return 0.0
    return sorted_values[min(len(sorted_values) - 1, int(q * len(sorted_values)))]


def show(title, values_us, bucket_ms):
    values = sorted(v / 1000.0 for v in values_us)
    if not values:
        print(f"{title}: none")
        return
    mean = sum(values) / len(values)
    print(f"{title}: {len(values)} values, mean {mean:.2f} ms, p50 {quantile(values, 0.5):.2f}, "
          f"p99 {quantile(values, 0.99):.2f}, max {values[-1]:.2f}")
    # Buckets up to the 99.9th percentile; the few beyond it (a wait for a
    # key, a pause) in one line.
    last = int(quantile(values, 0.999) // bucket_ms)
    counts = {}
    beyond = 0
    for v in values:
        bucket = int(v // bucket_ms)
        if bucket > last:
            beyond += 1
        else:
            counts[bucket] = counts.get(bucket, 0) + 1
    widest = max(counts.values())
    for bucket in range(min(counts), last + 1):
        n = counts.get(bucket, 0)
        bar = "#" * (0 if n == 0 else max(1, n * 50 // widest))
        low = bucket * bucket_ms
        print(f"  {low:7.1f}-{low + bucket_ms:<7.1f} ms {n:7d} {bar}")
    if beyond:
        print(f"  above {(last + 1) * bucket_ms:.1f} ms {beyond:7d}")


def main(argv):
    args = argv[1:]
    bucket_ms = 1.0
    if "--bucket-ms" in args:
        at = args.index("--bucket-ms")
        try:
            bucket_ms = float(args[at + 1])
        except (IndexError, ValueError):
            bucket_ms = 0
        del args[at:at + 2]
        if bucket_ms <= 0:
            print("frame-histogram: --bucket-ms takes a number above 0", file=sys.stderr)
            return 2
    if len(args) != 1:
        print("usage: frame-histogram.py FILE [--bucket-ms N]", file=sys.stderr)
        return 2
    rows = []
    try:
        with open(args[0], encoding="ascii") as log:
            for number, line in enumerate(log, 1):
                if line.startswith("#") or not line.strip():
                    continue
                fields = line.split()
                if len(fields) != 3 or not all(f.isdigit() for f in fields):
                    print(f"frame-histogram: {args[0]}:{number}: not 'GAME_FRAME FINISHED_US "
                          "PRESENTED_US'; is it a --frame-log file?", file=sys.stderr)
                    return 1
                rows.append(tuple(int(f) for f in fields))
    except (OSError, UnicodeDecodeError) as error:
        print(f"frame-histogram: cannot read {args[0]}: {error}", file=sys.stderr)
        return 1
    frames = [(frame, finished) for frame, finished, _ in rows]
    seconds = (rows[-1][1] - rows[0][1]) / 1e6 if len(rows) > 1 else 0
    game_frames = rows[-1][0] - rows[0][0] if rows else 0
    if seconds > 0:
        print(f"game: {game_frames} frames in {seconds:.2f} s, {game_frames / seconds:.2f} a second; "
              f"{len(rows)} pictures shown")
    # The game's intervals: between consecutive frames both shown.
    show("game frame interval", [(b[1] - a[1]) for a, b in zip(frames, frames[1:])
                                 if b[0] == a[0] + 1], bucket_ms)
    show("display interval", [b[2] - a[2] for a, b in zip(rows, rows[1:])], bucket_ms)
    show("finished to presented", [r[2] - r[1] for r in rows], bucket_ms)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
