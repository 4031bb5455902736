#include "net/xmlreader.h"

#include <QList>
#include <QXmlStreamReader>

namespace {
struct Frame {
    QString name;
    QVariantMap dict;
    QString text;
};

void storeChild(QVariantMap &parent, const QString &name, const QVariantMap &child)
{
    auto it = parent.find(name);
    if (it == parent.end()) {
        parent.insert(name, child);
    } else if (it->typeId() == QMetaType::QVariantList) {
        QVariantList list = it->toList();
        list.append(child);
        *it = list;
    } else {
        *it = QVariantList{*it, child};
    }
}
} // namespace

QVariantMap XMLReader::dictionaryForXMLData(const QByteArray &data, QString *error)
{
    return dictionaryForXMLData(data, 0, error);
}

QVariantMap XMLReader::dictionaryForXMLString(const QString &string, QString *error)
{
    return dictionaryForXMLData(string.toUtf8(), 0, error);
}

QVariantMap XMLReader::dictionaryForXMLString(const QString &string, int options, QString *error)
{
    return dictionaryForXMLData(string.toUtf8(), options, error);
}

QVariantMap XMLReader::dictionaryForXMLData(const QByteArray &data, int options, QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QVariantMap();
    };
    if (data.size() > kMaxDocumentSize)
        return fail(QStringLiteral("document too large"));

    QXmlStreamReader xml(data);
    xml.setNamespaceProcessing(options & ProcessNamespaces);
    const bool prefixes = options & ReportNamespacePrefixes;

    QList<Frame> stack{Frame{}};
    int depth = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            // Entity declarations could expand into huge texts; a feed has no use for them.
            if (!xml.entityDeclarations().isEmpty())
                return fail(QStringLiteral("entity declarations are not accepted"));
            break;
        case QXmlStreamReader::StartElement: {
            if (++depth > 256)
                return fail(QStringLiteral("document nested too deeply"));
            Frame f;
            f.name = (prefixes || !(options & ProcessNamespaces)) ? xml.qualifiedName().toString()
                                                                  : xml.name().toString();
            for (const QXmlStreamAttribute &a : xml.attributes())
                f.dict.insert(a.qualifiedName().toString(), a.value().toString());
            stack.append(f);
            break;
        }
        case QXmlStreamReader::Characters:
            stack.last().text += xml.text();
            break;
        case QXmlStreamReader::EntityReference:
            // An entity the reader could not expand (external or undeclared).
            return fail(QStringLiteral("unresolved entity reference"));
        case QXmlStreamReader::EndElement: {
            --depth;
            Frame f = stack.takeLast();
            const QString trimmed = f.text.trimmed();
            if (!trimmed.isEmpty())
                f.dict.insert(QStringLiteral("text"), trimmed);
            storeChild(stack.last().dict, f.name, f.dict);
            break;
        }
        default:
            break;
        }
    }
    if (xml.hasError())
        return fail(xml.errorString());
    if (stack.size() != 1 || stack.first().dict.isEmpty())
        return fail(QStringLiteral("no document element"));
    return stack.first().dict;
}

QString XMLReader::textAt(const QVariantMap &document, const QStringList &path)
{
    QVariant node = document;
    for (const QString &step : path) {
        if (node.typeId() != QMetaType::QVariantMap)
            return {};
        node = node.toMap().value(step);
    }
    if (node.typeId() != QMetaType::QVariantMap)
        return {};
    return node.toMap().value(QStringLiteral("text")).toString();
}
