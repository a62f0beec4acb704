#pragma once

#include <QColor>
#include <QLabel>
#include <QString>
#include <QWidget>

class QPushButton;

// The small building blocks of the setup screens: symbols drawn in one
// colour, the platform's text styles, rounded boxes and page dots.
namespace SetupStyle {

// Pixel sizes, so that a size of 13 is 13 device-independent pixels
// whatever the screen's dots per inch.
enum class Font { largeTitle, title2, title3, body, callout, caption };
// How strongly a text or symbol stands out against the window.
enum class Tone { primary, secondary, tertiary, quaternary };

QFont font(Font font, bool bold = false);
QColor tone(const QWidget *widget, Tone tone);
QColor accent(const QWidget *widget);
QColor green();
QColor red();

// A centred label in the given style; wraps when it does not fit.
QLabel *label(const QString &text, Font font, Tone tone, bool bold = false);
// A label drawn in a colour that is not one of the tones.
QLabel *coloredLabel(const QString &text, Font font, const QColor &color);
void setColor(QWidget *widget, const QColor &color);

// A button drawn in the accent colour: the one step the page asks for.
void makeProminent(QPushButton *button);

// A symbol of resources/symbols drawn as a data URL for rich text, in the
// given colour and size (in points) at the given device pixel ratio.
QString inlineSymbol(const QString &name, int size, const QColor &color, qreal ratio);

} // namespace SetupStyle

// A symbol of resources/symbols, or any SVG resource, drawn at a fixed size
// in one colour (or in its own colours when no colour is set), sharp at any
// device pixel ratio.
class SymbolView : public QWidget
{
    Q_OBJECT

public:
    SymbolView(const QString &name, int size, const QColor &color = {}, QWidget *parent = nullptr);

    const QString &name() const { return m_name; }
    void setSymbol(const QString &name, const QColor &color);
    // Width of the frame the symbol is centred in, when wider than the symbol.
    void setFrameWidth(int width);

    // The resource path of a named symbol.
    static QString resourcePath(const QString &name);
    static QImage render(const QString &resource, QSize size, const QColor &color, qreal ratio);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    int m_size;
    QColor m_color;
};

// A rounded rectangle filled with one colour, behind whatever its layout holds.
class RoundedBox : public QWidget
{
    Q_OBJECT

public:
    RoundedBox(const QColor &fill, int radius, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_fill;
    int m_radius;
};

// A row of dots, one per page, the current one in the accent colour.
class PageDots : public QWidget
{
    Q_OBJECT

public:
    PageDots(int count, QWidget *parent = nullptr);
    void setCurrent(int index);
    int current() const { return m_current; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_count;
    int m_current = 0;
};
