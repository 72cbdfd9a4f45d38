#include "db/RowCache.h"

#include <QTest>

using vemtaro::db::RowCache;
using Keys = QList<qint64>;

namespace {
// Inserts keys 1, 2 and 3 in that order.
void insertThree(RowCache& cache)
{
    for (qint64 key : {1, 2, 3})
        cache.insert(key, {QVariant(key)});
}

// The keys out of 0 to 9 that `cache` holds.
Keys cachedKeys(RowCache& cache)
{
    Keys keys;
    for (qint64 key = 0; key < 10; ++key)
        if (cache.find(key))
            keys << key;
    return keys;
}
} // namespace

class TestRowCache : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void evictsTheLeastRecentlyUsed()
    {
        RowCache cache(3);
        insertThree(cache);
        cache.find(1);
        cache.find(9); // a miss changes nothing
        cache.insert(4, {QVariant(4)});
        QCOMPARE(cachedKeys(cache), (Keys{1, 3, 4}));
    }

    void neverHoldsMoreThanItsCapacity()
    {
        RowCache cache(64);
        for (qint64 key = 0; key < 10000; ++key) {
            cache.insert(key, {QVariant(key)});
            if (key % 3 == 0)
                cache.find(key / 2); // mixes hits and misses into the order
        }
        QCOMPARE(cache.size(), std::size_t(64));
        QVERIFY(cache.find(9999) && !cache.find(0));
    }

    void replacesAndForgets()
    {
        RowCache cache(3);
        insertThree(cache);
        cache.insert(1, {QVariant(QStringLiteral("después"))});
        QCOMPARE(cache.find(1)->front().toString(), QStringLiteral("después"));
        cache.remove(2);
        cache.remove(42); // not cached: nothing happens
        // The freed place is used before anything is evicted.
        cache.insert(5, {QVariant(5)});
        QCOMPARE(cachedKeys(cache), (Keys{1, 3, 5}));
        cache.clear();
        QCOMPARE(cachedKeys(cache), Keys());
    }
};

QTEST_GUILESS_MAIN(TestRowCache)
#include "tst_rowcache.moc"
