#include "lessonsmodel.h"

#include "bankcheck.h"
#include "cp1251.h"
#include "diagnostic.h"
#include "faq.h"
#include "files.h"
#include "inifile.h"
#include "lockedfile.h"
#include "plaintext.h"
#include "results.h"
#include "resultslist.h"
#include "settingsencoding.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

LessonsModel::LessonsModel(const QString &folder, QObject *parent) : QAbstractTableModel(parent), m_folder(folder)
{
    reload();
}

QString LessonsModel::settingsPath() const
{
    return SettingsFilePath(m_folder);
}

void LessonsModel::reload()
{
    beginResetModel();
    m_lessons.clear();
    const auto file = ReadWholeFile(settingsPath());
    const QByteArray bytes = file.ok() ? file.value.value_or(QByteArray()) : QByteArray();
    m_utf8 = SavedInUtf8(bytes);
    // A UTF-8 file's lessons are listed as the teacher wrote them, beside the warning, each
    // marked as one the game does not find: an empty table would say there are none.
    const QByteArray text = m_utf8 ? readableIn1251(bytes) : bytes;
    for (const QByteArray &name : IniSectionNames(text)) {
        // The game reads the first section of a name only, and so does this list.
        if (const auto bank = IniFindValue(text, name, LessonBankKey()))
            m_lessons.append(describe(name, *bank));
    }
    if (m_utf8)
        markUnread();
    else
        markSameLessons();
    endResetModel();
}

// The UTF-8 text as Windows-1251 for reading only: a character the code page lacks becomes "?",
// and nothing is written from it (every change converts the file first).
QByteArray LessonsModel::readableIn1251(QByteArrayView utf8)
{
    const QString text = QString::fromUtf8(WithoutBom(utf8));
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text)
        out.append(static_cast<char>(cp1251::byteOf(c.unicode()).value_or('?')));
    return out;
}

void LessonsModel::markUnread()
{
    for (Lesson &l : m_lessons) {
        l.playable = false;
        l.state = QStringLiteral("игра не найдёт: файл настроек в UTF-8 (вопросник: %1)").arg(l.state);
    }
}

// Two codes naming one bank file are one lesson to the attempt guard: each row says so.
void LessonsModel::markSameLessons()
{
    for (Lesson &l : m_lessons) {
        QStringList others;
        for (const Lesson &other : m_lessons) {
            if (&other != &l && !l.bankId.isEmpty() && other.bankId == l.bankId)
                others.append(QStringLiteral("«%1»").arg(cp1251::decode(other.section)));
        }
        if (!others.isEmpty())
            l.state += QStringLiteral("; одно занятие с %1").arg(others.join(QStringLiteral(", ")));
    }
}

int LessonsModel::recordsOf(int row) const
{
    const auto file = ReadWholeFile(ResultsFilePath(m_folder));
    if (!file.ok() || !file.value)
        return 0;
    const std::vector<ResultEntry> entries = ReadResultEntries(*file.value);
    return static_cast<int>(std::count_if(entries.begin(), entries.end(), [&](const ResultEntry &e) {
        return cp1251::equalsNoCase(e.lesson, m_lessons[row].section);
    }));
}

Status LessonsModel::addCode(int row, const QString &code)
{
    return addLesson(code, cp1251::decode(m_lessons[row].bank));
}

namespace {

// The Windows-1251 bytes of a UTF-8 settings text, or why it cannot have them.
Result<QByteArray> toWindows1251(QByteArrayView utf8)
{
    const QString text = QString::fromUtf8(WithoutBom(utf8));
    const QString bad = cp1251::firstUnencodable(text);
    if (!bad.isEmpty()) {
        const int line = static_cast<int>(text.left(text.indexOf(bad)).count(QLatin1Char('\n'))) + 1;
        return Result<QByteArray>::failure(
            QStringLiteral("Файл настроек не переведён в Windows-1251: в строке %1 символ %2, которого в этой "
                           "кодировке нет. Уберите его и попробуйте снова.").arg(line).arg(DescribeCharacter(bad)));
    }
    return Result<QByteArray>::success(*cp1251::encode(text));
}

} // namespace

Status LessonsModel::convertSettings()
{
    const Status s = ReplaceFileLocked(settingsPath(), [](const std::optional<QByteArray> &current)
                                                           -> Result<std::optional<QByteArray>> {
        using R = Result<std::optional<QByteArray>>;
        if (!current || !SavedInUtf8(*current))
            return R::success(std::nullopt); // nothing to convert: the file stays as it is
        auto converted = toWindows1251(*current);
        if (!converted.ok())
            return R::failure(converted.error);
        return R::success(std::move(converted.value));
    });
    reload();
    return s;
}

LessonsModel::Lesson LessonsModel::describe(QByteArray section, QByteArray bank) const
{
    Lesson l{std::move(section), std::move(bank), {}, false, {}};
    const QString file = FindBankFile(l.bank, m_folder);
    l.bankId = QFileInfo(file).canonicalFilePath();
    if (file.isEmpty()) {
        l.state = l.bank.isEmpty() ? QStringLiteral("вопросник не указан") : QStringLiteral("файл не найден");
        return l;
    }
    const auto bytes = ReadWholeFile(file);
    if (!bytes.ok() || !bytes.value) {
        l.state = bytes.error;
        return l;
    }
    const CheckOutcome checked = CheckBank(*bytes.value);
    QStringList empty;
    for (int level : checked.emptyLevels())
        empty.append(QString::number(level));
    l.playable = empty.isEmpty();
    l.state = l.playable ? QStringLiteral("годится для игры") : QStringLiteral("нет вопросов уровней ") + empty.join(QStringLiteral(", "));
    return l;
}

