#pragma once

#include <QString>

namespace melvanta {

class RegistryStore;

// `SaveElementPosition`: stores one element's place (twips) under its
// element index, in the profile file section "clocksite" first and then in
// the per-user store, as "pictureleft"N and "picturetop"N. Index 9 holds the
// button state (1 shown, 2 hidden) in its left value.
void SaveElementPosition(int index, int left, int top, const QString& profilePath, RegistryStore& registry);

} // namespace melvanta
