#include "output/FileNamePromptPanel.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <algorithm>
#include <functional>

namespace {

std::unique_ptr<FileNamePromptPanel> &sharedInstance()
{
    static std::unique_ptr<FileNamePromptPanel> instance;
    return instance;
}

// A frameless panel that moves when its background is dragged and reports
// a close (a window manager's close key, or the application quitting), so
// that the waiting caller still gets its answer.
class PromptWindow : public QWidget
{
public:
    std::function<void()> onCloseRequest;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() != Qt::LeftButton)
            return;
        // The window manager moves the window where it can; else we follow the pointer.
        m_dragOffset = windowHandle()->startSystemMove()
            ? std::nullopt
            : std::optional<QPoint>(event->globalPosition().toPoint() - pos());
    }
    void mouseMoveEvent(QMouseEvent *event) override
    {
        if (m_dragOffset && (event->buttons() & Qt::LeftButton))
            move(event->globalPosition().toPoint() - *m_dragOffset);
    }
    void mouseReleaseEvent(QMouseEvent *) override { m_dragOffset.reset(); }
    void closeEvent(QCloseEvent *) override
    {
        // Accepted: a refused close would also cancel quitting the application.
        if (onCloseRequest)
            onCloseRequest();
    }

private:
    std::optional<QPoint> m_dragOffset;
};

QLabel *addLabel(
    QWidget *parent, const QString &text, int pixelSize, QFont::Weight weight, const QRect &frame)
{
    auto *label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setWeight(weight);
    label->setFont(font);
    label->setGeometry(frame);
    return label;
}

void setPixelSize(QWidget *widget, int pixelSize)
{
    QFont font = widget->font();
    font.setPixelSize(pixelSize);
    widget->setFont(font);
}

int positionOf(ImageFormat format)
{
    const auto &all = ImageFormats::allCases;
    const auto it = std::find(all.begin(), all.end(), format);
    return it == all.end() ? 0 : int(it - all.begin());
}

} // namespace

FileNamePromptPanel::FileNamePromptPanel(PanelContext context)
    : m_context(std::move(context))
{
}

FileNamePromptPanel::~FileNamePromptPanel()
{
    finish(defaults());
}

FileNamePromptPanel &FileNamePromptPanel::shared()
{
    if (!sharedInstance())
        sharedInstance() = std::make_unique<FileNamePromptPanel>();
    return *sharedInstance();
}

void FileNamePromptPanel::resetShared(PanelContext context)
{
    sharedInstance() = std::make_unique<FileNamePromptPanel>(std::move(context));
}

QFuture<PromptResult> FileNamePromptPanel::prompt(const QString &defaultName, ImageFormat defaultFormat)
{
    // The earlier caller expects an answer too: the one Escape would give it.
    finish(defaults());
    m_defaultName = defaultName;
    m_defaultFormat = defaultFormat;
    m_continuation.emplace();
    m_continuation->start();
    QFuture<PromptResult> answer = m_continuation->future();
    if (const QScreen *screen = m_context.mainScreen())
        showPanel(*screen);
    else
        finish(defaults());
    return answer;
}

void FileNamePromptPanel::showPanel(const QScreen &screen)
{
    auto *window = new PromptWindow;
    window->onCloseRequest = [this] { finish(defaults()); };
    window->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::FramelessWindowHint);
    window->setWindowTitle(tr("Name Screenshot"));
    const QRect area = screen.geometry();
    window->setGeometry(area.x() + area.width() / 2 - PanelWidth / 2,
        area.y() + area.height() / 2 - 2 * PanelHeight, PanelWidth, PanelHeight);

    addLabel(window, tr("File name:"), 12, QFont::Medium, QRect(16, 12, 80, 18));
    m_formatPopup = new QComboBox(window);
    m_formatPopup->addItems({QStringLiteral("PNG"), QStringLiteral("JPEG")});
    m_formatPopup->setCurrentIndex(positionOf(m_defaultFormat));
    m_formatPopup->setGeometry(304, 8, 80, 26);
    setPixelSize(m_formatPopup, 12);
    m_textField = new QLineEdit(m_defaultName, window);
    m_textField->setGeometry(16, 40, 368, 24);
    setPixelSize(m_textField, 13);
    connect(m_textField, &QLineEdit::returnPressed, this, &FileNamePromptPanel::textFieldAction);
    QLabel *hint = addLabel(window, tr("Press Return to save  \u00b7  Escape for default name"), 10,
        QFont::Normal, QRect(16, 78, 368, 14));
    QPalette secondary = hint->palette();
    secondary.setColor(QPalette::WindowText, secondary.color(QPalette::PlaceholderText));
    hint->setPalette(secondary);

    m_panel = window;
    m_activated = false;
    qApp->installEventFilter(this);
    m_monitoring = true;
    window->show();
    m_textField->selectAll();
    m_textField->setFocus();
}

void FileNamePromptPanel::textFieldAction()
{
    const QString name = trimmedName(m_textField ? m_textField->text() : QString());
    const int position = m_formatPopup ? m_formatPopup->currentIndex() : 0;
    const ImageFormat format = ImageFormats::allCases[size_t(std::clamp(position, 0, 1))];
    finish({name.isEmpty() ? m_defaultName : name, format});
}

QString FileNamePromptPanel::trimmedName(const QString &text)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

bool FileNamePromptPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_panel)
        return false;
    // The panel gets the keyboard once the window system shows it; asking
    // earlier can be refused because the window is not mapped yet.
    if (event->type() == QEvent::Expose && !m_activated && watched == m_panel->windowHandle()
        && m_panel->windowHandle()->isExposed()) {
        m_activated = true;
        m_context.activate(*m_panel);
        return false;
    }
    // An open pop-up (the format list, a menu) holds the keyboard: its
    // Escape closes only the pop-up, and the typed name stays.
    if (event->type() == QEvent::KeyPress && m_panel->isVisible() && !QApplication::activePopupWidget()
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        finish(defaults());
        return true;
    }
    return false;
}

void FileNamePromptPanel::finish(const PromptResult &result)
{
    std::optional<QPromise<PromptResult>> continuation = std::move(m_continuation);
    m_continuation.reset();
    closePanel();
    if (!continuation)
        return;
    continuation->addResult(result);
    continuation->finish();
}

void FileNamePromptPanel::closePanel()
{
    if (m_monitoring) {
        qApp->removeEventFilter(this);
        m_monitoring = false;
    }
    if (m_panel) {
        // Later: Return reaches us from inside the field's own signal.
        m_panel->hide();
        m_panel->deleteLater();
    }
    m_panel = nullptr;
    m_textField = nullptr;
    m_formatPopup = nullptr;
}
