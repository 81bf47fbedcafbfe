#pragma once

#include <QByteArray>
#include <QString>

namespace quillet {

// Makes this program the desktop's handler of files with the extension `ext` (without the dot):
// writes, under $XDG_DATA_HOME (default ~/.local/share), the MIME package
// mime/packages/quillet.xml and the desktop entry applications/quillet.desktop, each replacing
// whatever was there, then refreshes the desktop's caches with update-mime-database and
// update-desktop-database where they are installed. Every failure is silent.
void RegisterFileType(const QString& ext);

// The shared-mime-info package that gives *.<ext> Quillet's animation type.
QByteArray MimePackageText(const QString& ext);

// The desktop entry that starts `programPath` on a file of Quillet's animation type.
QByteArray DesktopEntryText(const QString& programPath);

// `path` as one argument of a desktop entry's Exec key: quoted where it holds a reserved
// character, with "%" doubled and backslashes escaped for the entry's string syntax.
QString DesktopExecArgument(const QString& path);

} // namespace quillet
