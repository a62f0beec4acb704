#include "output/CapturePreviewController.h"

#include "fakes/Fixtures.h"
#include "output/PreviewThumbnailView.h"
#include "platform/CaptureNotifier.h"
#include "support/TestSupport.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

// Stands in for the desktop's default application.
class UrlReceiver : public QObject
{
    Q_OBJECT

public:
    UrlReceiver() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~UrlReceiver() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

namespace {

const QUrl File = QUrl::fromLocalFile(QStringLiteral("/tmp/Screenshot 1.png"));

bool deleted(const QPointer<QWidget> &panel)
{
    return TestSupport::waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !panel;
    });
}

class PreviewTest : public ::testing::TestWithParam<bool>
{
protected:
    CapturePreviewController controller{panelContext(GetParam())};
};

TEST_P(PreviewTest, ThumbnailSitsInTheCornerAndAClickOpensTheFileAndDismissesAtOnce)
{
    controller.show(uniform(400, 300, Qt::darkCyan), File);
    ASSERT_TRUE(controller.view());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(QRect(controller.view()->mapToGlobal(QPoint(0, 0)), controller.view()->size()),
        QRect(area.x() + area.width() - 176, area.y() + area.height() - 176, 160, 160));
    ASSERT_TRUE(controller.dismissTimer());
    EXPECT_EQ(std::tuple(controller.panel()->isVisible(), controller.dismissTimer()->isActive(),
                  controller.dismissTimer()->interval()),
        std::tuple(true, true, 3000));
    UrlReceiver receiver;
    QPointer<QWidget> panel = controller.panel();
    for (const Qt::MouseButton other : {Qt::RightButton, Qt::MiddleButton}) {
        QTest::mouseClick(controller.view(), other, {}, QPoint(80, 80));
        ASSERT_EQ(controller.panel(), panel) << "only the primary button opens the file";
    }
    EXPECT_TRUE(receiver.opened.isEmpty());
    QTest::mouseClick(controller.view(), Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(receiver.opened, QList<QUrl>{File});
    EXPECT_FALSE(controller.panel() || controller.dismissTimer());
    // Gone at once without a compositing manager, fading out with one.
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->isVisible(), GetParam());
    EXPECT_TRUE(deleted(panel));
}

INSTANTIATE_TEST_SUITE_P(Compositing, PreviewTest, ::testing::Bool(),
    [](const auto &info) { return info.param ? "composited" : "plain"; });

TEST(CapturePreview, ASecondCaptureReplacesTheFirstWhichNoLongerOpensAnything)
{
    CapturePreviewController controller{panelContext(true)};
    controller.show(uniform(400, 300, Qt::darkCyan), File);
    QPointer<QWidget> first = controller.panel();
    const QUrl second = QUrl::fromLocalFile(QStringLiteral("/tmp/Screenshot 2.png"));
    controller.show(uniform(300, 400, Qt::darkCyan), second);
    ASSERT_TRUE(first && controller.panel() && first.data() != controller.panel());
    EXPECT_EQ(std::pair(first->geometry(), controller.fileURL()),
        std::pair(controller.panel()->geometry(), std::optional(second)));
    UrlReceiver receiver;
    QTest::mouseClick(first->findChild<PreviewThumbnailView *>(), Qt::LeftButton, {}, QPoint(80, 80));
    EXPECT_EQ(
        std::pair(receiver.opened.size(), controller.panel()->isVisible()), std::pair(qsizetype(0), true));
    // Its dismiss timer ends it, here without waiting its three seconds.
    QPointer<QWidget> panel = controller.panel();
    controller.dismissTimer()->start(0);
    EXPECT_TRUE(deleted(panel));
    EXPECT_EQ(controller.panel(), nullptr);
}

TEST(CapturePreview, ImageIsScaledToFitWithItsAspectRatio)
{
    const std::pair<QSize, QRectF> cases[] = {
        {{3200, 800}, {0, 60, 160, 40}}, // wide, scaled down
        {{40, 80}, {40, 0, 80, 160}}, // small and tall, scaled up
    };
    for (const auto &[size, drawn] : cases) {
        PreviewThumbnailView view(
            QRect(0, 0, 160, 160), uniform(size.width(), size.height(), Qt::darkCyan), [] {});
        EXPECT_EQ(view.imageRect(), drawn) << size.width() << "x" << size.height();
    }
}

TEST(CapturePreview, WithoutAScreenNothingIsShown)
{
    CapturePreviewController controller(panelContext(false, false));
    controller.show(uniform(10, 10, Qt::darkCyan), File);
    EXPECT_FALSE(controller.panel() || controller.dismissTimer());
    controller.dismiss();
}

// Records what the desktop's notification would show.
struct FakeNotifier : CaptureNotifier
{
    void show(const QImage &picture, const QString &, const QString &body, ActionCallback onAction) override
    {
        shown << std::pair(picture.size(), body);
        callback = std::move(onAction);
        up = true;
    }
    void close() override { up = false; }
    QList<std::pair<QSize, QString>> shown;
    ActionCallback callback;
    bool up = false;
};

TEST(CapturePreview, WhereWindowsCannotBePlacedANotificationStandsInForTheThumbnail)
{
    auto notifier = std::make_shared<FakeNotifier>();
    PanelContext context = panelContext(true);
    context.notifier = notifier;
    CapturePreviewController controller{context};
    UrlReceiver receiver;
    controller.show(uniform(400, 300, Qt::darkCyan), File);
    const QUrl second = QUrl::fromLocalFile(QStringLiteral("/tmp/Screenshot 2.png"));
    const CaptureNotifier::ActionCallback firstCallback = notifier->callback;
    controller.show(uniform(300, 400, Qt::darkCyan), second);
    // Replaced in place, never closed in between; no window of ours.
    EXPECT_EQ(notifier->shown, (QList<std::pair<QSize, QString>>{{{400, 300}, "Screenshot 1.png"}, {{300, 400}, "Screenshot 2.png"}}));
    EXPECT_EQ(std::pair(notifier->up, controller.panel()), std::pair(true, static_cast<QWidget *>(nullptr)));
    ASSERT_TRUE(controller.dismissTimer());
    EXPECT_EQ(controller.dismissTimer()->interval(), 3000);
    controller.dismissTimerFired();
    EXPECT_FALSE(notifier->up || controller.dismissTimer());
    // An action opens the file its own notification showed.
    firstCallback(CaptureNotifier::Action::open);
    notifier->callback(CaptureNotifier::Action::open);
    EXPECT_EQ(receiver.opened, (QList<QUrl>{File, second}));
}

} // namespace

#include "PreviewControllerTest.moc"
