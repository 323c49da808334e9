#include "classroomtab.h"

#include "classprocess.h"
#include "cp1251.h"
#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "lockedfile.h"
#include "prompts.h"
#include "qrcode.h"
#include "roomclient.h"
#include "roommodel.h"
#include "tablefit.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFontMetrics>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace {

const QString kCaption = QStringLiteral("Класс по сети");
const QString kRoomTitle = QStringLiteral("Ученики");
const QString kClosedTitle = QStringLiteral("Ученики: класс закрыт, здесь то, что было видно последним");
const QString kNoAddress = QStringLiteral("Здесь появятся адрес и QR-код, когда класс откроется.");
const QString kClosed = QStringLiteral("Класс не открыт. Отметьте занятия и нажмите «Начать».");
const QString kNoLessons = QStringLiteral("В файле настроек нет занятий: добавьте их на вкладке «Занятия».");
const QString kListening = QStringLiteral("Класс открыт. Ученики открывают этот адрес в браузере или наводят "
                                          "камеру телефона на код.");
// Big enough for a phone to read off a projected screen from the back of the room, small
// enough to leave the table its room on a 1024×768 screen.
constexpr int kQrSide = 260;
constexpr int kAddressPoints = 32; ///< the address's type where the tab is wide enough

// tallory-class beside the workbench, as the build and the package lay them out; else one on the PATH.
QString defaultProgram()
{
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tallory-class"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    const QString onPath = QStandardPaths::findExecutable(QStringLiteral("tallory-class"));
    return onPath.isEmpty() ? beside : onPath;
}

// The lessons of the folder's settings file, as the game finds them.
QStringList folderLessons(const QString &folder)
{
    const auto file = ReadWholeFile(SettingsFilePath(folder));
    const QByteArray text = file.ok() ? file.value.value_or(QByteArray()) : QByteArray();
    QStringList lessons;
    for (const QByteArray &name : IniSectionNames(text)) {
        if (IniFindValue(text, name, LessonBankKey()) && !lessons.contains(cp1251::decode(name)))
            lessons.append(cp1251::decode(name));
    }
    return lessons;
}

} // namespace

ClassroomTab::ClassroomTab(const QString &folder, TeacherPrompts *prompts, QWidget *parent)
    : QWidget(parent), m_folder(folder), m_prompts(prompts), m_process(new ClassProcess(this)),
      m_client(new RoomClient(this)), m_model(new RoomModel(this))
{
    m_process->setProgram(defaultProgram(), QProcess::splitCommand(qEnvironmentVariable("TALLORY_CLASS_OPTIONS")));
    auto *top = new QHBoxLayout;
    top->addWidget(buildLessons(), 1);
    top->addWidget(buildJoin(), 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buildRoom(), 1);

    connect(m_process, &ClassProcess::listening, this, &ClassroomTab::listening);
    connect(m_process, &ClassProcess::ended, this, &ClassroomTab::ended);
    connect(m_client, &RoomClient::roomRead, this, [this](const QJsonObject &room) {
        m_model->update(room.value(QStringLiteral("students")).toArray());
    });
    connect(m_client, &RoomClient::roomProblem, this, [this](const QString &why) {
        if (!m_attached.isEmpty())
            say(why.isEmpty() ? m_attachedText : why, !why.isEmpty());
        else if (m_process->isRunning() && !m_process->address().isEmpty())
            say(why.isEmpty() ? kListening : why, !why.isEmpty());
    });
    connect(m_client, &RoomClient::actionRefused, this, [this](const QString &why) {
        m_prompts->showError(this, kCaption, why);
    });
    connect(m_model, &QAbstractItemModel::dataChanged, this, &ClassroomTab::updateButtons);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &ClassroomTab::updateButtons);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ClassroomTab::updateButtons);
    say(kClosed);
    reloadLessons();
}

ClassroomTab::~ClassroomTab() = default;

