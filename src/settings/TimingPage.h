#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;

namespace melvanta {

class NumberBox;
class SpinButtons;
struct SettingsEntries;

// The "计时" page: the total or the due date, the three alarm points, the
// final-seconds count and the overtime limit with their switches, and the
// time format, timing mode and overtime action. The controls keep the
// names the stored dialogs gave them (`Text1_1`, `Check1_5`, `Combo3` …).
class TimingPage : public QWidget
{
    Q_OBJECT
public:
    explicit TimingPage(const QString& programName, QWidget* parent = nullptr);

    void fill(const SettingsEntries& entries);
    void collect(SettingsEntries& entries) const;

    // `Text1`(1) … (13); element 0 is empty.
    std::array<NumberBox*, 14> timeBoxes{};
    std::array<SpinButtons*, 14> timeSpins{};
    // `Check1`(0) … (6).
    std::array<QCheckBox*, 7> switches{};
    std::array<NumberBox*, 3> dateBoxes{};
    QWidget* dateFrame = nullptr;          // `Picture8`
    QWidget* totalFrame = nullptr;         // the total's boxes, replaced by the date when long-term
    QLabel* totalLabel = nullptr;          // `Label1_0`
    QLabel* overtimeMinuteLabel = nullptr; // `Label1_12`
    QLabel* overtimeSecondLabel = nullptr; // `Label1_17`
    QComboBox* formatCombo = nullptr;      // `Combo1`
    QComboBox* modeCombo = nullptr;        // `Combo2`
    QComboBox* actionCombo = nullptr;      // `Combo3`

    // The "分"/"秒" label after time box `index`.
    QLabel* unitLabel(int index) const { return m_unitLabels.at(index); }

private:
    void buildTimeRow(QGridLayout* grid, int row, QWidget* lead, int firstBox, int boxCount, const QString& rowName);
    QWidget* buildDateFrame(const QString& programName);

    std::array<QLabel*, 14> m_unitLabels{};
};

} // namespace melvanta
