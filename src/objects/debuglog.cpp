#include "debuglog.h"

#include <QDebug>
#include <QString>

namespace DebugLog {

void text(const char *text)
{
    qDebug().noquote().nospace() << text << ' ';
}

void string(const QString &string)
{
    qDebug().noquote().nospace() << '"' << string << "\" ";
}

} // namespace DebugLog
