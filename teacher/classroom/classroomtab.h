#pragma once
// The tab «Класс по сети»: the lessons of the program folder served to the students' own
// devices by tallory-class, started and stopped here, or a class server running elsewhere (the
// school's service) watched here; the address to open, in large type and as a QR code for the
// projector; and the room live, with the teacher's two actions on a game.
//
// The program is tallory-class beside the workbench (or on the PATH). TALLORY_CLASS_OPTIONS,
// read by this tab only, adds options to its command line, e.g. "--port 8081" or, for a test,
// "--port 0 --address 127.0.0.1".

#include <QUrl>
#include <QWidget>

class ClassProcess;
class QLabel;
class QGroupBox;
class QJsonObject;
class QListWidget;
class QPushButton;
class QTableView;
class RoomClient;
class RoomModel;
class TeacherPrompts;

class ClassroomTab : public QWidget
{
    Q_OBJECT

public:
    /// folder: the program folder, ending in "/", that tallory-class serves.
    ClassroomTab(const QString &folder, TeacherPrompts *prompts, QWidget *parent = nullptr);
    ~ClassroomTab() override;

    /// Runs another tallory-class than the one beside the workbench (tests run the build's).
    void setProgram(const QString &program);

    /// Whether the workbench may close: a room with students in a game asks first, and the
    /// answer that keeps the room is the default. The room is stopped when it may.
    bool closeRoom();

    RoomModel *model() const { return m_model; }
    QTableView *table() const { return m_table; }
    /// The address students open; empty while no room runs and none is watched.
    QString address() const;
    /// The class server watched without having started it; empty when none.
    QUrl attachedServer() const { return m_attached; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildLessons();
    QWidget *buildJoin();
    QWidget *buildRoom();
    void reloadLessons();
    /// The address's type as large as its line allows.
    void fitAddress();
    void start();
    void stop();
    /// Asks a running class server's address and the teacher's key, and watches it when it
    /// answers to them; anything else leaves the tab as it was.
    void attach();
    void attached(const QUrl &base, const QByteArray &key, const QJsonObject &room);
    /// Stops watching the server attached to; it goes on serving.
    void detach();
    void showAddress(const QString &address);
    void clearAddress();
    void listening(const QString &address);
    void ended(const QString &problem);
    void endGame();
    void allowMove();
    /// The selected student's row; -1 when none.
    int selectedRow() const;
    void updateButtons();
    void say(const QString &text, bool problem = false);

    QString m_folder;
    TeacherPrompts *m_prompts;
    ClassProcess *m_process = nullptr;
    RoomClient *m_client = nullptr;
    RoomModel *m_model = nullptr;
    QListWidget *m_lessons = nullptr; ///< the folder's lessons, checked to be opened
    QPushButton *m_start = nullptr;   ///< «Начать»
    QPushButton *m_stop = nullptr;    ///< «Остановить»
    QPushButton *m_attach = nullptr;  ///< «Подключиться к серверу класса…»
    QPushButton *m_detach = nullptr;  ///< «Отключиться»
    QLabel *m_status = nullptr;       ///< what the room is doing, or why it is not
    QLabel *m_address = nullptr;      ///< the address in large type
    QLabel *m_qr = nullptr;           ///< the address as a QR code
    QGroupBox *m_roomBox = nullptr; ///< the table's frame, whose title says when the room has closed
    QTableView *m_table = nullptr;
    QPushButton *m_end = nullptr;   ///< «Завершить игру»
    QPushButton *m_allow = nullptr; ///< «Разрешить продолжить на другом устройстве»
    QStringList m_unchecked; ///< lessons the teacher left out, kept across a reload of the list
    QUrl m_attached;            ///< the server watched without having started it
    QString m_attachedAddress;  ///< the address its students open, as it says
    QString m_attachedText;     ///< what the status says while it answers
    bool m_probing = false;     ///< a server's answer to the address and key is awaited
    QString m_loginAddress;     ///< offered again at the next «Подключиться…»
    QString m_loginKey;         ///< the key file offered again; a typed key never is
};
