#include "settings/AppearanceChoices.h"

#include <algorithm>
#include <vector>

namespace melvanta {

namespace {

struct SizeRange
{
    int first;
    int last;
    int step;
};

SizeRange sizeRange(int row)
{
    switch (row) {
    case 2:
        return {100, 450, 10};
    case 4:
    case 5:
        return {30, 120, 5};
    default:
        return {50, 230, 5};
    }
}

std::vector<int> sizes(int row)
{
    const SizeRange range = sizeRange(row);
    std::vector<int> list;
    for (int points = range.first; points <= range.last; points += range.step)
        list.push_back(points);
    return list;
}

} // namespace

QStringList appearanceRowNames()
{
    return {QStringLiteral("主标题"), QStringLiteral("副标题"),   QStringLiteral("时间"),
            QStringLiteral("天数"),   QStringLiteral("提示文字"), QStringLiteral("动态文本")};
}

QStringList preferredFonts()
{
    return {QStringLiteral("Arial Black"), QStringLiteral("Trebuchet MS"), QStringLiteral("Arial"),
            QStringLiteral("新宋体"),      QStringLiteral("微软雅黑"),     QStringLiteral("华文楷体"),
            QStringLiteral("黑体")};
}

QStringList fontChoices(int row, bool programBringsFonts, const QStringList& installedFamilies)
{
    if (row == kDateLineRow || programBringsFonts)
        return preferredFonts();
    QStringList fonts;
    for (const QString& family : installedFamilies)
        if (!family.contains(QLatin1Char('@')))
            fonts << family;
    return fonts;
}

QStringList sizeChoices(int row)
{
    QStringList list;
    for (int points : sizes(row))
        list << QString::number(points);
    return list;
}

int steppedSize(int row, int current, int step)
{
    const std::vector<int> list = sizes(row);
    if (step > 0) {
        const auto next = std::upper_bound(list.begin(), list.end(), current);
        return next == list.end() ? list.back() : *next;
    }
    const auto at = std::lower_bound(list.begin(), list.end(), current);
    return at == list.begin() ? list.front() : *(at - 1);
}

} // namespace melvanta
