#pragma once

#include <QString>

namespace quillet {

// Values fixed at start-up and kept for the whole run.
struct RunValues {
    QString ProgramDir;      // folder of the program file, with a trailing "/"
    QString SettingsPath;    // ProgramDir + "Tevrano.ini"
    QString ProgramName;     // ProgramBaseName()
    QString Language;        // "chinese", then the stored language
    QString TempDir;         // FindTempDir()
    QString DefaultFileName; // "new.mmt"
};

// The run-wide values of this process.
RunValues& Run();

} // namespace quillet
