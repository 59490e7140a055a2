#!/usr/bin/env python3
"""Helper of scripts/mutants.sh: reads the mutant list, applies a mutant to a
copied tree, finds the test programs of a build and runs them.

  mutants_tool.py ids LIST [ID...]            ids to run, in list order
  mutants_tool.py show LIST ID                "FILE<TAB>description"
  mutants_tool.py apply LIST ID TREE          exit 3 when the snippet is not
                                              found exactly once (stale)
  mutants_tool.py discover BUILD              "program<TAB>working dir" lines
  mutants_tool.py run PROGRAMS SHARDS TIMES [TIMEOUTS]
      runs every program in SHARDS shards at once, at most SHARDS processes
      at a time, stopping all at the first failure. Without TIMEOUTS it
      writes each program's clean time to TIMES; with it, it reads the
      limits from TIMEOUTS. Prints "PASS" or "FAIL <first failing test>".
"""
import json
import os
import signal
import subprocess
import sys
import threading
import time


def read_list(path):
    mutants = []
    current = None
    block = None
    with open(path, encoding="utf-8") as stream:
        for raw in stream.read().split("\n"):
            if raw.startswith("== "):
                head, _, description = raw[3:].partition("|")
                ident, file = head.split()
                current = {"id": ident, "file": file, "desc": description.strip(), "find": [], "replace": []}
                mutants.append(current)
                block = None
            elif raw == "--- find" and current is not None:
                block = "find"
            elif raw == "--- replace" and current is not None:
                block = "replace"
            elif block is not None:
                current[block].append(raw)
    for mutant in mutants:
        for key in ("find", "replace"):
            lines = mutant[key]
            while lines and lines[-1] == "":
                lines.pop()
            mutant[key] = "\n".join(lines)
        if not mutant["find"]:
            sys.exit(f"mutant {mutant['id']} has no find text")
    ids = [m["id"] for m in mutants]
    duplicates = {i for i in ids if ids.count(i) > 1}
    if duplicates:
        sys.exit(f"duplicate mutant ids: {' '.join(sorted(duplicates))}")
    return {m["id"]: m for m in mutants}, ids


def apply(mutant, tree):
    path = os.path.join(tree, mutant["file"])
    try:
        with open(path, encoding="utf-8") as stream:
            text = stream.read()
    except FileNotFoundError:
        return 3
    find = mutant["find"]
    replace = mutant["replace"]
    if text.count(find) != 1:
        return 3
    # A dropped statement takes its line with it.
    if replace == "" and (find + "\n") in text and text.count(find + "\n") == 1:
        find += "\n"
    with open(path, "w", encoding="utf-8") as stream:
        stream.write(text.replace(find, replace, 1))
    return 0


def discover(build):
    out = subprocess.run(["ctest", "--show-only=json-v1"], cwd=build, check=True, capture_output=True, text=True).stdout
    programs = {}
    for test in json.loads(out).get("tests", []):
        command = test.get("command") or []
        # Only GoogleTest programs: they take the shard variables and
        # --gtest_fail_fast.
        if not command or not any(a.startswith("--gtest_filter") for a in command[1:]):
            continue
        workdir = build
        for prop in test.get("properties", []):
            if prop.get("name") == "WORKING_DIRECTORY":
                workdir = prop["value"]
        programs.setdefault(command[0], workdir)
    for program, workdir in programs.items():
        print(f"{program}\t{workdir}")


def first_failure(log):
    lines = log.splitlines()
    for line in lines:
        if line.startswith("[  FAILED  ] ") and " test" not in line[13:20]:
            return line[13:].split(" (")[0].split(", where")[0].strip()
    running = [line[13:].strip() for line in lines if line.startswith("[ RUN      ] ")]
    return running[-1] if running else ""


def run(programs_file, shards, times_file, timeouts_file):
    with open(programs_file, encoding="utf-8") as stream:
        programs = [line.rstrip("\n").split("\t") for line in stream if line.strip()]
    limits = {}
    if timeouts_file:
        with open(timeouts_file, encoding="utf-8") as stream:
            for line in stream:
                name, seconds = line.rstrip("\n").split("\t")
                limits[name] = float(seconds)
        # The quickest programs first: most mutants fail there.
        programs.sort(key=lambda p: limits.get(p[0], 0.0))
    jobs = [(program, workdir, shard) for program, workdir in programs for shard in range(shards)]
    running = []
    clean = {}
    failure = None

    def start(job):
        program, workdir, shard = job
        env = dict(os.environ, GTEST_TOTAL_SHARDS=str(shards), GTEST_SHARD_INDEX=str(shard))
        proc = subprocess.Popen([program, "--gtest_fail_fast", "--gtest_brief=0"], cwd=workdir, env=env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                start_new_session=True)
        return {"job": job, "proc": proc, "start": time.monotonic(), "out": []}

    def stop(entry):
        try:
            os.killpg(entry["proc"].pid, signal.SIGKILL)
        except ProcessLookupError:
            pass

    def reader(entry):
        for line in entry["proc"].stdout:
            entry["out"].append(line)

    try:
        queue = list(jobs)
        while (queue or running) and failure is None:
            while queue and len(running) < shards:
                entry = start(queue.pop(0))
                entry["thread"] = threading.Thread(target=reader, args=(entry,), daemon=True)
                entry["thread"].start()
                running.append(entry)
            time.sleep(0.02)
            for entry in list(running):
                program = entry["job"][0]
                elapsed = time.monotonic() - entry["start"]
                code = entry["proc"].poll()
                if code is None:
                    if program in limits and elapsed > limits[program]:
                        stop(entry)
                        entry["proc"].wait()
                        entry["thread"].join(5)
                        name = os.path.basename(program)
                        failure = f"timeout in {name}: {first_failure(''.join(entry['out'])) or 'start'}"
                        break
                    continue
                entry["thread"].join(5)
                running.remove(entry)
                clean[program] = max(clean.get(program, 0.0), elapsed)
                if code != 0:
                    log = "".join(entry["out"])
                    name = os.path.basename(program)
                    test = first_failure(log)
                    if code < 0:
                        failure = f"crash (signal {-code}) in {name}: {test or 'start'}"
                    elif "[  FAILED  ]" in log:
                        failure = test
                    else:
                        failure = f"exit {code} in {name}: {test or 'start'}"
                    break
    finally:
        for entry in running:
            stop(entry)
            entry["proc"].wait()
    if failure is not None:
        print(f"FAIL {failure}")
        return 1
    if not timeouts_file:
        with open(times_file, "w", encoding="utf-8") as stream:
            for program, seconds in clean.items():
                stream.write(f"{program}\t{seconds:.2f}\n")
    print("PASS")
    return 0


def main(argv):
    if len(argv) < 2:
        sys.exit(__doc__)
    command = argv[1]
    if command == "ids":
        mutants, ids = read_list(argv[2])
        wanted = argv[3:]
        unknown = [w for w in wanted if w not in mutants]
        if unknown:
            sys.exit(f"unknown mutant ids: {' '.join(unknown)}")
        for ident in ids:
            if not wanted or ident in wanted:
                print(ident)
        return 0
    if command == "show":
        mutants, _ = read_list(argv[2])
        mutant = mutants[argv[3]]
        print(f"{mutant['file']}\t{mutant['desc']}")
        return 0
    if command == "apply":
        mutants, _ = read_list(argv[2])
        return apply(mutants[argv[3]], argv[4])
    if command == "discover":
        discover(argv[2])
        return 0
    if command == "run":
        return run(argv[2], int(argv[3]), argv[4], argv[5] if len(argv) > 5 else None)
    sys.exit(__doc__)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
