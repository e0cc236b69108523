// kt90: the window of the KT90 programmer's control program.
#include "gui/Application.h"

int main(int argc, char** argv) { return kt90::gui::runApplication(argc, argv); }
