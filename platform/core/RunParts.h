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

// Runs part(0) .. part(n - 1), each on its own thread but part(0), which runs on this one, as does
// a part for which no thread can be had; returns when all have ended. The parts run at once: none
// may write what another reads or writes. A part that throws stops no other: once every part has
// ended, the exception of the lowest-numbered part that threw is thrown again here.
void runParts(int n, const std::function<void(int)>& part);

} // namespace platform
