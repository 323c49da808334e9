// The workbench's menus: every command with its key or underlined letter, so that the keyboard
// reaches all of them (the window's own file holds what the commands do).

#include "teacherwindow.h"

#include "bankdocument.h"
#include "bankeditor.h"

#include <QMenuBar>
#include <QTabWidget>
#include <QUndoStack>

namespace {

QAction *addItem(QMenu *menu, const QString &text, const QKeySequence &key, const char *name)
{
    QAction *a = menu->addAction(text);
    a->setShortcut(key);
    a->setObjectName(QLatin1String(name));
    return a;
}

} // namespace

void TeacherWindow::buildMenus()
{
    menuBar()->addMenu(buildFileMenu());
    QMenu *edit = menuBar()->addMenu(QStringLiteral("&Правка"));
    QAction *undo = m_doc->undoStack()->createUndoAction(this, QStringLiteral("Отменить"));
    undo->setShortcut(QKeySequence::Undo);
    undo->setObjectName(QStringLiteral("actionUndo"));
    QAction *redo = m_doc->undoStack()->createRedoAction(this, QStringLiteral("Повторить"));
    redo->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    redo->setObjectName(QStringLiteral("actionRedo"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addActions(m_editor->editActions());
    // The window owns the undo and redo shortcuts, so they work from whichever tab is shown.
    addAction(undo);
    addAction(redo);
    // So does Ctrl+Tab, which a list box would otherwise take as a letter to look for.
    for (const bool forward : {true, false}) {
        auto *turn = new QAction(this);
        turn->setShortcuts(forward ? QKeySequence::NextChild : QKeySequence::PreviousChild);
        connect(turn, &QAction::triggered, this, [this, forward] {
            m_tabs->setCurrentIndex((m_tabs->currentIndex() + (forward ? 1 : m_tabs->count() - 1)) % m_tabs->count());
        });
        addAction(turn);
    }

    QMenu *help = menuBar()->addMenu(QStringLiteral("&Справка"));
    QAction *guide = addItem(help, QStringLiteral("Справка"), Qt::Key_F1, "actionHelp");
    connect(guide, &QAction::triggered, this, &TeacherWindow::showHelp);
}

QMenu *TeacherWindow::buildFileMenu()
{
    auto *file = new QMenu(QStringLiteral("&Файл"), this);
    connect(addItem(file, QStringLiteral("Новый вопросник"), QKeySequence::New, "actionNew"), &QAction::triggered,
            this, &TeacherWindow::newBank);
    connect(addItem(file, QStringLiteral("Открыть вопросник…"), QKeySequence::Open, "actionOpen"),
            &QAction::triggered, this, &TeacherWindow::chooseBank);
    m_recent = file->addMenu(QStringLiteral("Последние &вопросники"));
    connect(addItem(file, QStringLiteral("Сохранить"), QKeySequence::Save, "actionSave"), &QAction::triggered, this,
            &TeacherWindow::save);
    connect(addItem(file, QStringLiteral("Сохранить как…"), Qt::CTRL | Qt::SHIFT | Qt::Key_S, "actionSaveAs"),
            &QAction::triggered, this, &TeacherWindow::saveAs);
    connect(addItem(file, QStringLiteral("Экспорт в текст…"), Qt::CTRL | Qt::Key_E, "actionExport"),
            &QAction::triggered, this, &TeacherWindow::exportText);
    connect(addItem(file, QStringLiteral("Импорт вопросов (GIFT, Aiken, CSV)…"), Qt::CTRL | Qt::Key_I, "actionImport"),
            &QAction::triggered, this, &TeacherWindow::chooseImport);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("Занятие с этим вопросником…"), Qt::CTRL | Qt::Key_L, "actionRegister"),
            &QAction::triggered, this, &TeacherWindow::registerLesson);
    connect(addItem(file, QStringLiteral("Открыть результаты…"), Qt::CTRL | Qt::SHIFT | Qt::Key_O, "actionResults"),
            &QAction::triggered, this, &TeacherWindow::chooseResults);
    connect(addItem(file, QStringLiteral("Результаты в CSV…"), Qt::CTRL | Qt::SHIFT | Qt::Key_E, "actionResultsCsv"),
            &QAction::triggered, this, &TeacherWindow::exportResults);
    // Only where the folder names a server; restoreSettings() enables it.
    m_loadToServer = addItem(file, QStringLiteral("&Загрузить файлы на сервер"), QKeySequence(), "actionLoadToServer");
    m_loadToServer->setEnabled(false);
    connect(m_loadToServer, &QAction::triggered, this, &TeacherWindow::loadToServer);
    file->addSeparator();
    connect(addItem(file, QStringLiteral("Выход"), Qt::CTRL | Qt::Key_Q, "actionQuit"), &QAction::triggered, this,
            &QWidget::close);
    return file;
}
