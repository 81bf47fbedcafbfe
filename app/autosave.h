#pragma once

#include <QObject>
#include <QString>

#include <QDateTime>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

class QLockFile;

namespace quillet {

class TFilmPanel;

// A recovery copy left behind by a run that did not end with a clean close. While this object lives
// the copy is claimed: no other running editor offers it at the same time.
struct RecoveryCopy {
    QString path;         // the copy, an animation file
    QString documentName; // the document's file name when the copy was written; empty when unknown
    QDateTime written;
    std::unique_ptr<QLockFile> claim;

    RecoveryCopy();
    RecoveryCopy(RecoveryCopy&&) noexcept;
    RecoveryCopy& operator=(RecoveryCopy&&) noexcept;
    ~RecoveryCopy(); // gives up the claim and leaves the copy for a later start
};

// Keeps a recovery copy of a modified document in a folder private to the user (RecoveryFolder()).
// Each run writes under a name of its own next to a lock file that stays while the run lives, so
// several editors share the folder without touching each other's copies; a copy whose lock is gone
// or stale belongs to a run that crashed. Writing is atomic, never through a link, happens at most
// once per interval and only when the document changed since the last copy; failures never
// interrupt the user.
class AutoSaver : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultInterval = 30000;

    // Copies of `strip` will go into `folder`; an empty folder turns autosaving off. `modified` tells
    // whether the document has changes that are not saved. Nothing happens before start().
    AutoSaver(const TFilmPanel& strip, std::function<bool()> modified, const QString& folder,
              QObject* parent = nullptr);
    // Leaves a copy in place: only a clean close or a save removes it.
    ~AutoSaver() override;

    // Makes the folder private (created with mode 0700) and starts copying. A folder that is a link,
    // is not the user's own or that other users can write to is refused: autosaving stays off and
    // the reason goes out through `failed`. False when autosaving is off.
    bool start();
    // Milliseconds between two copies; the count starts again.
    void setInterval(int milliseconds);
    int interval() const { return m_timer.interval(); }
    // This run's copy and its side file holding the document's name; empty without a folder.
    QString copyPath() const;
    QString namePath() const;

    // Brings the copy up to date at once: written when the document is modified and changed since
    // the last copy, removed when the document is no longer modified. False when it could not be
    // written (the reason went out through `failed`).
    bool saveNow();
    // Removes this run's copy: the document was saved, discarded or closed.
    void discard();

    // Copies left by runs that ended without a clean close, newest first, each claimed for the
    // caller. A copy that another running editor owns or has claimed is not among them, nor one that
    // is not a regular file of the user's own.
    std::vector<RecoveryCopy> claimLeftovers() const;
    // Deletes a claimed copy with its side file and lock.
    static void removeLeftover(RecoveryCopy& copy);

signals:
    // A copy could not be written, or the folder was refused; sent once until a copy succeeds again.
    void failed(const QString& text);

private:
    // Clears the locks of crashed runs that left no copy.
    void sweepStaleLocks() const;
    quint64 fingerprint() const;
    bool writeCopy();
    void noteFailure(const QString& reason);

    const TFilmPanel& m_strip;
    std::function<bool()> m_modified;
    QString m_folder;
    QString m_stem; // folder + "/quillet-autosave-<id>"
    std::unique_ptr<QLockFile> m_lock;
    QTimer m_timer;
    bool m_written = false;
    quint64 m_fingerprint = 0;
    bool m_failing = false;
};

} // namespace quillet
