// Hostile inputs that once cost seconds on the GUI thread: a 1 MiB feed of repeated
// elements, and a stored media list of 40 000 records with repeats. The peer rows run
// the earlier way (a list copied for each repeated child; a scan of the list for each
// record) on the same input, so the ratio is measured in one run.
#include <benchmark/benchmark.h>

#include <QSet>
#include <QVariantMap>

#include "library/medialiststore.h"
#include "net/xmlreader.h"

namespace {
QByteArray repeatedFeed(int elements)
{
    return "<root>" + QByteArray("<i>1</i>").repeated(elements) + "</root>";
}

QList<MFileModel> recordsWithRepeats(int n)
{
    QList<MFileModel> out;
    for (int i = 0; i < n; ++i)
        out.append({QString::number(i % (n / 2)) + ".mp4", "/v/" + QString::number(i % (n / 2)) + ".mp4"});
    return out;
}
} // namespace

// The largest feed the reader accepts (kMaxElements - 1 elements).
static void BM_XmlReaderRepeatedChildren(benchmark::State &state)
{
    const QByteArray feed = repeatedFeed(XMLReader::kMaxElements - 1);
    for (auto _ : state)
        benchmark::DoNotOptimize(XMLReader::dictionaryForXMLData(feed));
}
BENCHMARK(BM_XmlReaderRepeatedChildren)->Unit(benchmark::kMillisecond);

// A 1 MiB feed of 131 000 elements: refused at the cap.
static void BM_XmlReaderRefusesHugeFeed(benchmark::State &state)
{
    const QByteArray feed = repeatedFeed(131000);
    for (auto _ : state)
        benchmark::DoNotOptimize(XMLReader::dictionaryForXMLData(feed));
}
BENCHMARK(BM_XmlReaderRefusesHugeFeed)->Unit(benchmark::kMillisecond);

// Peer: appending to a list held in a map by copying it out and back, per child.
static void BM_PeerCopyPerChild(benchmark::State &state)
{
    const int n = XMLReader::kMaxElements - 1;
    for (auto _ : state) {
        QVariantMap parent;
        for (int i = 0; i < n; ++i) {
            auto it = parent.find(QStringLiteral("i"));
            if (it == parent.end()) {
                parent.insert(QStringLiteral("i"), QVariantList{QVariantMap{}});
            } else {
                QVariantList list = it->toList();
                list.append(QVariantMap{});
                *it = list;
            }
        }
        benchmark::DoNotOptimize(parent);
    }
}
BENCHMARK(BM_PeerCopyPerChild)->Unit(benchmark::kMillisecond);

static void BM_MediaListParse40k(benchmark::State &state)
{
    const QByteArray text = MediaListStore::serialize(recordsWithRepeats(40000));
    for (auto _ : state) {
        QList<MFileModel> records;
        benchmark::DoNotOptimize(MediaListStore::parse(text, &records));
    }
}
BENCHMARK(BM_MediaListParse40k)->Unit(benchmark::kMillisecond);

// Peer: de-duplication by scanning what is kept so far, per record.
static void BM_PeerScanDedup40k(benchmark::State &state)
{
    const QList<MFileModel> input = recordsWithRepeats(40000);
    for (auto _ : state) {
        QList<MFileModel> result;
        for (const MFileModel &m : input) {
            bool dup = false;
            for (const MFileModel &r : std::as_const(result))
                dup = dup || r.fLocalPath == m.fLocalPath;
            if (!dup)
                result.append(m);
        }
        benchmark::DoNotOptimize(result);
    }
}
BENCHMARK(BM_PeerScanDedup40k)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
