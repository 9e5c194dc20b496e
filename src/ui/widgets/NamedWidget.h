#pragma once
// A child widget created with its object name, which tests and accessibility tools find it by.
#include <QString>
#include <QWidget>

template <class Widget> Widget* MakeNamed(QWidget* parent, const char* name)
{
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}
