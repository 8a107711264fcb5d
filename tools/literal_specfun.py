#!/usr/bin/env python3
"""A literal-arithmetic model of the gamma-distribution routines, for
reference values in bit-exact tests of the special functions.

The routines DGAMDF and DGAMIN and everything under them (DLNGAM, DGAMMA,
D9LGMC, D9GAML, DNORIN, DERFCI, DERFCE, INITDS, DCSEVL, DMACH) are written
here again, from their mathematical definitions and not from the C++ code,
with every formula evaluated exactly as it is written: operators of equal
precedence from left to right, a small integer power as a product grouped
before anything else (a * w**3 is a * (w * w * w)), no fused multiply-add,
and the single-precision tolerances of INITDS rounded to float32 at every
step. Python floats are IEEE doubles and math.log, exp, sqrt and sin call the
same C library as the C++ program, so the values printed here are what a
faithful evaluation of the formulas gives, bit for bit. A test that compares
the C++ routines with these values checks that the C++ code does the same
arithmetic, not merely that it is accurate.

The Chebyshev coefficient tables are the only thing taken from the C++
sources: their numeric literals are read at run time from specfun/tables.cpp
(set LITERAL_SPECFUN_TABLES to read another file).

Run it from the repository root:

    echo "DGAMIN 0.25 4" | python3 tools/literal_specfun.py
    printf 'DGAMDF 3.7 2.5\\nDGAMMA -1e-20\\n' | python3 tools/literal_specfun.py

Each input line is a routine name (DGAMDF, DGAMIN, DLNGAM, DGAMMA, D9LGMC,
DNORIN, DERFCI, DERFCE) and its arguments. Each output line is the result as
a C99 hexadecimal float and with 17 significant digits, or the error that
would end the run, such as "TERMINAL 6 DGAMMA" or "FATAL 1 DGAMIN" (the
latter followed by the midpoint that DGAMIN would have returned). Errors of
type NOTE and ALERT return their value silently, as in the library; WARNINGs
are recorded in WARNINGS and not printed.

Needs only the Python standard library (3.8 or later).
"""

import math
import os
import re
import struct
import sys


def ieee_div(a, b):
    """a / b as IEEE arithmetic gives it: Python raises on a zero divisor
    where the C++ program gets an infinity (or NaN for 0/0)."""
    try:
        return a / b
    except ZeroDivisionError:
        if a == 0.0 or math.isnan(a):
            return math.nan
        return math.copysign(math.inf, a) * math.copysign(1.0, b)

# --------------------------------------------------------------------------
# Error reporting: only what decides the value or the end of a run.


class RunEnds(Exception):
    """An error that ends the run: TERMINAL, or FATAL reaching the caller."""

    def __init__(self, kind, code, routine, value=None):
        super().__init__("%s %d %s" % (kind, code, routine))
        self.kind = kind
        self.code = code
        self.routine = routine
        self.value = value  # what the routine would have returned


# Warnings issued since the last clear_warnings(): (routine, code) pairs.
WARNINGS = []


def clear_warnings():
    del WARNINGS[:]


def _terminal(routine, code):
    raise RunEnds("TERMINAL", code, routine)


def _warning(routine, code):
    WARNINGS.append((routine, code))


# --------------------------------------------------------------------------
# Machine constants and single-precision helpers.

_NAN = float("nan")

_DMACH_TABLE = (
    2.0 ** -1022,                  # 1: smallest positive normal number
    (2.0 - 2.0 ** -52) * 2.0 ** 1023,  # 2: largest finite number
    2.0 ** -53,                    # 3: smallest relative spacing
    2.0 ** -52,                    # 4: largest relative spacing
    0.3010299956639812,            # 5: log10(2)
    _NAN,                          # 6: quiet NaN
    float("inf"),                  # 7
    float("-inf"),                 # 8
)


def DMACH(n):
    if n < 1 or n > 8:
        _terminal("DMACH", 5)
    return _DMACH_TABLE[n - 1]


def f32(v):
    """v rounded to IEEE single precision."""
    return struct.unpack("f", struct.pack("f", v))[0]


def _cbrt(v):
    if hasattr(math, "cbrt"):
        return math.cbrt(v)
    import ctypes

    libm = ctypes.CDLL("libm.so.6")
    libm.cbrt.restype = ctypes.c_double
    libm.cbrt.argtypes = [ctypes.c_double]
    return libm.cbrt(v)


def _eta_tenth():
    """0.1 * DMACH(3) in single precision."""
    return f32(f32(0.1) * f32(DMACH(3)))


