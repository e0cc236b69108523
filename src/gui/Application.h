#pragma once

namespace kt90::gui {

// The program: the profile of this user, the program directory, the session and its
// main window; when the window has closed, a language switch starts the program again.
int runApplication(int argc, char** argv);

// Registers the icons of the program (needed once, also by tests of the window).
void initGuiResources();

}  // namespace kt90::gui
