#pragma once
// One recording of the media list. Its path is its identity (exact, case-sensitive).
#include <QString>
#include <QVariantMap>

struct MFileModel {
    QString fName;       // last path component, for display
    QString fLocalPath;  // absolute local path

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
