#pragma once
// Fonts are asked for by family name, like bundle fonts. "MSYH" is not shipped with the
// program, so a family that the system does not have falls back to a free CJK-capable
// family (Noto Sans CJK), then to the platform's default sans serif.
#include <QFont>
#include <QString>

QFont fontNamed(const QString &family, qreal pointSize);
// True when the system has a family of exactly that name.
bool fontFamilyAvailable(const QString &family);
