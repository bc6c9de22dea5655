#pragma once

#include <QString>
#include <QStringList>

namespace melvanta {

// The rows of the appearance page, in the order of the size field each
// row edits: main title, subtitle, clock, date line ("天数"), prompt,
// dynamic text.
inline constexpr int kAppearanceRows = 6;
inline constexpr int kDateLineRow = 3;

// The row captions "主标题" … "动态文本".
QStringList appearanceRowNames();

// The fonts offered first, in their order.
QStringList preferredFonts();
// The font list of one row: the date line always offers the preferred
// fonts; the other rows offer them alone when the program brings its own
// fonts ("font/Arial Black.ttf" in the program folder), else every
// installed family except the vertical ones (names with "@").
QStringList fontChoices(int row, bool programBringsFonts, const QStringList& installedFamilies);

// The sizes a row offers, in points: the titles and the date line 50 … 230
// in fives, the clock 100 … 450 in tens, the prompt and the dynamic text
// 30 … 120 in fives.
QStringList sizeChoices(int row);
// The size one entry up (`step` > 0) or down the row's list from `current`;
// a size between entries goes to the neighbouring entry, and the ends of
// the list hold.
int steppedSize(int row, int current, int step);

// A typed size is taken when it lies in this range (points).
inline constexpr int kSmallestTypedSize = 8;
inline constexpr int kLargestTypedSize = 1000;

} // namespace melvanta
