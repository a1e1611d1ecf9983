#include "pages.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace reports {

std::vector<QStringList> Page::rows() const
{
    // Keyed by the box's top in hundredths of a millimetre, so texts of one band row meet.
    std::map<long long, std::vector<const TextItem *>> byTop;
    for (const TextItem &t : texts) {
        if (!t.text.trimmed().isEmpty())
            byTop[std::llround(t.box.top() * 100)].push_back(&t);
    }
    std::vector<QStringList> out;
    out.reserve(byTop.size());
    for (auto &[top, items] : byTop) {
        std::stable_sort(items.begin(), items.end(), [](const TextItem *a, const TextItem *b) {
            return a->box.left() < b->box.left();
        });
        QStringList row;
        for (const TextItem *t : items)
            row << t->text;
        out.push_back(row);
    }
    return out;
}

QStringList Page::rowTexts() const
{
    QStringList out;
    for (const QStringList &row : rows())
        out << row.join(QStringLiteral(" | "));
    return out;
}

bool Page::hasText(const QString &text) const
{
    return std::any_of(texts.begin(), texts.end(),
                       [&](const TextItem &t) { return t.text == text; });
}

std::vector<QStringList> PreparedReport::allRows() const
{
    std::vector<QStringList> out;
    for (const Page &p : pages) {
        auto rows = p.rows();
        out.insert(out.end(), rows.begin(), rows.end());
    }
    return out;
}

} // namespace reports
