#pragma once
// Filling the "%s" placeholders of a translated message, one value after the other.
#include <QString>
#include <QStringList>

// Each "%s" in `text` takes the next value; the values themselves are never searched for placeholders.
QString FillPlaceholders(const QString& text, const QStringList& values);
