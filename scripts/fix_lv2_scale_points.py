#!/usr/bin/env python3
"""Rewrites the scale points of the LV2 bundle's enumerations as choice indices.

JUCE 7's LV2 wrapper writes the scale points of a choice parameter as normalised values (0, 0.5, 1)
while it declares the parameter's range in choice indices (0 to 2), so hosts label and offer the
wrong choices for parameters with more than two entries. The plug-in itself works in indices, so
the points become 0, 1, 2, ... Usage: fix_lv2_scale_points.py path/to/dsp.ttl
"""
import re
import sys


def fix_block(block: str) -> str:
    if "lv2:scalePoint" not in block:
        return block
    counter = iter(range(1000))
    return re.sub(r"rdf:value [^ ;]+ ;", lambda _: f"rdf:value {next(counter)} ;", block)


def main(path: str) -> None:
    with open(path, encoding="utf-8") as f:
        text = f.read()
    fixed = "\n\n".join(fix_block(block) for block in text.split("\n\n"))
    with open(path, "w", encoding="utf-8") as f:
        f.write(fixed)


if __name__ == "__main__":
    main(sys.argv[1])
