#include "zelstr.h"

TZelStr::TZelStr(QObject *parent) : QObject(parent) {}

void TZelStr::setStrings(const QList<QByteArray> &strings)
{
    m_strings = strings;
}
