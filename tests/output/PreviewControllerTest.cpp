#include "output/CapturePreviewController.h"

#include "fakes/FakeCompositingManager.h"
#include "output/PreviewThumbnailView.h"
#include "support/TestSupport.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

// Stands in for the desktop's default application.
class UrlReceiver : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened.append(url); }
};

namespace {

const QUrl File = QUrl::fromLocalFile(QStringLiteral("/tmp/Screenshot 1.png"));

PanelContext contextWith(bool composited)
{
    PanelContext context;
    context.compositing = std::make_shared<FakeCompositingManager>(composited);
    context.mainScreenOverride = [] { return QGuiApplication::primaryScreen(); };
    return context;
}

QImage image(int width, int height)
{
    QImage result(width, height, QImage::Format_RGB32);
    result.fill(Qt::darkCyan);
    return result;
}

QRect globalRect(const QWidget *widget)
{
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

class PreviewTest : public ::testing::TestWithParam<bool>
{
protected:
    CapturePreviewController controller{contextWith(GetParam())};
};

TEST_P(PreviewTest, ThumbnailSitsSixteenPointsInFromTheBottomRightOfTheAvailableArea)
{
    controller.show(image(400, 300), File);
    ASSERT_TRUE(controller.view());
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(globalRect(controller.view()),
        QRect(area.x() + area.width() - 176, area.y() + area.height() - 176, 160, 160));
    EXPECT_TRUE(controller.panel()->isVisible());
}

TEST_P(PreviewTest, ClickOpensTheFileAndDismissesAtOnce)
{
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
    controller.show(image(400, 300), File);
    QPointer<QWidget> panel = controller.panel();
    QTest::mouseClick(controller.view(), Qt::LeftButton, {}, QPoint(80, 80));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(receiver.opened, QList<QUrl>{File});
    EXPECT_EQ(controller.panel(), nullptr);
    EXPECT_EQ(controller.dismissTimer(), nullptr);
    // Gone at once without a compositing manager, fading out with one.
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->isVisible(), GetParam());
    EXPECT_TRUE(TestSupport::waitUntil([&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return !panel;
    }));
}

INSTANTIATE_TEST_SUITE_P(Compositing, PreviewTest, ::testing::Bool(),
    [](const auto &info) { return info.param ? "composited" : "plain"; });

class ComposedPreview : public ::testing::Test
{
protected:
    CapturePreviewController controller{contextWith(true)};
};

TEST_F(ComposedPreview, FadesInThenHoverDimsWithoutStoppingTheTimer)
{
    controller.show(image(400, 300), File);
    QPropertyAnimation *fadeIn = CapturePreviewController::fadeOf(controller.panel());
    ASSERT_TRUE(fadeIn);
    EXPECT_DOUBLE_EQ(fadeIn->endValue().toDouble(), 1.0);
    EXPECT_EQ(fadeIn->duration(), 200);
    ASSERT_TRUE(controller.dismissTimer());
    EXPECT_TRUE(controller.dismissTimer()->isActive());
    EXPECT_TRUE(controller.dismissTimer()->isSingleShot());
    EXPECT_EQ(controller.dismissTimer()->interval(), 3000);

    PreviewThumbnailView *view = controller.view();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QCoreApplication::sendEvent(view, &enter);
    ASSERT_TRUE(view->hoverAnimation());
    EXPECT_DOUBLE_EQ(view->hoverAnimation()->endValue().toDouble(), 0.85);
    EXPECT_EQ(view->hoverAnimation()->duration(), 150);
    EXPECT_TRUE(controller.dismissTimer()->isActive());
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(view, &leave);
    EXPECT_DOUBLE_EQ(view->hoverAnimation()->endValue().toDouble(), 1.0);

    QPointer<QWidget> panel = controller.panel();
    controller.dismissTimerFired();
    EXPECT_EQ(controller.panel(), nullptr);
    QPropertyAnimation *fadeOut = CapturePreviewController::fadeOf(panel);
    ASSERT_TRUE(fadeOut);
    EXPECT_DOUBLE_EQ(fadeOut->endValue().toDouble(), 0.0);
    EXPECT_EQ(fadeOut->duration(), 300);
    EXPECT_TRUE(TestSupport::waitUntil([&] { return !panel; }));
}

TEST_F(ComposedPreview, ASecondCaptureFadesInWhileTheFirstFadesOutInTheSamePlace)
{
    controller.show(image(400, 300), File);
    QPointer<QWidget> first = controller.panel();
    const QUrl second = QUrl::fromLocalFile(QStringLiteral("/tmp/Screenshot 2.png"));
    controller.show(image(300, 400), second);
    ASSERT_TRUE(first && controller.panel());
    EXPECT_NE(first.data(), controller.panel());
    EXPECT_EQ(first->geometry(), controller.panel()->geometry());
    EXPECT_DOUBLE_EQ(CapturePreviewController::fadeOf(first)->endValue().toDouble(), 0.0);
    EXPECT_DOUBLE_EQ(CapturePreviewController::fadeOf(controller.panel())->endValue().toDouble(), 1.0);
    EXPECT_EQ(controller.fileURL(), second);
    // The fading thumbnail no longer opens anything.
    UrlReceiver receiver;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &receiver, "open");
    QTest::mouseClick(first->findChild<PreviewThumbnailView *>(), Qt::LeftButton, {}, QPoint(80, 80));
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_TRUE(receiver.opened.isEmpty());
    EXPECT_TRUE(controller.panel()->isVisible());
}

TEST(PreviewThumbnailView, ImageIsScaledToFitWithItsAspectRatio)
{
    const struct
    {
        QSize image;
        QRectF drawn;
    } cases[] = {
        {{3200, 800}, {0, 60, 160, 40}}, // wide, scaled down
        {{40, 80}, {40, 0, 80, 160}}, // small and tall, scaled up
        {{160, 160}, {0, 0, 160, 160}},
    };
    for (const auto &c : cases) {
        PreviewThumbnailView view(QRect(0, 0, 160, 160), image(c.image.width(), c.image.height()), [] {});
        EXPECT_EQ(view.imageRect(), c.drawn) << c.image.width() << "x" << c.image.height();
    }
}

TEST(CapturePreview, WithoutAScreenNothingIsShownAndDismissDoesNothing)
{
    PanelContext context;
    context.mainScreenOverride = [] { return nullptr; };
    CapturePreviewController controller(context);
    controller.show(image(10, 10), File);
    EXPECT_EQ(controller.panel(), nullptr);
    EXPECT_EQ(controller.dismissTimer(), nullptr);
    EXPECT_EQ(controller.fileURL(), File);
    controller.dismiss();
    EXPECT_EQ(controller.panel(), nullptr);
}

} // namespace

#include "PreviewControllerTest.moc"
