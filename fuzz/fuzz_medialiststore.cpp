// The media list reader on arbitrary bytes: what parse accepts must survive a write and a
// second read unchanged.
#include <cstdint>
#include <cstdlib>

#include <QByteArray>
#include <QList>

#include "library/medialiststore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QList<MFileModel> records;
    if (!MediaListStore::parse(bytes, &records))
        return 0;
    QList<MFileModel> again;
    if (!MediaListStore::parse(MediaListStore::serialize(records), &again) || again.size() != records.size())
        std::abort();
    for (qsizetype i = 0; i < records.size(); ++i) {
        if (again[i].fName != records[i].fName || again[i].fLocalPath != records[i].fLocalPath)
            std::abort();
    }
    return 0;
}
