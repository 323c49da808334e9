#pragma once
// The class's results: one table of every record of one or several results files, filtered as
// the teacher types, with the grade chart of the chosen lesson.

#include <QStringList>
#include <QWidget>

class GradeChart;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;
class ResultsFiles;
class ResultsFilter;
class ResultsModel;
class TableFit;

class ResultsView : public QWidget
{
    Q_OBJECT

public:
    explicit ResultsView(QWidget *parent = nullptr);
    ~ResultsView() override;

    /// Shows the records of these results files (replacing what was shown) and watches them.
    void openFiles(const QStringList &paths);
    /// The files shown.
    QStringList files() const;
    /// Takes the file chosen in the list of files off the table; it is watched no more.
    void removeChosenFile();
    /// Writes the records shown as CSV, as tallory-results --csv does; false with a message box
    /// reported through the returned error text when it cannot be written.
    bool exportCsv(const QString &path, QString *error = nullptr) const;

public slots:
    /// Reads the files again now; a change of a watched file calls it by itself.
    void refresh();

signals:
    /// The records shown were read again because the files changed since they were last read.
    void refreshed();
    /// The teacher asked for more files to be added.
    void addRequested();

private:
    void buildLayout();
    QWidget *buildFilesPane();
    void fillFiles();
    void showSources();
    void fitColumns();
    void fillLessons();
    void chooseLesson(int index);
    void typeName(const QString &text);
    void updateShown();
    QString statusText() const;

    ResultsFiles *m_files = nullptr;   ///< the open files and their watcher
    ResultsModel *m_model = nullptr;   ///< every record of the open files, merged
    ResultsFilter *m_filter = nullptr; ///< the records asked for, sorted as asked
    QComboBox *m_lessonBox = nullptr;  ///< "Все занятия" and every lesson of the records
    QLineEdit *m_nameEdit = nullptr;   ///< part of a name, filtering as it is typed
    QTableView *m_table = nullptr;     ///< the records shown
    TableFit *m_fit = nullptr;         ///< keeps the table's columns inside its width
    GradeChart *m_chart = nullptr;     ///< grade counts of the records shown
    QListWidget *m_fileList = nullptr; ///< the open files, one a line
    QPushButton *m_removeFile = nullptr; ///< takes the chosen file off
    QLabel *m_status = nullptr;        ///< how many records are shown, and files that could not be read
};
