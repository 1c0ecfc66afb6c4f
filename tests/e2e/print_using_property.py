#!/usr/bin/env python3
"""PRINT USING against an independent exact reference.

Random values (doubles, singles, long doubles and 64-bit integers) and random
numeric formats (fixed fields with sign, comma, star and dollar options, and
exponent fields) go through print_using_program in one run. The reference
rounds the exact binary value half away from zero with Python's decimal
module and lays the field out from the format's description.

    print_using_property.py PROGRAM [CASES] [SEED]
"""
import random
import subprocess
import sys
from decimal import ROUND_HALF_UP, Decimal, getcontext
from fractions import Fraction

getcontext().prec = 200


# Lines through every entry point and the program's own rules: number
# suffixes, string items, several items on one line, and errors that print
# "ERROR n" and let the next line run.
FIXED_CASES = [
    ("###.##\t3.14159#\t-2.5!\t7%\t-8&\t9&&\t10~&&", "  3.14 -2.50  7.00 -8.00  9.00 10.00"),
    ("##.##^^^^\t123.456##", " 1.23F+02"),
    ("[\\  \\|!|&]\t\"abcdef\"\t\"xy\"\t\"end\"", "[abcd|x|end]"),
    ("no field\t1#", "ERROR 5"),
    ("###\t\"text\"", "ERROR 13"),
    ("&\t5#", "ERROR 13"),
    ("#.#\t0.05#", "0.1"),
]


def round_to_bits(x, bits):
    """x (a Fraction) rounded to `bits` significant bits, ties to even."""
    if x == 0:
        return x
    sign = -1 if x < 0 else 1
    x = abs(x)
    e = x.numerator.bit_length() - x.denominator.bit_length()
    while Fraction(2) ** e > x:
        e -= 1
    while Fraction(2) ** (e + 1) <= x:
        e += 1
    scale = Fraction(2) ** (bits - 1 - e)
    scaled = x * scale
    n = scaled.numerator // scaled.denominator
    rest = scaled - n
    if rest > Fraction(1, 2) or (rest == Fraction(1, 2) and n % 2 == 1):
        n += 1
    return sign * Fraction(n) / scale


def exact_decimal(x):
    return Decimal(x.numerator) / Decimal(x.denominator)


def value_of(text, kind):
    """The value the program reads: READ converts decimal text through a double
    (the texts here have at most 15 digits), then the value takes its type."""
    if kind == "&&":
        return Decimal(int(text))
    x = Fraction(float(text))
    if kind == "!":
        x = round_to_bits(x, 24)
    return exact_decimal(x)


def random_value(rng, kind):
    if rng.random() < 0.05:
        return "0"
    if kind == "&&":
        return str(rng.randint(-(10 ** rng.randint(1, 18)), 10 ** rng.randint(1, 18)))
    sign = "-" if rng.random() < 0.4 else ""
    if rng.random() < 0.2:  # an exact binary fraction: a tie for some fields
        return sign + repr(rng.randint(0, 4000) / 8)
    digits = str(rng.randint(1, 10 ** rng.randint(1, 15)))
    return f"{sign}{digits}E{rng.randint(-12, 8)}"


def random_fixed(rng):
    f = dict(lead_plus=rng.random() < 0.2, star=False, dollar=False, a=rng.randint(0, 8),
             comma=False, point=rng.random() < 0.6, b=0, trail="", exp=0)
    if not f["lead_plus"]:
        f["star"], f["dollar"] = rng.choice([(False, False)] * 6 + [(True, False), (False, True),
                                                                      (True, True)])
    if f["point"]:
        f["b"] = rng.randint(0, 5)
    if f["a"] == 0 and not (f["star"] or f["dollar"]):
        f["point"], f["b"] = True, rng.randint(1, 5)
    f["comma"] = f["a"] >= 1 and rng.random() < 0.3
    if not f["lead_plus"] and rng.random() < 0.25:
        f["trail"] = rng.choice("+-")
    return f


def random_exponent(rng):
    b = rng.randint(0, 4)
    return dict(lead_plus=False, star=False, dollar=False, a=rng.randint(2, 5), comma=False,
                point=b > 0 or rng.random() < 0.3, b=b, trail="", exp=rng.choice([2, 3]))


