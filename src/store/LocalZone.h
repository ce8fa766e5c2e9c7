#pragma once

// Call first thing in main(), before any thread starts: with TZ unset, the C library looks at
// /etc/localtime again (a stat) every time Qt turns a wall-clock time into a local date-time,
// which is once per date-time value read from the store. TZ=":/etc/localtime" names the same
// system zone, read once; Qt takes that value as "the system zone" too. A TZ the user set is
// left alone. The zone is then fixed for the run: a change of the machine's zone shows after
// a restart.
void systemZoneOnceOnly();
