// One launcher per start folder in a Windows session: a second one started from the same folder
// hands over to the first instead of opening a second login (both would tidy the same folder at
// exit). Launchers of different folders run side by side; other sessions of a terminal server are
// not affected.
#pragma once

#include "support/platform.h"

// Claims the current directory, the start folder, for this process until it ends. False when a
// launcher of this session already holds the same folder (its full path compared without regard to
// letter case): that launcher's topmost window has then been brought to the front, restored if it
// was minimised, and this one is to end at once, before its exit steps, showing nothing. When the
// claim cannot be judged (the other launcher runs as another user, say) the answer is true.
bool ClaimStartFolder();
