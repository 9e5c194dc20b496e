#include "MainWindowFixture.h"
#include "ui/widgets/FileChooser.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QToolButton>

namespace {

QStringList lines(const QPlainTextEdit* memo)
{
    return memo->toPlainText().split('\n');
}

TEST_F(MainWindowTest, EventsPanelKeepsTheNewestLinesUpToTheLimit)
{
    TfrmMainOstrinBackup& w = open();
    auto* memo = child<QPlainTextEdit>("memoEvents");
    for (int i = 1; i <= 51; ++i)
        AddEvent(QStringLiteral("Event %1").arg(i));
    w.FlushEvents(50);
    const QStringList shown = lines(memo);
    ASSERT_EQ(shown.size(), 50);
    EXPECT_TRUE(shown.first().endsWith(": Event 2"));
    EXPECT_TRUE(shown.last().endsWith(": Event 51"));

    w.AppendToEventsPanel("Quit?");
    AddEvent("Event 52");
    w.FlushEvents(50);
    EXPECT_EQ(lines(memo).size(), 50);
    EXPECT_EQ(lines(memo).at(48), "Quit?");
    EXPECT_TRUE(lines(memo).first().endsWith(": Event 4"));

    w.FlushEvents(0);
    EXPECT_TRUE(memo->toPlainText().isEmpty());
    AddEvent("Event 53");
    w.FlushEvents(0);
    EXPECT_TRUE(memo->toPlainText().isEmpty()) << "a limit of 0 empties the panel at every flush";
    AddEvent("Event 54");
    w.FlushEvents(5);
    EXPECT_EQ(lines(memo).size(), 1);
}

TEST_F(MainWindowTest, EventsPanelScrollsToTheEndUnlessTheUserWorksInIt)
{
    TfrmMainOstrinBackup& w = open();
    w.show();
    w.activateWindow();
    auto* memo = child<QPlainTextEdit>("memoEvents");
    for (int i = 1; i <= 40; ++i)
        AddEvent(QStringLiteral("Event %1").arg(i));
    w.FlushEvents(50);
    QScrollBar* bar = memo->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    EXPECT_EQ(bar->value(), bar->maximum());

    memo->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([memo] { return memo->hasFocus(); }));
    bar->setValue(0);
    AddEvent("Event 41");
    w.FlushEvents(50);
    EXPECT_EQ(bar->value(), 0) << "not scrolled while the user reads";

    list()->setFocus();
    AddEvent("Event 42");
    w.FlushEvents(50);
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(MainWindowTest, EventsAreSavedAsUtf8)
{
    TfrmMainOstrinBackup& w = open();
    AddEvent(QStringLiteral("Größe"));
    w.FlushEvents(50);
    const QString path = TestEnvironment::makeFolder("saved") + "/events.txt";
    FileChooserHook::answerNextSaveFile(path);
    child<QToolButton>("btSaveEvents")->click();
    const QString saved = QString::fromUtf8(TestEnvironment::readFile(path));
    EXPECT_TRUE(saved.contains(QStringLiteral(": Größe")));
    EXPECT_EQ(saved, child<QPlainTextEdit>("memoEvents")->toPlainText() + '\n');
}

} // namespace
