#ifndef CUBE_H
#define CUBE_H

#include "object.h"

// A cube of edge 2 centred on the object's origin, drawn in flat face
// colours or with the live plasma on every face.
class Cube : public Object
{
public:
    explicit Cube(QObject *parent);

    void draw() override;
    virtual void drawTextured(GLuint texture, Plasma *plasma);
};

#endif // CUBE_H
