#include "bankeditor.h"

#include "bankdocument.h"
#include "illustration.h"
#include "levelmodel.h"
#include "problemmodel.h"
#include "prompts.h"
#include "questionmodel.h"
#include "tablefit.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int kIllustrationColumn = 5;
const QSize kPreviewSize(220, 165);

QAction *makeAction(QWidget *owner, const QString &text, const QKeySequence &key, const char *name)
{
    auto *a = new QAction(text, owner);
    a->setShortcut(key);
    a->setObjectName(QLatin1String(name));
    owner->addAction(a);
    return a;
}

} // namespace

// The table's own delegate, which tells the editor when a cell's text changes while it is typed:
// the window counts a cell being typed into as a change of the bank.
class CellDelegate final : public QStyledItemDelegate
{
public:
    CellDelegate(BankEditor *editor) : QStyledItemDelegate(editor), m_editor(editor) {}

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QWidget *w = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(w))
            QObject::connect(line, &QLineEdit::textEdited, m_editor, &BankEditor::pendingEditChanged);
        return w;
    }

private:
    BankEditor *m_editor;
};

BankEditor::BankEditor(BankDocument *doc, const QString &folder, TeacherPrompts *prompts, QWidget *parent)
    : QWidget(parent), m_doc(doc), m_folder(folder), m_prompts(prompts)
{
    m_questionModel = new QuestionModel(doc, this);
    m_levelModel = new LevelModel(doc, this);
    m_problemModel = new ProblemModel(doc, this);
    buildActions();
    // Made in the order they stand, left to right, which is the order Tab visits them in.
    QWidget *left = buildLeft();

    m_table = new QTableView(this);
    m_table->setAccessibleName(QStringLiteral("Вопросы уровня"));
    m_table->setModel(m_questionModel);
    m_delegate = new CellDelegate(this);
    m_table->setItemDelegate(m_delegate);
    connect(m_delegate, &QAbstractItemDelegate::closeEditor, this, &BankEditor::pendingEditChanged);
    m_table->setSelectionBehavior(QAbstractItemView::SelectItems);
    // Several questions may be chosen (Shift, Ctrl) to be deleted or moved to a level at once.
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // The question and its four answers side by side on a 1024-pixel screen, none scrolled out
    // of sight: the columns share the table's width, the question the most; a text too long
    // for its cell wraps to a second line, and its tooltip gives it whole.
    new TableFit(m_table, {3, 2, 2, 2, 2, 1});
    m_table->setWordWrap(true);
    m_table->verticalHeader()->setDefaultSectionSize(2 * m_table->fontMetrics().lineSpacing() + 8);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(left);
    splitter->addWidget(m_table);
    splitter->addWidget(buildRight());
    splitter->setStretchFactor(1, 1);
    // The levels and the picture take what they need; the questions the rest.
    splitter->setSizes({180, 600, kPreviewSize.width()});
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);

    connect(m_levels->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &now) {
                // What is typed into a cell belongs to the level it was typed in.
                commitEdit();
                if (now.isValid())
                    m_questionModel->setLevel(LevelModel::levelOf(now));
                updateActions();
                updatePreview();
            });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] {
        updateActions();
        updatePreview();
    });
    connect(m_questionModel, &QAbstractItemModel::dataChanged, this, &BankEditor::updatePreview);
    connect(m_questionModel, &QAbstractItemModel::modelReset, this, &BankEditor::updateActions);
    connect(m_questionModel, &QAbstractItemModel::rowsRemoved, this, &BankEditor::updateActions);
    connect(m_problems, &QListView::activated, this, [this](const QModelIndex &i) { jumpToProblem(i.row()); });
    connect(m_problems, &QListView::clicked, this, [this](const QModelIndex &i) { jumpToProblem(i.row()); });
    connect(m_minimum, &QSpinBox::valueChanged, doc, &BankDocument::setMinimum);
    connect(doc, &BankDocument::minimumChanged, m_minimum, &QSpinBox::setValue);
    connect(m_notes, &QPlainTextEdit::textChanged, this, &BankEditor::notesEdited);
    connect(doc, &BankDocument::notesChanged, this, &BankEditor::notesReplaced);
    setCurrentLevel(1);
    updateActions();
    updatePreview();
}

