#pragma once
// The teacher's workbench: a bank editor, the lessons of the settings file and the class's
// results, one tab each, with the menus that open, save and import.

#include <QMainWindow>

class BankDocument;
class BankWatch;
class QAction;
class BankEditor;
class ClassroomTab;
class LessonsTab;
class QMenu;
class QTabWidget;
class ResultsView;
class TeacherHelp;
class TeacherPrompts;

class TeacherWindow : public QMainWindow
{
    Q_OBJECT

public:
    /// folder: the program folder, ending in "/", with tallory.ini and tallory.rez.
    TeacherWindow(const QString &folder, TeacherPrompts *prompts, QWidget *parent = nullptr);
    ~TeacherWindow() override;

    /// Reads a bank (.faq) or a plain text into the editor; false with a message when it cannot.
    bool openBank(const QString &path);
    /// Saves the bank as a game bank under path; refused with the list when it has problems.
    bool saveBankAs(const QString &path);
    /// Adds the questions of a GIFT, Aiken or CSV file after the teacher has seen the preview.
    bool importQuestions(const QString &path);
    /// The file of the bank being edited; empty for a new bank.
    QString bankPath() const { return m_path; }
    /// Whether the bank has edits not saved.
    bool isModified() const;

    BankDocument *document() const { return m_doc; }
    BankEditor *editor() const { return m_editor; }
    LessonsTab *lessons() const { return m_lessons; }
    ResultsView *results() const { return m_results; }
    QTabWidget *tabs() const { return m_tabs; }
    TeacherHelp *help() const { return m_help; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    QMenu *buildFileMenu();
    void newBank();
    void chooseBank();
    bool save();
    bool saveAs();
    void exportText();
    void chooseImport();
    void chooseResults();
    void exportResults();
    void loadToServer();
    void registerLesson();
    void showHelp();
    /// Whether the bank may be left: saved, or not saved by the teacher's choice; false to stay.
    bool mayLeave();
    bool keepDamagedOriginal(const QString &path);
    /// Whether the bank may be stored as it is: no problem that keeps a line out, levels short
    /// of questions confirmed.
    bool mayStore();
    /// Writes the bank over path; unless overwrite, not over a file changed on disk since read.
    bool writeBank(const QString &path, bool overwrite = false);
    /// The file changed on disk: a copy, a reload or an overwrite, as the teacher says.
    bool resolveChangedOnDisk(const QString &path);
    void changedOnDisk();
    void saved(const QString &path, const QByteArray &digest);
    void setPath(const QString &path);
    void updateTitle();
    void rememberFile(const QString &path);
    void fillRecent();
    void restoreSettings();
    void storeSettings() const;

    QString m_folder;
    TeacherPrompts *m_prompts;
    BankDocument *m_doc = nullptr;
    BankEditor *m_editor = nullptr;
    LessonsTab *m_lessons = nullptr;
    ResultsView *m_results = nullptr;
    QTabWidget *m_tabs = nullptr;
    QMenu *m_recent = nullptr; ///< the banks opened last
    QAction *m_loadToServer = nullptr; ///< «Загрузить файлы на сервер», where a server is named
    TeacherHelp *m_help = nullptr;
    ClassroomTab *m_classroom = nullptr; ///< «Класс по сети»: its room is closed with the window
    QString m_path;
    BankWatch *m_watch = nullptr; ///< the bank file as read or written, to see it change on disk
    QStringList m_kept; ///< the lines of a damaged bank kept among its notes when it opened
    QString m_damaged; ///< the bank file opened damaged and not yet saved over: its original is kept
};
