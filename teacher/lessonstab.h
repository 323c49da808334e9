#pragma once
// The lessons tab: the lessons of the settings file, added, renamed and removed.

#include <QWidget>

class LessonsModel;
class QLabel;
class QTableView;
class TeacherPrompts;

class LessonsTab : public QWidget
{
    Q_OBJECT

public:
    /// folder: the program folder, ending in "/", whose tallory.ini is edited.
    LessonsTab(const QString &folder, TeacherPrompts *prompts, QWidget *parent = nullptr);

    LessonsModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }

    /// Asks for a code and a bank file and adds the lesson; suggested: the bank offered first.
    void addLesson(const QString &suggested = {});
    void renameLesson();
    void removeLesson();
    void chooseBank();
    /// Rewrites a UTF-8 settings file in Windows-1251, the game's encoding.
    void convertSettings();

private:
    int currentRow() const;
    bool readyToWrite();
    QWidget *buildEncodingWarning();
    void showEncoding();
    void report(const QString &error);

    TeacherPrompts *m_prompts;
    LessonsModel *m_model = nullptr;
    QTableView *m_table = nullptr;
    QWidget *m_encoding = nullptr; ///< the warning about a UTF-8 settings file, with its button
};