QWidget *ClassroomTab::buildLessons()
{
    auto *box = new QGroupBox(QStringLiteral("Занятия для класса"), this);
    m_lessons = new QListWidget(box);
    m_lessons->setAccessibleName(QStringLiteral("Занятия для класса"));
    connect(m_lessons, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        m_unchecked.removeAll(item->text());
        if (item->checkState() != Qt::Checked)
            m_unchecked.append(item->text());
    });
    m_start = new QPushButton(QStringLiteral("Начать"), box);
    m_stop = new QPushButton(QStringLiteral("Остановить"), box);
    connect(m_start, &QPushButton::clicked, this, &ClassroomTab::start);
    connect(m_stop, &QPushButton::clicked, this, &ClassroomTab::stop);
    // The school's service, or a room another teacher's workbench opened: watched, not run.
    m_attach = new QPushButton(QStringLiteral("Подключиться к серверу класса…"), box);
    m_detach = new QPushButton(QStringLiteral("Отключиться"), box);
    connect(m_attach, &QPushButton::clicked, this, &ClassroomTab::attach);
    connect(m_detach, &QPushButton::clicked, this, &ClassroomTab::detach);
    m_status = new QLabel(box);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_start);
    buttons->addWidget(m_stop);
    buttons->addStretch();
    auto *server = new QHBoxLayout;
    server->addWidget(m_attach);
    server->addWidget(m_detach);
    server->addStretch();
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(m_lessons, 1);
    layout->addLayout(buttons);
    layout->addLayout(server);
    layout->addWidget(m_status);
    return box;
}

QWidget *ClassroomTab::buildJoin()
{
    auto *box = new QGroupBox(QStringLiteral("Адрес для учеников"), this);
    m_address = new QLabel(box);
    m_address->setAccessibleName(QStringLiteral("Адрес для учеников"));
    m_address->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // One line, as large as the room beside the code allows: an address broken in two is
    // misread from the back of the room.
    m_address->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_address->setWordWrap(true);
    m_address->installEventFilter(this);
    m_address->setText(kNoAddress);
    m_qr = new QLabel(box);
    m_qr->setAccessibleName(QStringLiteral("QR-код адреса для учеников"));
    m_qr->setFixedSize(kQrSide, kQrSide);
    m_qr->setAlignment(Qt::AlignCenter);
    auto *layout = new QHBoxLayout(box);
    layout->addWidget(m_address, 1);
    layout->addWidget(m_qr);
    return box;
}

QWidget *ClassroomTab::buildRoom()
{
    auto *box = new QGroupBox(kRoomTitle, this);
    m_roomBox = box;
    m_table = new QTableView(box);
    m_table->setObjectName(QStringLiteral("roomTable"));
    m_table->setAccessibleName(QStringLiteral("Ученики"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // The weights of name, lesson, device, level, points, lifelines, state and page leaves.
    auto *fit = new TableFit(m_table, {3, 1, 1, 0, 0, 1, 2, 0});
    // The longest state whole: a finished game with the longest grade word.
    QList<int> preferred(RoomModel::ColumnCount, 0);
    preferred[RoomModel::State] = m_table->fontMetrics().horizontalAdvance(QStringLiteral("закончил: 2 (Неудовлетворительно)")) + 16;
    fit->setPreferred(preferred);
    m_end = new QPushButton(QStringLiteral("Завершить игру"), box);
    m_allow = new QPushButton(QStringLiteral("Разрешить продолжить на другом устройстве"), box);
    connect(m_end, &QPushButton::clicked, this, &ClassroomTab::endGame);
    connect(m_allow, &QPushButton::clicked, this, &ClassroomTab::allowMove);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_end);
    buttons->addWidget(m_allow);
    buttons->addStretch();
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(m_table, 1);
    layout->addLayout(buttons);
    return box;
}

void ClassroomTab::setProgram(const QString &program)
{
    m_process->setProgram(program, QProcess::splitCommand(qEnvironmentVariable("TALLORY_CLASS_OPTIONS")));
}

QString ClassroomTab::address() const
{
    return m_attached.isEmpty() ? m_process->address() : m_attachedAddress;
}

bool ClassroomTab::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_address && event->type() == QEvent::Resize && !address().isEmpty())
        fitAddress();
    return QWidget::eventFilter(watched, event);
}

void ClassroomTab::fitAddress()
{
    QFont large = font();
    large.setBold(true);
    const int room = m_address->contentsRect().width();
    for (int points = kAddressPoints; points >= 10; --points) {
        large.setPointSize(points);
        if (QFontMetrics(large).horizontalAdvance(m_address->text()) <= room)
            break;
    }
    m_address->setFont(large);
}

void ClassroomTab::showEvent(QShowEvent *event)
{
    // The lessons tab may have changed the settings file since.
    if (!m_process->isRunning())
        reloadLessons();
    QWidget::showEvent(event);
}

void ClassroomTab::reloadLessons()
{
    const QSignalBlocker quiet(m_lessons);
    m_lessons->clear();
    for (const QString &lesson : folderLessons(m_folder)) {
        auto *item = new QListWidgetItem(lesson, m_lessons);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(m_unchecked.contains(lesson) ? Qt::Unchecked : Qt::Checked);
    }
    if (m_lessons->count() == 0)
        say(kNoLessons, true);
    else if (m_status->text() == kNoLessons)
        say(kClosed);
    updateButtons();
}

