#pragma once

#include <QString>

namespace quillet {

// Hands a file path or an address to the desktop to open with its associated program.
// The outcome is not reported.
void ShellOpen(const QString& target);
// The text after the last "/" (the whole text when there is none).
QString FileNameOf(const QString& path);
// The text after the last "." (empty when there is none); may hold a "/" when only a folder has a dot.
QString ExtensionOf(const QString& path);
// The running program's file name, without an extension.
QString ProgramBaseName();
// ProgramDir + "temp", created when missing; otherwise the system's temporary folder; empty when
// neither can be had.
QString FindTempDir();

} // namespace quillet
