#pragma once
// Keeps the media list across runs in the file "mediaList" of the application's data
// directory: an XML property list, an array of dictionaries {"fName", "fLocalPath"}.
// Every write replaces the file atomically, so a crash never leaves half a list, and
// takes a lock next to it; two players writing the one list merge their changes.
#include <QList>
#include <QString>

#include "core/mfilemodel.h"

class MediaListStore {
public:
    // The default place: <AppDataLocation>/mediaList.
    MediaListStore();
    explicit MediaListStore(QString path);

    const QString &path() const { return m_path; }

    // The stored records in order. A missing file is an empty list. A damaged file is
    // renamed aside (see lastSetAside()) and an empty list is answered, so the next
    // write cannot destroy what the user might still want to recover.
    QList<MFileModel> load();
    // Writes the records, merged with what another writer changed in the file since this
    // store last read or wrote it; *merged receives the list as written. False (and the
    // old file untouched) when that fails.
    bool save(const QList<MFileModel> &records, QList<MFileModel> *merged = nullptr);
    // The three-way merge save() uses: base is the list both sides started from.
    static QList<MFileModel> merge(const QList<MFileModel> &base, const QList<MFileModel> &ours,
                                   const QList<MFileModel> &theirs);

    static constexpr int kLockWaitMs = 3000;
    static constexpr int kStaleLockMs = 10000;

    const QString &lastSetAside() const { return m_setAside; }

    // The plist text of records, and its reverse; parse answers false when the text is
    // not a well-formed property list holding an array.
    static QByteArray serialize(const QList<MFileModel> &records);
    static bool parse(const QByteArray &data, QList<MFileModel> *records);

private:
    QString m_path;
    QString m_setAside;
    QList<MFileModel> m_base; // the file's list when this store last read or wrote it
    bool m_readOnly = false;
};
