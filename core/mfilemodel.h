#pragma once
// One recording of the media list. Its path is its identity (exact, case-sensitive).
#include <QString>
#include <QList>
#include <QVariantMap>

// Another channel (rear, interior, ...) the camera recorded for the same moment.
struct MChannelFile {
    QString channel;     // "front", "rear", "interior", "telephoto", "left", "right", "left_pillar",
                         // "right_pillar" or "other"
    QString fLocalPath;  // absolute local path (or the file's URL for a camera read over the network)
};

struct MFileModel {
    QString fName;       // last path component, for display
    QString fLocalPath;  // absolute local path

    // Filled when the recording was read as part of a camera's card; a lone file leaves them empty
    // (played as one front channel, kind unknown).
    QString channel;                    // this file's channel, same words as MChannelFile::channel
    QString kind;                       // "normal", "event", "parking", "locked", "manual" or "unknown"
    QList<MChannelFile> otherChannels;  // the moment's other channels, main channel first excluded

    // A recording listed from a camera over its network: the camera's address. Its paths are
    // then the files' URLs (local paths once downloaded). Such rows are not kept across runs.
    QString source;
    // The row above a camera's recordings that names the camera (fLocalPath is its address):
    // no recording, nothing to play.
    bool sourceHeader = false;

    MFileModel() = default;
    MFileModel(QString name, QString path) : fName(std::move(name)), fLocalPath(std::move(path)) {}

    // Keys name the fields ("fName", "fLocalPath"); unknown keys are dropped unless the
    // renaming table of gh_exchangeDict maps them onto a field.
    static MFileModel initWithDictionary(const QVariantMap &dict);
    QVariantMap toDictionary() const;
    static MFileModel fromPath(const QString &path);

    // Renaming table for keys that are not field names; none is needed so far.
    static QVariantMap gh_exchangeDict() { return {}; }

    bool isEmpty() const { return fLocalPath.isEmpty(); }
    friend bool operator==(const MFileModel &a, const MFileModel &b) { return a.fLocalPath == b.fLocalPath; }
};

Q_DECLARE_METATYPE(MFileModel)