# --------------------------------------------------------------------------
# Coefficient tables, read from the C++ table file.

_TABLE_NAMES = {
    "gamma": "kGammaCoefficients",
    "lgmc": "kLogGammaCorrectionCoefficients",
    "erfinv": "kInverseErfCoefficients",
    "erf": "kErfCoefficients",
    "erfc_middle": "kErfcMiddleCoefficients",
    "erfc_tail": "kErfcTailCoefficients",
}

_TABLES = {}


def _tables_path():
    env = os.environ.get("LITERAL_SPECFUN_TABLES")
    if env:
        return env
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.join(os.path.dirname(here), "specfun", "tables.cpp")


def load_tables(path=None):
    """Reads every named coefficient array of the C++ table file."""
    with open(path or _tables_path()) as f:
        text = f.read()
    text = re.sub(r"//[^\n]*", "", text)
    text = re.sub(r"/\*.*?\*/", "", text, flags=re.S)
    number = re.compile(r"[-+]?(?:\d+\.?\d*|\.\d+)(?:[eE][-+]?\d+)?")
    for key, name in _TABLE_NAMES.items():
        m = re.search(r"\b" + name + r"\s*\[\s*(\d+)\s*\]\s*=\s*\{(.*?)\}\s*;", text, re.S)
        if m is None:
            raise ValueError("table %s not found in %s" % (name, path or _tables_path()))
        values = [float(s) for s in number.findall(m.group(2))]
        if len(values) != int(m.group(1)):
            raise ValueError("table %s: %d values for %s" % (name, len(values), m.group(1)))
        _TABLES[key] = values


def table(key):
    if not _TABLES:
        load_tables()
    return _TABLES[key]


# --------------------------------------------------------------------------
# Chebyshev series.


def INITDS(os_, nos, eta):
    """Number of terms of the series os_ (nos coefficients) for accuracy eta
    (single precision)."""
    if nos < 1:
        _terminal("INITDS", 5)
    eta = f32(eta)
    err = f32(0.0)
    i = 0
    for ii in range(1, nos + 1):
        i = nos + 1 - ii
        err = f32(err + f32(abs(os_[i - 1])))
        if err > eta:
            break
    else:
        i = 1
    if i == nos:
        _terminal("INITDS", 6)
    return i


def DCSEVL(x, a, n):
    """Clenshaw sum of the first n terms of the Chebyshev series a at x."""
    if n <= 0:
        _terminal("DCSEVL", 5)
    if n > 1000:
        _terminal("DCSEVL", 6)
    if x < -1.1 or x > 1.1:
        _warning("DCSEVL", 7)
    twox = 2.0 * x
    b0 = 0.0
    b1 = 0.0
    b2 = 0.0
    for i in range(n, 0, -1):
        b2 = b1
        b1 = b0
        b0 = twox * b1 - b2 + a[i - 1]
    return 0.5 * (b0 - b2)


# --------------------------------------------------------------------------
# Gamma and log-gamma.

SQ2PIL = 0.91893853320467278  # ln sqrt(2 pi)
SQPI2L = 0.22579135264472744  # ln sqrt(pi / 2)
PI = 3.1415926535897931


def D9GAML():
    """The range (xmin, xmax) in which the gamma function neither underflows
    nor overflows."""
    xmin = _NAN
    xmax = _NAN
    alnsml = math.log(DMACH(1))
    m = -alnsml
    for _ in range(10):
        old = m
        m = m - m * ((m + 0.5) * math.log(m) - m - 0.2258 + alnsml) / (m * math.log(m) + 0.5)
        if abs(m - old) < 0.005:
            break
    else:
        _terminal("D9GAML", 5)
    xmin = -m + 0.01

    alnbig = math.log(DMACH(2))
    m = alnbig
    for _ in range(10):
        old = m
        m = m - m * ((m - 0.5) * math.log(m) - m + 0.9189 - alnbig) / (m * math.log(m) - 0.5)
        if abs(m - old) < 0.005:
            break
    else:
        _terminal("D9GAML", 6)
    xmax = m - 0.01
    xmin = max(xmin, 1.0 - xmax)
    return xmin, xmax


_d9lgmc = {}


