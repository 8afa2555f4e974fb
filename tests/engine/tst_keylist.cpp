// The in-memory key list behind secondary orders, against a plain sorted vector: after
// every batch of random inserts and removals (enough to split chunks, empty them and join
// them), every position, bound and prefix test must give what the vector gives; and the
// byte comparisons of index walks against memcmp.

#include <QtTest>

#include "engine/KeyBytes.h"
#include "engine/KeyList.h"

#include <algorithm>
#include <random>

using engine::KeyList;

namespace {

class Oracle {
public:
    explicit Oracle(size_t width) { m_list.reset(width); }

    void insert(const std::string& key) {
        m_list.insert(key);
        m_keys.insert(std::lower_bound(m_keys.begin(), m_keys.end(), key), key);
    }
    bool erase(const std::string& key) {
        const auto at = std::lower_bound(m_keys.begin(), m_keys.end(), key);
        const bool present = at != m_keys.end() && *at == key;
        if (present)
            m_keys.erase(at);
        return m_list.erase(key) == present;
    }
    void rebuildByAppending(std::mt19937& rng) {
        std::vector<std::string> shuffled = m_keys;
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        m_list.reset(m_list.width());
        for (const std::string& k : shuffled)
            m_list.append(k);
        m_list.sort();
    }

    // Empty when the list agrees with the vector everywhere; otherwise the first difference.
    QString disagreement(const std::vector<std::string>& probes) const {
        if (m_list.size() != m_keys.size() || m_list.empty() != m_keys.empty())
            return QString("size %1, expected %2").arg(m_list.size()).arg(m_keys.size());
        if (!m_list.isSorted())
            return "list says it is unsorted";
        for (size_t i = 0; i < m_keys.size(); ++i)
            if (m_list[i] != m_keys[i])
                return QString("key at %1").arg(i);
        for (const std::string& probe : probes)
            if (QString d = boundsDisagree(probe); !d.isEmpty())
                return d + " for probe " + QString::fromStdString(probe);
        return {};
    }

private:
    QString boundsDisagree(const std::string& probe) const {
        const auto below = [&](const std::string& k, const std::string& p) {
            return k.compare(0, p.size(), p) < 0;
        };
        const auto above = [&](const std::string& p, const std::string& k) {
            return k.compare(0, p.size(), p) > 0;
        };
        const size_t lower =
            size_t(std::lower_bound(m_keys.begin(), m_keys.end(), probe, below) - m_keys.begin());
        const size_t upper =
            size_t(std::upper_bound(m_keys.begin(), m_keys.end(), probe, above) - m_keys.begin());
        if (m_list.lowerBound(probe) != lower || m_list.upperBound(probe) != upper)
            return "bounds";
        const size_t lo = lower / 2, hi = std::min(m_keys.size(), upper + 3);
        if (m_list.lowerBound(probe, lo, hi) != std::clamp(lower, lo, hi) ||
            m_list.lowerBound(probe, upper + 1, hi) != upper + 1)
            return "bounds within a range";
        if (lower < m_keys.size() && m_list.startsWith(lower, probe) != (lower < upper))
            return "prefix test";
        return {};
    }

    KeyList m_list;
    std::vector<std::string> m_keys;
};

std::string randomKey(std::mt19937& rng, size_t width, size_t length) {
    std::string key(width, '\0');
    for (size_t i = 0; i < length; ++i)
        key[i] = char('a' + rng() % 4); // few letters: many equal keys and shared prefixes
    if (rng() % 2)                      // else a blank tail: equal keys too
        for (size_t i = length; i < width; ++i)
            key[i] = char(rng() % 256);
    return key;
}

} // namespace

class TestKeyList : public QObject {
    Q_OBJECT
private slots:
    void agreesWithSortedVector_data() {
        QTest::addColumn<int>("width");
        QTest::newRow("narrow keys, large chunks") << 6;
        QTest::newRow("wide keys, chunks of a few keys") << 300;
    }

    void agreesWithSortedVector() {
        QFETCH(int, width);
        const size_t w = size_t(width);
        std::mt19937 rng{uint32_t(width)};
        Oracle oracle(w);
        std::vector<std::string> inserted;
        // Grow, shrink to almost nothing, grow again, each phase mixing both operations.
        for (const int phase : {1, -1, 1}) {
            for (int batch = 0; batch < 12; ++batch) {
                for (int op = 0; op < 400; ++op) {
                    const bool grow = int(rng() % 8) < (phase > 0 ? 6 : 1);
                    if (grow || inserted.empty()) {
                        inserted.push_back(randomKey(rng, w, 1 + rng() % 3));
                        oracle.insert(inserted.back());
                    } else {
                        const size_t pick = rng() % inserted.size();
                        const std::string gone = rng() % 16 ? inserted[pick] : randomKey(rng, w, 3);
                        QVERIFY2(oracle.erase(gone), "erase disagrees on a key's presence");
                        if (gone == inserted[pick]) {
                            inserted[pick] = inserted.back();
                            inserted.pop_back();
                        }
                    }
                }
                std::vector<std::string> probes;
                for (int p = 0; p < 24; ++p)
                    probes.push_back(randomKey(rng, w, 1 + rng() % 3).substr(0, 1 + rng() % 3));
                probes.push_back(randomKey(rng, w, 3));
                const QString d = oracle.disagreement(probes);
                QVERIFY2(d.isEmpty(), qPrintable(d));
            }
            oracle.rebuildByAppending(rng);
            QVERIFY2(oracle.disagreement({}).isEmpty(), "sorting appended keys");
        }
    }

    // The word-at-a-time comparisons index walks use order keys as memcmp does, whatever
    // the bytes (0x00, 0x7F, 0x80, 0xFF around every word boundary) and lengths.
    void keyBytesOrderAsMemcmp() {
        std::mt19937 rng{7};
        const char alphabet[] = {'\x00', '\x01', 'A', 'a', '\x7f', '\x80', '\xfe', '\xff'};
        const auto make = [&] {
            std::string k(rng() % 20, '\0');
            for (char& c : k)
                c = alphabet[rng() % sizeof alphabet];
            return k;
        };
        const auto sign = [](int c) { return (c > 0) - (c < 0); };
        for (int i = 0; i < 20000; ++i) {
            std::string a = make(), b = i % 3 ? make() : a;
            if (i % 5 == 0 && !b.empty())
                b[rng() % b.size()] ^= char(1 << (rng() % 8)); // differs in one bit
            const std::string_view x = a, y = b;
            QCOMPARE(sign(engine::keybytes::compare(x, y)), sign(x.compare(y)));
            QCOMPARE(engine::keybytes::same(x, y), x == y);
            if (engine::keybytes::prefix(x) < engine::keybytes::prefix(y))
                QVERIFY(x < y);
        }
    }
};

QTEST_GUILESS_MAIN(TestKeyList)
#include "tst_keylist.moc"
