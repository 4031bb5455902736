#pragma once
// A raster tile address in the XYZ ("slippy map") scheme: y grows southwards.
#include <QHashFunctions>
#include <QMetaType>
#include <QString>

struct TileKey {
    int z = 0;
    int x = 0;
    int y = 0;

    bool isValid() const
    {
        if (z < 0 || z > 30)
            return false;
        const int n = 1 << z;
        return x >= 0 && x < n && y >= 0 && y < n;
    }
    QString toString() const { return QStringLiteral("%1-%2-%3").arg(z).arg(x).arg(y); }

    friend bool operator==(const TileKey &a, const TileKey &b)
    {
        return a.z == b.z && a.x == b.x && a.y == b.y;
    }
    friend size_t qHash(const TileKey &k, size_t seed = 0)
    {
        return qHashMulti(seed, k.z, k.x, k.y);
    }
};

Q_DECLARE_METATYPE(TileKey)
