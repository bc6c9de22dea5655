#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace melvanta {

struct SettingsEntries;

// The "提醒" page: per phase ("开始" … "结束") whether the time flashes,
// the sound file played and whether the prompt text shows, with the text.
class AlertsPage : public QWidget
{
    Q_OBJECT
public:
    explicit AlertsPage(QWidget* parent = nullptr);

    void fill(const SettingsEntries& entries);
    void collect(SettingsEntries& entries) const;

    // `Check2`(0) … (20): the prompt-text switches of the seven phases, then
    // the sound switches, then the flash switches.
    std::array<QCheckBox*, 21> switches{};
    // `Text2`(0) … (6) the prompt texts, (7) … (13) the sound file names.
    std::array<QLineEdit*, 14> texts{};
    QComboBox* previewCombo = nullptr; // `Combo8`
};

} // namespace melvanta
