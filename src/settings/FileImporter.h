#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace melvanta {

// What an import button brings in: a phase sound, the LOGO picture or a
// background picture (the filters differ).
enum class ImportTarget
{
    Sound,
    Logo,
    Background
};

// Asks for a file with the import chooser, starting in the program's
// "sounds" or "picture" folder, and brings it in. Returns the bare name the
// box takes; nothing when the box keeps its name (cancelled, a shortcut
// chosen, or refused — each of which says so, except the shortcut).
std::optional<QString> askAndImport(ImportTarget target, QWidget* parent);

} // namespace melvanta