def D9LGMC(x):
    """Stirling-correction term of ln Gamma(x), x >= 10."""
    if not _d9lgmc:
        _d9lgmc["nalgm"] = INITDS(table("lgmc"), 15, f32(DMACH(3)))
        _d9lgmc["xbig"] = 1.0 / math.sqrt(DMACH(3))
        _d9lgmc["xmax"] = math.exp(min(math.log(DMACH(2) / 12.0), -math.log(12.0 * DMACH(1))))
    c = _d9lgmc
    if x < 10.0:
        _terminal("D9LGMC", 5)
    if x >= c["xmax"]:
        return 0.0  # ALERT 1
    if x >= c["xbig"]:
        return 1.0 / (12.0 * x)
    t = 10.0 / x
    return DCSEVL(2.0 * (t * t) - 1.0, table("lgmc"), c["nalgm"]) / x


_dgamma = {}


def _dgamma_init():
    if not _dgamma:
        _dgamma["ngam"] = INITDS(table("gamma"), 42, _eta_tenth())
        _dgamma["xmin"], _dgamma["xmax"] = D9GAML()
        _dgamma["xsml"] = math.exp(max(math.log(DMACH(1)), -math.log(DMACH(2))) + 0.01)
        _dgamma["dxrel"] = math.sqrt(DMACH(4))
    return _dgamma


def DGAMMA(x):
    c = _dgamma_init()
    y = abs(x)
    if y <= 10.0:
        n = int(x)  # truncated towards zero
        if x < 0.0:
            n = n - 1
        f = x - n
        n = n - 1
        g = 0.9375 + DCSEVL(2.0 * f - 1.0, table("gamma"), c["ngam"])
        if n == 0:
            return g
        if n > 0:
            for i in range(1, n + 1):
                g = g * (f + i)
            return g
        m = -n
        if x == 0.0:
            _terminal("DGAMMA", 5)
        if f < c["xsml"]:
            _terminal("DGAMMA", 4)
        if x < 0.0 and x + m - 2 == 0.0:
            _terminal("DGAMMA", 6)
        if x < -0.5:
            k = float(int(x - 0.5))
            if abs((x - k) / x) < c["dxrel"]:
                _warning("DGAMMA", 2)
        for i in range(1, m + 1):
            g = ieee_div(g, x + i - 1)
        return g

    if x > c["xmax"]:
        _terminal("DGAMMA", 4)
    if x < c["xmin"]:
        return 0.0  # ALERT 1
    g = math.exp((y - 0.5) * math.log(y) - y + SQ2PIL + D9LGMC(y))
    if x > 0.0:
        return g
    k = float(int(x - 0.5))
    if abs((x - k) / x) < c["dxrel"]:
        _warning("DGAMMA", 2)
    s = math.sin(PI * y)
    if s == 0.0:
        _terminal("DGAMMA", 7)
    return -PI / (y * s * g)


_dlngam = {}


def DLNGAM(x):
    """ln |Gamma(x)|."""
    if not _dlngam:
        _dlngam["xmax"] = DMACH(2) / math.log(DMACH(2))
        _dlngam["dxrel"] = math.sqrt(DMACH(4))
    c = _dlngam
    y = abs(x)
    if y <= 10.0:
        return math.log(abs(DGAMMA(x)))
    if y > c["xmax"]:
        _terminal("DLNGAM", 4)
    if x > 0.0:
        return SQ2PIL + (x - 0.5) * math.log(x) - x + D9LGMC(y)
    s = abs(math.sin(PI * y))
    if s == 0.0:
        _terminal("DLNGAM", 5)
    result = SQPI2L + (x - 0.5) * math.log(y) - x - math.log(s) - D9LGMC(y)
    k = float(int(x - 0.5))
    if abs((x - k) * result / x) < c["dxrel"]:
        _warning("DLNGAM", 2)
    return result


# --------------------------------------------------------------------------
# Normal quantile and the error-function inverses.

SQRTPI = 1.772453850905516
SQRTPI_HALF = 0.886226925452758
MINUS_SQRT2 = -1.4142135623730951


def DNORIN(p):
    """The standard normal quantile."""
    if p <= 0.0 or p >= 1.0:
        _terminal("DNORIN", 1)
    result = MINUS_SQRT2 * DERFCI(2.0 * p)
    # The loss-of-precision warning of DERFCI near 2 is withdrawn here.
    if WARNINGS and WARNINGS[-1] == ("DERFCI", 2):
        WARNINGS.pop()
    return result


_derfci = {}


