#include "configuration/Guarded.h"
#include "tests/support/TestMain.h"

#include <QList>
#include <QMap>
#include <atomic>
#include <thread>
#include <vector>

namespace {

// Two entries written together by every update; a copy from get() must show
// them equal and never older than the copy before. Returns the copies that
// did not, after kWrites updates raced by two readers.
template <typename Container>
int torn(Guarded<Container> &store, void (*write)(Container &, int))
{
    constexpr int kWrites = 20000;
    std::atomic<bool> done{false};
    std::atomic<int> bad{0};
    const auto reader = [&] {
        int last = 0;
        while (!done.load()) {
            // Read after the lock is gone, as the facades' getters do.
            const Container copy = store.get();
            const int first = copy.value(0), second = copy.value(1);
            if (first != second || first < last)
                ++bad;
            last = first;
        }
    };
    std::vector<std::thread> readers;
    for (int i = 0; i < 2; ++i)
        readers.emplace_back(reader);
    for (int i = 1; i <= kWrites; ++i) {
        store.update([&](Container &c) {
            write(c, i);
            return true;
        });
    }
    done = true;
    for (std::thread &t : readers)
        t.join();
    return bad.load() + (store.get().value(0) == kWrites ? 0 : 1);
}

} // namespace

class TestGuarded : public QObject
{
    Q_OBJECT
private slots:
    // Containers changed in place by update() while copies handed out by
    // get() are read on other threads (under ThreadSanitizer: no race).
    void copiesStayWhileUpdated_data()
    {
        QTest::addColumn<bool>("list");
        QTest::newRow("map") << false;
        QTest::newRow("list") << true;
    }
    void copiesStayWhileUpdated()
    {
        QFETCH(bool, list);
        int bad = 0;
        if (list) {
            Guarded<QList<int>> store(QList<int>{0, 0});
            bad = torn<QList<int>>(store, [](QList<int> &l, int i) { l[0] = l[1] = i; });
        } else {
            using Map = QMap<int, int>;
            Guarded<Map> store;
            bad = torn<Map>(store, [](Map &m, int i) {
                m.insert(0, i);
                m.insert(1, i);
            });
        }
        QCOMPARE(bad, 0);
    }

    // An update that says it changed nothing leaves the value as it was,
    // whatever it did to the copy it was given.
    void refusedUpdateKeepsValue()
    {
        Guarded<QMap<int, int>> store(QMap<int, int>{{1, 1}});
        const QMap<int, int> before = store.get();
        QVERIFY(!store.update([](QMap<int, int> &m) {
            m.insert(2, 2);
            return false;
        }));
        QCOMPARE(store.get(), before);
        QVERIFY(store.update([](QMap<int, int> &m) {
            m.insert(2, 2);
            return true;
        }));
        QCOMPARE(store.get(), (QMap<int, int>{{1, 1}, {2, 2}}));
        QCOMPARE(before, (QMap<int, int>{{1, 1}}));
    }
};

DRAVO_TEST_MAIN(TestGuarded)
#include "tst_guarded.moc"
