#include "capture/OverlayService.h"
#include "capture/DisplayLookup.h"
#include "capture/SelectionOverlayView.h"
#include "fakes/FakeCompositingManager.h"
#include "fakes/Fixtures.h"

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QRgb Screen = qRgb(10, 200, 30);

class OverlayServiceTest : public TwoScreensTest
{
protected:
    void SetUp() override
    {
        TwoScreensTest::SetUp();
        grabber.areaColor = Screen;
        installDisplayIdentifiers(displays, &context);
        overlays.onSelectionComplete = [this](QRectF rect, quint32 id, const FrozenScreens &) {
            selections.append({rect, id});
        };
        overlays.onSelectionCancelled = [this] { ++cancels; };
    }
    SelectionOverlayView *view(quint32 id) const
    {
        const auto views = overlays.overlayViews();
        const auto it = views.find(id);
        return it == views.end() ? nullptr : it->second;
    }

    QObject context;
    FakeCompositingManager compositing;
    OverlayService overlays{grabber, compositing};
    QList<std::pair<QRectF, quint32>> selections;
    int cancels = 0;
};

TEST_F(OverlayServiceTest, ReleaseReportsSelectionsOfAtLeastTenPointsInGlobalPoints)
{
    // what, the screen, the drag, what is reported
    const std::tuple<const char *, quint32, QPointF, QPointF, std::optional<QRectF>> cases[] = {
        {"left to right", IdA, {100, 200}, {400, 350}, QRectF(100, 200, 300, 150)},
        {"right to left, bottom to top", IdA, {400, 350}, {100, 200}, QRectF(100, 200, 300, 150)},
        {"10 × 10 on the second screen", IdB, {10, 20}, {20, 30}, QRectF(1610, 20, 10, 10)},
        {"past the screen's edge, unclipped", IdB, {600, 400}, {700, 530}, QRectF(2200, 400, 100, 130)},
        {"9.5 wide", IdA, {10, 10}, {19.5, 210}, std::nullopt},
        {"9.99 high", IdB, {10, 10}, {300, 19.99}, std::nullopt},
    };
    for (const auto &[what, display, from, to, reported] : cases) {
        SCOPED_TRACE(what);
        selections.clear();
        overlays.showOverlays();
        ASSERT_TRUE(view(display));
        drag(view(display), from, to);
        if (reported) {
            EXPECT_EQ(selections, (QList{std::pair{*reported, display}}));
            EXPECT_TRUE(overlays.overlayViews().empty());
        } else {
            EXPECT_TRUE(selections.isEmpty());
            EXPECT_EQ(overlays.overlayViews().size(), 2u);
            EXPECT_TRUE(view(display)->selectionRect().isNull());
        }
    }
}

TEST_F(OverlayServiceTest, SizeLabelIsTruncatedPixelsAndAViewStartsOnTheMainDisplay)
{
    EXPECT_EQ(SelectionOverlayView::sizeLabel({320.4, 240.6}, 2.0), QStringLiteral("640 \u00d7 481"));
    EXPECT_EQ(SelectionOverlayView::sizeLabel({99.99, 0.7}, 1.0), QStringLiteral("99 \u00d7 0"));
    EXPECT_EQ(SelectionOverlayView().displayID, IdA);
}

TEST_F(OverlayServiceTest, EscapeCancelsAndOtherKeysAreSwallowed)
{
    overlays.showOverlays();
    SelectionOverlayView *a = view(IdA);
    drag(a, {10, 10}, {200, 200}, true);
    QTest::keyClick(a, Qt::Key_A);
    QTest::keyClick(a, Qt::Key_Return);
    EXPECT_EQ(cancels, 0);
    EXPECT_EQ(overlays.overlayViews().size(), 2u);
    QTest::keyClick(a, Qt::Key_Escape);
    EXPECT_EQ(std::tuple(cancels, selections.size(), overlays.overlayViews().size(), a->isVisible()),
        std::tuple(1, 0, 0, false));
}

TEST_F(OverlayServiceTest, ShowingAgainReplacesTheOverlaysAndSilencesTheOldOnes)
{
    overlays.showOverlays();
    const QPointer<SelectionOverlayView> old = view(IdB);
    overlays.showOverlays();
    ASSERT_EQ(overlays.overlayViews().size(), 2u);
    EXPECT_NE(view(IdB), old.data());
    int shown = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        shown += qobject_cast<const SelectionOverlayView *>(widget) && widget->isVisible() ? 1 : 0;
    EXPECT_EQ(shown, 2);
    // A late drag on a view that is going away reports nothing.
    ASSERT_TRUE(old);
    drag(old, {10, 10}, {100, 100});
    QTest::keyClick(old, Qt::Key_Escape);
    EXPECT_TRUE(selections.isEmpty());
    EXPECT_EQ(cancels, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(old);
}

// Screen B, scale 1: outside dimmed, inside clear, the outline white at 0.8.
TEST_F(OverlayServiceTest, DimsAroundAnUndimmedSelection)
{
    const auto mix = [](int over, double alpha, QRgb under) {
        const auto channel = [&](int value) { return int(over * alpha + value * (1 - alpha)); };
        return qRgb(channel(qRed(under)), channel(qGreen(under)), channel(qBlue(under)));
    };
    for (const bool composited : {false, true}) {
        SCOPED_TRACE(composited ? "live screen" : "frozen picture");
        compositing.running = composited;
        overlays.showOverlays();
        drag(view(IdB), {100, 100}, {300, 200}, true);
        const QImage shot = view(IdB)->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const QRgb outside = shot.pixel(50, 50), inside = shot.pixel(200, 150),
                   outline = shot.pixel(100, 150);
        if (composited) {
            EXPECT_EQ(qAlpha(outside), 51);
            EXPECT_EQ(qAlpha(inside), 0);
            EXPECT_EQ(qAlpha(outline), 204);
            continue;
        }
        EXPECT_EQ(inside, Screen | 0xff000000u);
        for (const auto &[seen, expected] :
            {std::pair{outside, mix(0, 0.2, Screen)}, std::pair{outline, mix(255, 0.8, Screen)}}) {
            EXPECT_NEAR(qRed(seen), qRed(expected), 1);
            EXPECT_NEAR(qGreen(seen), qGreen(expected), 1);
            EXPECT_NEAR(qBlue(seen), qBlue(expected), 1);
        }
    }
}

} // namespace
