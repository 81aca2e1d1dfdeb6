#pragma once

#include <QRect>
#include <QString>

class MultiRule;
class QLabel;
class QPushButton;
class QWidget;

// The pieces the program's dialogs share, each made the one way the dialogs make it.
namespace DialogParts {

// A window of fixed size in Tahoma 8 with the program's icon, deleted when closed.
void SetUp(QWidget& window, const QString& name, const QString& title, QSize size);

// A label of plain text, wrapped, at the top left of its place.
QLabel* Label(QWidget* parent, const QString& name, const QString& text, const QRect& at,
              bool bold = false);
// The white band behind a dialog's header.
QLabel* HeaderBand(QWidget* parent, const QString& name, const QRect& at);
MultiRule* Rule(QWidget* parent, const QString& name, const QRect& at);
QPushButton* Button(QWidget* parent, const QString& name, const QString& text,
                    const QString& toolTip, const QRect& at);
// The button that Return presses wherever the focus is, unless the focused part takes Return.
void DefaultButton(QWidget& window, QPushButton* button);

}  // namespace DialogParts
