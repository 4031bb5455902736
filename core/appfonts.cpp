#include "core/appfonts.h"

#include <QFontDatabase>
#include <QStringList>

bool fontFamilyAvailable(const QString &family)
{
    return QFontDatabase::families().contains(family, Qt::CaseInsensitive);
}

QFont fontNamed(const QString &family, qreal pointSize)
{
    static const char *const fallbacks[] = {"Noto Sans CJK SC", "Noto Sans CJK JP", "Noto Sans CJK"};
    QString chosen;
    if (fontFamilyAvailable(family)) {
        chosen = family;
    } else {
        for (const char *f : fallbacks) {
            if (fontFamilyAvailable(QString::fromLatin1(f))) {
                chosen = QString::fromLatin1(f);
                break;
            }
        }
    }
    QFont font;
    if (!chosen.isEmpty())
        font.setFamily(chosen);
    else
        font.setStyleHint(QFont::SansSerif);
    if (pointSize > 0)
        font.setPointSizeF(pointSize);
    return font;
}
