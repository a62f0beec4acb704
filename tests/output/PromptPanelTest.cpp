#include "output/FileNamePromptPanel.h"

#include "fakes/Fixtures.h"
#include "support/TestSupport.h"

#include <QApplication>
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
    FileNamePromptPanel prompt{panelContext(false)};
};

TEST_F(PromptPanelTest, ThePanelTakesTheKeyboardAndReturnAnswersWithTheTrimmedNameAndChosenFormat)
{
    // Above the screen's centre, the default selected in the given format.
    // (That it takes the keyboard from another application: PromptX11Test.)
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
    ASSERT_TRUE(prompt.panel());
    EXPECT_EQ(std::tuple(prompt.panel()->geometry(), prompt.textField()->selectedText(),
                  prompt.formatPopup()->currentText()),
        std::tuple(
            QRect(screen.x() + screen.width() / 2 - 200, screen.y() + screen.height() / 2 - 200, 400, 100),
            DefaultName, QStringLiteral("JPEG")));
    QTest::keyClick(prompt.textField(), Qt::Key_Escape);
    // What is typed over the selected default (nothing keeps it), the format chosen, the answer.
    const std::tuple<const char *, QString, int, PromptResult> cases[] = {
        {"default kept", {}, 0, {DefaultName, ImageFormat::png}},
        {"typing replaces the selected default", "Invoice", 1, {"Invoice", ImageFormat::jpeg}},
        {"blanks around trimmed, inside kept", " \t my  shot \t ", 0, {"my  shot", ImageFormat::png}},
        {"only spaces gives the default", "    ", 1, {DefaultName, ImageFormat::jpeg}},
    };
    for (const auto &[what, typed, formatPosition, expected] : cases) {
        SCOPED_TRACE(what);
        answer = prompt.prompt(DefaultName, ImageFormat::png);
        prompt.formatPopup()->setCurrentIndex(formatPosition);
        if (!typed.isEmpty())
            QTest::keyClicks(prompt.textField(), typed);
        EXPECT_FALSE(answer.isFinished());
        QTest::keyClick(prompt.textField(), Qt::Key_Return);
        ASSERT_TRUE(answer.isFinished());
        EXPECT_EQ(std::pair(answer.result(), prompt.panel()), std::pair(expected, (QWidget *)nullptr));
    }
}

// Escape anywhere in the application, or closing the panel (as quitting
// does, which stops at a refusal), answers with the defaults even after
// the pop-up was changed.
TEST_F(PromptPanelTest, EscapeOrCloseGivesTheDefaults)
{
    QWidget elsewhere;
    elsewhere.show();
    enum class Way { escapeInPanel, escapeElsewhere, close };
    for (const Way way : {Way::escapeInPanel, Way::escapeElsewhere, Way::close}) {
        QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
        prompt.formatPopup()->setCurrentIndex(0);
        QTest::keyClicks(prompt.textField(), QStringLiteral("changed"));
        if (way == Way::close)
            EXPECT_TRUE(prompt.panel()->close());
        else
            QTest::keyClick(way == Way::escapeElsewhere ? &elsewhere : prompt.textField(), Qt::Key_Escape);
        ASSERT_TRUE(answer.isFinished());
        EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::jpeg}));
    }
    // Closed: Escape is no longer taken from the rest of the application.
    struct Counter : QWidget
    {
        int escapes = 0;
        void keyPressEvent(QKeyEvent *e) override { escapes += e->key() == Qt::Key_Escape; }
    } counter;
    QTest::keyClick(&counter, Qt::Key_Escape);
    EXPECT_EQ(counter.escapes, 1);
}

TEST_F(PromptPanelTest, EscapeInTheOpenFormatListClosesOnlyTheList)
{
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::png);
    QTest::keyClicks(prompt.textField(), QStringLiteral("kept"));
    prompt.formatPopup()->showPopup();
    QWidget *list = QApplication::activePopupWidget();
    ASSERT_TRUE(list);
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_EQ(std::pair(QApplication::activePopupWidget(), answer.isFinished()),
        std::pair((QWidget *)nullptr, false));
    QTest::keyClick(prompt.textField(), Qt::Key_Return);
    ASSERT_TRUE(answer.isFinished());
    EXPECT_EQ(answer.result().name, QStringLiteral("kept"));
}

TEST_F(PromptPanelTest, ASecondPromptAnswersTheFirstWithItsOwnDefaults)
{
    QFuture<PromptResult> first = prompt.prompt(QStringLiteral("first"), ImageFormat::jpeg);
    QTest::keyClicks(prompt.textField(), QStringLiteral("typed for the first"));
    QFuture<PromptResult> second = prompt.prompt(QStringLiteral("second"), ImageFormat::png);
    ASSERT_TRUE(first.isFinished());
    EXPECT_EQ(std::tuple(first.result(), second.isFinished(), prompt.textField()->text()),
        std::tuple(PromptResult{"first", ImageFormat::jpeg}, false, QStringLiteral("second")));
    QTest::keyClick(prompt.textField(), Qt::Key_Return);
    ASSERT_TRUE(second.isFinished());
    EXPECT_EQ(second.result(), (PromptResult{"second", ImageFormat::png}));
}

// Callers waiting on a prompt that cannot show, or on a shared prompt that
// is replaced, get the defaults rather than a future that never finishes.
TEST(PromptPanel, WithoutAScreenOrWhenReplacedTheDefaultsComeBack)
{
    FileNamePromptPanel prompt(panelContext(false, false));
    QFuture<PromptResult> answer = prompt.prompt(DefaultName, ImageFormat::jpeg);
    ASSERT_TRUE(answer.isFinished());
    EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::jpeg}));
    FileNamePromptPanel::resetShared();
    answer = FileNamePromptPanel::shared().prompt(DefaultName, ImageFormat::png);
    FileNamePromptPanel::resetShared();
    ASSERT_TRUE(answer.isFinished());
    EXPECT_FALSE(answer.isCanceled());
    EXPECT_EQ(answer.result(), (PromptResult{DefaultName, ImageFormat::png}));
}

} // namespace
