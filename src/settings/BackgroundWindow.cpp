#include "settings/BackgroundWindow.h"

#include "core/Encodings.h"
#include "core/ProgramFolder.h"
#include "display/ClockWindow.h"
#include "display/ColourMapping.h"
#include "settings/ColourSwatch.h"
#include "settings/FileImporter.h"
#include "storage/ProgramStores.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace melvanta {

namespace {

const QString kSection = QStringLiteral("Marquee");
const QString kColourKey = QStringLiteral("backgroundColor");
const QString kPictureKey = QStringLiteral("backgroundText");
const QString kImportHint = QStringLiteral("单击导入图片");
const QSize kPreviewSize(200, 150);

QColor shownColour(const QString& colour)
{
    return toQColor(colour, QGuiApplication::palette());
}

// The path of picture `name` in the "picture" folder; "" when there is no such file.
QString existingPicture(const QString& name)
{
    if (name.isEmpty())
        return QString();
    const QString path = ProgramFolder::picture(name);
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace

BackgroundWindow::BackgroundWindow(ClockWindow& clock)
    : QDialog(&clock), m_clock(clock), m_colourMode(new QCheckBox(QStringLiteral("颜色"), this)),
      m_swatch(new ColourSwatch(QStringLiteral("Text1"), QStringLiteral("背景颜色"), true, this)),
      m_preview(new QToolButton(this))
{
    setObjectName(QStringLiteral("Frm_background"));
    setWindowTitle(QStringLiteral("背景设置"));

    m_colourMode->setObjectName(QStringLiteral("Check1"));
    m_swatch->setFixedSize(kPreviewSize.width(), 32);
    m_preview->setObjectName(QStringLiteral("Image1"));
    m_preview->setAccessibleName(QStringLiteral("背景图片"));
    m_preview->setFixedSize(kPreviewSize);
    m_preview->setIconSize(kPreviewSize - QSize(8, 8));
    m_preview->setAutoRaise(true);

    auto* ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("Command1"));
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setObjectName(QStringLiteral("Command3"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_colourMode);
    layout->addWidget(m_swatch, 0, Qt::AlignHCenter);
    layout->addWidget(m_preview, 0, Qt::AlignHCenter);
    layout->addStretch();
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_colourMode, &QCheckBox::toggled, this, &BackgroundWindow::showMode);
    connect(m_preview, &QToolButton::clicked, this, &BackgroundWindow::importPicture);
    connect(ok, &QPushButton::clicked, this, &BackgroundWindow::apply);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    readStored();
    {
        const QSignalBlocker quiet(m_colourMode);
        m_colourMode->setChecked(m_swatch->picture().isEmpty());
    }
    showMode();
}

void BackgroundWindow::readStored()
{
    const ProfileFile& profile = m_clock.stores().profile();
    m_swatch->setColourText(profile.readPart(kSection, kColourKey, QStringLiteral("0")));
    m_swatch->setPicture(profile.readPart(kSection, kPictureKey, QString()).trimmed());
}

void BackgroundWindow::showMode()
{
    readStored();
    const bool colourMode = m_colourMode->isChecked();
    if (colourMode)
        m_swatch->setPicture(QString());
    m_swatch->setVisible(colourMode);
    m_preview->setVisible(!colourMode);
    showPreview(colourMode ? QString() : previewPath());
}

void BackgroundWindow::showPreview(const QString& path)
{
    const QPixmap picture(path);
    m_preview->setIcon(
        picture.isNull() ? QIcon()
                         : QIcon(picture.scaled(m_preview->iconSize(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    m_preview->setText(picture.isNull() ? kImportHint : QString());
    m_preview->setToolTip(m_swatch->picture().isEmpty() ? kImportHint : m_swatch->picture());
}

QString BackgroundWindow::previewPath() const
{
    const QString chosen = existingPicture(m_swatch->picture());
    if (!chosen.isEmpty())
        return chosen;
    return existingPicture(BackgroundSetting::parse(m_clock.stage().background).picture);
}

void BackgroundWindow::importPicture()
{
    if (const std::optional<QString> name = askAndImport(ImportTarget::Background, this)) {
        m_swatch->setPicture(*name);
        showPreview(existingPicture(*name));
    }
}

void BackgroundWindow::apply()
{
    // The swatch keeps the stored text; what is written is always a number.
    const QString colour = OleColour::fromText(m_swatch->colourText()).text();
    const QString picture = m_swatch->picture();
    if (m_colourMode->isChecked()) {
        m_clock.overrideBackground(shownColour(colour));
    } else if (const QString path = existingPicture(picture); !path.isEmpty()) {
        // Without a picture to show, the window stays as it is.
        m_clock.overrideBackgroundPicture(path, shownColour(m_clock.stage().clockcolour));
    }
    ProfileFile& profile = m_clock.stores().profile();
    profile.write(kSection, kColourKey, colour);
    // Colour mode stores no name, so that the next opening is in colour mode again.
    profile.write(kSection, kPictureKey, picture);
}

} // namespace melvanta
