// kt90ctl: the program's operations for scripts and production lines.
#include "cli/Commands.h"

int main(int argc, char** argv) { return kt90::runKt90ctl(argc, argv); }
