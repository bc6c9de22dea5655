#pragma once

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace melvanta {

class HotkeyCaptureBox;
class NumberBox;
class SpinButtons;
struct SettingsEntries;

// The "系统" page: the alert duration, what the clock does when the time is
// up (overtime clock, end text, the delay before a reset or the next stage),
// the logo picture and its size, the hotkeys, the dynamic text's scrolling,
// automatic cycling and simple mode.
class SystemPage : public QWidget
{
    Q_OBJECT
public:
    explicit SystemPage(QWidget* parent = nullptr);

    void fill(const SettingsEntries& entries);
    void collect(SettingsEntries& entries) const;

    // `Check4`(0) … (3).
    std::array<QCheckBox*, 4> switches{};
    NumberBox* alertDuration = nullptr; // `Text4_4`
    QLabel* alertDurationCaption = nullptr;
    QLabel* alertDurationUnit = nullptr;
    NumberBox* delay = nullptr;        // `Text4_9`
    SpinButtons* delaySpin = nullptr;  // `VScrol4_9`
    QLabel* delayAction = nullptr;     // `Label4_15`: "进入下一阶段" or "复位"
    QGroupBox* logoGroup = nullptr;    // the LOGO picture and its size
    QLineEdit* logoPicture = nullptr;  // `Text4_3`
    QPushButton* logoChoose = nullptr; // `Command4`
    NumberBox* logoWidth = nullptr;    // `Text4_7`
    NumberBox* logoHeight = nullptr;   // `Text4_8`
    // `Text4`(0) … (2): the start, stop and pause hotkeys as key texts.
    std::array<HotkeyCaptureBox*, 3> hotkeys{};
    QCheckBox* stageKeyCtrl = nullptr; // `Check9_0`
    QCheckBox* stageKeyAlt = nullptr;  // `Check9_1`
    QGroupBox* marqueeGroup = nullptr; // the dynamic text's scrolling
    QComboBox* marqueeMode = nullptr;  // `Combo4`
    NumberBox* marqueeWidth = nullptr; // `Text4_5`
    NumberBox* marqueeSpeed = nullptr; // `Text4_6`
    QCheckBox* autoCycle = nullptr;    // `Check8`
    QCheckBox* simpleMode = nullptr;   // `Check5`
    // The network remote: on or off, its port and whether it listens on
    // this machine only.
    QCheckBox* remoteEnabled = nullptr;
    QLineEdit* remotePort = nullptr;
    QComboBox* remoteListen = nullptr;

private:
    // A key text another box holds too is refused (`Text4_Change`).
    void refuseRepeatedKey(int index);
};

} // namespace melvanta
