#include "AlertPopup.h"

#include "DisplayText.h"
#include "FormLayout.h"
#include "WindowsColour.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

AlertPopup::AlertPopup(QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool)
{
    setObjectName(QStringLiteral("AlertPopup"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    auto *layout = new QHBoxLayout(this);
    m_picture = new QLabel(this);
    layout->addWidget(m_picture, 0, Qt::AlignTop);
    auto *texts = new QVBoxLayout;
    m_title = new QLabel(QGuiApplication::applicationDisplayName(), this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text = new QLabel(this);
    WrapLabel(m_text);
    texts->addWidget(m_title);
    texts->addWidget(m_text);
    layout->addLayout(texts, 1);
    setFixedWidth(320);

    m_hideTimer = new QTimer(this);
    m_hideTimer->setSingleShot(true);
    connect(m_hideTimer, &QTimer::timeout, this, &QWidget::hide);
    m_sound = new QSoundEffect(this);
    ApplyColours();
}

AlertPopup::~AlertPopup()
{
    if (InstalledDesktopAlert() == this)
        InstallDesktopAlert(nullptr);
}

void AlertPopup::SetBackColour(int colour)
{
    m_backColour = colour;
    ApplyColours();
}

void AlertPopup::SetTitleColour(int colour)
{
    m_titleColour = colour;
    ApplyColours();
}

void AlertPopup::SetTextColour(int colour)
{
    m_textColour = colour;
    ApplyColours();
}

void AlertPopup::SetPicture(const QString &path)
{
    m_picture->setPixmap(QPixmap(path).scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void AlertPopup::SetSoundFile(const QString &path)
{
    m_soundFile = path;
    m_sound->setSource(QUrl::fromLocalFile(path));
}

void AlertPopup::SetDisplayTime(int milliseconds)
{
    m_hideTimer->setInterval(milliseconds);
}

void AlertPopup::Show(const QString &text)
{
    m_text->setText(WithDisplayLineBreaks(text));
    adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.right() - width() - 16, area.bottom() - height() - 16);
    }
    show();
    raise();
    m_hideTimer->start();
    // Without a sound device the effect simply stays silent; the pop-up still shows.
    if (!m_soundFile.isEmpty())
        m_sound->play();
}

QString AlertPopup::Text() const
{
    return m_text->text();
}

void AlertPopup::ApplyColours()
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, WindowsColour(m_backColour));
    setAutoFillBackground(true);
    setPalette(palette);
    m_title->setStyleSheet(QStringLiteral("color: %1").arg(WindowsColour(m_titleColour).name()));
    m_text->setStyleSheet(QStringLiteral("color: %1").arg(WindowsColour(m_textColour).name()));
}
