#pragma once

#include "display/ElementLayout.h"
#include "display/MarqueeStep.h"

#include <QObject>
#include <QTimer>

#include <functional>

class QLabel;

namespace melvanta {
class ProfileReader;
}

namespace melvanta {

// The dynamic text's marquee: its settings, the timer that paces it and where
// the text stands inside its box. Whether the box shows is the window's call.
class MarqueeLine : public QObject
{
    Q_OBJECT
public:
    // `scale` gives the twips scale of the screen the text is shown on.
    MarqueeLine(QLabel* text, std::function<TwipsScale()> scale, QObject* parent = nullptr);

    // Reads the marquee settings from the profile file.
    void readSettings(const ProfileReader& profile);
    const MarqueeSettings& settings() const { return m_settings; }
    const QTimer* timer() const { return &m_timer; }
    bool isRunning() const { return m_timer.isActive(); }
    void setRunning(bool running);

    // The width of the text's box, in pixels: the marquee width, but no
    // wider than the screen (`setWidthLimit`, twips).
    int boxWidthPixels() const;
    void setWidthLimit(int twips) { m_widthLimit = twips; }
    // Moves the text to where the marquee has it.
    void placeText();
    // Centres the text in its box; placeText() shows it there.
    void centreText();
    // Where a new text starts: centred when it stands still, at the box's left
    // edge otherwise; placeText() shows it there.
    void restartText();
    // Moves the text one step and returns whether the box should show.
    bool advance();

Q_SIGNALS:
    // Time for the next step.
    void stepDue();

private:
    double centredLeft() const;
    int boxWidth() const;

    QLabel* m_text;
    std::function<TwipsScale()> m_scale;
    MarqueeSettings m_settings;
    QTimer m_timer;
    double m_left = 0;    // twips, the text's left edge in its box
    int m_widthLimit = 0; // twips; 0 for none
};

} // namespace melvanta
