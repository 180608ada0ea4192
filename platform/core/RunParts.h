// Work split over the cores: the filling and the column widths of a big list, and the check a
// save runs over every line. What each of them reads and writes on its threads, and why that is
// safe, is in DEVELOPERS.md, "Threads".
#pragma once

#include <QtGlobal>
#include <functional>

namespace platform {

// How many parts to split `work` into: one per core, each of at least `perPart` (a `perPart` of
// less than one counts as one); at least one and at most eight.
int partsFor(qint64 work, qint64 perPart);

// Runs part(0) .. part(n - 1), each on its own thread but part(0), which runs on this one, as do
// the parts for which no thread can be had; returns when all have ended. A thread is started only
// while the address space left (addressSpaceLeft) covers its stack and its malloc arena, and
// `keep` besides (what the caller will still take once the parts have run) and 32 MB for the
// program to go on: an allocation that fails for want of address space, in the caller or in Qt,
// may not be survivable. The parts run at once: none may write what another reads or writes. A
// part that throws stops no other: once every part has ended, the exception of the
// lowest-numbered part that threw is thrown again here.
void runParts(int n, qint64 keep, const std::function<void(int)>& part);
inline void runParts(int n, const std::function<void(int)>& part) {
    runParts(n, 0, part);
}

} // namespace platform
