#!/usr/bin/env python3
"""Runs the system tests (tests/system/test_*.py) under one shared Wine environment.

    python3 tests/system/run.py [--build-dir build/win32] [-v] [FILTER...]

A FILTER keeps the tests whose id (module.Class.test) contains it. Prints one line per
test and then exactly one summary line "system: N passed, M failed[, K skipped]";
exits 1 when any test failed or errored. When the build is 32-bit and this machine's
32-bit Wine cannot run (wine_arch.py), it runs nothing and prints only the line
"system: skipped the 32-bit system tests: WHY", exiting 0.
"""
import argparse
import os
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import harness  # noqa: E402
import wine_arch  # noqa: E402


def iter_tests(suite):
    for t in suite:
        if isinstance(t, unittest.TestSuite):
            yield from iter_tests(t)
        else:
            yield t


def last_wine_call():
    """What the last Wine call did, so that a failure far from a desk can be read."""
    text = harness._env.last_call_text() if harness._env is not None else ''
    return '\n' + text if text else ''


class LineResult(unittest.TestResult):
    def __init__(self, verbose):
        super().__init__()
        self.verbose = verbose
        self.passed = 0
        self._started = 0.0

    def startTest(self, test):
        super().startTest(test)
        self._started = time.monotonic()

    def _line(self, test, outcome, detail=''):
        print('%-4s %s (%.1fs)' % (outcome, test.id(), time.monotonic() - self._started), flush=True)
        if detail:
            print('     ' + detail.rstrip().replace('\n', '\n     '), flush=True)

    def addSuccess(self, test):
        super().addSuccess(test)
        self.passed += 1
        self._line(test, 'ok')

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._line(test, 'FAIL', self.failures[-1][1] + last_wine_call())

    def addError(self, test, err):
        super().addError(test, err)
        self._line(test, 'ERR', self.errors[-1][1] + last_wine_call())

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self._line(test, 'skip', reason if self.verbose else '')

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)  # failures land in self.failures/errors
        if err is not None:
            detail = (self.failures + self.errors)[-1][1] + last_wine_call()
            self._line(subtest, 'FAIL', detail)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument('--build-dir', default=os.path.join(harness.ROOT, 'build', 'win32'))
    ap.add_argument('-v', '--verbose', action='store_true')
    ap.add_argument('filters', nargs='*')
    opts = ap.parse_args()
    harness.set_build_dir(opts.build_dir)
    bits = harness.build_bits()
    ok, why = wine_arch.usable(bits)
    if not ok:
        if bits == 32:
            print('system: skipped the 32-bit system tests: %s' % why, flush=True)
            return 0
        print('system: the %d-bit Wine cannot run here: %s' % (bits, why))
        print('system: 0 passed, 1 failed')
        return 1

    loaded = unittest.TestLoader().discover(HERE, pattern='test_*.py', top_level_dir=HERE)
    tests = [t for t in iter_tests(loaded) if not opts.filters or any(f in t.id() for f in opts.filters)]
    result = LineResult(opts.verbose)
    started = time.monotonic()
    try:
        unittest.TestSuite(tests).run(result)
    finally:
        if harness._env is not None:
            harness._env.close()
    failed = len(result.failures) + len(result.errors)
    # Count a test once even when several of its subtests failed.
    failed_ids = {t.id().split(' ')[0] for t, _ in result.failures + result.errors}
    failed = len(failed_ids)
    summary = 'system: %d passed, %d failed' % (result.passed, failed)
    if result.skipped:
        summary += ', %d skipped' % len(result.skipped)
    print('(%.0fs)' % (time.monotonic() - started))
    print(summary)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main())
