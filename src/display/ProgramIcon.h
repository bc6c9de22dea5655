#pragma once

#include <QIcon>

namespace melvanta {

// The program's icon: a clock face, drawn at the sizes docks, title bars
// and the notification area ask for.
QIcon programIcon();

} // namespace melvanta