void BankEditor::buildActions()
{
    m_add = makeAction(this, QStringLiteral("Добавить вопрос"), Qt::Key_Insert, "actionAddQuestion");
    m_duplicate = makeAction(this, QStringLiteral("Дублировать вопрос"), Qt::CTRL | Qt::Key_D, "actionDuplicate");
    m_remove = makeAction(this, QStringLiteral("Удалить вопрос"), Qt::CTRL | Qt::Key_Delete, "actionRemoveQuestion");
    m_toLevel = makeAction(this, QStringLiteral("Перенести на уровень…"), Qt::CTRL | Qt::Key_M, "actionMoveToLevel");
    m_up = makeAction(this, QStringLiteral("Выше"), Qt::CTRL | Qt::Key_Up, "actionMoveUp");
    m_down = makeAction(this, QStringLiteral("Ниже"), Qt::CTRL | Qt::Key_Down, "actionMoveDown");
    m_picture = makeAction(this, QStringLiteral("Рисунок из файла…"), Qt::CTRL | Qt::Key_R, "actionPicture");
    // A question added, copied or moved while a cell is typed into takes the typed text along.
    for (QAction *a : {m_add, m_duplicate, m_remove, m_toLevel, m_up, m_down, m_picture})
        connect(a, &QAction::triggered, this, &BankEditor::commitEdit);
    connect(m_add, &QAction::triggered, this, &BankEditor::addQuestion);
    connect(m_duplicate, &QAction::triggered, this, &BankEditor::duplicateQuestion);
    connect(m_remove, &QAction::triggered, this, &BankEditor::removeQuestion);
    connect(m_toLevel, &QAction::triggered, this, &BankEditor::moveToLevel);
    connect(m_up, &QAction::triggered, this, [this] { moveBy(-1); });
    connect(m_down, &QAction::triggered, this, [this] { moveBy(1); });
    connect(m_picture, &QAction::triggered, this, &BankEditor::chooseIllustration);
}

QWidget *BankEditor::openEditor() const
{
    // The table holds no widget in a cell but the editor of the cell being typed into.
    return m_table->indexWidget(m_table->currentIndex());
}

bool BankEditor::hasPendingEdit() const
{
    auto *line = qobject_cast<QLineEdit *>(openEditor());
    return line && line->text() != m_questionModel->data(m_table->currentIndex(), Qt::EditRole).toString();
}

void BankEditor::commitEdit()
{
    QWidget *editor = openEditor();
    if (!editor)
        return;
    emit m_delegate->commitData(editor);
    emit m_delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
}

QWidget *BankEditor::buildLeft()
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    // Long captions wrap, so that the levels' column leaves the questions room.
    auto *notesLabel = new QLabel(QStringLiteral("Название и заметки (игра их не показывает):"), box);
    notesLabel->setWordWrap(true);
    layout->addWidget(notesLabel);
    m_notes = new QPlainTextEdit(box);
    m_notes->setObjectName(QStringLiteral("notes"));
    // Item views and text boxes are named for a reader here: it does not take their labels.
    m_notes->setAccessibleName(QStringLiteral("Название и заметки"));
    notesLabel->setBuddy(m_notes);
    // Tab goes on to the levels, as everywhere else; the notes take no tab characters.
    m_notes->setTabChangesFocus(true);
    m_notes->setMaximumHeight(80);
    layout->addWidget(m_notes);
    layout->addWidget(new QLabel(QStringLiteral("Уровни:"), box));
    m_levels = new QListView(box);
    m_levels->setObjectName(QStringLiteral("levels"));
    m_levels->setAccessibleName(QStringLiteral("Уровни"));
    m_levels->setModel(m_levelModel);
    m_levels->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(m_levels, 1);
    auto *minimumLabel = new QLabel(QStringLiteral("Не меньше вопросов на уровне:"), box);
    minimumLabel->setWordWrap(true);
    layout->addWidget(minimumLabel);
    m_minimum = new QSpinBox(box);
    m_minimum->setObjectName(QStringLiteral("minimum"));
    m_minimum->setAccessibleName(QStringLiteral("Не меньше вопросов на уровне"));
    minimumLabel->setBuddy(m_minimum);
    m_minimum->setRange(1, 1000);
    m_minimum->setValue(m_doc->minimum());
    layout->addWidget(m_minimum);
    return box;
}

