// The INI text the benchmarks read: the same for every run and every benchmark program.
#pragma once

#include <QString>

// A realistic mix: many sections, 'key = value ; comment' lines, whole-line comments, blank
// lines, long values and non-ASCII text, until its UTF-8 form holds at least `utf8Target`
// bytes. `ansiSafe` keeps to characters Windows-1252 has.
QString generateIniText(qint64 utf8Target, bool ansiSafe);
