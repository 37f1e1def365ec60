#!/usr/bin/env bash
# Times Tarnel's Markdown converter side by side with Debian's "markdown" (the classic Perl
# converter) and "cmark" on the same generated inputs, and prints times, speeds and ratios.
#
#   bench/compare-markdown.sh [--quick]
#
# The realistic page is the section of bench/bench_markdown.cpp (read from that file, so
# both always describe the same page) repeated to 100 KB, 1 MB and 10 MB; the traps are
# unclosed HTML blocks, runs of "*" and "_", and 100,000 list items. Tarnel gets each
# input in stored form (EUC-JP), the others in UTF-8: the same text.
#
# Tarnel is timed in-process by the benchmark binary (conversion only) and, once
# tarnel-cli knows the Markdown notation, as a process like the others. External tools
# are timed as whole processes, best of up to five runs; a run longer than the time-out
# (TARNEL_COMPARE_TIMEOUT, default 300 s) is reported as such. --quick leaves out 10 MB.
#
# Needs python3 and the packages markdown and cmark (apt-get install markdown cmark). They
# are a measuring aid only: neither the build nor CI depends on them.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TARNEL_BENCH_BUILD:-$top/build-bench}
timeout_s=${TARNEL_COMPARE_TIMEOUT:-300}
quick=0
[[ ${1:-} == --quick ]] && quick=1

for tool in python3 markdown cmark; do
    command -v "$tool" >/dev/null || { echo "compare-markdown: $tool is missing (apt-get install $tool)" >&2; exit 1; }
done

echo "Building the benchmarks (Release) in $build ..." >&2
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DTARNEL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target tarnel_bench tarnel-cli >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$top/bench/bench_markdown.cpp" "$work" "$quick" <<'PY'
import re, sys
source, work, quick = sys.argv[1], sys.argv[2], sys.argv[3] == "1"
text = open(source, encoding="utf-8").read()
start = text.index("const char* const kSection[] = {")
block = text[start:text.index("};", start)]
lines = [bytes(l, "utf-8").decode("unicode_escape").encode("latin-1").decode("utf-8")
         for l in re.findall(r'^\s*"((?:[^"\\]|\\.)*)",\s*$', block, re.M)]
section = "\n".join(lines) + "\n"

def repeat(piece, size):
    count = -(-size // len(piece.encode("euc_jp")))
    return piece * count

inputs = {}
for name, size in [("page-100k", 100 << 10), ("page-1m", 1 << 20), ("page-10m", 10 << 20)]:
    if quick and name == "page-10m":
        continue
    inputs[name] = repeat(section, size)
inputs["unclosed-html-1m"] = "</div>\n" + repeat('<div>\n<pre class="x">\ntext\n', 1 << 20)
quarter = (1 << 20) // 4
inputs["mark-runs-1m"] = ("a " + "*" * quarter + " b\n\n" + "a " + "_" * quarter + " b\n\n" + "*" * quarter +
                          "\n\n" + repeat("*a **b __c _d ", quarter) + "\n")
inputs["list-items-100000"] = "".join("    * nested item\n" if i % 5 == 4 else "* list item\n" for i in range(100000))
with open(f"{work}/names", "w") as names:
    for name, page in inputs.items():
        open(f"{work}/{name}.md", "w", encoding="utf-8").write(page)
        open(f"{work}/{name}.txt", "wb").write(page.encode("euc_jp"))
        names.write(name + "\n")
PY

names=$(cat "$work/names")
files=$(for n in $names; do printf '%s:' "$work/$n.txt"; done)
echo "Timing Tarnel in-process ..." >&2
TARNEL_MARKDOWN_FILES="$files" "$build/bench/tarnel_bench" --benchmark_filter=BM_MarkdownFile \
    --benchmark_format=json --benchmark_out="$work/tarnel.json" --benchmark_out_format=json >/dev/null

cli="$build/bin/tarnel-cli"
if ! "$cli" convert --notation markdown --read euc "$work/list-items-100000.txt" >/dev/null 2>&1; then
    cli=""
    echo "(tarnel-cli does not convert Markdown yet: timed in-process only)" >&2
fi

echo "Timing the other converters (this takes a while: markdown is slow on large pages) ..." >&2
python3 - "$work" "$timeout_s" "$cli" <<'PY'
import json, os, subprocess, sys, time
work, timeout_s, cli = sys.argv[1], float(sys.argv[2]), sys.argv[3]
names = open(f"{work}/names").read().split()
tarnel = {}
for b in json.load(open(f"{work}/tarnel.json"))["benchmarks"]:
    name = os.path.basename(b["name"].split("BM_MarkdownFile/", 1)[1]).rsplit(".", 1)[0]
    tarnel[name] = b["real_time"] / 1000.0  # ms -> s

def best_time(command):
    """Best wall time of up to five runs (stop after two seconds in all); None on time-out."""
    best, spent = None, 0.0
    for _ in range(5):
        start = time.perf_counter()
        try:
            subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=timeout_s, check=True)
        except subprocess.TimeoutExpired:
            return None
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
        spent += elapsed
        if spent > 2.0:
            break
    return best

