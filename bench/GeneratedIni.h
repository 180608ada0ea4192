// The INI texts the benchmarks read: the same for every run and every benchmark program.
#pragma once

#include <QString>

// Files of the shapes users meet.
enum class IniShape {
    // Many sections of 8 to 37 lines: 'key = value ; comment' lines, whole-line comments, blank
    // lines, some long lists of paths and words in other scripts. About 48 bytes a line.
    Mixed,
    // Sections of hundreds of lines: 'key = value' with blanks around "=", values that are lists
    // of one to a dozen paths, a comment on some lines, comment lines and blank lines. About 48
    // bytes a line.
    Paths,
    // One section of short lines that never repeat: 'key0001234=value0001234'. 25 bytes a line.
    Short,
    // Names, values and comments in Cyrillic, Greek and Chinese (accented Latin when `ansiSafe`).
    NonLatin,
    // Values of 200 to 2,000 characters. About 1,100 bytes a line.
    LongValues,
};

// Every shape, in the order the benchmarks report them, and their names there.
inline constexpr IniShape kIniShapes[] = {IniShape::Mixed, IniShape::Paths, IniShape::Short,
                                          IniShape::NonLatin, IniShape::LongValues};
const char* iniShapeName(IniShape shape);

// A text of that shape whose UTF-8 form holds at least `utf8Target` bytes. `ansiSafe` keeps to
// characters Windows-1252 has.
QString generateIniText(IniShape shape, qint64 utf8Target, bool ansiSafe);
inline QString generateIniText(qint64 utf8Target, bool ansiSafe) {
    return generateIniText(IniShape::Mixed, utf8Target, ansiSafe);
}