def format_text(f):
    text = "+" if f["lead_plus"] else ""
    text += ("**$" if f["dollar"] else "**") if f["star"] else ("$$" if f["dollar"] else "")
    hashes = "#" * f["a"]
    if f["comma"]:
        hashes = hashes[0] + "," + hashes[1:]
    text += hashes
    if f["point"]:
        text += "." + "#" * f["b"]
    text += "^" * (f["exp"] + 2) if f["exp"] else ""
    return text + f["trail"]


def quantized(magnitude, b):
    return magnitude.quantize(Decimal(1).scaleb(-b), rounding=ROUND_HALF_UP)


def split_digits(q, b):
    text = f"{q:f}"
    whole, _, frac = text.partition(".")
    return whole, (frac + "0" * b)[:b]


def expect_fixed(v, f):
    neg = v < 0
    q = quantized(abs(v), f["b"])
    whole, frac = split_digits(q, f["b"])
    places = f["a"] + f["comma"] + (2 if f["star"] else 0) + (1 if f["dollar"] and not f["star"] else 0)
    sign_place = neg and not (f["lead_plus"] or f["trail"])
    places -= sign_place
    n = 0 if int(whole) == 0 else len(whole)
    digit_places = places - int(places / 4) if f["comma"] else places
    grouped = f"{int(whole):,}" if f["comma"] and n else (whole if n else "")
    overflow = digit_places < n
    width = len(grouped) if overflow else places
    fill = max(0, width - len(grouped))
    lead_zero = n == 0 and fill > 0
    fill -= lead_zero
    out = "%" if overflow else ""
    if f["lead_plus"]:
        out += "-" if neg else "+"
    out += ("*" if f["star"] else " ") * fill + ("-" if sign_place else "")
    out += ("$" if f["dollar"] else "") + ("0" if lead_zero else "") + grouped
    out += "." + frac if f["point"] else ""
    if f["trail"]:
        out += "-" if neg else ("+" if f["trail"] == "+" else " ")
    return out


def expect_exponent(v, f, letter):
    places, b = f["a"] - 1, f["b"]
    if v == 0:
        e, whole, frac = 1 - places, "0" * places, "0" * b
    else:
        e = abs(v).adjusted() - (places - 1)
        q = quantized(abs(v).scaleb(-e), b)
        if q >= Decimal(10) ** places:
            e += 1
            q = quantized(abs(v).scaleb(-e), b)
        whole, frac = split_digits(q, b)
    magnitude = str(abs(e))
    out = "%" if len(magnitude) > f["exp"] else ""
    out += ("-" if v < 0 else " ") + whole + ("." + frac if f["point"] else "")
    return out + letter + ("-" if e < 0 else "+") + magnitude.zfill(f["exp"])


def main():
    program = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    rng = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 20)
    lines = [line for line, _ in FIXED_CASES]
    expected = [want for _, want in FIXED_CASES]
    for _ in range(count):
        kind = rng.choice(["#", "#", "!", "##", "&&"])
        text = random_value(rng, kind)
        f = random_exponent(rng) if rng.random() < 0.3 else random_fixed(rng)
        v = value_of(text, kind)
        lines.append(f"{format_text(f)}\t{text}{kind}")
        if f["exp"]:
            expected.append(expect_exponent(v, f, "F" if kind == "##" else "E"))
        else:
            expected.append(expect_fixed(v, f))
    run = subprocess.run([program], input="\n".join(lines) + "\n", capture_output=True,
                         text=True, timeout=120)
    got = run.stdout.split("\n")[:-1]
    if len(got) != len(lines):
        print(f"expected {len(lines)} lines, got {len(got)}; stderr: {run.stderr[-2000:]}")
        return 1
    bad = [(l, e, g) for l, e, g in zip(lines, expected, got) if e != g]
    for line, want, have in bad[:20]:
        print(f"{line!r}: expected {want!r}, got {have!r}")
    print(f"{len(lines) - len(bad)} of {len(lines)} cases agree")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
