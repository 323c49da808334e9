#pragma once
// The rules of the game, shown by F1.

#include "helpdialog.h"

class HelpWindow : public HelpDialog
{
    Q_OBJECT
public:
    /// The rules window, not modal; close it with its button or the window's own.
    explicit HelpWindow(QWidget *parent = nullptr);

    /// The rules as shown, for tests.
    QString rulesText() const;
};
