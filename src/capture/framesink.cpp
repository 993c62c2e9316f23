#include "framesink.h"

#include <QDir>
#include <QRandomGenerator>

QString FrameSink::temporaryName(const QString &folder, const QString &outputName)
{
    const quint32 tag = QRandomGenerator::global()->generate();
    return QDir(folder).filePath(
        QStringLiteral(".%1.%2.part").arg(outputName).arg(tag, 8, 16, QLatin1Char('0')));
}
