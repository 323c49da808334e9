#pragma once
// The short Russian lines the class server answers a request it refuses, in one place, so the
// listener, the routes and the tests say the same words.

#include <QString>

namespace ClassText {

inline QString tooLong() { return QStringLiteral("Слишком длинный запрос."); }
inline QString unreadable() { return QStringLiteral("Запрос не разобран."); }
inline QString tooMany() { return QStringLiteral("Слишком много запросов."); }
inline QString noAccess() { return QStringLiteral("Нет доступа."); }
inline QString notFound() { return QStringLiteral("Не найдено."); }
inline QString noPicture() { return QStringLiteral("У этого вопроса нет рисунка."); }

} // namespace ClassText
