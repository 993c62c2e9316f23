#ifndef PLASMA_H
#define PLASMA_H

#include <QColor>
#include <QObject>
#include <QSize>
#include <QVector>

class QImage;

// Palette-cycling plasma: a static intensity field and a cyclic palette are
// built once; every tick repaints the image from them with a phase taken
// from the wall clock.
class Plasma : public QObject
{
    Q_OBJECT

public:
    Plasma(QSize size, int colors, QObject *parent);
    ~Plasma() override;

    QImage *getImage();
    void start(int msec);
    void stop();

    // Phase of the colour cycle in tens of milliseconds, from a clock reading
    // of whole seconds since the epoch and the milliseconds within the second.
    static quint32 timeBase(quint32 seconds, int milliseconds);

    void updatePlasma();
    // Renders the frame of the given phase of the colour cycle.
    void paintFrame(quint32 phase);

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    friend struct TestAccess;

    void generatePlasma();
    void generatePalette();

    int timerId;
    int colors;
    QImage *image;
    QImage *plasmaMap;
    QVector<QColor> palette;
};

#endif // PLASMA_H
