#ifndef DISPLAYLOSS_H
#define DISPLAYLOSS_H

// When the display goes away (its server killed or restarted, a remote
// session closed, a logout), the window system's libraries end the process
// with exit() from whichever call noticed it, while the sound back end's
// threads still run. The exit handlers would then tear down the player under
// those threads, and the process would die by a signal. The demo ends at
// once instead, with status 1 and one line saying why (its own where Xlib
// notices, the toolkit's where the toolkit does): it writes nothing that an
// exit would have to save.
namespace DisplayLoss {
// From now on until the event loop has ended, a lost display, or an exit()
// called meanwhile, ends the process at once. Call it after the application
// object is made: that installs the toolkit's own handler of a lost
// connection, which this replaces.
void endAtOnce();
// Exit handlers run in the reverse order of their registration: call this
// after making something whose own exit handlers must not run first (the
// player).
void stayFirstAtExit();
// The event loop has returned with the status given. Where the toolkit
// ended it on a failure (Qt 6.11 does so when its X11 connection breaks, and
// says why), the process ends at once with that status. Otherwise exit
// handlers run as usual from here on.
void loopEnded(int status);
} // namespace DisplayLoss

#endif // DISPLAYLOSS_H
