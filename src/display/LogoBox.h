#pragma once

#include <QPixmap>
#include <QWidget>

class QMediaPlayer;
class QVideoWidget;

namespace melvanta {

class ProfileReader;
class TwipsScale;

// The logo box ("Picture5"): a picture at its own size or stretched over a
// chosen size, or, for a file that is no picture, a video playing muted and
// looping inside the box. A file that is neither leaves the box hidden.
class LogoBox : public QWidget
{
    Q_OBJECT
public:
    explicit LogoBox(QWidget* parent = nullptr);
    ~LogoBox() override;

    // Shows the file at `path`. `customSize` (pixels) is the box size the
    // picture is stretched over; an empty size lets the box take the
    // picture's own size (or the video's, once it is known).
    void showFile(const QString& path, const QSize& customSize);
    // Shows the stage's logo `name` from the picture folder, at its own size
    // or at the custom size of the profile section "pictureset" (`Option`,
    // `Width` and `Height` in units of 10 twips); hides the box when there is
    // no such file.
    void showStageLogo(const QString& name, const ProfileReader& profile, const TwipsScale& scale);
    // Drops the picture, stops a video and hides the box.
    void clear();

    bool hasPicture() const { return !m_picture.isNull(); }
    bool hasVideo() const { return m_player != nullptr; }
    QMediaPlayer* player() const { return m_player; }
    QString fileName() const { return m_fileName; }

Q_SIGNALS:
    // The box took a new size; its place on the screen depends on it.
    void boxResized();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setBoxSize(const QSize& size);
    void playVideo(const QString& path, const QSize& customSize);
    void stopVideo();

    QPixmap m_picture;
    QString m_fileName;
    QMediaPlayer* m_player = nullptr;
    QVideoWidget* m_video = nullptr;
};

} // namespace melvanta
