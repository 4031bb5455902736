#include "net/xmlreader.h"

#include <QHash>
#include <QList>
#include <QXmlStreamReader>

#include "core/xmllimits.h"

namespace {
struct Frame {
    QString name;
    QVariantMap dict; // attributes
    // Children by name, each list in document order. Kept apart from dict until the
    // element ends, so that a thousand repeated children cost a thousand appends and
    // not a thousand list copies.
    QHash<QString, QVariantList> children;
    QString text;
};

QVariantMap finish(Frame &f)
{
    for (auto it = f.children.begin(); it != f.children.end(); ++it) {
        QVariantList &list = it.value();
        // An attribute of the same name is the first of the entries, as if it came first.
        const auto attribute = f.dict.constFind(it.key());
        if (attribute != f.dict.cend())
            list.prepend(*attribute);
        f.dict.insert(it.key(), list.size() == 1 ? list.first() : QVariant(std::move(list)));
    }
    const QString trimmed = f.text.trimmed();
    if (!trimmed.isEmpty())
        f.dict.insert(QStringLiteral("text"), trimmed);
    return std::move(f.dict);
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

QVariantMap XMLReader::dictionaryForXMLData(const QByteArray &data, int options, QString *error,
                                            QDeadlineTimer deadline)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return QVariantMap();
    };
    if (deadline.hasExpired())
        return fail(QStringLiteral("took too long"));
    QString refused;
    if (!XmlLimits::check(data, {kMaxDocumentSize, kMaxAttributes, kMaxElements, kMaxDepth}, &refused))
        return fail(refused);

    QXmlStreamReader xml(data);
    xml.setNamespaceProcessing(options & ProcessNamespaces);
    const bool prefixes = options & ReportNamespacePrefixes;

    QList<Frame> stack{Frame{}};
    int depth = 0;
    int elements = 0;
    int tokens = 0;
    while (!xml.atEnd()) {
        if ((++tokens & 255) == 0 && deadline.hasExpired())
            return fail(QStringLiteral("took too long"));
        switch (xml.readNext()) {
        case QXmlStreamReader::DTD:
            // Entity declarations could expand into huge texts; a feed has no use for them.
            if (!xml.entityDeclarations().isEmpty())
                return fail(QStringLiteral("entity declarations are not accepted"));
            break;
        case QXmlStreamReader::StartElement: {
            if (++depth > kMaxDepth)
                return fail(QStringLiteral("document nested too deeply"));
            if (++elements > kMaxElements)
                return fail(QStringLiteral("too many elements"));
            Frame f;
            f.name = (prefixes || !(options & ProcessNamespaces)) ? xml.qualifiedName().toString()
                                                                  : xml.name().toString();
            for (const QXmlStreamAttribute &a : xml.attributes())
                f.dict.insert(a.qualifiedName().toString(), a.value().toString());
            stack.append(std::move(f));
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
            stack.last().children[f.name].append(finish(f));
            break;
        }
        default:
            break;
        }
    }
    if (xml.hasError())
        return fail(xml.errorString());
    if (stack.size() != 1 || stack.first().children.isEmpty())
        return fail(QStringLiteral("no document element"));
    return finish(stack.first());
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
