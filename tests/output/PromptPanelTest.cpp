#include "output/FileNamePromptPanel.h"

#include "fakes/FakeWindowActivator.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString DefaultName = QStringLiteral("Screenshot 2024-05-01 at 9.41.07 AM");

class PromptPanelTest : public ::testing::Test
{
protected:
    static PanelContext contextWith(std::shared_ptr<FakeWindowActivator> activator)
    {
        PanelContext context;
        context.activator = std::move(activator);
        context.mainScreenOverride = [] { return QGuiApplication::primaryScreen(); };
        return context;
    }

    std::shared_ptr<FakeWindowActivator> activator = std::make_shared<FakeWindowActivator>();
    FileNamePromptPanel prompt{contextWith(activator)};
};

struct ReturnCase
{
    const char *what;
    QString typed; // typed over the selected default; empty keeps it
    int formatPosition;
    PromptResult expected;
};

class PromptReturn : public PromptPanelTest, public ::testing::WithParamInterface<ReturnCase>
{
};

TEST_P(PromptReturn, AnswersWithTheTrimmedNameAndTheChosenFormat)
{
    const ReturnCase &c = GetParam();
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::png);
    ASSERT_TRUE(prompt.textField());
    prompt.formatPopup()->setCurrentIndex(c.formatPosition);
    if (!c.typed.isEmpty())
        QTest::keyClicks(prompt.textField(), c.typed);
    EXPECT_FALSE(answer.isFinished());
    QTest::keyClick(prompt.textField(), Qt::Key_Return);
    ASSERT_TRUE(answer.isFinished());
    EXPECT_EQ(answer.result(), c.expected);
    EXPECT_EQ(prompt.panel(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, PromptReturn,
    ::testing::Values(ReturnCase{"default kept", {}, 0, {DefaultName, ImageFormat::png}},
        ReturnCase{"typing replaces the selected default", "Invoice", 1, {"Invoice", ImageFormat::jpeg}},
        ReturnCase{
            "blanks around trimmed, inside kept", " \t my  shot \t ", 0, {"my  shot", ImageFormat::png}},
        ReturnCase{"only spaces gives the default", "    ", 1, {DefaultName, ImageFormat::jpeg}}),
    [](const auto &info) {
        return QString::fromLatin1(info.param.what).replace(u' ', u'_').remove(u',').toStdString();
    });

TEST_F(PromptPanelTest, EscapeAnywhereInTheAppGivesTheDefaultsEvenAfterChangingThePopup)
{
    QWidget elsewhere;
    elsewhere.show();
    for (QWidget *target : {static_cast<QWidget *>(nullptr), &elsewhere}) {
        QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
        prompt.formatPopup()->setCurrentIndex(0);
        QTest::keyClicks(prompt.textField(), QStringLiteral("changed"));
        QTest::keyClick(target ? target : prompt.textField(), Qt::Key_Escape);
        ASSERT_TRUE(answer.isFinished());
        EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::jpeg}));
    }
    // Closed: Escape is no longer taken from the rest of the application.
    int escapes = 0;
    struct Counter : QWidget
    {
        int *count;
        void keyPressEvent(QKeyEvent *e) override { *count += e->key() == Qt::Key_Escape; }
    } counter;
    counter.count = &escapes;
    QTest::keyClick(&counter, Qt::Key_Escape);
    EXPECT_EQ(escapes, 1);
}

TEST_F(PromptPanelTest, ASecondPromptAnswersTheFirstWithItsOwnDefaults)
{
    QFuture<PromptResult> first = prompt.prompt(QStringLiteral("first"), ImageFormat::jpeg);
    QTest::keyClicks(prompt.textField(), QStringLiteral("typed for the first"));
    QPointer<QWidget> firstPanel = prompt.panel();
    QFuture<PromptResult> second = prompt.prompt(QStringLiteral("second"), ImageFormat::png);
    ASSERT_TRUE(first.isFinished());
    EXPECT_EQ(first.result(), (PromptResult{"first", ImageFormat::jpeg}));
    EXPECT_FALSE(second.isFinished());
    EXPECT_TRUE(!firstPanel || !firstPanel->isVisible());
    EXPECT_EQ(prompt.textField()->text(), QStringLiteral("second"));
    QTest::keyClick(prompt.textField(), Qt::Key_Return);
    ASSERT_TRUE(second.isFinished());
    EXPECT_EQ(second.result(), (PromptResult{"second", ImageFormat::png}));
}

TEST_F(PromptPanelTest, PanelOffersTheSelectedDefaultAboveTheScreenCentreAndTakesTheKeyboard)
{
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
    QWidget *panel = prompt.panel();
    ASSERT_TRUE(panel);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(panel->geometry(),
        QRect(screen.x() + screen.width() / 2 - 200, screen.y() + screen.height() / 2 - 200, 400, 100));
    EXPECT_EQ(prompt.textField()->selectedText(), DefaultName);
    EXPECT_EQ(prompt.formatPopup()->currentText(), QStringLiteral("JPEG"));
    ASSERT_TRUE(TestSupport::waitUntil([&] { return !activator->activated.isEmpty(); }));
    EXPECT_EQ(activator->activated, QList<WId>{panel->winId()});
    QTest::keyClick(prompt.textField(), Qt::Key_Escape);
}

TEST_F(PromptPanelTest, ClosingThePanelAnswersWithTheDefaultsAndLetsTheApplicationQuit)
{
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
    prompt.formatPopup()->setCurrentIndex(0);
    EXPECT_TRUE(prompt.panel()->close()); // quitting closes every window and stops at a refusal
    ASSERT_TRUE(answer.isFinished());
    EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::jpeg}));
}

TEST(PromptPanel, WithoutAScreenTheDefaultsComeBackAtOnce)
{
    PanelContext context;
    context.mainScreenOverride = [] { return nullptr; };
    FileNamePromptPanel prompt(context);
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
    ASSERT_TRUE(answer.isFinished());
    EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::jpeg}));
    EXPECT_EQ(prompt.panel(), nullptr);
}

TEST(PromptPanel, AWaitingCallerIsAnsweredWhenTheSharedPromptIsReplaced)
{
    FileNamePromptPanel::resetShared();
    QFuture<PromptResult> answer = FileNamePromptPanel::shared().prompt(DefaultName, ImageFormat::png);
    FileNamePromptPanel::resetShared();
    ASSERT_TRUE(answer.isFinished());
    EXPECT_FALSE(answer.isCanceled());
    EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::png}));
}

} // namespace
