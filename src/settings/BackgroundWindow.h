#pragma once

#include <QDialog>

class QCheckBox;
class QToolButton;

namespace melvanta {

class ClockWindow;
class ColourSwatch;

// "背景设置": puts a plain colour or a picture of the "picture" folder behind
// the running clock window at once, without touching the stage; the stage's
// own background comes back when the window applies the stage again. The
// last choice is kept in the profile file and offered at the next opening.
class BackgroundWindow : public QDialog
{
    Q_OBJECT
public:
    explicit BackgroundWindow(ClockWindow& clock);

private:
    // The stored colour and picture name, as the last OK left them.
    void readStored();
    // Colour mode shows the swatch, picture mode the preview; both start
    // from what is stored.
    void showMode();
    void showPreview(const QString& path);
    // The picture the preview shows in picture mode: the chosen one, else
    // the stage's background picture ("" when neither file exists).
    QString previewPath() const;
    void importPicture();
    void apply();

    ClockWindow& m_clock;
    QCheckBox* m_colourMode;
    ColourSwatch* m_swatch; // the colour, and the name of the picture in the "picture" folder
    QToolButton* m_preview;
};

} // namespace melvanta