void ClassroomTab::start()
{
    QStringList lessons;
    for (int i = 0; i < m_lessons->count(); ++i) {
        if (m_lessons->item(i)->checkState() == Qt::Checked)
            lessons.append(m_lessons->item(i)->text());
    }
    if (lessons.isEmpty()) {
        say(QStringLiteral("Отметьте хотя бы одно занятие."), true);
        return;
    }
    m_model->clear();
    m_roomBox->setTitle(kRoomTitle);
    say(QStringLiteral("Класс открывается…"));
    m_process->start(m_folder, lessons);
    updateButtons();
}

void ClassroomTab::stop()
{
    say(QStringLiteral("Класс закрывается: игры сохраняются…"));
    m_process->stop();
    updateButtons();
}

void ClassroomTab::showAddress(const QString &address)
{
    m_address->setText(address);
    fitAddress();
    m_roomBox->setTitle(kRoomTitle);
    const QImage code = QrImage(address, 1);
    m_qr->setPixmap(QPixmap::fromImage(QrImage(address, qMax(1, kQrSide / qMax(1, code.width())))));
    m_qr->setAccessibleDescription(address);
}

void ClassroomTab::clearAddress()
{
    m_address->setFont(font());
    m_address->setText(kNoAddress);
    m_qr->clear();
    m_qr->setAccessibleDescription({});
}

void ClassroomTab::listening(const QString &address)
{
    showAddress(address);
    say(kListening);
    m_client->watch(QUrl(address), m_process->key());
    updateButtons();
}

void ClassroomTab::ended(const QString &problem)
{
    m_client->stopWatching();
    clearAddress();
    if (m_model->rowCount() > 0)
        m_roomBox->setTitle(kClosedTitle);
    if (problem.isEmpty())
        say(QStringLiteral("Класс закрыт."));
    else
        say(problem, true);
    updateButtons();
}

int ClassroomTab::selectedRow() const
{
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.constFirst().row();
}

void ClassroomTab::endGame()
{
    const int row = selectedRow();
    if (row < 0 || m_model->student(row).finished())
        return;
    const RoomStudent s = m_model->student(row);
    const auto answer = m_prompts->choose(
        this, QStringLiteral("Завершить игру"),
        QStringLiteral("Завершить игру «%1» на занятии «%2»? Игра закончится так, как если бы ученик нажал "
                       "«Стоп»: оценка — по набранным очкам, второй попытки не будет.")
            .arg(s.name, s.lesson),
        {QStringLiteral("Не завершать"), QStringLiteral("Завершить игру")});
    if (answer == 1)
        m_client->endGame(s.id);
}

void ClassroomTab::allowMove()
{
    const int row = selectedRow();
    if (row >= 0 && !m_model->student(row).finished())
        m_client->allowMove(m_model->student(row).id);
}

bool ClassroomTab::closeRoom()
{
    // A server the tab did not start goes on serving its students without the workbench.
    if (!m_attached.isEmpty())
        detach();
    if (!m_process->isRunning())
        return true;
    if (const int playing = m_model->playing(); playing > 0) {
        const auto answer = m_prompts->choose(
            this, kCaption,
            QStringLiteral("Учеников в игре: %1. Если закрыть мастерскую, класс закроется, и их игры останутся "
                           "незаконченными. Закрыть?").arg(playing),
            {QStringLiteral("Не закрывать"), QStringLiteral("Закрыть мастерскую и класс")});
        if (answer != 1)
            return false;
    }
    m_client->stopWatching();
    say(QStringLiteral("Класс закрывается: игры сохраняются…"));
    m_process->stopAndWait(30000);
    return true;
}

void ClassroomTab::updateButtons()
{
    const bool running = m_process->isRunning();
    const bool watched = !m_attached.isEmpty();
    m_start->setEnabled(!running && !watched && !m_probing && m_lessons->count() > 0);
    m_stop->setEnabled(running);
    m_attach->setEnabled(!running && !watched && !m_probing);
    m_detach->setEnabled(watched);
    m_lessons->setEnabled(!running && !watched);
    const int row = selectedRow();
    const bool open = (running || watched) && row >= 0 && !m_model->student(row).finished();
    m_end->setEnabled(open);
    m_allow->setEnabled(open && !m_model->student(row).moveAllowed);
}

void ClassroomTab::say(const QString &text, bool problem)
{
    // Said again with every reading of the room: only a change is worth a repaint.
    if (m_status->text() == text && m_status->property("problem").toBool() == problem)
        return;
    m_status->setProperty("problem", problem);
    m_status->setText(text);
    m_status->setStyleSheet(problem ? QStringLiteral("color: #a00000;") : QString());
}
