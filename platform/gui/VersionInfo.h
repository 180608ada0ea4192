// Stand-in for reading strings of a file's version resource. Only the running program has
// one: its "FileVersion" is the version it was built as.
#pragma once

#include <QString>

namespace platform {

// The string `key` of the version resource of `fileName`, or "" when the file has no version
// resource or the key is missing. The program's own file (QCoreApplication's
// applicationFilePath, compared after resolving links) answers "FileVersion" with the version
// compiled in; every other file and key gives "".
QString getVersionInfoString(const QString& fileName, const QString& key);

// The version compiled into the program, as "FileVersion" gives it.
QString compiledFileVersion();

} // namespace platform
