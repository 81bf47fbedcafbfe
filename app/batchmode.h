#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace quillet {

// True when the arguments ask for work without a window (exports, --help, --version,
// --register-file-type).
bool IsBatchInvocation(const QStringList& arguments);

// Runs the batch commands. arguments excludes the program name; programDir ends in "/" and is
// where Tevrano.ini and Script.txt are looked for. Exit codes: 0 done, 1 an input or output
// failed (nothing written), 2 bad usage.
int RunBatch(const QStringList& arguments, const QString& programDir, QTextStream& out, QTextStream& err);

} // namespace quillet
