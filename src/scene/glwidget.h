#ifndef GLWIDGET_H
#define GLWIDGET_H

#include <QGLWidget>

class Cube;
class Object;
class Plasma;

// The demo's one window: owns every scene element, keeps the timeline and
// draws each scene.
class GLWidget : public QGLWidget
{
    Q_OBJECT

public:
    explicit GLWidget(QWidget *parent = nullptr);
    ~GLWidget() override;

protected:
    void timerEvent(QTimerEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;

private slots:
    void changeScene();

private:
    friend struct TestAccess;

    void writeFps();
    void toggleFullScreen();
    void setPerspective(int width, int height);
    void bindPictures();
    void setUpCaption();

    void enterSceneOne();
    void enterSceneTwo();
    void enterSceneThree();
    void setLight(const GLfloat ambient[4], const GLfloat diffuse[4], const GLfloat position[4]);
    void moveLight(const GLfloat position[4]);

    void paintPlasma();
    void paintOneCube();
    void paintLitCubes();
    void paintTexturedCubes();
    void paintCaption();

    int scene = 0;
    int frameTimer = 0;
    int fpsTimer = 0;
    unsigned int frames = 0;
    GLuint plasmaTexture = 0;
    GLuint textures[4] = {};
    GLfloat lightAmbient[4] = {};
    GLfloat lightDiffuse[4] = {};
    GLfloat lightPosition[4] = {};
    Plasma *plasma = nullptr;
    Cube *cubes[4] = {};
    Object *dialog = nullptr;
};

#endif // GLWIDGET_H
