// The update feed reader on arbitrary bytes, with and without namespace processing; a
// document it accepts is walked the way the update check reads it.
#include <cstdint>

#include <QByteArray>
#include <QStringList>

#include "net/xmlreader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const int options = data[0] & (XMLReader::ProcessNamespaces | XMLReader::ReportNamespacePrefixes |
                                   XMLReader::ResolveExternalEntities);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QString error;
    const QVariantMap document = XMLReader::dictionaryForXMLData(bytes, options, &error);
    if (!document.isEmpty()) {
        const QString root = document.firstKey();
        XMLReader::textAt(document, {root, QStringLiteral("version")});
        XMLReader::textAt(document, {root, QStringLiteral("item"), QStringLiteral("url")});
    }
    return 0;
}
