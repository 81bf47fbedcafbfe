#include "autosave.h"

#include "animationfile.h"
#include "fileerror.h"
#include "filmpanel.h"
#include "privatefolder.h"
#include "privatesavefile.h"
#include "savefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QUuid>

#include <algorithm>

#include <unistd.h>

namespace quillet {

namespace {

const QString kPrefix = QStringLiteral("quillet-autosave-");
const QString kCopySuffix = QStringLiteral(".mmt");
const QString kNameSuffix = QStringLiteral(".name");
const QString kLockSuffix = QStringLiteral(".lock");
// A document's name is a path: longer than the system allows one to be, the side file is not one.
constexpr qint64 kNameLimit = 4096;

std::unique_ptr<QLockFile> lockFor(const QString& stem) {
    auto lock = std::make_unique<QLockFile>(stem + kLockSuffix);
    // A lock is stale only when its run is gone, however old it is.
    lock->setStaleLockTime(0);
    return lock;
}

bool sameFile(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return false;
    const QFileInfo left(a);
    const QFileInfo right(b);
    if (left.absoluteFilePath() == right.absoluteFilePath()) return true;
    return left.exists() && right.exists() && left.canonicalFilePath() == right.canonicalFilePath();
}

// Empty when the side file is missing or is not one this user wrote: the name is then unknown.
QString readName(const QString& path) {
    return QString::fromUtf8(ReadOwnSmallFile(path, ::getuid(), kNameLimit).value_or(QByteArray()));
}

// Removes the files of a run that writing may have left half done.
void removeParts(const QString& stem) {
    QFile::remove(stem + kCopySuffix + PrivateSaveFile::kPartSuffix);
    QFile::remove(stem + kNameSuffix + PrivateSaveFile::kPartSuffix);
}

} // namespace

RecoveryCopy::RecoveryCopy() = default;
RecoveryCopy::RecoveryCopy(RecoveryCopy&&) noexcept = default;
RecoveryCopy& RecoveryCopy::operator=(RecoveryCopy&&) noexcept = default;
RecoveryCopy::~RecoveryCopy() = default;

AutoSaver::AutoSaver(const TFilmPanel& strip, std::function<bool()> modified, const QString& folder, QObject* parent)
    : QObject(parent), m_strip(strip), m_modified(std::move(modified)), m_folder(folder) {
    m_timer.setInterval(kDefaultInterval);
    connect(&m_timer, &QTimer::timeout, this, &AutoSaver::saveNow);
}

bool AutoSaver::start() {
    if (m_folder.isEmpty()) return false;
    try {
        MakePrivateFolder(m_folder, ::getuid());
    } catch (const FileError& e) {
        m_folder.clear();
        noteFailure(e.message());
        return false;
    }
    m_stem = m_folder + QLatin1Char('/') + kPrefix + QUuid::createUuid().toString(QUuid::Id128);
    m_lock = lockFor(m_stem);
    // Without the lock other runs would take this run's copy for a leftover; they would offer it,
    // but nothing is lost since this run still holds the document. So the copy is kept regardless.
    m_lock->tryLock(0);
    sweepStaleLocks();
    m_timer.start();
    return true;
}

void AutoSaver::sweepStaleLocks() const {
    const QFileInfoList locks = QDir(m_folder).entryInfoList({kPrefix + QLatin1Char('*') + kLockSuffix}, QDir::Files);
    for (const QFileInfo& info : locks) {
        const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
        if (stem == m_stem || QFileInfo::exists(stem + kCopySuffix)) continue;
        // A run that crashed before its document changed: nothing to offer, only its lock to clear.
        std::unique_ptr<QLockFile> lock = lockFor(stem);
        if (!lock->tryLock(0)) continue;
        QFile::remove(stem + kNameSuffix);
        removeParts(stem);
        lock->unlock();
    }
}

AutoSaver::~AutoSaver() = default;

void AutoSaver::setInterval(int milliseconds) {
    m_timer.setInterval(milliseconds);
    if (!m_stem.isEmpty()) m_timer.start();
}

QString AutoSaver::copyPath() const {
    return m_stem.isEmpty() ? QString() : m_stem + kCopySuffix;
}

QString AutoSaver::namePath() const {
    return m_stem.isEmpty() ? QString() : m_stem + kNameSuffix;
}

bool AutoSaver::saveNow() {
    if (m_stem.isEmpty()) return false;
    if (!m_modified()) {
        discard();
        return true;
    }
    if (sameFile(copyPath(), m_strip.docFileName())) {
        noteFailure(tr("文档本身就是自动保存的副本"));
        return false;
    }
    const quint64 print = fingerprint();
    if (m_written && print == m_fingerprint && QFileInfo::exists(copyPath())) return true;
    if (!writeCopy()) return false;
    m_written = true;
    m_fingerprint = print;
    m_failing = false;
    return true;
}

bool AutoSaver::writeCopy() {
    try {
        // The name first: a copy is never newer than the name that goes with it.
        PrivateSaveFile name(namePath());
        const QByteArray nameBytes = m_strip.docFileName().toUtf8();
        WriteFully(name.device(), nameBytes.constData(), nameBytes.size(), namePath());
        name.commit();
        PrivateSaveFile copy(copyPath());
        WriteAnimation(copy.device(), m_strip, copyPath());
        copy.commit();
        return true;
    } catch (const FileError& e) {
        noteFailure(e.message());
    } catch (const std::exception& e) {
        noteFailure(QString::fromUtf8(e.what()));
    }
    return false;
}

void AutoSaver::noteFailure(const QString& reason) {
    if (m_failing) return;
    m_failing = true;
    emit failed(tr("自动保存失败：%1").arg(reason));
}

void AutoSaver::discard() {
    if (m_stem.isEmpty()) return;
    // A document saved under this run's copy name is the user's file now.
    if (!sameFile(copyPath(), m_strip.docFileName())) QFile::remove(copyPath());
    QFile::remove(namePath());
    m_written = false;
    m_failing = false;
}

quint64 AutoSaver::fingerprint() const {
    size_t seed = qHash(m_strip.docFileName(), static_cast<size_t>(m_strip.count()));
    for (int k = 0; k < m_strip.count(); ++k) {
        const TAnsiImage& unit = m_strip.GetUnit(k);
        seed = qHashBits(unit.grid().data(), sizeof(unit.grid()), seed);
    }
    return seed;
}

std::vector<RecoveryCopy> AutoSaver::claimLeftovers() const {
    std::vector<RecoveryCopy> copies;
    if (m_stem.isEmpty()) return copies;
    // Links, FIFOs and the like are listed too, so that the look below passes them over.
    const QFileInfoList found = QDir(m_folder).entryInfoList({kPrefix + QLatin1Char('*') + kCopySuffix},
                                                             QDir::Files | QDir::System, QDir::Time);
    for (const QFileInfo& info : found) {
        const QString stem = info.absolutePath() + QLatin1Char('/') + info.completeBaseName();
        // Only a regular file of this user's own is read back: never what a link points to, never a
        // FIFO that would keep the start waiting.
        if (stem == m_stem || !IsOwnRegularFile(info.absoluteFilePath(), ::getuid())) continue;
        RecoveryCopy copy;
        copy.claim = lockFor(stem);
        if (!copy.claim->tryLock(0)) continue; // its run is alive, or another run is offering it
        copy.path = info.absoluteFilePath();
        copy.documentName = readName(stem + kNameSuffix);
        copy.written = info.lastModified();
        copies.push_back(std::move(copy));
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const RecoveryCopy& a, const RecoveryCopy& b) { return a.written > b.written; });
    return copies;
}

void AutoSaver::removeLeftover(RecoveryCopy& copy) {
    const QString stem = copy.path.left(copy.path.size() - kCopySuffix.size());
    QFile::remove(copy.path);
    QFile::remove(stem + kNameSuffix);
    removeParts(stem);
    if (copy.claim) copy.claim->unlock();
}

} // namespace quillet
