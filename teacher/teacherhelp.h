#pragma once
// The teacher's guide to the workbench, shown by F1.

#include "helpdialog.h"

class TeacherHelp : public HelpDialog
{
    Q_OBJECT
public:
    /// The guide, not modal; close it with its button or the window's own.
    explicit TeacherHelp(QWidget *parent = nullptr);

    /// The guide as shown, for tests.
    QString guideText() const;
};
