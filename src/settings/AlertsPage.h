#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

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
    // Simple mode offers four phases to preview: start, the one alarm, overtime and end.
    void setSimpleMode(bool on);
    // The phase (0 start … 6 end) the preview chooser's entry `index` plays.
    int previewPhase(int index) const;

    std::array<QLabel*, 7> phaseLabels{}; // `Label2`(0) … (6)

    // `Check2`(0) … (20): the prompt-text switches of the seven phases, then
    // the sound switches, then the flash switches.
    std::array<QCheckBox*, 21> switches{};
    // `Text2`(0) … (6) the prompt texts, (7) … (13) the sound file names.
    std::array<QLineEdit*, 14> texts{};
    // `Command2`(7) … (13): import the sound of a phase.
    std::array<QPushButton*, 7> soundImports{};
    QComboBox* previewCombo = nullptr; // `Combo8`

Q_SIGNALS:
    // The operator chose the sound of `phase` to listen to.
    void previewRequested(int phase);

private:
    void fillPreviewList();
    bool m_simple = false;
};

} // namespace melvanta
