#include "db/RowCache.h"

#include <QTest>

using namespace vemtaro::db;

namespace {
RowCache::Row row(const QString& text)
{
    return {QVariant(text)};
}

QString cached(RowCache& cache, qint64 key)
{
    const RowCache::Row* found = cache.find(key);
    return found ? found->front().toString() : QStringLiteral("<none>");
}
} // namespace

class TestRowCache : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findsWhatWasInserted();
    void insertReplacesTheRowOfAKey();
    void evictsTheLeastRecentlyUsed_data();
    void evictsTheLeastRecentlyUsed();
    void neverHoldsMoreThanItsCapacity();
    void removeAndClearForget();
};

void TestRowCache::findsWhatWasInserted()
{
    RowCache cache(4);
    QCOMPARE(cache.find(7), nullptr);
    cache.insert(7, {QVariant(QStringLiteral("MESA")), QVariant(), QVariant(10)});
    const RowCache::Row* found = cache.find(7);
    QVERIFY(found);
    QCOMPARE(found->size(), std::size_t(3));
    QCOMPARE(found->at(0).toString(), QStringLiteral("MESA"));
    QVERIFY(found->at(1).isNull());
    QCOMPARE(found->at(2).toInt(), 10);
    QCOMPARE(cache.find(8), nullptr);
}

void TestRowCache::insertReplacesTheRowOfAKey()
{
    RowCache cache(2);
    cache.insert(1, row(QStringLiteral("antes")));
    cache.insert(1, row(QStringLiteral("después")));
    QCOMPARE(cache.size(), std::size_t(1));
    QCOMPARE(cached(cache, 1), QStringLiteral("después"));
}

void TestRowCache::evictsTheLeastRecentlyUsed_data()
{
    // With capacity 3, keys 1, 2, 3 are inserted; then `touched` keys are looked up or
    // re-inserted; inserting key 4 must then evict `evicted` and keep the others.
    QTest::addColumn<QList<qint64>>("touched");
    QTest::addColumn<bool>("touchByInsert");
    QTest::addColumn<qint64>("evicted");
    QTest::newRow("untouched: oldest goes") << QList<qint64>{} << false << qint64(1);
    QTest::newRow("found oldest survives") << QList<qint64>{1} << false << qint64(2);
    QTest::newRow("found 1 and 2") << QList<qint64>{1, 2} << false << qint64(3);
    QTest::newRow("re-inserted oldest survives") << QList<qint64>{1} << true << qint64(2);
    QTest::newRow("looking up a missing key changes nothing")
        << QList<qint64>{9} << false << qint64(1);
}

void TestRowCache::evictsTheLeastRecentlyUsed()
{
    QFETCH(QList<qint64>, touched);
    QFETCH(bool, touchByInsert);
    QFETCH(qint64, evicted);
    RowCache cache(3);
    for (qint64 key : {1, 2, 3})
        cache.insert(key, row(QString::number(key)));
    for (qint64 key : touched) {
        if (touchByInsert)
            cache.insert(key, row(QString::number(key)));
        else
            cache.find(key);
    }
    cache.insert(4, row(QStringLiteral("4")));
    QCOMPARE(cache.size(), std::size_t(3));
    for (qint64 key : {1, 2, 3, 4})
        QCOMPARE(cache.find(key) == nullptr, key == evicted);
}

void TestRowCache::neverHoldsMoreThanItsCapacity()
{
    RowCache cache(64);
    for (qint64 key = 0; key < 10000; ++key) {
        cache.insert(key, row(QString::number(key)));
        if (key % 3 == 0)
            cache.find(key / 2); // mixes hits and misses into the order
    }
    QCOMPARE(cache.size(), std::size_t(64));
    QCOMPARE(cached(cache, 9999), QStringLiteral("9999"));
    QCOMPARE(cache.find(0), nullptr);
}

void TestRowCache::removeAndClearForget()
{
    RowCache cache(3);
    for (qint64 key : {1, 2, 3})
        cache.insert(key, row(QString::number(key)));
    cache.remove(2);
    cache.remove(42); // not cached: nothing happens
    QCOMPARE(cache.size(), std::size_t(2));
    QCOMPARE(cache.find(2), nullptr);
    // The freed place is used before anything is evicted.
    cache.insert(5, row(QStringLiteral("5")));
    QCOMPARE(cached(cache, 1), QStringLiteral("1"));
    QCOMPARE(cached(cache, 3), QStringLiteral("3"));
    cache.clear();
    QCOMPARE(cache.size(), std::size_t(0));
    QCOMPARE(cache.find(1), nullptr);
    cache.insert(6, row(QStringLiteral("6")));
    QCOMPARE(cached(cache, 6), QStringLiteral("6"));
}

QTEST_GUILESS_MAIN(TestRowCache)
#include "tst_rowcache.moc"
