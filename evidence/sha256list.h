#pragma once
// The lines of a list that `sha256sum -c` checks (the digests come from clip/filehash.h).
#include <QByteArray>

// One line "HEX  NAME\n" as sha256sum writes it: a name holding '\', a line feed or a
// carriage return is escaped and the line starts with '\'. name is the file name's bytes.
QByteArray sha256sumLine(const QByteArray &hexDigest, const QByteArray &name);
