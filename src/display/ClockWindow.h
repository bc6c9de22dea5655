#pragma once

#include "core/StageSettings.h"

#include <QPixmap>
#include <QWidget>

class QLabel;

namespace melvanta {

class ClockFace;

// The window the audience sees ("desk_clock"): maximised, with the main
// title and the big clock of the current stage over its background.
class ClockWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ClockWindow(QWidget* parent = nullptr);
    ~ClockWindow() override;

    // Applies a stage: fonts, colours, sizes, background and the clock text
    // the stage shows before its run.
    void applyStage(const StageSettings& settings);

    QString clockText() const;
    ClockFace* clockFace() const { return m_clock; }
    QLabel* mainTitle() const { return m_mainTitle; }

Q_SIGNALS:
    // The window has been painted for the first time.
    void firstPainted();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutElements();

    StageSettings m_settings;
    QPixmap m_background;
    QLabel* m_mainTitle;
    ClockFace* m_clock;
    bool m_painted = false;
};

} // namespace melvanta
