#pragma once
// The "Events" panel below the job list: a dark bar with its caption and the "Save to file..." button,
// and the read-only text of the events log, fed once a tick from the events queue.
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QToolButton;

// Child objectNames: pnEventsBar, lbEvents (caption), btSaveEvents, memoEvents.
class TEventsPanelWidget : public QWidget
{
    Q_OBJECT
public:
    explicit TEventsPanelWidget(QWidget* parent = nullptr);

    void Translate();
    // Moves the queued events into the text, keeps at most `maxLines` lines (0: none) and scrolls to
    // the last line unless the user works in the text.
    void Flush(qint32 maxLines);
    // Appends `text` as it is (it may hold several lines), scrolled like a flush.
    void Append(const QString& text);
    int LineCount() const;
    QString Text() const;
    // "Save to file...": the text as UTF-8 into a file the user chooses.
    void SaveToFile();

    static constexpr int kBarHeight = 22;

private:
    void appendLines(const QString& text);
    void trim(qint32 maxLines);

    QLabel* caption;
    QToolButton* saveButton;
    QPlainTextEdit* memo;
};
