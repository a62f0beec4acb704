#include "setup/SetupWidgets.h"

#include <QBuffer>
#include <QPainter>
#include <QPushButton>
#include <QSvgRenderer>

namespace {

constexpr int DotSize = 8;
constexpr int DotSpacing = 6;

int pixelSize(SetupStyle::Font font)
{
    switch (font) {
    case SetupStyle::Font::largeTitle:
        return 26;
    case SetupStyle::Font::title2:
        return 17;
    case SetupStyle::Font::title3:
        return 15;
    case SetupStyle::Font::body:
        return 13;
    case SetupStyle::Font::callout:
        return 12;
    case SetupStyle::Font::caption:
        return 10;
    }
    return 13;
}

// Text blended towards the window colour rather than made translucent, so
// it reads the same on any window background.
double strength(SetupStyle::Tone tone)
{
    switch (tone) {
    case SetupStyle::Tone::primary:
        return 1.0;
    case SetupStyle::Tone::secondary:
        return 0.62;
    case SetupStyle::Tone::tertiary:
        return 0.45;
    case SetupStyle::Tone::quaternary:
        return 0.10;
    }
    return 1.0;
}

QColor blend(const QColor &from, const QColor &to, double amount)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * amount,
        from.greenF() + (to.greenF() - from.greenF()) * amount, from.blueF() + (to.blueF() - from.blueF()) * amount);
}

} // namespace

namespace SetupStyle {

QFont font(Font font, bool bold)
{
    QFont result;
    result.setPixelSize(pixelSize(font));
    result.setBold(bold);
    return result;
}

QColor tone(const QWidget *widget, Tone tone)
{
    const QPalette &palette = widget->palette();
    return blend(palette.color(QPalette::Window), palette.color(QPalette::WindowText), strength(tone));
}

QColor accent(const QWidget *widget)
{
    return widget->palette().color(QPalette::Highlight);
}

QColor green()
{
    return QColor(0x28, 0xa7, 0x45);
}

QColor red()
{
    return QColor(0xd7, 0x3a, 0x49);
}

void setColor(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    widget->setPalette(palette);
}

QLabel *coloredLabel(const QString &text, Font font, const QColor &color)
{
    auto *result = new QLabel(text);
    result->setFont(SetupStyle::font(font));
    result->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    result->setWordWrap(true);
    setColor(result, color);
    return result;
}

QLabel *label(const QString &text, Font font, Tone tone, bool bold)
{
    auto *result = coloredLabel(text, font, {});
    result->setFont(SetupStyle::font(font, bold));
    setColor(result, SetupStyle::tone(result, tone));
    return result;
}

void makeProminent(QPushButton *button)
{
    QPalette palette = button->palette();
    palette.setColor(QPalette::Button, palette.color(QPalette::Highlight));
    palette.setColor(QPalette::ButtonText, palette.color(QPalette::HighlightedText));
    button->setPalette(palette);
    button->setDefault(true);
}

QString inlineSymbol(const QString &name, int size, const QColor &color, qreal ratio)
{
    const QImage image = SymbolView::render(SymbolView::resourcePath(name), {size, size}, color, ratio);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return QStringLiteral("<img src=\"data:image/png;base64,%1\" width=\"%2\" height=\"%2\" style=\"vertical-align: middle\">")
        .arg(QString::fromLatin1(png.toBase64()))
        .arg(size);
}

} // namespace SetupStyle

SymbolView::SymbolView(const QString &name, int size, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_name(name)
    , m_size(size)
    , m_color(color)
{
    setFixedSize(size, size);
}

void SymbolView::setSymbol(const QString &name, const QColor &color)
{
    m_name = name;
    m_color = color;
    update();
}

void SymbolView::setFrameWidth(int width)
{
    setFixedWidth(std::max(width, m_size));
}

QString SymbolView::resourcePath(const QString &name)
{
    return name.startsWith(u':') ? name : QStringLiteral(":/symbols/%1.svg").arg(name);
}

QImage SymbolView::render(const QString &resource, QSize size, const QColor &color, qreal ratio)
{
    QImage image(size * ratio, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QSvgRenderer(resource).render(&painter);
    // The symbols are drawn in black on transparent: keeping their alpha and
    // replacing their colour tints them without a second set of files.
    if (color.isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(image.rect(), color);
    }
    painter.end();
    image.setDevicePixelRatio(ratio);
    return image;
}

void SymbolView::paintEvent(QPaintEvent *)
{
    const QImage image = render(resourcePath(m_name), {m_size, m_size}, m_color, devicePixelRatioF());
    QPainter painter(this);
    painter.drawImage(QPointF((width() - m_size) / 2.0, (height() - m_size) / 2.0), image);
}

RoundedBox::RoundedBox(const QColor &fill, int radius, QWidget *parent)
    : QWidget(parent)
    , m_fill(fill)
    , m_radius(radius)
{
}

void RoundedBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_fill);
    painter.drawRoundedRect(QRectF(rect()), m_radius, m_radius);
}

PageDots::PageDots(int count, QWidget *parent)
    : QWidget(parent)
    , m_count(count)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PageDots::setCurrent(int index)
{
    m_current = index;
    update();
}

QSize PageDots::sizeHint() const
{
    return {m_count * DotSize + (m_count - 1) * DotSpacing, DotSize};
}

void PageDots::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const int top = (height() - DotSize) / 2;
    QColor other = SetupStyle::tone(this, SetupStyle::Tone::secondary);
    other.setAlphaF(0.3f);
    for (int i = 0; i < m_count; ++i) {
        painter.setBrush(i == m_current ? SetupStyle::accent(this) : other);
        painter.drawEllipse(QRectF(i * (DotSize + DotSpacing), top, DotSize, DotSize));
    }
}
