#pragma once
// The lessons of the settings file: each lesson code with the bank the game opens for it, and
// whether the game finds a playable bank there. Every change goes through the data layer's INI
// routines, so the rest of the settings file stays byte for byte.

#include "result.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QList>

class LessonsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Code, Bank, State, ColumnCount };

    /// folder: the program folder, ending in "/", whose tallory.ini is shown.
    explicit LessonsModel(const QString &folder, QObject *parent = nullptr);

    QString settingsPath() const;
    /// Reads the lessons of the settings file again.
    void reload();

    /// Whether the settings file was saved in UTF-8, where the game finds no Russian name.
    bool settingsInUtf8() const { return m_utf8; }
    /// Rewrites a UTF-8 settings file in Windows-1251, every line as it was; refused, and the
    /// file left alone, when a character has no place in Windows-1251.
    Status convertSettings();

    /// The lesson code of a row, as shown.
    QString code(int row) const;
    /// The path the settings file holds for a bank file: relative when it lies in the program folder.
    QString storedPath(const QString &bankFile) const;

    // Each change is refused, the file left alone, while the file is in UTF-8: the lines written
    // are Windows-1251, and one file in two encodings is read right by nobody.
    // bankPath: the text the settings file is to hold (see storedPath for a chosen file).
    Status addLesson(const QString &code, const QString &bankPath);
    Status renameLesson(int row, const QString &code);
    /// Adds code as another code of the row's lesson: the same bank, so the same lesson to the
    /// attempt guard, whose records count under either code.
    Status addCode(int row, const QString &code);
    /// The records of the row's lesson code in the folder's results file.
    int recordsOf(int row) const;
    Status removeLesson(int row);
    Status setBank(int row, const QString &bankPath);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    /// A change could not be made; the text says why, in Russian.
    void refused(const QString &why);

private:
    struct Lesson {
        QByteArray section; // as the file spells it
        QByteArray bank;
        QString state;
        bool playable = false;
        QString bankId; ///< the bank file's canonical path; empty when not found
    };
    Lesson describe(QByteArray section, QByteArray bank) const;
    static QByteArray readableIn1251(QByteArrayView utf8);
    void markUnread();
    void markSameLessons();
    Result<QByteArray> lessonCode(const QString &code, int exceptRow) const;
    Result<QByteArray> bankValue(const QString &bankPath) const;
    Status writable();

    QString m_folder;
    QList<Lesson> m_lessons;
    bool m_utf8 = false;
};
