#include "search/name_collation.h"

#include "search/latin_sort_keys.h"

#include <QHash>

#include <algorithm>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

namespace search {

namespace {

struct Collation
{
    explicit Collation(const QCollator &c) : collator(c), latin(c) {}
    QCollator collator;
    LatinSortKeys latin;
};

QLocale collationLocale(const QLocale &locale)
{
    return locale.language() == QLocale::C ? QLocale(QLocale::French, QLocale::France) : locale;
}

// Building the Latin table asks the collator a few thousand questions: once per locale
// and thread.
const Collation &collationFor(const QLocale &locale)
{
    thread_local QHash<QString, std::shared_ptr<const Collation>> cache;
    const QLocale effective = collationLocale(locale);
    const QString name = effective.bcp47Name();
    auto found = cache.constFind(name);
    if (found == cache.constEnd())
        found = cache.insert(name, std::make_shared<const Collation>(listCollator(effective)));
    return **found;
}

// Code-point order; UTF-16 alone would put U+E000..U+FFFF after the supplementary planes.
int compareCodePoints(QStringView a, QStringView b)
{
    const qsizetype common = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < common; ++i) {
        const char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x == y)
            continue;
        const auto rank = [](char16_t u) -> int {
            return u < 0xD800 ? u : u >= 0xE000 ? u - 0x800 : u + 0x2000;
        };
        return rank(x) < rank(y) ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

struct LatinEntry
{
    std::uint64_t head; // first 8 key bytes, big-endian, zero-padded
    std::uint64_t next; // the 8 after them, the same way: names often share a beginning
    std::uint32_t offset;
    std::uint32_t length;
    int index;
};

std::uint64_t keyHead(const std::uint8_t *key, std::uint32_t length)
{
    if (length == 0)
        return 0;
    std::uint8_t bytes[8] = {};
    std::memcpy(bytes, key, std::min<std::uint32_t>(length, 8));
    std::uint64_t head;
    std::memcpy(&head, bytes, 8);
    return std::endian::native == std::endian::little ? __builtin_bswap64(head) : head;
}

} // namespace

QCollator listCollator(const QLocale &locale)
{
    QCollator collator(collationLocale(locale));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

void prepareSorting(const QLocale &locale)
{
    (void)collationFor(locale);
}

void sortNames(QStringList &names, const QLocale &locale)
{
    const qsizetype count = names.size();
    if (count < 2)
        return;
    const Collation &collation = collationFor(locale);
    const QStringList &input = names;

    // Names of Latin letters get the table's keys; the others the collator's own.
    std::vector<std::uint8_t> arena;
    arena.reserve(size_t(count) * 40);
    std::vector<LatinEntry> latin;
    latin.reserve(size_t(count));
    std::vector<int> others;
    for (qsizetype i = 0; i < count; ++i) {
        const size_t offset = arena.size();
        if (collation.latin.isUsable() && collation.latin.appendKey(input[i], arena))
            latin.push_back(
                {0, 0, std::uint32_t(offset), std::uint32_t(arena.size() - offset), int(i)});
        else
            others.push_back(int(i));
    }
    for (LatinEntry &entry : latin) {
        entry.head = keyHead(arena.data() + entry.offset, entry.length);
        entry.next =
            entry.length > 8 ? keyHead(arena.data() + entry.offset + 8, entry.length - 8) : 0;
    }
    std::sort(latin.begin(), latin.end(), [&](const LatinEntry &a, const LatinEntry &b) {
        if (a.head != b.head)
            return a.head < b.head;
        if (a.next != b.next)
            return a.next < b.next;
        if (a.length > 16 && b.length > 16) {
            const std::uint32_t common = std::min(a.length, b.length) - 16;
            const int byBytes =
                std::memcmp(arena.data() + a.offset + 16, arena.data() + b.offset + 16, common);
            if (byBytes != 0)
                return byBytes < 0;
        }
        if (a.length != b.length)
            return a.length < b.length;
        return compareCodePoints(input[a.index], input[b.index]) < 0;
    });

    std::vector<QCollatorSortKey> keys;
    keys.reserve(others.size());
    for (int index : others)
        keys.push_back(collation.collator.sortKey(input[index]));
    std::vector<int> byKey(others.size());
    for (size_t i = 0; i < byKey.size(); ++i)
        byKey[i] = int(i);
    std::sort(byKey.begin(), byKey.end(), [&](int a, int b) {
        const int order = keys[a].compare(keys[b]);
        if (order != 0)
            return order < 0;
        return compareCodePoints(input[others[a]], input[others[b]]) < 0;
    });

    // One order out of the two, through the collator itself.
    const auto before = [&](int a, int b) {
        const int order = collation.collator.compare(input[a], input[b]);
        return order != 0 ? order < 0 : compareCodePoints(input[a], input[b]) < 0;
    };
    std::vector<int> order;
    order.reserve(size_t(count));
    auto next = latin.begin();
    const bool fewOthers = others.size() * std::bit_width(latin.size()) * 2 < latin.size();
    for (int k : byKey) {
        const int other = others[k];
        const auto stop =
            fewOthers
                ? std::partition_point(next, latin.end(),
                                       [&](const LatinEntry &e) { return !before(other, e.index); })
                : std::find_if(next, latin.end(),
                               [&](const LatinEntry &e) { return before(other, e.index); });
        for (; next != stop; ++next)
            order.push_back(next->index);
        order.push_back(other);
    }
    for (; next != latin.end(); ++next)
        order.push_back(next->index);

    QStringList sorted;
    sorted.reserve(count);
    for (int index : order)
        sorted.append(std::move(names[index]));
    names = std::move(sorted);
}

} // namespace search