QWidget *BankEditor::buildRight()
{
    auto *box = new QWidget(this);
    auto *layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Рисунок вопроса:"), box));
    m_preview = new QLabel(box);
    m_preview->setObjectName(QStringLiteral("preview"));
    m_preview->setMinimumSize(kPreviewSize);
    m_preview->setAlignment(Qt::AlignCenter);
    m_preview->setWordWrap(true);
    m_preview->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_preview);
    layout->addWidget(new QLabel(QStringLiteral("Ошибки (щёлкните, чтобы перейти):"), box));
    m_problems = new QListView(box);
    m_problems->setObjectName(QStringLiteral("problems"));
    m_problems->setAccessibleName(QStringLiteral("Ошибки"));
    m_problems->setModel(m_problemModel);
    m_problems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_problems->setWordWrap(true);
    layout->addWidget(m_problems, 1);
    return box;
}

QList<QAction *> BankEditor::editActions() const
{
    return {m_add, m_duplicate, m_remove, m_toLevel, m_up, m_down, m_picture};
}

int BankEditor::currentLevel() const
{
    return m_questionModel->level();
}

void BankEditor::setCurrentLevel(int level)
{
    m_levels->setCurrentIndex(m_levelModel->indexOf(level));
}

int BankEditor::currentRow() const
{
    const QModelIndex i = m_table->currentIndex();
    return i.isValid() ? i.row() : -1;
}

QList<int> BankEditor::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &i : m_table->selectionModel()->selectedIndexes())
        rows.append(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    if (rows.isEmpty() && currentRow() >= 0)
        rows.append(currentRow());
    return rows;
}

void BankEditor::setCurrentCell(int row, int column)
{
    // The cell becomes the whole choice, whatever keys are held: an edit made with Ctrl (Ctrl+D,
    // Ctrl+Down) must not leave the earlier choice standing for the next Ctrl+M or Ctrl+Delete.
    const QModelIndex i = m_questionModel->index(row, column);
    m_table->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    m_table->scrollTo(i);
}

void BankEditor::jumpToProblem(int problemRow)
{
    if (problemRow < 0 || problemRow >= m_problemModel->rowCount())
        return;
    const BankProblem p = m_problemModel->problem(problemRow);
    if (p.level == 0) {
        m_notes->setFocus();
        return;
    }
    setCurrentLevel(p.level);
    if (p.row >= 0)
        setCurrentCell(p.row, qMax(0, p.column));
    m_table->setFocus();
}

void BankEditor::addQuestion()
{
    const int row = currentRow() + 1;
    m_doc->addQuestion(currentLevel(), row, QuestionFields{});
    typeInto(row);
}

// A new question is written next: the keyboard goes to its first cell, wherever it was.
void BankEditor::typeInto(int row)
{
    setCurrentCell(row, 0);
    m_table->setFocus();
    m_table->edit(m_questionModel->index(row, 0));
}

void BankEditor::duplicateQuestion()
{
    const int row = currentRow();
    if (row < 0)
        return;
    m_doc->duplicateQuestion(currentLevel(), row);
    typeInto(row + 1);
}

