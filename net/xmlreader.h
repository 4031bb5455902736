#pragma once
// Turns a small XML document into nested dictionaries: each element is a QVariantMap
// of its attributes, its trimmed character data under "text" (when there is any) and
// its children under their names; a repeated child name becomes a QVariantList in
// document order. The document is a one-entry map: root name -> root dictionary.
// Reading takes time linear in the size of the document: the raw bytes are checked
// against the caps below (core/xmllimits.h) before the XML reader sees them.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <QVariantMap>

class XMLReader {
public:
    enum Option { ProcessNamespaces = 1, ReportNamespacePrefixes = 2, ResolveExternalEntities = 4 };

    // Larger documents are refused: the update feed is a few hundred bytes.
    static constexpr qint64 kMaxDocumentSize = 1024 * 1024;
    // A feed has a handful of elements; these bound the work a hostile one can cause.
    static constexpr int kMaxElements = 10000;
    static constexpr int kMaxDepth = 256;
    static constexpr int kMaxAttributes = 64; // per element

    // An empty map when parsing fails; *error then says why.
    static QVariantMap dictionaryForXMLData(const QByteArray &data, QString *error = nullptr);
    static QVariantMap dictionaryForXMLString(const QString &string, QString *error = nullptr);
    // ResolveExternalEntities is never honoured: a feed must not make us read local files
    // or fetch anything.
    // Past the deadline the parse stops and fails ("took too long").
    static QVariantMap dictionaryForXMLData(const QByteArray &data, int options, QString *error,
                                            QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    static QVariantMap dictionaryForXMLString(const QString &string, int options, QString *error);

    // root -> a -> b -> "text" in one call; a null string when any step is missing or
    // not a single dictionary.
    static QString textAt(const QVariantMap &document, const QStringList &path);
};
