#pragma once
// Turns a small XML document into nested dictionaries: each element is a QVariantMap
// of its attributes, its trimmed character data under "text" (when there is any) and
// its children under their names; a repeated child name becomes a QVariantList in
// document order. The document is a one-entry map: root name -> root dictionary.
// Reading takes time linear in the size of the document.
#include <QByteArray>
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

    // An empty map when parsing fails; *error then says why.
    static QVariantMap dictionaryForXMLData(const QByteArray &data, QString *error = nullptr);
    static QVariantMap dictionaryForXMLString(const QString &string, QString *error = nullptr);
    // ResolveExternalEntities is never honoured: a feed must not make us read local files
    // or fetch anything.
    static QVariantMap dictionaryForXMLData(const QByteArray &data, int options, QString *error);
    static QVariantMap dictionaryForXMLString(const QString &string, int options, QString *error);

    // root -> a -> b -> "text" in one call; a null string when any step is missing or
    // not a single dictionary.
    static QString textAt(const QVariantMap &document, const QStringList &path);
};
