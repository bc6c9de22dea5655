#pragma once

#include <QIcon>
#include <QImage>

namespace melvanta {

// The program's icon: a clock face, drawn at the sizes docks, title bars
// and the notification area ask for.
QIcon programIcon();
// The same clock face as one picture of `size` × `size` pixels (for the
// icon theme an installed copy brings).
QImage programIconImage(int size);

} // namespace melvanta
