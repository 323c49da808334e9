#pragma once
// The class's results: one table of every record of one or several results files, filtered as
// the teacher types, with the grade chart of the chosen lesson. Where the program folder names
// the school's server, the table shows the whole school's rows from it instead, filtered by
// machine and date too, and follows new ones as the server announces them.

#include "result.h"
#include "serverload.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <vector>

struct ServerResultRow;
class GradeChart;
class QComboBox;
class QDateEdit;
class QThread;
class ResultsServer;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableView;
class ResultsFiles;
class ResultsFilter;
class ResultsModel;
class TableFit;

/// Turns on a filter field's clear button, named for a screen reader.
void EnableNamedClearButton(QLineEdit *edit);

class ResultsView : public QWidget
{
    Q_OBJECT

public:
    explicit ResultsView(QWidget *parent = nullptr);
    /// Waits for a reading or a load under way to end.
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

    /// Reads the school's results from this service instead of the files. The server is
    /// connected to and read on a thread of the view's own, never holding the window; while it
    /// is out of reach the files stay shown with a line that says what to fix and a button to
    /// try again at once, and it is tried again by itself every few seconds until it answers.
    void useServer(const QString &service);
    /// Whether the table shows the server's rows now.
    bool showsServer() const;
    /// How long a server out of reach is left before the next try (5 s unless set).
    void setServerRetryMs(int ms);
    /// Whether the server is being connected to, read or loaded into now.
    bool busy() const { return m_connecting || m_reading || !m_loads.isEmpty(); }
    /// Loads the results files and the answer journals into the server, each row once, off the
    /// window's thread; done then gets the Russian account of what was stored (a journal that
    /// failed named with its reason), or fails only when the server cannot be reached. A load
    /// asked for while one runs follows it.
    void loadFilesToServer(const QStringList &paths, const QStringList &journals,
                           const std::function<void(const Result<QString> &)> &done);
    /// A line for the teacher under the server's name: what a load did.
    void showServerNote(const QString &text);

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
    QWidget *buildServerBar();
    void connectServerReader();
    void connectServer();
    void readServer();
    void showServerRows(const std::vector<ServerResultRow> &rows);
    void fallBackToFiles(const QString &problem);

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
    QThread *m_serverThread = nullptr; ///< where the server is read
    ResultsServer *m_server = nullptr; ///< the server's rows, announcements and loads; on m_serverThread
    QString m_service;                 ///< the server named; empty without one
    bool m_open = false;               ///< the server answers
    bool m_connecting = false;         ///< a connection is being made
    bool m_reading = false;            ///< rows are being read
    bool m_readAgain = false;          ///< and are to be read again once they come
    QList<std::function<void(const Result<QString> &)>> m_loads; ///< loads under way, first first
    QWidget *m_serverBar = nullptr;    ///< the server's line and its filters; hidden without a server
    QLabel *m_serverLine = nullptr;    ///< which server is read, or why it is not
    QPushButton *m_reconnect = nullptr; ///< tries the server again after it was out of reach
    QWidget *m_serverFilters = nullptr; ///< machine and dates, which the server filters
    QLineEdit *m_machineEdit = nullptr;
    QDateEdit *m_fromDate = nullptr;   ///< its least date stands for "any"
    QDateEdit *m_toDate = nullptr;
    QString m_serverNote;              ///< what the last load did
};