results = {}
for name in names:
    md, txt = f"{work}/{name}.md", f"{work}/{name}.txt"
    row = {"tarnel": tarnel.get(name), "bytes_md": os.path.getsize(md), "bytes_txt": os.path.getsize(txt)}
    row["cmark"] = best_time(["cmark", md])
    # markdown grows faster than linearly: 10 MB is left out when 1 MB took over ten seconds.
    one_mb = results.get("page-1m", {}).get("markdown")
    skip_markdown = name == "page-10m" and (one_mb is None or one_mb > 10)
    row["markdown"] = None if skip_markdown else best_time(["markdown", md])
    row["markdown_skipped"] = skip_markdown
    if cli:
        row["tarnel-cli"] = best_time([cli, "convert", "--notation", "markdown", "--read", "euc", txt])
    results[name] = row
    print(f"  {name} done", file=sys.stderr)

def cell(seconds, size):
    if seconds is None:
        return "-"
    return f"{seconds * 1000:9.1f} ms {size / seconds / 1e6:7.2f} MB/s"

tools = ["tarnel"] + (["tarnel-cli"] if cli else []) + ["cmark", "markdown"]
print()
print("Times (best run) and speeds, each on its own input bytes (EUC-JP for Tarnel, UTF-8 for the others)")
print(f"{'input':20}" + "".join(f"{t:>28}" for t in tools))
for name, row in results.items():
    line = f"{name:20}"
    for t in tools:
        size = row["bytes_txt"] if t.startswith("tarnel") else row["bytes_md"]
        if t == "markdown" and row["markdown"] is None:
            text = "skipped" if row["markdown_skipped"] else f"> {timeout_s:.0f} s"
            line += f"{text:>28}"
        else:
            line += f"{cell(row[t], size):>28}"
    print(line)

print()
print("Speed of Tarnel (in-process) against the others on the same text: time(other) / time(Tarnel)")
for name, row in results.items():
    parts = []
    for t in ["cmark", "markdown"] + (["tarnel-cli"] if cli else []):
        if row.get(t) and row["tarnel"]:
            parts.append(f"{t} {row[t] / row['tarnel']:8.2f}x")
        elif t == "markdown":
            parts.append("markdown " + ("skipped" if row["markdown_skipped"] else f"> {timeout_s:.0f} s"))
    print(f"  {name:20} " + "   ".join(parts))

print()
print("Growth of the time with the page (10x the size: about 10 is linear)")
for small, large in [("page-100k", "page-1m"), ("page-1m", "page-10m")]:
    if small not in results or large not in results:
        continue
    parts = []
    for t in tools:
        a, b = results[small].get(t), results[large].get(t)
        parts.append(f"{t} {b / a:6.1f}" if a and b else f"{t} -")
    print(f"  {small} -> {large}: " + "   ".join(parts))
PY
