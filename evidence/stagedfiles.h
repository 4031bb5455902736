#pragma once
// Several files that appear together or not at all: each is written in full under a
// temporary name of its own in the target folder (created exclusively, never through a
// link), and only commit() renames them all into place. Whatever was staged but not
// committed is removed when this goes, so a failure or a cancel leaves nothing behind.
#include <QByteArray>
#include <QList>
#include <QString>

class StagedFiles {
public:
    explicit StagedFiles(QString folder);
    ~StagedFiles();
    StagedFiles(const StagedFiles &) = delete;
    StagedFiles &operator=(const StagedFiles &) = delete;

    // Writes bytes for the file name (no '/') in the folder; false with the reason.
    bool stage(const QString &name, const QByteArray &bytes, QString *error);
    // Renames every staged file onto its name (an existing file of the name is replaced).
    // On a failure the ones already renamed are removed again.
    bool commit(QString *error);
    // Removes what was staged and not committed.
    void discard();

    QStringList finalPaths() const;

private:
    struct Entry {
        QString temp;
        QString final;
    };
    QString m_folder;
    QList<Entry> m_entries;
};
