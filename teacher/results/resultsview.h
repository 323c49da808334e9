#pragma once
// The class's results: one table of every record of one or several results files, filtered as
// the teacher types, with the grade chart of the chosen lesson.

#include <QStringList>
#include <QWidget>

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
    /// Writes the records shown as CSV, as tallory-results --csv does; false with a message box
    /// reported through the returned error text when it cannot be written.
    bool exportCsv(const QString &path, QString *error = nullptr) const;
};