def DERFCI(x):
    """The r with erfc(r) = x, 0 < x < 2."""
    if not _derfci:
        _derfci["nterf"] = INITDS(table("erfinv"), 44, _eta_tenth())
        s = math.sqrt(DMACH(4) / 12.566)
        t = -s / math.log(1.77 * s)
        l = math.log(1.77 * t)
        _derfci["xmax"] = 2.0 - (t - (t * l + s) / (l + 1.0))
        _derfci["tol"] = 10.0 * DMACH(4)
    c = _derfci
    if x <= 0.0:
        _terminal("DERFCI", 5)
    if x >= 2.0:
        _terminal("DERFCI", 6)
    if x > c["xmax"]:
        _warning("DERFCI", 2)
    y = 1.0 - x
    if abs(y) < 0.75:
        return y * (1.0 + DCSEVL(32.0 * (y * y) / 9.0 - 1.0, table("erfinv"), c["nterf"]))
    z = x if y >= 0.0 else y + 1.0
    w = -math.log(SQRTPI * z)
    r = math.sqrt(w - 0.5 * math.log(w) + (0.25 * math.log(w) - 0.5) / w)
    for _ in range(100):
        d = SQRTPI_HALF * (DERFCE(r) - math.exp(r * r + math.log(z)))
        r = r + d
        if abs(d) < c["tol"] * r:
            return r if y >= 0.0 else -r
    _terminal("DERFCI", 7)


_derfce = {}


def DERFCE(x):
    """exp(x*x) * erfc(x)."""
    if not _derfce:
        eta = _eta_tenth()
        _derfce["nterf"] = INITDS(table("erf"), 21, eta)
        _derfce["nterfc"] = INITDS(table("erfc_middle"), 49, eta)
        _derfce["nterc2"] = INITDS(table("erfc_tail"), 59, eta)
        _derfce["xmin"] = 0.01 - math.sqrt(math.log(DMACH(2) / 2.0))
        _derfce["xneg"] = -math.sqrt(-math.log(SQRTPI * DMACH(3)))
        _derfce["xmax"] = math.exp(min(-math.log(SQRTPI * DMACH(1)), math.log(DMACH(2))) - 0.01)
        _derfce["xsml"] = math.sqrt(2.0 * DMACH(3))
    c = _derfce
    if x < c["xmin"]:
        _terminal("dERFCE", 4)
    if x <= c["xneg"]:
        return 2.0 * math.exp(x * x)
    if x > c["xmax"]:
        return 0.0  # ALERT 1
    y = abs(x)
    if y <= 1.0:
        if y < c["xsml"]:
            return 1.0 - 2.0 * x / SQRTPI
        return math.exp(x * x) * (1.0 - x * (1.0 + DCSEVL(2.0 * (x * x) - 1.0, table("erf"),
                                                          c["nterf"])))
    if y <= 2.0:
        result = (0.5 + DCSEVL((8.0 / (y * y) - 5.0) / 3.0, table("erfc_middle"),
                               c["nterfc"])) / y
    else:
        t = 8.0 / (y * y) - 1.0
        if y > math.sqrt(c["xmax"]):
            t = -1.0
        result = (0.5 + DCSEVL(t, table("erfc_tail"), c["nterc2"])) / y
    if x < 0.0:
        result = 2.0 * math.exp(x * x) - result
    return result


# --------------------------------------------------------------------------
# Gamma distribution function and its inverse.

# The continued fraction of DGAMDF has no bound of its own; this guard only
# keeps a pathological argument from hanging the run.
DGAMDF_STEP_LIMIT = 100000000


def DGAMDF(x, a):
    """P(a, x), the standard gamma distribution function with shape a."""
    if a <= 0.0:
        _terminal("DGAMDF", 1)
    if x < 0.0:
        return 0.0  # NOTE 2
    if x == 0.0:
        return 0.0
    if math.log(x) - math.log(DMACH(2)) / 3.0 >= 0.0:
        if 0.5 * x > a:
            return 1.0
        _terminal("DGAMDF", 3)

    e = a * math.log(x) - (DLNGAM(a) + x)
    if e > math.log(DMACH(1)) + DMACH(4):
        prefactor = math.exp(e)
    else:
        prefactor = 0.0

    steps = 0
    if x > 1.0 and x >= a:
        # Continued fraction.
        y = 1.0 - a
        z = x + y + 1.0
        n = 0
        p1 = 1.0
        p2 = x
        p3 = x + 1.0
        p4 = z * x
        g = p3 / p4
        while True:
            steps += 1
            if steps > DGAMDF_STEP_LIMIT:
                _terminal("DGAMDF", 4)
            n = n + 1
            y = y + 1.0
            z = z + 2.0
            q = y * n
            p5 = z * p3 - q * p1
            p6 = z * p4 - q * p2
            if p6 != 0.0:
                r = p5 / p6
                d = abs(g - r)
                if d <= 1e-8 and d <= r * 1e-8 * 10.0:
                    return 1.0 - prefactor * g
                g = r
            p1 = p3
            p2 = p4
            p3 = p5
            p4 = p6
            if abs(p5) >= 1e30 or abs(p6) >= 1e30:
                p1 = p1 / 1e30
                p2 = p2 / 1e30
                p3 = p3 / 1e30
                p4 = p4 / 1e30

    # Series.
    b = a
    term = 1.0
    total = 1.0
    while True:
        steps += 1
        if steps > DGAMDF_STEP_LIMIT:
            _terminal("DGAMDF", 4)
        b = b + 1.0
        term = term * x / b
        total = total + term
        if term <= 1e-8:
            break
    return prefactor * total / a


