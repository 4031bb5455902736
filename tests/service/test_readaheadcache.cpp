#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "service/readaheadcache.h"

namespace {

// A recording in memory, counting the fetches made of it.
struct Source {
    QByteArray bytes;
    int fetches = 0;
    qint64 shortBy = 0;   // each fetch returns this many bytes fewer
    bool failing = false;

    explicit Source(int size)
    {
        for (int i = 0; i < size; ++i)
            bytes.append(char((i * 131 + i / 7) & 0xFF));
    }
    ReadAheadCache::Fetch fetch()
    {
        return [this](qint64 offset, qint64 length) -> std::optional<QByteArray> {
            ++fetches;
            if (failing)
                return std::nullopt;
            return bytes.mid(offset, std::max<qint64>(0, length - shortBy));
        };
    }
};

} // namespace

TEST(ReadAheadCache, EveryReadGivesTheRecordingsBytes)
{
    Source source(300000);
    ReadAheadCache cache(4096, 8);
    cache.reset(source.bytes.size());
    std::mt19937 random(7);
    std::vector<char> buffer(70000);
    for (int i = 0; i < 2000; ++i) {
        const qint64 offset = random() % (source.bytes.size() + 100);
        const qint64 length = 1 + random() % (i % 10 == 0 ? 60000 : 300);
        const qint64 n = cache.read(buffer.data(), offset, length, source.fetch());
        const qint64 expected = std::max<qint64>(0, std::min<qint64>(length, source.bytes.size() - offset));
        ASSERT_EQ(n, expected) << offset << " " << length;
        ASSERT_EQ(QByteArray(buffer.data(), n), source.bytes.mid(offset, n)) << offset << " " << length;
        ASSERT_LE(cache.cachedBlocks(), 8);
    }
}

TEST(ReadAheadCache, NearbySmallReadsShareOneFetch)
{
    Source source(1 << 20);
    ReadAheadCache cache(65536, 32);
    cache.reset(source.bytes.size());
    char buffer[16];
    // An atom walk: headers at the start, then at the end of the file.
    for (qint64 offset : {0, 8, 32, 40, 1000, 60000})
        ASSERT_EQ(cache.read(buffer, offset, 8, source.fetch()), 8);
    EXPECT_EQ(source.fetches, 1);
    for (qint64 offset : {(1 << 20) - 5000, (1 << 20) - 4000, (1 << 20) - 16})
        ASSERT_EQ(cache.read(buffer, offset, 16, source.fetch()), 16);
    EXPECT_EQ(source.fetches, 2);
    // A read across a block boundary fetches only the missing block.
    ASSERT_EQ(cache.read(buffer, 65536 - 4, 8, source.fetch()), 8);
    EXPECT_EQ(source.fetches, 3);
    EXPECT_EQ(QByteArray(buffer, 8), source.bytes.mid(65532, 8));
}

TEST(ReadAheadCache, ShortOrFailedFetchesAreNotKept)
{
    Source source(10000);
    ReadAheadCache cache(1024, 4);
    cache.reset(source.bytes.size());
    char buffer[100];
    source.failing = true;
    EXPECT_EQ(cache.read(buffer, 0, 100, source.fetch()), -1);
    source.failing = false;
    source.shortBy = 10;
    EXPECT_EQ(cache.read(buffer, 0, 100, source.fetch()), -1);
    EXPECT_EQ(cache.cachedBlocks(), 0);
    source.shortBy = 0;
    EXPECT_EQ(cache.read(buffer, 0, 100, source.fetch()), 100);
    EXPECT_EQ(QByteArray(buffer, 100), source.bytes.left(100));
    // The recording's last block is short by nature and is kept.
    EXPECT_EQ(cache.read(buffer, 9990, 100, source.fetch()), 10);
    const int fetches = source.fetches;
    EXPECT_EQ(cache.read(buffer, 9995, 5, source.fetch()), 5);
    EXPECT_EQ(source.fetches, fetches);
}

TEST(ReadAheadCache, ResetForgetsTheOldRecording)
{
    Source first(5000), second(5000);
    second.bytes.fill('z');
    ReadAheadCache cache(1024, 4);
    char buffer[10];
    cache.reset(first.bytes.size());
    ASSERT_EQ(cache.read(buffer, 0, 10, first.fetch()), 10);
    cache.reset(second.bytes.size());
    ASSERT_EQ(cache.read(buffer, 0, 10, second.fetch()), 10);
    EXPECT_EQ(QByteArray(buffer, 10), QByteArray(10, 'z'));
    EXPECT_EQ(cache.read(buffer, -1, 10, second.fetch()), -1);
    EXPECT_EQ(cache.read(buffer, 0, 0, second.fetch()), -1);
    EXPECT_EQ(cache.read(buffer, 5000, 10, second.fetch()), 0);
}
