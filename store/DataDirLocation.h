#pragma once

#include <QString>

namespace store {

// Where the dictionaries live. Beside the executable (AppDir + "Datas") when
// that directory can be written and is not a system folder of programs, so that a portable copy
// carries its dictionaries with it; otherwise, as for a program installed in /usr/bin, "Datas" in
// the user's own data folder (~/.local/share/korvanta/Datas). The folder is named after the
// program, not after the application title, whose version number would orphan the dictionaries at
// the next release.
class DataDirLocation {
public:
    // The data directory for `appDir` (which ends with a separator), without a
    // trailing separator. Creates the parent of the fallback folder, so that
    // the data directory itself is one directory to create, as beside the
    // executable.
    static QString forAppDir(const QString& appDir);

private:
    // Whether a file can be created in `dir`: asked by trying, because root
    // passes every permission check and only a read-only mount refuses it.
    static bool canCreateFilesIn(const QString& dir);
    // /usr/bin and its like hold the programs of the whole system: root could
    // write there, but an installed program must not leave its data among them.
    static bool isSystemProgramFolder(const QString& dir);
    static QString userDataDir();
};

} // namespace store