void BankEditor::removeQuestion()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    m_doc->removeQuestions(currentLevel(), rows);
    if (m_questionModel->rowCount() > 0)
        setCurrentCell(qMin(rows.front(), m_questionModel->rowCount() - 1), 0);
}

void BankEditor::moveToLevel()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const QString title = rows.size() == 1 ? QStringLiteral("Перенести вопрос")
                                           : QStringLiteral("Перенести вопросы (%1)").arg(rows.size());
    const auto target = m_prompts->askLevel(this, title, currentLevel());
    if (!target)
        return;
    m_doc->moveToLevel(currentLevel(), rows, *target);
    if (m_questionModel->rowCount() > 0)
        setCurrentCell(qMin(rows.front(), m_questionModel->rowCount() - 1), 0);
}

void BankEditor::moveBy(int step)
{
    const int row = currentRow();
    const int to = row + step;
    if (row < 0 || to < 0 || to >= m_questionModel->rowCount())
        return;
    const int column = m_table->currentIndex().column();
    m_doc->moveQuestion(currentLevel(), row, to);
    setCurrentCell(to, column);
}

void BankEditor::chooseIllustration()
{
    const int row = currentRow();
    if (row < 0)
        return;
    const QString file = m_prompts->openFile(this, QStringLiteral("Рисунок вопроса"),
                                             QStringLiteral("Рисунки (*.png *.jpg *.jpeg *.gif *.bmp);;Все файлы (*)"));
    if (file.isEmpty())
        return;
    // A picture in the program folder is named relative to it, so the folder can be copied
    // to the class's machines as it is.
    const QString absolute = QFileInfo(file).absoluteFilePath();
    const QString folder = QDir(m_folder).absolutePath() + QLatin1Char('/');
    const QString stored = absolute.startsWith(folder) ? absolute.mid(folder.size()) : absolute;
    m_doc->setField(currentLevel(), row, kIllustrationColumn, QDir::toNativeSeparators(stored));
}

QString BankEditor::illustrationFile(const QString &reference) const
{
    // Read as the game reads it.
    return IsWebIllustration(reference) ? QString() : IllustrationLocation(reference, m_folder);
}

void BankEditor::updatePreview()
{
    const int row = currentRow();
    const QString ref = row >= 0 ? m_doc->question(currentLevel(), row).illustration.trimmed() : QString();
    m_preview->setPixmap({});
    if (ref.isEmpty()) {
        m_preview->setText(QStringLiteral("без рисунка"));
        return;
    }
    if (IsWebIllustration(ref)) {
        m_preview->setText(QStringLiteral("Веб-адрес: %1\nигра откроет его во встроенном браузере").arg(ref));
        return;
    }
    QImageReader reader(illustrationFile(ref));
    reader.setAutoTransform(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        m_preview->setText(QStringLiteral("Файл «%1» не найден или это не рисунок").arg(ref));
        return;
    }
    m_preview->setText({});
    m_preview->setPixmap(QPixmap::fromImage(image.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
}

QString BankEditor::previewText() const
{
    return m_preview->text();
}

bool BankEditor::previewShowsPicture() const
{
    return !m_preview->pixmap().isNull();
}

void BankEditor::updateActions()
{
    const bool has = currentRow() >= 0;
    for (QAction *a : {m_duplicate, m_remove, m_toLevel, m_up, m_down, m_picture})
        a->setEnabled(has);
}

void BankEditor::notesEdited()
{
    QStringList lines = m_notes->toPlainText().split(QLatin1Char('\n'));
    lines.removeIf([](const QString &l) { return l.trimmed().isEmpty(); });
    m_doc->setNotes(lines);
}

void BankEditor::notesReplaced()
{
    QStringList shown = m_notes->toPlainText().split(QLatin1Char('\n'));
    shown.removeIf([](const QString &l) { return l.trimmed().isEmpty(); });
    if (shown != m_doc->notes())
        m_notes->setPlainText(m_doc->notes().join(QLatin1Char('\n')));
}
