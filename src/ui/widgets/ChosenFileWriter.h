#pragma once
// Writes a file the user chose in a save dialog: atomically, given to the user an elevated instance
// works for, and with an error box naming the file and the reason when it fails.
#include <QByteArray>
#include <QString>

class QWidget;

bool WriteChosenFile(QWidget* parent, const QString& path, const QByteArray& content);
