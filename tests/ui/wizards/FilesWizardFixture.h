#pragma once
// The files wizard with its real small dialogs, the message boxes answered through the hook.
#include "support/QtPrinters.h"
#include "ui/dialogs/MessageDialog.h"
#include "ui/dialogs/TfrmAddTime.h"
#include "ui/dialogs/TfrmListViewer.h"
#include "ui/widgets/SourceTree.h"
#include "ui/widgets/SourceTreeModel.h"
#include "ui/wizards/uWizard_FilesBackup.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

class FilesWizardFixture : public testing::Test
{
protected:
    void SetUp() override
    {
        MessageDialogHook::clearAnswers();
        MessageDialogHook::clearShown();
        MessageDialogHook::answerAll(mrOk);
    }
    void TearDown() override { MessageDialogHook::clearAnswers(); }

    template <typename T> T* find(const char* name) const
    {
        T* child = wizard.findChild<T*>(QString::fromLatin1(name));
        EXPECT_TRUE(child) << name;
        return child;
    }

    // The texts of the boxes shown since the last call.
    static QStringList takeShownTexts()
    {
        QStringList texts;
        for (const auto& box : MessageDialogHook::shown())
            texts.append(box.Text);
        MessageDialogHook::clearShown();
        return texts;
    }

    // Runs `steps` once `dialog` is the active modal window.
    static void whenShown(QWidget& dialog, std::function<void()> steps)
    {
        QTimer::singleShot(0, &dialog, [&dialog, steps] {
            ASSERT_TRUE(QTest::qWaitFor([&dialog] { return QApplication::activeModalWidget() == &dialog; }));
            steps();
        });
    }

    int page() const { return wizard.findChild<QWidget*>("cpWizard")->property("currentIndex").toInt(); }

    void waitForListings() const
    {
        ASSERT_TRUE(QTest::qWaitFor([this] { return tree().Model().PendingListings() == 0; }));
    }
    SourceTree& tree() const { return *wizard.findChild<SourceTree*>("SourceTree"); }

    TfrmAddTime addTime;
    TfrmListViewer listViewer;
    TfrmWizard_FilesBackup wizard{addTime, listViewer};
};
