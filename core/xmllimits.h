#pragma once
// A linear pre-scan of an XML document's raw bytes, run before QXmlStreamReader sees
// them. The stream reader checks each attribute against the element's earlier ones, so
// one start tag of 100 000 attributes costs it billions of comparisons; nothing it does
// can be bounded once it has the document. The scan counts start tags, nesting and
// attributes per tag and refuses documents past the caps, in time linear in their size.
//
// It reads the bytes as the stream reader will: only ASCII-compatible encodings pass
// (no NUL byte, no encoding declaration other than UTF-8, US-ASCII or ISO-8859-1), so
// no markup can hide from the scan in UTF-16 or UTF-7. An internal DTD subset is
// refused too: its attribute defaults would add attributes the scan cannot see.
#include <QByteArrayView>
#include <QString>

namespace XmlLimits {

struct Caps {
    qint64 maxBytes = 1024 * 1024;
    int maxAttributesPerElement = 64;
    int maxElements = 100000;
    int maxDepth = 256;
};

// True when data stays within caps; otherwise false with *error (if given) saying why.
bool check(QByteArrayView data, const Caps &caps, QString *error = nullptr);

} // namespace XmlLimits
