#include "core/xmllimits.h"

namespace {
bool fail(QString *error, const char *why)
{
    if (error)
        *error = QString::fromLatin1(why);
    return false;
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The value of encoding="..." in an XML declaration <?xml ... ?>, lower case; empty
// when there is none.
QByteArray declaredEncoding(QByteArrayView declaration)
{
    const qsizetype at = declaration.indexOf(QByteArrayView("encoding"));
    if (at < 0)
        return {};
    qsizetype i = at + 8;
    while (i < declaration.size() && (isSpace(declaration[i]) || declaration[i] == '='))
        ++i;
    if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\''))
        return {};
    const char quote = declaration[i];
    const qsizetype end = declaration.indexOf(quote, i + 1);
    if (end < 0)
        return {};
    return declaration.sliced(i + 1, end - i - 1).toByteArray().toLower();
}
} // namespace

bool XmlLimits::check(QByteArrayView data, const Caps &caps, QString *error)
{
    if (data.size() > caps.maxBytes)
        return fail(error, "document too large");
    if (data.contains('\0'))
        return fail(error, "document not in an ASCII-compatible encoding");
    if (data.startsWith("<?xml")) {
        const qsizetype end = data.indexOf(QByteArrayView("?>"));
        const QByteArray encoding = declaredEncoding(data.first(end < 0 ? data.size() : end));
        if (!encoding.isEmpty() && encoding != "utf-8" && encoding != "utf8" && encoding != "us-ascii"
            && encoding != "iso-8859-1" && encoding != "latin1")
            return fail(error, "document encoding not accepted");
    }

    const qsizetype n = data.size();
    int elements = 0;
    int depth = 0;
    qsizetype i = 0;
    // Skips to just past the next occurrence of token; false when there is none.
    const auto skipPast = [&](QByteArrayView token) {
        const qsizetype at = data.indexOf(token, i);
        if (at < 0)
            return false;
        i = at + token.size();
        return true;
    };
    while (i < n) {
        const qsizetype open = data.indexOf('<', i);
        if (open < 0)
            break;
        i = open + 1;
        if (i >= n)
            break; // the reader reports the broken end itself
        const char c = data[i];
        if (c == '?') {
            if (!skipPast("?>"))
                break;
        } else if (c == '!') {
            const QByteArrayView rest = data.sliced(i);
            if (rest.startsWith("!--")) {
                if (!skipPast("-->"))
                    break;
            } else if (rest.startsWith("![CDATA[")) {
                if (!skipPast("]]>"))
                    break;
            } else {
                // A declaration: <!DOCTYPE name PUBLIC "..." "..."> with no internal subset.
                // Quoted identifiers may hold '>' or '['; markup does not start in them.
                char quote = 0;
                for (; i < n; ++i) {
                    const char d = data[i];
                    if (quote) {
                        if (d == quote)
                            quote = 0;
                    } else if (d == '"' || d == '\'') {
                        quote = d;
                    } else if (d == '[') {
                        return fail(error, "internal DTD subsets are not accepted");
                    } else if (d == '>') {
                        break;
                    }
                }
            }
        } else if (c == '/') {
            --depth;
            if (!skipPast(">"))
                break;
        } else {
            if (++elements > caps.maxElements)
                return fail(error, "too many elements");
            // Each attribute has one quoted value: counting the values outside quotes
            // bounds the attributes the reader will compare, well-formed or not.
            int attributes = 0;
            char quote = 0;
            bool closed = false;
            bool empty = false;
            for (; i < n; ++i) {
                const char d = data[i];
                if (quote) {
                    if (d == quote)
                        quote = 0;
                } else if (d == '"' || d == '\'') {
                    quote = d;
                    if (++attributes > caps.maxAttributesPerElement)
                        return fail(error, "too many attributes in one element");
                } else if (d == '>') {
                    closed = true;
                    empty = i > 0 && data[i - 1] == '/';
                    ++i;
                    break;
                }
            }
            if (!closed)
                break;
            if (!empty && ++depth > caps.maxDepth)
                return fail(error, "document nested too deeply");
        }
    }
    return true;
}