def DGAMIN(p, a):
    """The x with DGAMDF(x, a) = p."""
    big = DMACH(2)
    if p <= 0.0 or p >= 1.0:
        _terminal("DGAMIN", 2)
    if a <= 0.0:
        _terminal("DGAMIN", 3)
    if a > big / math.log(big):
        _terminal("DGAMIN", 4)

    z = DNORIN(p)
    w = 1.0 - 1.0 / (9.0 * a) + z / math.sqrt(9.0 * a)
    if abs(w) > _cbrt(big):
        _terminal("DGAMIN", 5)
    tol = 10.0 * DMACH(4)
    if z * z >= 9.0 * a:
        x0 = a * (w * w * w)
    else:
        x0 = 0.0

    def F(x):
        if x > 0.0:
            return DGAMDF(x, a) - p
        return -p

    f0 = F(x0)
    if f0 == 0.0:
        return x0

    if abs(x0) < 1.0:
        x1 = x0 + 0.05
        h = 0.05
    else:
        x1 = 1.05 * x0
        h = x1 - x0
    f1 = F(x1)
    s = (f1 - f0) / h
    if s < 0.01:
        s = 0.01
    d = -f0 / s

    k = 0
    while True:
        k = k + 1
        d = 2.0 * d
        x2 = x0 + d
        if k > 100 or (x2 > 0.0 and math.log(x2) - math.log(big) / 3.0 >= 0.0
                       and x2 / 2.0 <= a):
            _terminal("DGAMIN", 6)
        f2 = F(x2)
        if f0 * f2 < 0.0:
            break
        x0 = x2

    bisect = False
    for _ in range(100):
        m = (x0 + x2) / 2.0
        dx = x2 - x0
        df = f2 - f0
        if (m != 0.0 and abs(dx) < abs(m * tol)) or (m == 0.0 and abs(dx) < tol):
            return (x0 + x2) / 2.0
        if bisect:
            xn = m
        else:
            xn = x2 - f2 * dx / df
        bisect = False
        fn = F(xn)
        if fn * f2 <= 0.0:
            x0 = x2
            f0 = f2
            x2 = xn
            f2 = fn
        else:
            x2 = xn
            f2 = fn
            f0 = f0 / 2.0
            if abs(fn) > abs(f0):
                f0 = 2.0 * f0
                bisect = True
    raise RunEnds("FATAL", 1, "DGAMIN", (x0 + x2) / 2.0)


# --------------------------------------------------------------------------
# Command line.

ROUTINES = {
    "DGAMDF": (2, DGAMDF),
    "DGAMIN": (2, DGAMIN),
    "DLNGAM": (1, DLNGAM),
    "DGAMMA": (1, DGAMMA),
    "D9LGMC": (1, D9LGMC),
    "DNORIN": (1, DNORIN),
    "DERFCI": (1, DERFCI),
    "DERFCE": (1, DERFCE),
}


def evaluate_line(line):
    """The output line for one input line, or None for a blank line."""
    words = line.replace(",", " ").split()
    if not words:
        return None
    if words[0] not in ROUTINES or len(words) != ROUTINES[words[0]][0] + 1:
        return "error: cannot read %r" % line.strip()
    try:
        args = [float(w) for w in words[1:]]
    except ValueError:
        return "error: an argument is not a number in %r" % line.strip()
    clear_warnings()
    try:
        v = ROUTINES[words[0]][1](*args)
    except RunEnds as e:
        out = "%s %d %s" % (e.kind, e.code, e.routine)
        if e.value is not None:
            out += " %s %.17g" % (e.value.hex(), e.value)
        return out
    return "%s %.17g" % (v.hex(), v)


def main():
    for line in sys.stdin:
        out = evaluate_line(line)
        if out is not None:
            print(out)
            sys.stdout.flush()
    return 0


if __name__ == "__main__":
    sys.exit(main())
