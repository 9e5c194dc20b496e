#!/usr/bin/env python3
"""Writes the benchmark tree: FILES small files (100 B - 8 KiB) spread over FOLDERS folders in groups of
100 folders, and LARGE files of 64 MiB of random bytes in large/. The small files' sizes are the same
from run to run.
Usage: make_tree.py ROOT FILES [FOLDERS [LARGE]]"""
import os
import random
import sys

root, files = sys.argv[1], int(sys.argv[2])
folders = int(sys.argv[3]) if len(sys.argv) > 3 else 1000
large = int(sys.argv[4]) if len(sys.argv) > 4 else 3
random.seed(7)
for d in range(folders):
    os.makedirs(os.path.join(root, "d%03d" % (d // 100), "f%04d" % d), exist_ok=True)
block = os.urandom(1 << 16)
for i in range(files):
    d = i % folders
    size = random.randint(100, 8192)
    with open(os.path.join(root, "d%03d" % (d // 100), "f%04d" % d, "file%06d.dat" % i), "wb") as f:
        f.write(block[(i * 13) % 4096:][:size])
os.makedirs(os.path.join(root, "large"), exist_ok=True)
for n in range(large):
    with open(os.path.join(root, "large", "big%d.bin" % n), "wb") as f:
        for _ in range(64 * 16):
            f.write(os.urandom(1 << 16))
