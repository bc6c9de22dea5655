#include "display/LogoBox.h"

#include "core/ProgramFolder.h"
#include "display/ElementLayout.h"
#include "storage/ProfileFile.h"

#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QMediaPlayer>
#include <QPainter>
#include <QUrl>
#include <QVideoSink>
#include <QVideoWidget>

namespace melvanta {

namespace {

// Until a video tells its own size, it plays in a box of this size.
constexpr QSize kDefaultVideoSize(533, 400);
// A logo is never decoded larger than this; a bigger picture is read scaled down.
constexpr QSize kLargestLogo(3840, 2160);

enum class LogoKind
{
    Picture,
    Video,
    Neither
};

// What a logo file is, from its contents, before anything is decoded: a file
// that is neither picture nor video (a damaged or mislabelled one) must not
// reach a decoder or the media pipeline at all.
LogoKind logoKind(const QString& path)
{
    QImageReader reader(path);
    if (reader.canRead())
        return LogoKind::Picture;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchContent);
    return type.name().startsWith(QLatin1String("video/")) ? LogoKind::Video : LogoKind::Neither;
}

// The picture, read no larger than a logo can show.
QPixmap readPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kLargestLogo.width() || size.height() > kLargestLogo.height()))
        reader.setScaledSize(size.scaled(kLargestLogo, Qt::KeepAspectRatio));
    return QPixmap::fromImageReader(&reader);
}

} // namespace

LogoBox::LogoBox(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Picture5"));
    hide();
}

LogoBox::~LogoBox()
{
    stopVideo();
}

void LogoBox::showStageLogo(const QString& name, const ProfileReader& profile, const TwipsScale& scale)
{
    const QString trimmed = name.trimmed();
    const QString path = ProgramFolder::picture(trimmed);
    if (trimmed.size() <= 3 || !QFileInfo(path).isFile()) {
        clear();
        return;
    }
    const QString section = QStringLiteral("pictureset");
    QSize customSize;
    if (profile.readNumber(section, QStringLiteral("Option"), 0) != 0) {
        const double width = profile.readNumber(section, QStringLiteral("Width"), 800) * 10;
        const double height = profile.readNumber(section, QStringLiteral("Height"), 600) * 10;
        customSize = QSize(qBound(1, scale.xToPixels(qBound(0.0, width, 1e7)), 16384),
                           qBound(1, scale.yToPixels(qBound(0.0, height, 1e7)), 16384));
    }
    showFile(path, customSize);
}

void LogoBox::showFile(const QString& path, const QSize& customSize)
{
    clear();
    switch (logoKind(path)) {
    case LogoKind::Picture:
        m_picture = readPicture(path);
        if (m_picture.isNull())
            return;
        break;
    case LogoKind::Video:
        break;
    case LogoKind::Neither:
        return;
    }
    m_fileName = QFileInfo(path).fileName();
    setAccessibleName(m_fileName);
    if (!m_picture.isNull()) {
        setBoxSize(customSize.isEmpty() ? m_picture.size() : customSize);
        show();
        update();
        return;
    }
    playVideo(path, customSize);
}

void LogoBox::clear()
{
    stopVideo();
    m_picture = QPixmap();
    m_fileName.clear();
    setAccessibleName(QString());
    hide();
}

void LogoBox::playVideo(const QString& path, const QSize& customSize)
{
    // Without an audio output the player stays silent: the logo never speaks.
    m_player = new QMediaPlayer(this);
    m_video = new QVideoWidget(this);
    m_video->setAspectRatioMode(Qt::IgnoreAspectRatio);
    m_player->setVideoOutput(m_video);
    m_player->setLoops(QMediaPlayer::Infinite);
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error error) {
        if (error != QMediaPlayer::NoError) {
            // Not a video either: nothing to show.
            stopVideo();
            hide();
        }
    });
    if (customSize.isEmpty()) {
        // Queued: the sink announces a new size while it still holds its own
        // lock, and asking it for the size right then would wait forever.
        connect(
            m_video->videoSink(), &QVideoSink::videoSizeChanged, this,
            [this] {
                if (m_video && !m_video->videoSink()->videoSize().isEmpty())
                    setBoxSize(m_video->videoSink()->videoSize());
            },
            Qt::QueuedConnection);
    }
    setBoxSize(customSize.isEmpty() ? kDefaultVideoSize : customSize);
    show();
    m_player->setSource(QUrl::fromLocalFile(path));
    m_player->play();
}

void LogoBox::stopVideo()
{
    if (!m_player)
        return;
    // Detach first: the player must not write into a widget being deleted.
    QMediaPlayer* player = m_player;
    QVideoWidget* video = m_video;
    m_player = nullptr;
    m_video = nullptr;
    player->disconnect(this);
    video->videoSink()->disconnect(this);
    player->stop();
    player->setVideoOutput(static_cast<QObject*>(nullptr));
    player->deleteLater();
    video->deleteLater();
}

void LogoBox::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_picture);
}

void LogoBox::setBoxSize(const QSize& size)
{
    // Told here rather than from the resize event, which a hidden window
    // only gets once it is shown.
    if (size == this->size() && (!m_video || m_video->size() == size))
        return;
    resize(size);
    if (m_video)
        m_video->setGeometry(QRect(QPoint(0, 0), size));
    Q_EMIT boxResized();
}

} // namespace melvanta