QString LessonsModel::code(int row) const
{
    return cp1251::decode(m_lessons[row].section);
}

QString LessonsModel::storedPath(const QString &bankFile) const
{
    const QString absolute = QFileInfo(bankFile).absoluteFilePath();
    const QString folder = QDir(m_folder).absolutePath() + QLatin1Char('/');
    const QString path = absolute.startsWith(folder) ? absolute.mid(folder.size()) : absolute;
    return QDir::toNativeSeparators(path);
}

Result<QByteArray> LessonsModel::lessonCode(const QString &code, int exceptRow) const
{
    using R = Result<QByteArray>;
    // The game upper-cases the code a student types; the section is written the same way.
    const QString upper = code.trimmed().toUpper();
    if (upper.isEmpty())
        return R::failure(QStringLiteral("Код занятия не может быть пустым."));
    const auto bytes = cp1251::encode(upper);
    if (!bytes)
        return R::failure(QStringLiteral("Код «%1» нельзя записать в кодировке Windows-1251: символ %2.")
                              .arg(upper, DescribeCharacter(cp1251::firstUnencodable(upper))));
    for (int row = 0; row < m_lessons.size(); ++row) {
        if (row != exceptRow && cp1251::equalsNoCase(m_lessons[row].section, *bytes))
            return R::failure(QStringLiteral("Занятие «%1» уже есть.").arg(upper));
    }
    return R::success(*bytes);
}

Result<QByteArray> LessonsModel::bankValue(const QString &bankPath) const
{
    const QString stored = bankPath.trimmed();
    const auto bytes = cp1251::encode(stored);
    if (!bytes)
        return Result<QByteArray>::failure(QStringLiteral("Путь «%1» нельзя записать в кодировке Windows-1251: "
                                                          "переименуйте файл или папку.").arg(stored));
    return Result<QByteArray>::success(*bytes);
}

// The file is read again: an editor may have saved it in UTF-8 since the list was shown.
Status LessonsModel::writable()
{
    const auto file = ReadWholeFile(settingsPath());
    if (!file.ok() || !file.value || !SavedInUtf8(*file.value))
        return Status::success();
    if (!m_utf8)
        reload();
    return Status::failure(QStringLiteral("Файл настроек сохранён в кодировке UTF-8, а занятия записываются в "
                                          "Windows-1251: в одном файле двух кодировок быть не должно. Сначала "
                                          "переведите файл в Windows-1251 (кнопка «Перевести в Windows-1251»)."));
}

Status LessonsModel::addLesson(const QString &code, const QString &bankPath)
{
    if (const Status s = writable(); !s.ok())
        return s;
    const auto section = lessonCode(code, -1);
    if (!section.ok())
        return Status::failure(section.error);
    const auto bank = bankValue(bankPath);
    if (!bank.ok())
        return Status::failure(bank.error);
    const Status s = IniWriteString(settingsPath(), section.value, LessonBankKey(), bank.value);
    reload();
    return s;
}

Status LessonsModel::renameLesson(int row, const QString &code)
{
    if (const Status s = writable(); !s.ok())
        return s;
    const auto section = lessonCode(code, row);
    if (!section.ok())
        return Status::failure(section.error);
    const Status s = IniRenameSection(settingsPath(), m_lessons[row].section, section.value);
    reload();
    return s;
}

Status LessonsModel::removeLesson(int row)
{
    if (const Status s = writable(); !s.ok())
        return s;
    const Status s = IniDeleteSection(settingsPath(), m_lessons[row].section);
    reload();
    return s;
}

Status LessonsModel::setBank(int row, const QString &bankPath)
{
    if (const Status s = writable(); !s.ok())
        return s;
    const auto bank = bankValue(bankPath);
    if (!bank.ok())
        return Status::failure(bank.error);
    const Status s = IniWriteString(settingsPath(), m_lessons[row].section, LessonBankKey(), bank.value);
    reload();
    return s;
}

int LessonsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_lessons.size());
}

int LessonsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LessonsModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Lesson &l = m_lessons[index.row()];
    if (role == Qt::BackgroundRole && index.column() == State && !l.playable)
        return QColor(0xFF, 0xC8, 0xC8);
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Code: return cp1251::decode(l.section);
    case Bank: return cp1251::decode(l.bank);
    default: return l.state;
    }
}

bool LessonsModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const int column = index.column();
    if (column == State || value.toString() == data(index, Qt::EditRole).toString())
        return false;
    // A code with records is renamed only after the teacher has read what it does to attempts.
    if (column == Code && recordsOf(index.row()) > 0) {
        emit refused(QStringLiteral("У занятия «%1» есть записи в файле результатов. Переименуйте его кнопкой "
                                    "«Переименовать…»: она скажет, что станет с попытками учеников.")
                         .arg(code(index.row())));
        return false;
    }
    const Status s = column == Code ? renameLesson(index.row(), value.toString()) : setBank(index.row(), value.toString());
    if (!s.ok())
        emit refused(s.error);
    return s.ok();
}

QVariant LessonsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case Code: return QStringLiteral("Код занятия");
    case Bank: return QStringLiteral("Вопросник");
    case State: return QStringLiteral("Проверка");
    default: return {};
    }
}

Qt::ItemFlags LessonsModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return index.column() == State ? base : base | Qt::ItemIsEditable;
}
