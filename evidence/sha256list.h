#pragma once
// SHA-256 of files, read in slices (memory stays bounded whatever the size of a recording),
// and the lines of a list that `sha256sum -c` checks.
#include <QByteArray>
#include <QString>
#include <functional>

// The lower-case hex digest of a file's bytes; empty when it cannot be read whole (why in
// *error) or when cancelled() said so. advanced(bytes) reports each slice read.
QByteArray sha256OfFile(const QString &path, const std::function<bool()> &cancelled,
                        const std::function<void(qint64)> &advanced, QString *error);

// One line "HEX  NAME\n" as sha256sum writes it: a name holding '\', a line feed or a
// carriage return is escaped and the line starts with '\'. name is the file name's bytes.
QByteArray sha256sumLine(const QByteArray &hexDigest, const QByteArray &name);
