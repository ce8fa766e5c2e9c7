#!/usr/bin/env python3
"""Where a cursor open or the start-up spends its time, from a perf recording with call stacks.

Record one child of bench_startup (Release build, frame-pointer-less, so DWARF stacks), e.g. on a
register made by hw_datagen --demo, with bench_startup and a tarvino.ini copied next to each other:

    HW_BENCH_STARTUP_CHILD=cursor QT_QPA_PLATFORM=offscreen \
        perf record -F 2000 --call-graph dwarf,32768 -o cursor.data ./bin/bench_startup
    perf script -i cursor.data -F comm,tid,time,ip,sym,dso > cursor.txt
    bench/perf_split.py split cursor.txt openLadderCursorMs     # phases, row loading by owner
    bench/perf_split.py tree startup.txt runHolmwacht 4 1.5      # inclusive tree, depth 4, >= 1.5 %

(HW_BENCH_STARTUP_CHILD=startup records the start-up; it answers the login by itself.)
Samples / frequency give milliseconds; perf's own overhead stretches them a little.
"""
import collections
import re
import sys

# Phases of an open: the innermost matching frame wins.
PHASES = [
    ('database open and checks (backend constructor)', r'SqliteBackend::SqliteBackend|PgBackend::PgBackend|createPgBackend|createSqliteBackend'),
    ('password hash checks (argon2id)', r'PasswortHash::'),
    ('catalog, schema, table protection', r'Catalog::|TableSecurity|Schema::'),
    ('lookup fields', r'lookup|Lookup'),
    ('calculated fields', r'fillCalcCache|onCalcFields|computedValue'),
    ('sorting the view (orderedRows, rebuildView)', r'orderedRows|rebuildView|compareRows'),
    ('loading rows (Table::loadRows)', r'Table::loadRows'),
    ('first screen of rows (displayTextAt)', r'displayTextAt'),
    ('closing and freeing cursors', r'Table::close|DataSet::close|~Table|~DataSet|~RowStore|RowStore::clear'),
]
# Inside row loading: the nearest owner of the sample wins.
OWNERS = [
    ('SQLite stepping (sqlite3_step)', r'^sqlite3_step$'),
    ('SQLite value access (sqlite3_column_*)', r'^sqlite3_column_|^sqlite3_value_'),
    ('text to QString (fromUtf8, allocation)', r'fromUtf8|QUtf8|textValue'),
    ('dates (ISO text to Julian day / ms)', r'isoDate|dateJulianDay|dateTimeMs'),
    ('RowStore::appendRow (column vectors grow)', r'RowStore::appendRow'),
    ('RowStore setters (setText, setNull, ...)', r'RowStore::set'),
    ('result cursor wrappers (next, isNull, ...)', r'SqliteCursor::|PgCursor::|PgResult|PQgetvalue'),
    ('Table::loadInto (per-value dispatch)', r'Table::loadInto'),
    ('prepare / select', r'sqlite3_prepare|Backend::select|PQexec'),
]
# Frames of Qt's and the standard library's plumbing that the tree leaves out.
PLUMBING = re.compile(
    r'^(QMetaObject::|QtPrivate::|doActivate|QObject::event|QCoreApplication::notify|QApplicationPrivate::notify_helper|'
    r'QCoreApplicationPrivate::|QApplication::notify|HwApplication::notify|std::_Function_handler|std::function|'
    r'\(anonymous namespace\)::|QWidget::event$|QEventLoop::|QEventDispatcher|postEventSourceDispatch|g_main_context|'
    r'QCoreApplication::exec|QGuiApplicationPrivate::processWindowSystemEvent|QWindowSystemInterface::)')


def samples(path):
    """Call stacks of perf script's output, leaf first."""
    stack = []
    with open(path, errors='replace') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line.strip():
                if stack:
                    yield stack
                stack = []
            elif line[0] in '\t ':
                m = re.match(r'\s*[0-9a-f]+ (.*) \(([^)]*)\)$', line)
                if m:
                    stack.append(re.sub(r'\+0x[0-9a-f]+$', '', m.group(1)))
            else:
                stack = []
    if stack:
        yield stack


def below(stack, anchor):
    """Frames under the outermost anchor frame (leaf first), or None without the anchor."""
    hits = [i for i, n in enumerate(stack) if anchor in n]
    return stack[:max(hits)] if hits else None


def first_match(frames, table):
    for n in frames:
        for name, rx in table:
            if re.search(rx, n):
                return name
    return None


def split(path, anchor):
    total = 0
    phase, owner = collections.Counter(), collections.Counter()
    for st in samples(path):
        inner = below(st, anchor)
        if inner is None:
            continue
        total += 1
        ph = first_match(inner, PHASES) or 'other (in %s itself)' % anchor
        phase[ph] += 1
        if ph.startswith('loading rows'):
            owner[first_match(inner, OWNERS) or 'other'] += 1
    print('samples under %s: %d' % (anchor, total))
    for p, c in phase.most_common():
        print('  %5.1f%%  %6d  %s' % (100.0 * c / total, c, p))
        if p.startswith('loading rows'):
            for o, oc in owner.most_common():
                print('      %5.1f%%  %6d  %s' % (100.0 * oc / total, oc, o))


def tree(path, anchor, depth, min_percent):
    counts = collections.Counter()
    total = 0
    for st in samples(path):
        inner = below(st, anchor)
        if inner is None:
            continue
        total += 1
        key = ()
        for n in [n for n in reversed(inner) if not PLUMBING.search(n)][:depth]:
            key += (n[:110],)
            counts[key] += 1
    print('samples under %s: %d' % (anchor, total))

    def show(prefix):
        kids = [(k, c) for k, c in counts.items() if len(k) == len(prefix) + 1 and k[:len(prefix)] == prefix]
        for k, c in sorted(kids, key=lambda kc: -kc[1]):
            if 100.0 * c / total >= min_percent:
                print('  %s%5.1f%% %6d  %s' % ('   ' * len(prefix), 100.0 * c / total, c, k[-1]))
                show(k)
    show(())


if __name__ == '__main__':
    if len(sys.argv) >= 4 and sys.argv[1] == 'split':
        split(sys.argv[2], sys.argv[3])
    elif len(sys.argv) >= 4 and sys.argv[1] == 'tree':
        tree(sys.argv[2], sys.argv[3], int(sys.argv[4]) if len(sys.argv) > 4 else 4,
             float(sys.argv[5]) if len(sys.argv) > 5 else 1.0)
    else:
        sys.exit(__doc__)
