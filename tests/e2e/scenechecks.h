#ifndef SCENECHECKS_H
#define SCENECHECKS_H

class Checks;
class Screenshot;

// What the screen shows in the middle of each scene, on a 1920 x 1080
// screen. Each check takes two screenshots a moment apart where the motion
// of the scene is what tells it apart from a still picture.
namespace SceneChecks {
void checkScreen(Checks &checks, const Screenshot &shot);
void plasmaAndCaption(Checks &checks, const Screenshot &earlier, const Screenshot &later);
void flatCube(Checks &checks, const Screenshot &earlier, const Screenshot &later);
void litCubes(Checks &checks, const Screenshot &shot);
void texturedCubesAndCredits(Checks &checks, const Screenshot &earlier, const Screenshot &later);
} // namespace SceneChecks

#endif // SCENECHECKS_H
