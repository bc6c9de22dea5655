#include "display/MenuHost.h"

namespace melvanta {

MenuHost::MenuHost(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Frm_black"));
}

} // namespace melvanta
