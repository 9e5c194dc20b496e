#pragma once
// The main window's "Options" command: the options dialog on a copy of the global options, then what
// acts on the running program (start at logon, process priority) and the options file.
#include <QtGlobal>

#include <memory>

class QWidget;
class TfrmOptions;
class TfrmPassword;

class TOptionsCommand
{
public:
    TOptionsCommand(TfrmPassword& passwordDialog, QWidget* parent);
    ~TOptionsCommand();
    Q_DISABLE_COPY_MOVE(TOptionsCommand)

    void ActionOptionsExecute();
    TfrmOptions& dialog() { return *frmOptions; }

private:
    QWidget* parent;
    std::unique_ptr<TfrmOptions> frmOptions;
};
